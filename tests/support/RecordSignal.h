#pragma once
// The signal of one record as the encoder writes it at 44100, for tests that
// build recordings of whole sides.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tape/Encoder.h"
#include "tape/TapeRecord.h"

// The record of `image` under `header`, data byte 10 of block `faultyBlock`
// (0: none) wrong on tape; `keep` of it (1: whole).
inline std::vector<std::uint8_t> recordSignal(const std::vector<std::uint8_t>& image, const TapeHeader& header,
                                              int faultyBlock = 0, double keep = 1) {
    auto bytes = layoutTapeRecord(image, header);
    if (faultyBlock > 0) bytes[tape::fixedBytes - 3 + (faultyBlock - 1) * (256 + tape::blockFramingBytes) + 4 + 10] ^= 0x10;
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    samples.resize(static_cast<std::size_t>(samples.size() * keep));
    return samples;
}
