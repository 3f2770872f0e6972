#pragma once
// Draws the designer into a pixel buffer: the overview of all 256 characters,
// the magnifier with its 2x preview and the selection frame, in client-area
// pixels. The dialog shows the buffer with one blit; tests read it directly.
#include <cstdint>
#include <vector>

#include "chargen/CharGenImage.h"
#include "chargen/DesignerEdit.h"
#include "chargen/DesignerLayout.h"
#include "shell/GlobalSettings.h"

struct PixelBuffer {
    int width = 0;
    int height = 0;
    std::vector<RgbColour> pixels;   // rows top down

    PixelBuffer(int w, int h, RgbColour colour = 0) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, colour) {}
    RgbColour at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // Fills x in [left, right), y in [top, bottom), clipped to the buffer.
    void fill(int left, int top, int right, int bottom, RgbColour colour);
    // A 1-pixel outline of the same rectangle.
    void outline(int left, int top, int right, int bottom, RgbColour colour);
};

// The two colours of all designer drawing.
struct DesignerColours {
    RgbColour set = 0;     // a set pixel, outlines, frames
    RgbColour clear = 0;   // a clear pixel, the insides
};
// Foreground white or green, background black or dark green; inverse swaps them.
DesignerColours designerColours(const GlobalSettings& settings);

// Overview area, magnifier grid and all 256 characters of the image (codes
// beyond its size show the store's zero bytes).
void drawOverview(PixelBuffer& buffer, const CharGenImage& image, DesignerColours colours);
// Magnifier grid, its cells from the edit buffer, and the preview.
void drawMagnifier(PixelBuffer& buffer, const GlyphRows& edit, DesignerColours colours);
void drawSelectionFrame(PixelBuffer& buffer, int code, DesignerColours colours);
// Everything the paint procedure shows; the frame unless painted for the photo.
void drawDesigner(PixelBuffer& buffer, const CharGenImage& image, const DesignerState& state, DesignerColours colours,
                  bool photo);
