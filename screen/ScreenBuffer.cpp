#include "screen/ScreenBuffer.h"

#include <algorithm>

void ScreenBuffer::lineAdvance() {
    if (++row_ < screen::rows) return;
    std::copy(cells_.begin() + screen::columns, cells_.end(), cells_.begin());
    std::fill(cells_.end() - screen::columns, cells_.end(), 0);
    row_ = screen::rows - 1;
}

ScreenBuffer& theScreen() {
    static ScreenBuffer screen;
    return screen;
}

void screenWrite(ScreenBuffer& screen, std::string_view text) {
    std::uint8_t& underCursor = screen.cell(screen.column_, screen.row_);
    if (underCursor == screen::cursorMark) underCursor = ' ';
    screen.repaintWanted_ = true;
    for (char character : text) {
        auto code = static_cast<std::uint8_t>(character);
        switch (code) {
        case 0x00: return;
        case 0x08:
            // Backspace in column 0 stays there: the cursor never leaves its row backwards.
            if (screen.column_ > 0) --screen.column_;
            break;
        case 0x09:
            if (++screen.column_ == screen::columns) {
                screen.column_ = 0;
                screen.lineAdvance();
            }
            break;
        case 0x0A: screen.column_ = 0; break;
        case 0x0D:
            screen.column_ = 0;
            screen.lineAdvance();
            break;
        case 0x0C:
            screen.cells_.fill(0);
            screen.column_ = 0;
            screen.row_ = 0;
            break;
        default:
            screen.cell(screen.column_, screen.row_) = code;
            if (++screen.column_ == screen::columns) {
                screen.column_ = 0;
                screen.lineAdvance();
            }
        }
    }
}

void screenClear(ScreenBuffer& screen) {
    screen.cells_.fill(0);
    screen.column_ = 0;
    screen.row_ = 0;
    screen.repaintWanted_ = true;
}

void screenReset(ScreenBuffer& screen) {
    screenClear(screen);
    screenWrite(screen, screen::banner);
    screenWrite(screen, screen::prompt);
}

void screenLoadCells(ScreenBuffer& screen, ByteView bytes) {
    if (bytes.size > 0) std::copy_n(bytes.data, std::min<std::size_t>(bytes.size, screen.cells_.size()), screen.cells_.begin());
    screen.repaintWanted_ = true;
}

void screenPutCell(ScreenBuffer& screen, int cellColumn, int cellRow, std::uint8_t code) {
    if (cellColumn < 0 || cellColumn >= screen::columns || cellRow < 0 || cellRow >= screen::rows) return;
    screen.cell(cellColumn, cellRow) = code;
    screen.repaintWanted_ = true;
}

void startCursorBlink(ScreenBuffer& screen) {
    screen.blinkOn_ = true;
    screen.savedCharacter_ = screen::cursorMark;
}

void setCursorBlink(ScreenBuffer& screen, bool on) { screen.blinkOn_ = on; }

void cursorBlinkStep(ScreenBuffer& screen) {
    std::uint8_t& cell = screen.cell(screen.column_, screen.row_);
    if (!screen.blinkOn_) {
        cell = screen::cursorMark;
    } else if (cell != screen::cursorMark) {
        screen.savedCharacter_ = cell;
        cell = screen::cursorMark;
    } else {
        cell = screen.savedCharacter_;
        screen.savedCharacter_ = screen::cursorMark;
    }
    screen.repaintWanted_ = true;
}

bool takeRepaintRequest(ScreenBuffer& screen) {
    bool wanted = screen.repaintWanted_;
    screen.repaintWanted_ = false;
    return wanted;
}
