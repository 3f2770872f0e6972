#pragma once
// The two readers together: the reader of Decoder.h always reads first and
// decides alone where it succeeds; only where it fails does the noise-proof
// reader of RobustReader.h try the same record.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"

// The line the report gains when the noise-proof reader read the record.
constexpr const char* filteredReportLine = "mit Störfilter gelesen";
// The line it gains when it was read with the room's echo taken out (Equaliser.h).
constexpr const char* equalisedReportLine = "mit Entzerrer gelesen (Raumhall herausgerechnet)";

struct ReadingChoice {
    bool exact = false;            // the first reader alone
    bool keepBestBlocks = false;   // where both fail on blocks: the good blocks of both
    // Where neither reads the record whole: both once more on the samples
    // with the echoes learnt from the record taken out (Equaliser.h).
    bool equalise = true;
};

// Reads the record from `start` of the samples at `rate`. The first reader's
// result stands when it read it surely (readSure), or with `exact`. Where it
// read every block good but name or sa unsure, the second reader's result is
// taken where that one is sure, else the first's stands. Otherwise the
// second reader's result is taken when it read every block good (`filtered`
// set); its header fields reach `fields` only then, or where the first reader
// found no sync and the second did (its result then stands, faulty as it is).
// Otherwise the first reader's result stands, or with `keepBestBlocks`
// mergeBestBlocks of both. Where both read a name (or sa) and they differ in
// a bit, the result taken is marked unsure when its bit was the weaker of the
// two (against each reading's typical strength). Where that is not read whole,
// with `equalise`, both readers read the record once more from equalised
// samples; that reading is taken (`equalised` set) only where it has more good
// blocks, or as many and reads to the end where the other does not (with
// `keepBestBlocks` the good blocks of both).
DecodedRecord decodeRecordEitherWay(ByteView samples, const DecoderSettings& settings, std::uint32_t rate,
                                    std::size_t start, HeaderFieldSink* fields, const ReadingChoice& choice);

// A record still coming in (a recording being made), from the start of the
// samples so far: Reading while the first reader reads it without a fault
// (`seen` holds its reading); Settled once it is read whole, or once a run of
// the second reader (only where `secondDue`) read it whole or neither reader
// is still reading it; Open otherwise, `seen` holding both readings where the
// second one ran.
enum class GrowingVerdict { Reading, Settled, Open };
struct GrowingReading {
    GrowingVerdict verdict = GrowingVerdict::Reading;
    bool secondRan = false;
    std::vector<DecodedRecord> seen;
};
GrowingReading readGrowingRecord(ByteView samples, const DecoderSettings& settings, std::uint32_t rate, bool secondDue);


// Whether a reading found a record at all (a sync).
bool foundRecord(const DecodedRecord& record);

// Whether a record was read whole: to its end byte, every block good. Only
// such a record stands without the other reader, needs no findings to say
// why, and is offered as a program without being asked to keep faults.
bool readWhole(const DecodedRecord& record);

// Whether a record was read whole and surely: name and sa too, which no
// checksum guards, and no block only mended (BlockRepair.h). Only such a
// program is offered as good; one that is not goes where faulty ones go.
bool readSure(const DecodedRecord& record);

// Why a record read to its end is not sure, for "nicht gespeichert, ...":
// "fehlerhafte Blöcke", "Programmname unsicher gelesen" ...; "" when it is.
std::string notSureReason(const DecodedRecord& record);

// Of two readings of one record: the one with fewer faulty blocks, its faulty
// blocks replaced by the other's where that one read them good. Both must have
// read the record to its end (status Ok) with the same block layout (every
// block but the last of 256 bytes); otherwise
// the better of the two is returned as it is. Where the one taken has no soft
// values of its blocks, it gets the other's.
DecodedRecord mergeBestBlocks(const DecodedRecord& first, const DecodedRecord& second);
