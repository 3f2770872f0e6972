#pragma once
// The arithmetic of the audio engine: the level of a capture block and its
// meter colour, the texts of the status bar, and the playback volume.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/GlobalSettings.h"

// The level of a block in per cent of full scale: its peak (the largest byte,
// from 0), less the centre line 128 modulo 256, times 100 / 128, rounded.
// A silent block (all 128) gives 0, one that reaches 255 gives 99.
int captureLevel(const std::uint8_t* block, std::size_t size);
std::string levelText(int level);                 // 42 -> "42 %"

// The bar of the level meter: dark green above 82, red otherwise.
RgbColour meterColour(int level);

// The recorded size, bytes / 1024 rounded, then " kB" (1535 -> "1 kB", 1536 -> "2 kB").
std::string kilobytesText(std::uint32_t bytes);

// "Dauer ca. N sek." with the length in milliseconds / 1000 rounded (4500 -> 5).
std::string durationText(std::uint32_t milliseconds);

// The device volume of a level 0..10: level * 0x1999 in both 16-bit channels.
std::uint32_t volumeOfLevel(int level);
// The slider runs 0..10 with the loudest at the top: position = 10 - level.
constexpr int maxVolumeLevel = 10;
int sliderPositionOfLevel(int level);
int levelOfSliderPosition(int position);
