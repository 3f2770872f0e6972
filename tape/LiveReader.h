#pragma once
// Reading a recording while it is being made: what the readers see so far
// ("warte auf Vorton", "Vorton", "HALLO: Block 3", "fertig"), and each record
// as the scan of a whole side reads it (decodeRecordEitherWay): one read to its
// end byte is done, one whose framing broke is given up with its failure, and
// the search goes on behind it. Only the samples the readers still need are
// held: those of the current record from its lead-in on, never more than the
// longest record takes. Each update reads no more than that record. Each
// record is diagnosed (RecordingDiagnosis.h) when it is read or given up,
// from the samples still held, and its findings are kept beside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/RecordingDiagnosis.h"

enum class LivePhase { WaitingForLeadIn, LeadIn, Loading, Done };

struct LiveState {
    LivePhase phase = LivePhase::WaitingForLeadIn;
    int block = 0;                  // the block being read (Loading), from 1
    std::string name;               // the program name as read from the header (Loading), "" before
    std::size_t recordStart = 0;    // where the lead-in of the record was heard
    std::size_t recordEnd = 0;      // the sample after its end (Done)
    int records = 0;                // records read to their end byte so far
};

// "warte auf Vorton", "Vorton", "HALLO: Block 3" ("Block 1" before the name is
// read), "fertig". The name without its trailing spaces, control characters as
// "."; other bytes as read (Windows-1252). The record carries no block count,
// so the number of blocks is not known before its end.
std::string liveStatusText(const LiveState& state);

// The one record a recording of one program keeps (bv7 record without --all,
// the page): the first read to its end byte, or else the last one tried. The
// ones before it were given up. `records` as endRecording gives them, never empty.
std::size_t keptRecord(const std::vector<DecodedRecord>& records);

class LiveReader {
  public:
    LiveReader(std::uint32_t rate, const DecoderSettings& settings);

    // The next `count` samples of the recording (8-bit mono at the rate given).
    void append(const std::uint8_t* samples, std::size_t count);

    // What the readers see in the samples appended so far.
    const LiveState& update();

    // After Done: true once the sound behind the record has ended (a quarter
    // second near the centre line), or two seconds have passed behind it.
    bool soundEnded() const;

    // After Done: looks for the next record behind the one read.
    void next();

    // The recording has ended: every record read or given up, in order, with
    // the one being read as the readers see it now. Where there was none at
    // all, the one failed attempt (NoSync or TooQuiet), so that the caller
    // can say why. Positions count from the recording's first sample.
    std::vector<DecodedRecord> endRecording();

    const LiveState& state() const { return state_; }
    // The records read or given up so far.
    const std::vector<DecodedRecord>& records() const { return records_; }
    // The findings of each record read or given up (those endRecording gives
    // too), in order: as diagnoseWhole finds them in the record's samples,
    // the recording around it included, placed from the recording's start.
    const std::vector<std::vector<Finding>>& findings() const { return findings_; }
    // Samples appended so far, and the bytes held for the readers.
    std::size_t total() const { return base_ + window_.size(); }
    std::size_t heldBytes() const { return window_.capacity(); }

  private:
    bool lookForLeadIn();
    void show(const DecodedRecord& reading);
    DecodedRecord readWindow() const;
    void settle(bool tooLong);
    void dropBefore(std::size_t position);
    void keepRecord(DecodedRecord record);

    std::uint32_t rate_;
    DecoderSettings settings_;
    LiveState state_;
    std::vector<std::uint8_t> window_;   // the samples from base_ on
    std::size_t base_ = 0;
    std::vector<DecodedRecord> records_;
    std::vector<std::vector<Finding>> findings_;
    std::size_t scan_ = 0;        // where the search for a lead-in goes on
    std::size_t robustFrom_ = 0;  // the sample count at the last run of the noise-proof reader
    std::size_t longest_;         // the samples of the longest record, lead-in included
};
