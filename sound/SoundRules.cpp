#include "sound/SoundRules.h"

#include <algorithm>

#include "shell/HexText.h"

namespace {
constexpr std::uint32_t channelStep = 0x1999;
}

int captureLevel(const std::uint8_t* block, std::size_t size) {
    int peak = 0;
    for (std::size_t i = 0; i < size; ++i) peak = std::max(peak, static_cast<int>(block[i]));
    int aboveCentre = (peak - 128) & 0xFF;
    return (aboveCentre * 100 + 64) / 128;
}

std::string levelText(int level) { return formatDecimal(level) + " %"; }

RgbColour meterColour(int level) { return level > 82 ? rgbColour(0x00, 0x90, 0x00) : rgbColour(0xFF, 0x00, 0x00); }

std::string kilobytesText(std::uint32_t bytes) {
    return formatDecimal(static_cast<std::int32_t>((static_cast<std::uint64_t>(bytes) + 512) / 1024)) + " kB";
}

std::string durationText(std::uint32_t milliseconds) {
    return "Dauer ca. " + formatDecimal(static_cast<std::int32_t>((static_cast<std::uint64_t>(milliseconds) + 500) / 1000)) +
           " sek.";
}

std::uint32_t volumeOfLevel(int level) {
    std::uint32_t channel = static_cast<std::uint32_t>(std::clamp(level, 0, maxVolumeLevel)) * channelStep;
    return channel << 16 | channel;
}

int sliderPositionOfLevel(int level) { return maxVolumeLevel - std::clamp(level, 0, maxVolumeLevel); }
int levelOfSliderPosition(int position) { return maxVolumeLevel - std::clamp(position, 0, maxVolumeLevel); }
