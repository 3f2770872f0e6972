#pragma once
// Every record of a recording, one after the other, as a tape side holds them:
// a record that cannot be read is kept with its failure, and the search goes
// on behind it for the next sync.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"
#include "tape/SampleWindow.h"

// The records from the start of the samples on, each as decodeRecordEitherWay
// reads it (the search behind a pattern that does not fit goes on). Where no
// record is found at all, the one failed attempt (NoSync or TooQuiet), so that
// the caller can say why.
// Where `progress` is given, it hears how many of the samples the search has
// passed: 0 first, then every few hundredth of the side at most, the whole last.
using ScanProgress = std::function<void(std::size_t done, std::size_t total)>;
std::vector<DecodedRecord> readEveryRecord(ByteView samples, DecoderSettings settings, std::uint32_t rate,
                                           const ReadingChoice& choice, const ScanProgress& progress = nullptr);

// The same on a window that moves on through a recording of `total` samples
// (or more, where `total` was not known), whose quiet band is `band`
// (quietBand of the whole recording): each reading holds only what it reads.
// `read` hears each record the moment it is kept, while its samples are held
// (from its lead-in on, recordStarts). `ahead`: the samples held ahead of a
// reading's start (0: longestRecordSamples); a reading that needs more reads again.
using RecordRead = std::function<void(const DecodedRecord& record)>;
std::vector<DecodedRecord> scanSide(SampleWindow& window, std::size_t total, int band, DecoderSettings settings,
                                    std::uint32_t rate, const ReadingChoice& choice,
                                    const ScanProgress& progress = nullptr, const RecordRead& read = nullptr,
                                    std::size_t ahead = 0);

// The record at the start of a recording on such a window, as
// decodeRecordEitherWay reads it from the first sample of the whole.
DecodedRecord readFirstRecord(SampleWindow& window, const DecoderSettings& settings, std::uint32_t rate,
                              HeaderFieldSink* fields, const ReadingChoice& choice, std::size_t ahead = 0);
