#pragma once
// Every record of a recording, one after the other, as a tape side holds them:
// a record that cannot be read is kept with its failure, and the search goes
// on behind it for the next sync.
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"

// The records from the start of the samples on, each as decodeRecordEitherWay
// reads it (the search behind a pattern that does not fit goes on). Where no
// record is found at all, the one failed attempt (NoSync or TooQuiet), so that
// the caller can say why.
std::vector<DecodedRecord> readEveryRecord(ByteView samples, DecoderSettings settings, std::uint32_t rate,
                                           const ReadingChoice& choice);
