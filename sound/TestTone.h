#pragma once
// The test tone for setting the level of a cassette recorder: 1470 Hz at
// 22050 samples per second, 8-bit mono. The build stores it as the program's
// WAVE resource 101, which the exchange dialog plays in a loop.
#include <cstdint>
#include <vector>

constexpr std::uint32_t testToneRate = 22050;
constexpr std::size_t testTonePeriod = 15;
constexpr std::size_t testToneSamples = 2191;   // 146 periods and a closing centre sample

// The 2191 samples.
std::vector<std::uint8_t> testToneSamplesOf();
// The whole WAV file of the resource.
std::vector<std::uint8_t> testToneWavFile();
