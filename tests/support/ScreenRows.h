#pragma once
// A row of the screen as text, up to its last non-zero cell; and the set-ups
// the screen tests share, made through the screen's own operations.
#include <string>
#include <vector>

#include "screen/ScreenBuffer.h"

inline std::string rowText(const ScreenBuffer& screen, int row) {
    std::string text;
    for (int column = 0; column < screen::columns; ++column) text += static_cast<char>(screen.at(column, row));
    return text.substr(0, text.find_last_not_of('\0') + 1);
}

inline void fillCells(ScreenBuffer& screen, std::uint8_t code) {
    const std::vector<std::uint8_t> cells(screen::cellCount, code);
    screenLoadCells(screen, ByteView(cells));
}

// Moves the cursor from (0, 0) to (column, row) with carriage returns and tabs: no cell changes.
inline void placeCursor(ScreenBuffer& screen, int column, int row) {
    screenWrite(screen, std::string(row, '\r') + std::string(column, '\t'));
}
