#pragma once
// Reading a recording while it is being made: what the readers see so far
// ("warte auf Vorton", "Vorton", "SPIEL: Block 3", "fertig"), and when a
// record has been read to its end byte and the sound behind it has ended.
// Each update starts at the lead-in last heard, not at the recording's start:
// what lies before it is settled. The result that counts is read afterwards
// from the whole recording, as "bv7 wav2bin" reads it; this only watches.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"

enum class LivePhase { WaitingForLeadIn, LeadIn, Loading, Done };

struct LiveState {
    LivePhase phase = LivePhase::WaitingForLeadIn;
    int block = 0;                  // the block being read (Loading), from 1
    std::size_t recordStart = 0;    // where the lead-in of the record was heard
    std::size_t recordEnd = 0;      // the sample after its end (Done)
    int records = 0;                // records read to their end byte so far
};

// "warte auf Vorton", "Vorton", "SPIEL: Block 3", "fertig". The record carries
// no block count, so the number of blocks is not known before its end.
std::string liveStatusText(const LiveState& state);

class LiveReader {
  public:
    LiveReader(std::uint32_t rate, const DecoderSettings& settings);

    // `samples`: everything recorded so far, from the recording's first
    // sample on (8-bit mono at the rate given); it only grows between calls.
    const LiveState& update(ByteView samples);

    // After Done: true once the sound behind the record has ended (a quarter
    // second near the centre line), or two seconds have passed behind it.
    bool soundEnded(ByteView samples) const;

    // After Done: looks for the next record behind the one read.
    void next();

    const LiveState& state() const { return state_; }

  private:
    void finish(const DecodedRecord& record);

    std::uint32_t rate_;
    DecoderSettings settings_;
    LiveState state_;
    std::size_t scan_ = 0;        // where the search for a lead-in goes on
    std::size_t robustFrom_ = 0;  // the sample count at the last run of the noise-proof reader
};

