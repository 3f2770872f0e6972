#include <gtest/gtest.h>

#include "screen/ScreenRenderer.h"

TEST(ScreenRenderer, DrawsTheFrameAndTwoByTwoDotsWhereTheCellsSay) {
    CharGenImage image;
    image.store['A' * 8 + 0] = 0x01;   // top row, leftmost dot
    image.store['A' * 8 + 7] = 0xE0;   // bits 5, 6, 7: only the rightmost dot is drawn
    image.store[0xFF * 8 + 3] = 0x3F;  // a full 12-pixel band
    ScreenBuffer screen;
    screenPutCell(screen, 0, 0, 'A');
    screenPutCell(screen, 63, 31, 'A');
    screenPutCell(screen, 10, 4, 0xFF);

    const RgbColour ink = rgbColour(0, 255, 0), paper = rgbColour(0, 64, 0), outside = rgbColour(1, 2, 3);
    struct Case {
        const char* what;
        int x, y;
        RgbColour colour;
    };
    const Case cases[] = {
        {"outside the frame", 19, 19, outside},
        {"frame outline, top left", 20, 20, ink},
        {"frame outline, bottom right", 787, 534, ink},
        {"beyond the frame", 788, 534, outside},
        {"ground", 23, 22, paper},
        {"dot of cell 0,0 bit 0 row 0", 20, 21, ink},
        {"its fourth pixel: a dot is 2 x 2", 21, 22, ink},
        {"next dot of row 0 is clear", 22, 21, paper},
        {"bit 5 of row 7", 20 + 10, 21 + 14, ink},
        {"bit 6 is never drawn", 20 + 12, 21 + 14, paper},
        {"last cell, row 7 bit 5", 20 + 12 * 63 + 10 + 1, 21 + 16 * 31 + 14 + 1, ink},
        {"band of 0x3F, left end", 20 + 120, 21 + 64 + 6, ink},
        {"band of 0x3F, right end", 20 + 120 + 11, 21 + 64 + 7, ink},
        {"right of the band", 20 + 120 + 12, 21 + 64 + 6, paper},
    };
    PixelBuffer buffer(800, 540, outside);
    renderScreen(buffer, screen, image, ScreenColours{ink, paper});
    for (const Case& c : cases) EXPECT_EQ(buffer.at(c.x, c.y), c.colour) << c.what;

    GlobalSettings settings;
    settings.inkColour = ink;
    settings.paperColour = paper;
    settings.inverse = 1;
    ScreenColours inverse = screenColours(settings);
    EXPECT_EQ(inverse.ink, paper);
    EXPECT_EQ(inverse.paper, ink);
}

TEST(ScreenGeometry, MouseHitsCellsAsMulDivRounds) {
    struct Case {
        int x, y;
        bool hit;
        int column, row;
    };
    const Case cases[] = {{23, 25, true, 0, 0},   {28, 32, true, 0, 0},    {29, 33, true, 1, 1},
                          {784, 524, true, 63, 31}, {785, 100, false, 0, 0}, {22, 100, false, 0, 0},
                          {100, 24, false, 0, 0},   {100, 525, false, 0, 0}};
    for (const Case& c : cases) {
        CellHit hit = freehandCell(c.x, c.y);
        EXPECT_EQ(hit.hit, c.hit) << c.x << "," << c.y;
        if (c.hit) {
            EXPECT_EQ(std::make_pair(hit.column, hit.row), std::make_pair(c.column, c.row)) << c.x << "," << c.y;
        }
    }
}
