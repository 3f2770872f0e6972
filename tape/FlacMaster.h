#pragma once
// The lossless master of a recording: the integer PCM of a WAV file, as it is
// (rate, channels, bits), as a FLAC stream, and such a stream back as a WAV
// file, which the reading layer reads as it read the original. The encoder
// uses FLAC's fixed predictors with Rice-coded residuals (verbatim where that
// is smaller); the decoder reads what the encoder writes (fixed, verbatim and
// constant subframes, independent channels) and refuses anything else.
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"

// Integer PCM as a WAV file holds it: interleaved, `containerBytes` per
// sample, little-endian, 8-bit unsigned, wider signed, `bits` of each valid.
struct PcmView {
    ByteView sound;
    std::uint32_t rate = 0;
    std::uint16_t channels = 0;
    std::uint16_t bits = 0;
    std::uint16_t containerBytes = 0;
    std::uint64_t frames() const { return channels && containerBytes ? sound.size / (channels * containerBytes) : 0; }
    // Sample `frame` of `channel` as a signed value of `bits` bits.
    std::int32_t sample(std::uint64_t frame, unsigned channel) const;
};

// The integer PCM of a WAV file (also the extensible format's PCM): false for
// anything FLAC cannot hold as it is (floating point, 1..3 or over 32 bits,
// more than 8 channels, no sound). The view points into `file`.
bool pcmOfWav(ByteView file, PcmView& pcm);

// The FLAC stream of `pcm`: every sample as it is; no MD5 of the samples.
std::vector<std::uint8_t> encodeFlac(const PcmView& pcm);

// A FLAC stream as this encoder writes it, as a WAV file of the same samples
// (PCM format chunk, samples in containers of whole bytes). False for a stream
// that is broken (a frame's checksum) or uses what the encoder never writes.
bool flacToWav(ByteView flac, std::vector<std::uint8_t>& wav);
