#pragma once
// Draws the emulated screen into a pixel buffer in client-area coordinates:
// the frame filled with the paper colour and outlined in ink, and every cell's
// glyph from the character generator image as 2 x 2 ink dots. The screen view
// shows the buffer with one blit.
#include "chargen/CharGenImage.h"
#include "chargen/GlyphRenderer.h"
#include "screen/ScreenBuffer.h"
#include "screen/ScreenGeometry.h"
#include "shell/GlobalSettings.h"

struct ScreenColours {
    RgbColour ink = 0;
    RgbColour paper = 0;
};
// Ink and paper of the settings, exchanged when `inverse` is 1.
ScreenColours screenColours(const GlobalSettings& settings);

// `buffer` must be at least frameRight x frameBottom; only the frame rectangle is drawn.
void renderScreen(PixelBuffer& buffer, const ScreenBuffer& screen, const CharGenImage& image, ScreenColours colours);
