#pragma once
// Every record of a recording, one after the other, as a tape side holds them:
// a record that cannot be read is kept with its failure, and the search goes
// on behind it for the next sync (ReadingSession.h decides where).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"

// Where `progress` is given, it hears how many of the samples the search has
// passed: 0 first, then every few hundredth of the side at most, the whole last.
using ScanProgress = std::function<void(std::size_t done, std::size_t total)>;

// The records from the start of the samples on, each as decodeRecordEitherWay
// reads it (the search behind a pattern that does not fit goes on). Where no
// record is found at all, the one failed attempt (NoSync or TooQuiet), so that
// the caller can say why.
std::vector<DecodedRecord> readEveryRecord(ByteView samples, DecoderSettings settings, std::uint32_t rate,
                                           const ReadingChoice& choice, const ScanProgress& progress = nullptr);
