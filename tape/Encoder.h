#pragma once
// BIN to WAV: a memory image and its header become the cassette signal, 8-bit
// unsigned mono PCM, levels 0x80 +/- 100 with softened transitions.
#include <cstdint>
#include <string>
#include <vector>

#include "tape/TapeHeader.h"

// Samples the signal of an image of `imageSize` bytes can take at most:
// (L + round(5L / 256) + 795) * 240. 0 when that does not fit in memory at all.
std::size_t encoderBufferSize(std::uint64_t imageSize);

// The signal of the record of `image` under `header` (name, aa, sa), with
// `halfCell` samples per half bit cell (14 at 44100, 7 at 22050), into `out`,
// which holds at least encoderBufferSize(size) bytes (enough for a half-cell of
// up to 14 samples). Returns the number of samples written.
std::size_t encodeRecordInto(const std::uint8_t* image, std::size_t size, const TapeHeader& header, int halfCell,
                             std::uint8_t* out);

// Any bytes as bit cells, the first bit starting without a previous bit; the
// building block of the record, open for tests and measurements.
std::size_t encodeBytesInto(const std::uint8_t* bytes, std::size_t count, int halfCell, std::uint8_t* out);

// The same into a vector of exactly the signal's length.
std::vector<std::uint8_t> encodeRecordSamples(const std::vector<std::uint8_t>& image, const TapeHeader& header,
                                              int halfCell = 14);
