#pragma once
// Draws the emulated screen into a pixel buffer in client-area coordinates:
// the frame filled with the paper colour and outlined in ink, and every cell's
// glyph from the character generator image as 2 x 2 ink dots. The screen view
// shows the buffer with one blit.
#include "chargen/CharGenImage.h"
#include "chargen/GlyphRenderer.h"
#include "screen/ScreenBuffer.h"
#include "shell/GlobalSettings.h"

namespace screen {
// The screen rectangle, right and bottom exclusive.
constexpr int frameLeft = 20;
constexpr int frameTop = 20;
constexpr int frameRight = 788;
constexpr int frameBottom = 535;
constexpr int cellWidth = 12;
constexpr int cellHeight = 16;
// Top-left dot of cell (c, r): x = firstDotX + 12c, y = firstDotY + 16r.
constexpr int firstDotX = 20;
constexpr int firstDotY = 21;
}

struct ScreenColours {
    RgbColour ink = 0;
    RgbColour paper = 0;
};
// Ink and paper of the settings, exchanged when `inverse` is 1.
ScreenColours screenColours(const GlobalSettings& settings);

// `buffer` must be at least frameRight x frameBottom; only the frame rectangle is drawn.
void renderScreen(PixelBuffer& buffer, const ScreenBuffer& screen, const CharGenImage& image, ScreenColours colours);
