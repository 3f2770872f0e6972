#pragma once
// The two readers together: the reader of Decoder.h always reads first and
// decides alone where it succeeds; only where it fails does the noise-proof
// reader of RobustReader.h try the same record.
#include <cstddef>
#include <cstdint>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"

// The line the report gains when the noise-proof reader read the record.
constexpr const char* filteredReportLine = "mit Störfilter gelesen";

struct ReadingChoice {
    bool exact = false;            // the first reader alone
    bool keepBestBlocks = false;   // where both fail on blocks: the good blocks of both
};

// Reads the record from `start` of the samples at `rate`. The first reader's
// result stands when it read every block good, or with `exact`. Otherwise the
// second reader's result is taken when it read every block good (`filtered`
// set); its header fields reach `fields` only then, or where the first reader
// found no sync and the second did (its result then stands, faulty as it is).
// Otherwise the first reader's result stands, or with `keepBestBlocks`
// mergeBestBlocks of both.
DecodedRecord decodeRecordEitherWay(ByteView samples, const DecoderSettings& settings, std::uint32_t rate,
                                    std::size_t start, HeaderFieldSink* fields, const ReadingChoice& choice);

// Whether a reading found a record at all (a sync).
bool foundRecord(const DecodedRecord& record);

// Of two readings of one record: the one with fewer faulty blocks, its faulty
// blocks replaced by the other's where that one read them good. Both must have
// read the record to its end (status Ok) with the same block layout (every
// block but the last of 256 bytes); otherwise
// the better of the two is returned as it is. Where the one taken has no soft
// values of its blocks, it gets the other's.
DecodedRecord mergeBestBlocks(const DecodedRecord& first, const DecodedRecord& second);
