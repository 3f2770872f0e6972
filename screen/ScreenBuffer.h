#pragma once
// The BV7 text screen: 32 rows of 64 character codes with the cursor, and the
// text output with the control codes of the BV7 monitor. The blinking cursor
// mark "_" lives in the cells themselves.
#include <array>
#include <cstdint>
#include <string_view>

#include "shell/ByteReader.h"

namespace screen {
constexpr int columns = 64;
constexpr int rows = 32;
constexpr int cellCount = columns * rows;
constexpr std::uint8_t cursorMark = '_';
constexpr const char* banner = "\f\r      BV 7   U 880 - MONITOR  V 3.1\r";
constexpr const char* prompt = "\r # ";
}

// The cells and the cursor are read here and changed only by the operations
// below; each operation that changes what the screen shows requests its repaint.
class ScreenBuffer {
  public:
    using Cells = std::array<std::uint8_t, screen::cellCount>;

    const Cells& cells() const { return cells_; }   // row by row, row 0 at the top
    std::uint8_t at(int cellColumn, int cellRow) const { return cells_[cellRow * screen::columns + cellColumn]; }
    int column() const { return column_; }           // 0..63, where the next character goes
    int row() const { return row_; }                 // 0..31
    bool blinkOn() const { return blinkOn_; }        // false: the cursor is shown steadily

  private:
    std::uint8_t& cell(int cellColumn, int cellRow) { return cells_[cellRow * screen::columns + cellColumn]; }
    void lineAdvance();

    Cells cells_{};
    int column_ = 0;
    int row_ = 0;
    std::uint8_t savedCharacter_ = screen::cursorMark;   // what the blinking mark hides
    bool blinkOn_ = true;
    bool repaintWanted_ = false;                         // set by every change, taken by the view

    friend void screenWrite(ScreenBuffer& screen, std::string_view text);
    friend void screenClear(ScreenBuffer& screen);
    friend void screenLoadCells(ScreenBuffer& screen, ByteView bytes);
    friend void screenPutCell(ScreenBuffer& screen, int cellColumn, int cellRow, std::uint8_t code);
    friend void startCursorBlink(ScreenBuffer& screen);
    friend void setCursorBlink(ScreenBuffer& screen, bool on);
    friend void cursorBlinkStep(ScreenBuffer& screen);
    friend bool takeRepaintRequest(ScreenBuffer& screen);
};

// The one screen of the program; its cells keep their content outside screen mode.
ScreenBuffer& theScreen();

// Writes `text` at the cursor, up to its first zero byte: backspace, tab, line
// feed (column 0), carriage return (column 0 and a new row), form feed (clear)
// and every other byte as a character; row 32 scrolls the screen up by one.
// A cursor mark at the cursor becomes a blank first. Requests a repaint; the
// drawing itself waits for the view's next paint.
void screenWrite(ScreenBuffer& screen, std::string_view text);

// All cells 0, cursor (0, 0); a repaint is requested.
void screenClear(ScreenBuffer& screen);

// Cleared, then the monitor banner and the prompt: the cursor stands in row 3, column 3.
void screenReset(ScreenBuffer& screen);

// The cells from the first on take `bytes` in memory order, as far as they
// reach (at most all 2048); the rest keep theirs and the cursor stays. A repaint is requested.
void screenLoadCells(ScreenBuffer& screen, ByteView bytes);

// One cell takes `code` (column 0..63, row 0..31); the cursor stays. A repaint is requested.
void screenPutCell(ScreenBuffer& screen, int cellColumn, int cellRow, std::uint8_t code);

// On entry into screen mode: the cursor blinks and its mark hides nothing.
void startCursorBlink(ScreenBuffer& screen);

// Blinking (on) or a steady mark (off, while a photo is taken); the cells change at the next tick.
void setCursorBlink(ScreenBuffer& screen, bool on);

// One tick of the cursor timer: the mark and the character it hides take turns
// (blink on), or the mark is shown steadily (blink off). A repaint is requested.
void cursorBlinkStep(ScreenBuffer& screen);

// True once after any change that wants the screen drawn again.
bool takeRepaintRequest(ScreenBuffer& screen);
