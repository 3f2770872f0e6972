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
using designer::Area;

void fill(PixelBuffer& buffer, Area area, RgbColour colour) {
    buffer.fill(area.left, area.top, area.right, area.bottom, colour);
}

// A rectangle outlined in the set colour and filled with the clear colour.
void box(PixelBuffer& buffer, Area area, DesignerColours colours) {
    fill(buffer, area, colours.clear);
    buffer.outline(area.left, area.top, area.right, area.bottom, colours.set);
}

void drawGrid(PixelBuffer& buffer, DesignerColours colours) {
    for (int i = 0; i < chargen::characterRows; ++i)
        for (int k = 0; k < chargen::characterColumns; ++k) box(buffer, designer::gridBoxAt(k, i), colours);
}
}

void drawOverview(PixelBuffer& buffer, const CharGenImage& image, DesignerColours colours) {
    box(buffer, designer::overviewArea, colours);
    for (int code = 0; code < designer::overviewColumns * designer::overviewRows; ++code) {
        const std::uint8_t* rows = image.character(code);
        for (int i = 0; i < chargen::characterRows; ++i)
            for (int k = 0; k < chargen::characterColumns; ++k)
                if (rows[i] >> k & 1) fill(buffer, designer::overviewDot(code, k, i), colours.set);
    }
}

void drawMagnifier(PixelBuffer& buffer, const GlyphRows& edit, DesignerColours colours) {
    drawGrid(buffer, colours);
    for (int i = 0; i < chargen::characterRows; ++i)
        for (int k = 0; k < chargen::characterColumns; ++k) {
            if (edit[i] >> k & 1) fill(buffer, designer::magnifierCell(k, i), colours.set);
            // The preview takes the colour shown inside the cell.
            designer::Point sample = designer::cellSample(k, i);
            fill(buffer, designer::previewDot(k, i), buffer.at(sample.x, sample.y));
        }
}

void drawSelectionFrame(PixelBuffer& buffer, int code, DesignerColours colours) {
    Area frame = designer::selectionFrame(code);
    buffer.outline(frame.left, frame.top, frame.right, frame.bottom, colours.set);
}

void drawDesigner(PixelBuffer& buffer, const CharGenImage& image, const DesignerState& state, DesignerColours colours,
                  bool photo) {
    if (image.size == 0) return;
    drawOverview(buffer, image, colours);
    drawMagnifier(buffer, state.edit, colours);
    if (!photo) drawSelectionFrame(buffer, state.currentCode, colours);
}
