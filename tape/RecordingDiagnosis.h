#pragma once
// What the recording chain did to a recording, read from each record's
// lead-in, whose tone the format fixes: too low a level, clipping, a DC
// offset, the tape's speed and its wow, mains hum, inverted polarity and a
// sharp band edge (a lossy codec, a phone call); from the level over time
// (LevelEnvelope.h) a gain control, a noise gate and dropouts; from the file
// its low rate and its channels. Each finding is one German line with its
// figure and what to change.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/WavFile.h"

enum class FindingKind {
    LowLevel, Clipping, DcOffset, Speed, Flutter, Hum, Inverted,   // on each record's lead-in
    GainControl, NoiseGate, Dropout, Echo,                         // from the level over time
    BandLimit, LowRate, OneChannel, OppositePhase, Codec,          // from the spectrum and the file
};
// A note does not hinder reading; a warning does, or soon will.
enum class FindingSeverity { Note, Warning };

struct Finding {
    FindingKind kind;
    FindingSeverity severity;
    double figure = 0;                  // %, or dB below the signal for hum
    std::optional<std::size_t> where;   // the sample it was measured from, where it has one place
    std::size_t length = 0;             // samples from `where`, for a span (a dropout, pumping)
    std::string text;                   // without "Hinweis:"/"Warnung:"
};

// The findings of one record whose lead-in began at `start` (recordStarts).
// None for a record without a sync or with too little lead-in to measure.
std::vector<Finding> diagnoseRecord(ByteView samples, std::uint32_t rate, const DecodedRecord& record,
                                    std::size_t start);

// The findings of every record as readEveryRecord gives them, in order.
std::vector<std::vector<Finding>> diagnoseRecording(ByteView samples, std::uint32_t rate,
                                                    const std::vector<DecodedRecord>& records);
// The same with the records' starts as recordStarts gives them, worked out once by the caller.
std::vector<std::vector<Finding>> diagnoseRecording(ByteView samples, std::uint32_t rate,
                                                    const std::vector<DecodedRecord>& records,
                                                    const std::vector<std::size_t>& starts);

// What the WAV reader found in the file beside the samples it hands on.
struct SourceFacts {
    std::uint32_t fileRate = 0;   // the file's own rate (the samples may be resampled)
    ChannelFacts channels;        // what the reader saw of a file of more than one channel
    std::string codec;            // the lossy codec the file held ("AAC"), "" for none
    std::string container;        // its container ("M4A/MP4")
};
SourceFacts sourceFactsOf(const WavSamples& wav);

// The findings of a whole recording: those of the file and of the recording
// as a whole (rate, channels, the pauses between records), and each record's.
struct RecordingFindings {
    std::vector<Finding> whole;
    std::vector<std::vector<Finding>> perRecord;   // as diagnoseRecording gives them
};
RecordingFindings diagnoseWhole(ByteView samples, std::uint32_t rate, const SourceFacts& source,
                                const std::vector<DecodedRecord>& records);
RecordingFindings diagnoseWhole(ByteView samples, std::uint32_t rate, const SourceFacts& source,
                                const std::vector<DecodedRecord>& records, const std::vector<std::size_t>& starts);

// The parts of diagnoseWhole for a recording read a stretch at a time
// (SideStream.h), each on the samples held at the time: `samples` then hold
// the recording from sample `offset` on.
// The findings of the file: its rate and channels.
std::vector<Finding> sourceFindings(const SourceFacts& source, bool allWhole);
// diagnoseRecord on samples that hold the recording from `heldFrom` on, the
// record and its start counted from there; the findings are placed and
// timed from the recording's start.
std::vector<Finding> diagnoseHeldRecord(ByteView samples, std::size_t heldFrom, std::uint32_t rate,
                                        const DecodedRecord& record, std::size_t start);
// The noise under a record's lead-in, 0 where too weak to tell.
double leadInNoise(ByteView samples, std::uint32_t rate, const DecodedRecord& record, std::size_t start);
// Where the pause between two records that is weighed begins, if it is; the
// samples from there on that weighPause looks at are at most pauseSamples.
std::optional<std::size_t> pauseAfter(std::uint32_t rate, const DecodedRecord& before, const DecodedRecord& after);
std::size_t pauseSamples(std::uint32_t rate);
// The findings of the pauses between records, the strongest of each kind.
struct PauseFindings {
    std::optional<Finding> rise, gate;
};
// Weighs the pause between `before` and `after` (whose lead-in began at
// `afterStart`) with the noises under their lead-ins.
void weighPause(ByteView samples, std::size_t offset, std::uint32_t rate, const DecodedRecord& before,
                const DecodedRecord& after, std::size_t afterStart, double noiseBefore, double noiseAfter,
                PauseFindings& found);
// Weighs the second behind the `last` record, the recording ending at `until`.
void weighLastPause(ByteView samples, std::size_t offset, std::uint32_t rate, const DecodedRecord& last,
                    std::size_t until, double noise, PauseFindings& found);
void addPauseFindings(const PauseFindings& found, std::vector<Finding>& findings);

// "Hinweis: ..." or "Warnung: ...".
std::string findingLine(const Finding& finding);
