#include "sound/TestTone.h"

#include "tape/WavFile.h"

namespace {
constexpr std::uint8_t period[testTonePeriod] = {0x80, 0xB0, 0xC9, 0xD5, 0xDB, 0xDE, 0xDF, 0xE2,
                                                 0x80, 0x4E, 0x35, 0x28, 0x21, 0x1D, 0x1B};
}

std::vector<std::uint8_t> testToneSamplesOf() {
    std::vector<std::uint8_t> samples(testToneSamples);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = period[i % testTonePeriod];
    return samples;
}

std::vector<std::uint8_t> testToneWavFile() {
    AudioFormat format;
    format.samplesPerSecond = testToneRate;
    format.bytesPerSecond = testToneRate;
    std::vector<std::uint8_t> samples = testToneSamplesOf();
    return makeWavFileBytes(format, samples.data(), static_cast<std::uint32_t>(samples.size()));
}
