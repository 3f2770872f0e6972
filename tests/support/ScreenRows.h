#pragma once
// A row of the screen as text, up to its last non-zero cell.
#include <string>

#include "screen/ScreenBuffer.h"

inline std::string rowText(const ScreenBuffer& screen, int row) {
    std::string text;
    for (int column = 0; column < screen::columns; ++column) text += static_cast<char>(screen.at(column, row));
    return text.substr(0, text.find_last_not_of('\0') + 1);
}
