#pragma once
// A WAV file of floating-point samples (format 3, or the extensible format
// with that subformat), turned into the 8-bit WAV of all its channels at its
// own rate that the WAV reader takes: each sample as the top byte of its
// 16-bit value, clipped, so that an overshoot never wraps to the other
// extreme. bv7 and the page read such a file this same way.
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/WavFile.h"

// A floating-point sample (full scale 1) as an 8-bit one: the top byte of its
// 16-bit value, clipped. The page's sound input goes the same way.
std::uint8_t eightBitSample(double value);

// A floating-point sample as the top byte of its 16-bit value, made unsigned,
// clipped (NaN to the low extreme), rounded to the nearest, halves to even:
// eightBitSample's value, without a call to the library's rounding (the sum
// with 1.5 * 2^23 leaves no bits behind the point). Inline: it is the inner
// loop of every float file read.
inline std::uint8_t eightBitOfFloat(float sample) {
    float scaled = sample * 32768.0f;
    if (!(scaled >= -32768.0f)) scaled = -32768.0f;
    if (scaled > 32767.0f) scaled = 32767.0f;
    constexpr float roundingShift = 12582912.0f;
    const auto level = static_cast<int>((scaled + roundingShift) - roundingShift);
    return static_cast<std::uint8_t>((static_cast<std::uint16_t>(level) >> 8) ^ 0x80);
}

// The 8-bit WAV of `file` (isFloatWav); `file` itself where it is none or
// holds no samples of 32 or 64 bits.
std::vector<std::uint8_t> eightBitWavOfFloat(ByteView file);

// The samples of a WAV file's bytes as the readers take them (WavFile.h's
// adoptWavSamples), a file of floating-point samples included.
WavSamples adoptAnyWavSamples(std::vector<std::uint8_t>&& bytes);
