#pragma once
// The program-wide options of one run: sound devices and volume, the WAV
// output format, the codec's sample rate, the screen colours and the decoder's
// trigger level. Kept in memory only; set to the defaults at program start.
#include <cstdint>

// A colour as the drawing code uses it: 0x00BBGGRR (red in the low byte).
using RgbColour = std::uint32_t;
constexpr RgbColour rgbColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<RgbColour>(red) | static_cast<RgbColour>(green) << 8 | static_cast<RgbColour>(blue) << 16;
}

struct GlobalSettings {
    std::int32_t inputDevice = 1;        // recording device; -1 = the wave mapper
    std::int32_t outputDevice = 0;       // playback device
    std::int32_t outputVolume = 5;       // 0..10
    std::int32_t wavOutputFormat = 0;    // 0 standard ("original gem. Monitorversion 3.1"), 1 turbo
    std::int32_t sampleRate = 22050;     // 22050 or 44100, written only by selectSampleRate
    std::int32_t colourScheme = 0;       // 0 white on black, 1 green
    std::uint8_t triggerLevel = 0x76;    // decoder threshold, 0x70..0x7A
    std::int32_t inverse = 0;            // 1 = ink and paper swapped when drawing
    // Derived from colourScheme by applyColourScheme.
    RgbColour inkColour = rgbColour(0xFF, 0xFF, 0xFF);
    RgbColour paperColour = rgbColour(0x00, 0x00, 0x00);
};

constexpr std::uint8_t minTriggerLevel = 0x70;
constexpr std::uint8_t maxTriggerLevel = 0x7A;

// The one instance of the program.
GlobalSettings& globalSettings();

// Sets every field to its default (program start).
void resetGlobalSettings();

// inkColour and paperColour from colourScheme: 0 white on black, 1 green on dark green.
void applyColourScheme();
