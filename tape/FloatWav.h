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

// The 8-bit WAV of `file` (isFloatWav); `file` itself where it is none or
// holds no samples of 32 or 64 bits.
std::vector<std::uint8_t> eightBitWavOfFloat(ByteView file);

// The samples of a WAV file's bytes as the readers take them (WavFile.h's
// adoptWavSamples), a file of floating-point samples included.
WavSamples adoptAnyWavSamples(std::vector<std::uint8_t>&& bytes);
