#pragma once
// The designer's client area in pixels, origin top left: the one description
// of its layout, read by the renderer that draws it and by the hit test that
// tells where a click lands. Rectangles exclude their right and bottom edge.

namespace designer {
struct Area {
    int left, top, right, bottom;
    constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
struct Point {
    int x, y;
};

// Overview characters and magnifier cells lie one pitch apart.
constexpr int pitch = 20;
constexpr int overviewColumns = 16;
constexpr int overviewRows = 16;

// The overview: a box around 16 x 16 characters, character c in column
// c mod 16 and row c div 16. A pixel is a 2 x 2 dot, the first one inset by
// 2 from the character's left edge.
constexpr Area overviewArea{55, 40, 385, 370};
constexpr Point overviewOrigin{60, 50};   // top left of character 0
constexpr int dotSize = 2;
constexpr int dotInset = 2;
// A click counts from the box's left and top edge to x 382 and y 378, eight
// pixels below the box; it lands on the nearest character.
constexpr Area overviewClicks{55, 40, 383, 379};

// The magnifier: 6 x 8 boxes of 21 pixels, neighbours sharing their outline;
// the inside of a box is its cell. Beside it the preview, 2 x 2 dots.
constexpr Point gridOrigin{449, 39};
constexpr int gridBox = 21;
constexpr Area gridArea{449, 39, 570, 200};
constexpr Point previewOrigin{410, 50};
constexpr Area previewArea{410, 50, 422, 66};
// A click counts from x 451 to 568 and y 40 to 199. Columns are counted from
// the cells' left edge, rows from two pixels above their top edge, so y 198
// and 199 fall in row 8, which edits nothing.
constexpr Area magnifierClicks{451, 40, 569, 200};
constexpr Point clickCellOrigin{gridOrigin.x + 1, gridOrigin.y - 1};

// Repainted after an edit: magnifier, preview and the HEX field between them.
constexpr Area magnifierRegion{390, 39, 570, 200};
// The BMP photo: column and row heads and the overview.
constexpr Area photoArea{0, 0, 390, 375};
constexpr int canvasWidth = 570;
constexpr int canvasHeight = 375;

constexpr Point characterOrigin(int code) {
    return {overviewOrigin.x + pitch * (code % overviewColumns), overviewOrigin.y + pitch * (code / overviewColumns)};
}
// Pixel (column, row) of character `code` in the overview.
constexpr Area overviewDot(int code, int column, int row) {
    Point origin = characterOrigin(code);
    int x = origin.x + dotInset + dotSize * column, y = origin.y + dotSize * row;
    return {x, y, x + dotSize, y + dotSize};
}
// The 1-pixel frame around the current character.
constexpr Area selectionFrame(int code) {
    Point origin = characterOrigin(code);
    return {origin.x - 2, origin.y - 3, origin.x + 19, origin.y + 18};
}
constexpr Area gridBoxAt(int column, int row) {
    int x = gridOrigin.x + pitch * column, y = gridOrigin.y + pitch * row;
    return {x, y, x + gridBox, y + gridBox};
}
constexpr Area magnifierCell(int column, int row) {
    Area box = gridBoxAt(column, row);
    return {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
}
// Where the preview takes the colour of a cell from: a pixel well inside it.
constexpr Point cellSample(int column, int row) {
    Area cell = magnifierCell(column, row);
    return {cell.left + 10, cell.top + 10};
}
constexpr Area previewDot(int column, int row) {
    int x = previewOrigin.x + dotSize * column, y = previewOrigin.y + dotSize * row;
    return {x, y, x + dotSize, y + dotSize};
}
}
