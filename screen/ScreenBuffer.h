#pragma once
// The BV7 text screen: 32 rows of 64 character codes with the cursor, and the
// text output with the control codes of the BV7 monitor. The blinking cursor
// mark "_" lives in the cells themselves.
#include <array>
#include <cstdint>
#include <string_view>

namespace screen {
constexpr int columns = 64;
constexpr int rows = 32;
constexpr int cellCount = columns * rows;
constexpr std::uint8_t cursorMark = '_';
constexpr const char* banner = "\f\r      BV 7   U 880 - MONITOR  V 3.1\r";
constexpr const char* prompt = "\r # ";
}

struct ScreenBuffer {
    std::array<std::uint8_t, screen::cellCount> cells{};   // row by row, row 0 at the top
    int column = 0;                                        // 0..63, where the next character goes
    int row = 0;                                           // 0..31
    std::uint8_t savedCharacter = screen::cursorMark;      // what the blinking mark hides
    bool blinkOn = true;                                   // false: the cursor is shown steadily
    bool repaintWanted = false;                            // set by every change, taken by the view

    std::uint8_t& at(int cellColumn, int cellRow) { return cells[cellRow * screen::columns + cellColumn]; }
    std::uint8_t at(int cellColumn, int cellRow) const { return cells[cellRow * screen::columns + cellColumn]; }
};

// The one screen of the program; its cells keep their content outside screen mode.
ScreenBuffer& theScreen();

// Writes `text` at the cursor, up to its first zero byte: backspace, tab, line
// feed (column 0), carriage return (column 0 and a new row), form feed (clear)
// and every other byte as a character; row 32 scrolls the screen up by one.
// A cursor mark at the cursor becomes a blank first. Does not repaint by itself.
void screenWrite(ScreenBuffer& screen, std::string_view text);

// All cells 0, cursor (0, 0); a repaint is requested.
void screenClear(ScreenBuffer& screen);

// Cleared, then the monitor banner and the prompt: the cursor stands in row 3, column 3.
void screenReset(ScreenBuffer& screen);

// One tick of the cursor timer: the mark and the character it hides take turns
// (blink on), or the mark is shown steadily (blink off).
void cursorBlinkStep(ScreenBuffer& screen);

// True once after any change that wants the screen drawn again.
bool takeRepaintRequest(ScreenBuffer& screen);
