#include "chargen/GlyphRenderer.h"

#include <algorithm>

void PixelBuffer::fill(int left, int top, int right, int bottom, RgbColour colour) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width);
    bottom = std::min(bottom, height);
    for (int y = top; y < bottom; ++y)
        std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + left, std::max(right - left, 0), colour);
}

void PixelBuffer::outline(int left, int top, int right, int bottom, RgbColour colour) {
    fill(left, top, right, top + 1, colour);
    fill(left, bottom - 1, right, bottom, colour);
    fill(left, top, left + 1, bottom, colour);
    fill(right - 1, top, right, bottom, colour);
}

DesignerColours designerColours(const GlobalSettings& settings) {
    RgbColour foreground = settings.colourScheme == 1 ? rgbColour(0, 255, 0) : rgbColour(255, 255, 255);
    RgbColour background = settings.colourScheme == 1 ? rgbColour(0, 64, 0) : rgbColour(0, 0, 0);
    if (settings.inverse) return {background, foreground};
    return {foreground, background};
}

namespace {
// A rectangle outlined in the set colour and filled with the clear colour.
void box(PixelBuffer& buffer, int left, int top, int right, int bottom, DesignerColours colours) {
    buffer.fill(left, top, right, bottom, colours.clear);
    buffer.outline(left, top, right, bottom, colours.set);
}

void drawGrid(PixelBuffer& buffer, DesignerColours colours) {
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 6; ++k) box(buffer, 449 + 20 * k, 39 + 20 * i, 470 + 20 * k, 60 + 20 * i, colours);
}
}

void drawOverview(PixelBuffer& buffer, const CharGenImage& image, DesignerColours colours) {
    box(buffer, 55, 40, 385, 370, colours);
    for (int code = 0; code < 256; ++code) {
        int x0 = 60 + 20 * (code % 16);
        int y0 = 50 + 20 * (code / 16);
        const std::uint8_t* rows = image.character(code);
        for (int i = 0; i < 8; ++i)
            for (int k = 0; k < 6; ++k)
                if (rows[i] >> k & 1) buffer.fill(x0 + 2 + 2 * k, y0 + 2 * i, x0 + 4 + 2 * k, y0 + 2 + 2 * i, colours.set);
    }
}

void drawMagnifier(PixelBuffer& buffer, const GlyphRows& edit, DesignerColours colours) {
    drawGrid(buffer, colours);
    for (int i = 0; i < 8; ++i)
        for (int k = 0; k < 6; ++k) {
            int x = 450 + 20 * k, y = 40 + 20 * i;
            if (edit[i] >> k & 1) buffer.fill(x, y, x + 19, y + 19, colours.set);
            // The preview takes the colour shown inside the cell.
            RgbColour shown = buffer.at(460 + 20 * k, 50 + 20 * i);
            buffer.fill(410 + 2 * k, 50 + 2 * i, 412 + 2 * k, 52 + 2 * i, shown);
        }
}

void drawSelectionFrame(PixelBuffer& buffer, int code, DesignerColours colours) {
    int column = code % 16, row = code / 16;
    buffer.outline(58 + 20 * column, 47 + 20 * row, 79 + 20 * column, 68 + 20 * row, colours.set);
}

void drawDesigner(PixelBuffer& buffer, const CharGenImage& image, const DesignerState& state, DesignerColours colours) {
    if (image.size == 0) return;
    drawOverview(buffer, image, colours);
    drawMagnifier(buffer, state.edit, colours);
    if (state.photo != 1) drawSelectionFrame(buffer, state.currentCode, colours);
}
