#pragma once
// Where the emulated screen lies in the main window's client area (pixels), for
// drawing it and for finding the cell under the mouse.
#include "screen/ScreenBuffer.h"

namespace screen {
// The screen rectangle, right and bottom exclusive.
constexpr int frameLeft = 20;
constexpr int frameTop = 20;
constexpr int frameRight = 788;
constexpr int frameBottom = 535;
constexpr int cellWidth = 12;
constexpr int cellHeight = 16;
// Top-left dot of cell (c, r): x = firstDotX + 12c, y = firstDotY + 16r.
constexpr int firstDotX = 20;
constexpr int firstDotY = 21;
// Freehand drawing: the mouse hits the screen inside this area (right and bottom
// exclusive); its top-left point addresses cell (0, 0), and a position addresses
// the cell whose point lies nearest, halves rounded up.
constexpr int mouseLeft = 23;
constexpr int mouseTop = 25;
constexpr int mouseRight = mouseLeft + cellWidth * (columns - 1) + cellWidth / 2;
constexpr int mouseBottom = 525;
}

// The cell a mouse position in the client area hits.
struct CellHit {
    bool hit = false;
    int column = 0;
    int row = 0;
};
CellHit freehandCell(int x, int y);
