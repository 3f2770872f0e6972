#include "screen/ScreenBuffer.h"

#include <algorithm>

namespace {
void lineAdvance(ScreenBuffer& screen) {
    if (++screen.row < screen::rows) return;
    std::copy(screen.cells.begin() + screen::columns, screen.cells.end(), screen.cells.begin());
    std::fill(screen.cells.end() - screen::columns, screen.cells.end(), 0);
    screen.row = screen::rows - 1;
}
}

ScreenBuffer& theScreen() {
    static ScreenBuffer screen;
    return screen;
}

void screenWrite(ScreenBuffer& screen, std::string_view text) {
    std::uint8_t& underCursor = screen.at(screen.column, screen.row);
    if (underCursor == screen::cursorMark) underCursor = ' ';
    for (char character : text) {
        auto code = static_cast<std::uint8_t>(character);
        switch (code) {
        case 0x00: return;
        case 0x08:
            // Backspace in column 0 stays there: the cursor never leaves its row backwards.
            if (screen.column > 0) --screen.column;
            break;
        case 0x09:
            if (++screen.column == screen::columns) {
                screen.column = 0;
                lineAdvance(screen);
            }
            break;
        case 0x0A: screen.column = 0; break;
        case 0x0D:
            screen.column = 0;
            lineAdvance(screen);
            break;
        case 0x0C:
            screen.cells.fill(0);
            screen.column = 0;
            screen.row = 0;
            break;
        default:
            screen.at(screen.column, screen.row) = code;
            if (++screen.column == screen::columns) {
                screen.column = 0;
                lineAdvance(screen);
            }
        }
    }
}

void screenClear(ScreenBuffer& screen) {
    screen.cells.fill(0);
    screen.column = 0;
    screen.row = 0;
    screen.repaintWanted = true;
}

void screenReset(ScreenBuffer& screen) {
    screenClear(screen);
    screenWrite(screen, screen::banner);
    screenWrite(screen, screen::prompt);
}

void cursorBlinkStep(ScreenBuffer& screen) {
    std::uint8_t& cell = screen.at(screen.column, screen.row);
    if (!screen.blinkOn) {
        cell = screen::cursorMark;
    } else if (cell != screen::cursorMark) {
        screen.savedCharacter = cell;
        cell = screen::cursorMark;
    } else {
        cell = screen.savedCharacter;
        screen.savedCharacter = screen::cursorMark;
    }
    screen.repaintWanted = true;
}

bool takeRepaintRequest(ScreenBuffer& screen) {
    bool wanted = screen.repaintWanted;
    screen.repaintWanted = false;
    return wanted;
}
