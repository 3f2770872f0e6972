#pragma once
// The reading of a recording as every front end shows it (bv7, the page,
// Spulwerk's "WAV -> BIN"): samples and explicit options in, one value out
// with the records (where each begins, level and noise, read whole or not),
// the programs to offer under their BIN names, the findings where they are
// wanted and the messages. The front ends only format this value.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"

// Whose findings are worked out: none, those of the records not read whole
// (with the recording's own, where there is such a record), or every record's.
enum class FindingsWanted { None, OfRecordsNotReadWhole, OfEveryRecord };

struct ReadingOptions {
    std::uint8_t triggerLevel = 0x76;   // the exact reader's level: the program's setting
    bool exact = false;                 // the exact reader alone, without the noise-proof one
    bool everyRecord = false;           // every record of a side; else the one at its start
    // Where both readers fail on blocks: the good blocks of both (keeping a
    // faulty program, merging copies).
    bool keepBestBlocks = false;
    bool equalise = true;               // an equaliser learnt from the record where neither reader reads it whole
    bool offerFaulty = false;           // a program with faulty blocks is offered too
    // Faulty blocks mended where one or two weak bits flipped make their
    // checksum true (BlockRepair.h); a program whose only flaw is such blocks
    // is offered, as unsure. With merging, the program put together is mended.
    bool repair = false;
    bool measure = false;               // level and noise of each record (the list)
    FindingsWanted findings = FindingsWanted::None;
    // Every record's findings worked out, even where fewer are shown (a label file marks them).
    bool diagnoseEvery = false;
    ScanProgress progress;              // how far the search got (every record only)
    bool originNamesFile = false;       // one of several recordings: origins name the file
    HeaderFieldSink* fields = nullptr;  // told the header as it is read (the record at the start only)
    // A recording read a stretch at a time (SideStream.h): the samples held
    // ahead of each reading (0: as many as the longest record takes).
    std::size_t heldAhead = 0;
};

enum class MessageKind { Error, Warning };

// A message about the reading: "Fehler: <text> (<file>, bei <time>)".
struct ReadingMessage {
    MessageKind kind = MessageKind::Error;
    std::string text;
    std::string file;                   // the recording it concerns; "" names none
    std::optional<std::size_t> at;      // the sample it concerns
    std::uint32_t rate = 0;             // of that sample
    // Where the recording ends, for a record it cuts off: `at` is then where
    // the record's data begin.
    std::optional<std::size_t> recordingEnd;
};

struct ReadRecord {
    DecodedRecord reading;
    std::size_t start = 0;              // where its lead-in began (recordStarts)
    SignalFigures figures;              // with ReadingOptions::measure
    std::vector<Finding> findings;      // where worked out
    bool findingsShown = false;         // whether the report shows them (FindingsWanted)
    bool whole = false;                 // readWhole
    bool sure = false;                  // readSure: whole, and name and sa sure
    std::string origin;                 // "Aufnahme 2"; of several recordings "seite.wav, Aufnahme 2"
    std::string file;                   // the recording it was read from; "" names none
    int message = -1;                   // its message (an index) where it was not read to its end
    int program = -1;                   // its program (an index) where it was read to its end, else -1
    bool copy = false;                  // a true copy of a program offered for an earlier record
};

// A program read to its end: offered as a BIN when read surely (readSure),
// with offerFaulty, or with repair where mended blocks are its only flaw;
// `binName` and `number` only then.
struct OfferedProgram {
    DecodedRecord record;               // header and image; merged where copies were put together
    bool offered = false;
    std::string binName;                // by the BIN rules, numbered where another has the name (Windows-1252)
    int number = 1;                     // 2, 3 ... where it was numbered
    std::vector<std::size_t> copies;    // the records it was read from, in order
    std::vector<int> blockSources;      // merged: per block its copy (from 1), combinedCopies or noGoodCopy
    // Merged: an earlier program of the same name, addresses and length that
    // block `otherBlock` told apart from this one (MergedProgram), else -1 and 0.
    int sameFrameAs = -1;
    int otherBlock = 0;
};

struct SideReading {
    int error = 0;                      // the string id of a file that holds no usable sound
    std::uint32_t rate = 0;             // of the samples read
    std::size_t samples = 0;
    std::vector<ReadRecord> records;    // never empty without `error`: where none was found, why
    std::vector<Finding> whole;         // findings of the recording as a whole, where wanted
    bool diagnosed = false;             // whether findings were worked out at all
    std::vector<OfferedProgram> programs;
    std::vector<ReadingMessage> messages;
    // Read live, one record kept: those given up before it, with their findings.
    std::vector<ReadRecord> givenUp;
    bool found() const { return !records.empty() && foundRecord(records.front().reading); }
};

// Reads `samples` at `rate` (22050 or 44100) as `options` say; `file` names
// the recording in messages and origins, `source` is what the WAV reader saw.
SideReading readSide(ByteView samples, std::uint32_t rate, const SourceFacts& source, const ReadingOptions& options,
                     const std::string& file = "");

// The readers' choice the options ask for, and the mending of blocks where
// asked: the same for a recording held whole and one read as a stream.
ReadingChoice readingChoiceFor(const ReadingOptions& options);
void repairWhereAsked(std::vector<DecodedRecord>& readings, const ReadingOptions& options, std::uint32_t rate);

// The parts of readSide, for a reading of a recording that comes a stretch
// at a time (SideStream.h): whether the findings are worked out (they are
// shown: of every record, or where a record was not read whole), and the
// value made of the readings, their starts, figures (with measure) and
// findings (where diagnosed) of a recording of `samples` samples.
bool diagnosisShown(const ReadingOptions& options, const std::vector<DecodedRecord>& readings);
SideReading assembleSide(std::vector<DecodedRecord> readings, const std::vector<std::size_t>& starts,
                         std::vector<SignalFigures> figures, bool diagnosed, RecordingFindings findings,
                         std::uint32_t rate, std::size_t samples, const ReadingOptions& options,
                         const std::string& file);

// The same from a WAV file's bytes (integer PCM or floating point).
SideReading readSideFile(std::vector<std::uint8_t>&& bytes, const ReadingOptions& options, const std::string& file);

// Several recordings read with everyRecord and keepBestBlocks, their copies
// of each program put together block by block: the records read to their end
// of all of them, in order (their origins naming the file where there are
// several), and the merged programs, whose copies index those records.
SideReading mergeSides(const std::vector<SideReading>& sides, bool offerFaulty, bool repair = false);

// The records of a recording read live (ReadingSession.h) with their findings:
// every one (`every`), or the one kept (keptRecord), the ones given up before
// it in `givenUp`. `file` names the recording in messages ("" for none).
SideReading liveSide(std::vector<DecodedRecord> records, std::vector<std::vector<Finding>> findings,
                     std::uint32_t rate, bool every, bool offerFaulty, const std::string& file = "");

// The BIN name of a header by the scheme: the decoder's proposal, made safe
// as every proposed name is (sanitiseFileName).
std::string binNameFor(const TapeHeader& header);

// "-2", "-3" ... behind the SA digits ("PROG_1000_12FF_1000-2.BIN"), which
// the BIN name rules read as the same header.
std::string numberedBinName(const std::string& name, int number);
