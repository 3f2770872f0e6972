#include "screen/ScreenRenderer.h"

ScreenColours screenColours(const GlobalSettings& settings) {
    if (settings.inverse == 1) return ScreenColours{settings.paperColour, settings.inkColour};
    return ScreenColours{settings.inkColour, settings.paperColour};
}

void renderScreen(PixelBuffer& buffer, const ScreenBuffer& screen, const CharGenImage& image, ScreenColours colours) {
    using namespace screen;
    buffer.fill(frameLeft, frameTop, frameRight, frameBottom, colours.paper);
    buffer.outline(frameLeft, frameTop, frameRight, frameBottom, colours.ink);
    if (buffer.width < frameRight || buffer.height < frameBottom) return;
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const std::uint8_t* glyph = image.character(screen.at(column, row));
            RgbColour* cellTop = buffer.pixels.data() + static_cast<std::size_t>(firstDotY + cellHeight * row) * buffer.width +
                                 firstDotX + cellWidth * column;
            for (int line = 0; line < chargen::characterRows; ++line) {
                unsigned bits = glyph[line] & 0x3F;   // bits 6 and 7 are never drawn
                RgbColour* top = cellTop + static_cast<std::size_t>(2 * line) * buffer.width;
                RgbColour* bottom = top + buffer.width;
                for (int bit = 0; bits != 0; ++bit, bits >>= 1) {
                    if (!(bits & 1)) continue;
                    top[2 * bit] = top[2 * bit + 1] = colours.ink;
                    bottom[2 * bit] = bottom[2 * bit + 1] = colours.ink;
                }
            }
        }
    }
}
