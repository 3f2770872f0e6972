#include "screen/ScreenGeometry.h"

CellHit freehandCell(int x, int y) {
    using namespace screen;
    if (x < mouseLeft || x >= mouseRight || y < mouseTop || y >= mouseBottom) return {};
    return CellHit{true, (x - mouseLeft + cellWidth / 2) / cellWidth, (y - mouseTop + cellHeight / 2) / cellHeight};
}
