#pragma once
// The one audio format of the cassette codec: 8-bit unsigned mono PCM at 22050
// or 44100 samples per second, with the constants that depend on the rate.
#include <cstdint>
#include <string>

// Field for field the 18-byte format block of every WAV file the program
// writes, and the format the recording device is opened with.
struct AudioFormat {
    std::uint16_t formatTag = 1;            // PCM
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSecond = 22050;
    std::uint32_t bytesPerSecond = 22050;
    std::uint16_t blockAlign = 1;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t extraSize = 0;
};
constexpr std::size_t audioFormatBytes = 18;

// Samples per half bit cell N (encoder) and the short/long stretch threshold T (decoder).
constexpr int halfCellSamplesAt(std::uint32_t rate) { return rate == 44100 ? 14 : 7; }
constexpr int stretchThresholdAt(std::uint32_t rate) { return rate == 44100 ? 20 : 10; }
// Samples per bit cell at normal speed: 29.5 at 44100 on average (a cell is 29
// or 30); and the lead-in's, a zero bit behind another that rises and falls in
// full: 30 (1470 Hz).
constexpr double cellSamplesAt(std::uint32_t rate) { return 29.5 * rate / 44100.0; }
constexpr double leadInCellSamplesAt(std::uint32_t rate) { return 30.0 * rate / 44100.0; }

// The format at 22050 or 44100 samples per second; any other rate gives 22050.
AudioFormat audioFormatAt(std::int64_t rate);

// The status text of a rate: rate / 1000 rounded, then " kHz" (48000 -> "48 kHz").
std::string sampleRateStatusText(std::uint32_t rate);

constexpr int sampleRateStatusPart = 2;
