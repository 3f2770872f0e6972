#include "tape/FloatWav.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "tape/AudioFormat.h"
#include "tape/WavFile.h"

std::uint8_t eightBitSample(double value) {
    if (!(value >= -1.0)) value = -1.0;   // NaN too
    const long level = std::lrint(std::min(value, 1.0) * 32768.0);
    const auto sample = static_cast<std::uint16_t>(std::clamp(level, -32768L, 32767L));
    return static_cast<std::uint8_t>((sample >> 8) ^ 0x80);
}

std::vector<std::uint8_t> eightBitWavOfFloat(ByteView file) {
    const WavParts parts = findWavParts(file);
    std::vector<std::uint8_t> same(file.data, file.data + file.size);
    if (parts.error || !isFloatWav(file)) return same;
    ByteReader reader(parts.format);
    reader.skip(2);
    const std::uint16_t channels = reader.u16le();
    const std::uint32_t rate = reader.u32le();
    reader.skip(6);
    const std::uint16_t bits = reader.u16le();
    if (channels == 0 || (bits != 32 && bits != 64)) return same;
    const std::size_t width = bits / 8;
    const std::size_t count = std::min<std::size_t>(parts.sound.size / (width * channels) * channels, maxWavSampleCount);
    std::vector<std::uint8_t> samples(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* at = parts.sound.data + i * width;
        if (width == 4) {
            float value;
            std::memcpy(&value, at, 4);
            samples[i] = eightBitSample(value);
        } else {
            double value;
            std::memcpy(&value, at, 8);
            samples[i] = eightBitSample(value);
        }
    }
    AudioFormat format;
    format.channels = channels;
    format.blockAlign = channels;
    format.samplesPerSecond = rate;
    format.bytesPerSecond = rate * channels;
    return makeWavFileBytes(format, samples.data(), static_cast<std::uint32_t>(samples.size()));
}

WavSamples adoptAnyWavSamples(std::vector<std::uint8_t>&& bytes) {
    if (isFloatWav(ByteView(bytes))) bytes = eightBitWavOfFloat(ByteView(bytes));
    return adoptWavSamples(std::move(bytes));
}
