#pragma once
// One reading of a recording that comes a stretch at a time: a file read
// through (SideStream.h, bv7 list, check, wav2bin), or the sound input while
// the tape plays (bv7 record, the page's recording). The session owns what is
// decided about the recording: where a record is searched (from one lead-in
// heard to the next), when a record is given up and the search goes on behind
// it, which records are kept, and when the sound behind a record read has
// ended. It holds only what the readers need: the record being read, what
// they look back at before it, and the samples that came since.
//
// A record is decided once nothing that is still to come can change its
// reading: from a file, once the longest record is held behind its start (or
// the file ended); live, once the readers see it end (readGrowingRecord), so
// that the program is saved the moment its last byte was played. While it
// is being read, what the readers see so far is shown ("warte auf Vorton",
// "Vorton", "HALLO: Block 3", "fertig"). Each record kept is measured and
// diagnosed while its samples are held.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"

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

// Whose findings the session works out while a record's samples are held.
enum class HeldDiagnosis { None, NotReadWhole, Every };

struct SessionRules {
    DecoderSettings settings;           // the exact reader's (trigger level)
    ReadingChoice choice;
    // Every record, the search going on behind each; else only the record at
    // the start (one reading from the first sample on, as bv7 wav2bin reads).
    bool everyRecord = true;
    // The sound input: a record is decided once the readers see it end, and
    // a record kept loses the soft values only the merging of copies needs.
    bool live = false;
    // The quiet band of the whole recording (quietBand), where a first pass
    // measured it; below 0 the recording is too quiet. Live it is not known:
    // the readers measure it in what they see, and where no record was found
    // the band of all that came says whether the recording was too quiet.
    std::optional<int> band;
    std::size_t total = static_cast<std::size_t>(-1);   // the samples of the whole recording, where known
    std::size_t ahead = 0;    // held ahead of a reading's start (0: longestRecordSamples)
    std::size_t behind = 0;   // held behind where the readers start (0: ten seconds; live two lead-in strides)
    bool repair = false;      // faulty blocks mended as each record is kept (BlockRepair.h)
    bool measure = false;                       // level and noise of each record kept
    HeldDiagnosis diagnose = HeldDiagnosis::None;
    ScanProgress progress;                      // how far the search got (every record only)
    HeaderFieldSink* fields = nullptr;          // told the header as it is read (the record at the start only)
};

// The rules of a live reading (bv7 record, the page's recording): every
// record, each diagnosed as it is kept.
SessionRules liveRules(const DecoderSettings& settings);

class ReadingSession {
  public:
    // Samples fed with append; `room`: the samples expected to be held at
    // once, made room for at the start.
    ReadingSession(std::uint32_t rate, const SessionRules& rules, std::size_t room = 0);
    // The whole recording in memory already: read where it lies.
    ReadingSession(ByteView whole, std::uint32_t rate, const SessionRules& rules);

    // The next `count` samples of the recording (8-bit mono at the rate given).
    void append(const std::uint8_t* samples, std::size_t count);
    // No more samples come.
    void end();

    // Reads as far as the samples held allow; stops at a record read to its
    // end (Done) until next(), and once the recording is read (finished).
    const LiveState& update();

    // After Done: true once the sound behind the record has ended (a quarter
    // second near the centre line), or two seconds have passed behind it.
    bool soundEnded() const;
    // After Done: looks for the next record behind the one read.
    void next();

    // The recording has ended: the samples held read to their end (a record
    // read to its end stays the last), and every record read or given up, in
    // order. Where there was none at all, the one failed attempt (NoSync or
    // TooQuiet), so that the caller can say why. Positions count from the
    // recording's first sample.
    std::vector<DecodedRecord> endRecording();
    bool finished() const { return step_ == Step::Finished; }

    const LiveState& state() const { return state_; }
    // The records read or given up so far, and of each where its lead-in
    // began (recordStarts), its figures (with measure) and its findings
    // (where diagnosed), placed from the recording's start.
    const std::vector<DecodedRecord>& records() const { return records_; }
    const std::vector<std::size_t>& starts() const { return starts_; }
    const std::vector<SignalFigures>& figures() const { return figures_; }
    const std::vector<std::vector<Finding>>& findings() const { return perRecord_; }
    // Once finished: the findings of the recording as a whole (its source,
    // the pauses between records; `allWhole`: every record was read whole)
    // and those of each record, which leave the session.
    RecordingFindings recordingFindings(const SourceFacts& source, bool allWhole);

    // Samples appended so far, and the bytes held for the readers.
    std::size_t total() const { return heldEnd(); }
    std::size_t heldBytes() const { return buffer_.capacity(); }

  private:
    enum class Step { AtStart, Search, Read, ToneEnd, Take, Finished };

    ByteView view() const;
    std::size_t local(std::size_t position) const { return position > base_ ? position - base_ : 0; }
    void waiting();
    std::size_t heldEnd() const { return base_ + view().size; }
    bool has(std::size_t to) const { return ended_ || heldEnd() >= to; }
    void hold(std::size_t need);
    void dropBefore(std::size_t position);
    bool advance();
    void startReading(std::size_t from, std::size_t syncLimit);
    bool decided(DecodedRecord& record);
    bool decidedLive(DecodedRecord& record);
    DecodedRecord decodeHeld();
    void show(const DecodedRecord& reading);
    void afterReading(DecodedRecord record);
    bool toneEnded();
    std::size_t leadInBegin(std::size_t from, std::size_t since);
    void keep(DecodedRecord record);
    void take(const DecodedRecord& record);
    void finish();
    void at(std::size_t done);

    std::uint32_t rate_;
    SessionRules rules_;
    std::size_t ahead_, behind_;
    double cell_;
    LiveState state_;
    Step step_ = Step::AtStart;
    bool ended_ = false;
    // The samples from base_ on: buffer_ from offset_ on, or whole_.
    std::vector<std::uint8_t> buffer_;
    std::size_t offset_ = 0, base_ = 0;
    ByteView whole_;
    bool borrowed_ = false;
    std::uint64_t deviation_ = 0;            // live: of every sample, for the quiet band of the whole

    // The search: records are searched from position_ on, lead-ins from from_ on.
    std::size_t position_ = 0, from_ = 0;
    std::size_t toneStart_;                  // where a tone that went beyond one search's reach began
    std::size_t leadInAt_ = 0;               // the window where the lead-in being read was heard
    // The reading under way: from readFrom_, its settings, held to readTo_ before it is decided.
    std::size_t readFrom_ = 0, readTo_ = 0;
    DecoderSettings reading_;
    std::size_t robustFrom_ = 0;             // live: the samples at the last run of the noise-proof reader
    std::size_t toneUntil_ = 0;              // the reach of the lead-in read, with name and gap behind it
    bool firstDone_ = false;
    std::optional<DecodedRecord> taking_;    // kept, waiting for the samples behind it

    std::vector<DecodedRecord> records_;
    std::vector<std::size_t> starts_;
    std::vector<SignalFigures> figures_;
    std::vector<std::vector<Finding>> perRecord_;
    std::size_t earliest_ = 0;
    // The pause behind the last record taken, for the pause findings.
    PauseFindings pauses_;
    std::optional<DecodedRecord> previous_;
    double previousNoise_ = 0;
    std::vector<std::uint8_t> pause_;
    std::size_t pauseFrom_ = 0;
    // How far the search got, told every few hundredth at most.
    std::size_t told_ = 0, progressStep_ = 1;
};
