#include <gtest/gtest.h>

#include "screen/ScreenDemos.h"
#include "tests/support/ScreenRows.h"

TEST(ScreenDemos, RandomPatternTakesOneDrawPerCell) {
    ParkMiller random;
    random.setSeed(2);
    ScreenBuffer screen;
    placeCursor(screen, 5, 0);
    fillCells(screen, '#');
    takeRepaintRequest(screen);
    showRandomPattern(screen, random);
    EXPECT_EQ(screen.cells()[0], 33614 % 256);
    EXPECT_EQ(screen.cells()[1], 564950498 % 256);
    // Every cell in memory order, row by row, takes the next draw.
    ParkMiller again;
    again.setSeed(2);
    for (int cell = 0; cell < screen::cellCount; ++cell)
        ASSERT_EQ(screen.cells()[cell], again.draw(256)) << "cell " << cell;
    EXPECT_EQ(random.state(), again.state()) << "one draw per cell, no more";
    EXPECT_EQ(screen.column(), 5);
    EXPECT_TRUE(takeRepaintRequest(screen));
}

TEST(ScreenDemos, GreetingProgramRunsItsThreeInstructions) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> program;
        std::vector<std::string> rows;   // the screen from row 0; every row below is empty
        int column, row;                 // the cursor afterwards
    };
    const Case cases[] = {
        {"print, no-op, back to the monitor", {0xDF, 0x0D, 'H', 'i', 0xA1, 0x00, 0xC3, 0xFD, 0x07}, {"", "Hi!", " # "}, 3, 2},
        {"an unknown byte stops", {0xDF, 'O', 0xCB, 0x76, 0xDF, 'X' | 0x80}, {"OK"}, 2, 0},
        {"a jump elsewhere stops without a prompt", {0xDF, 'J' | 0x80, 0xC3, 0x00, 0x10}, {"J"}, 1, 0},
        {"a text running off the end", {0xDF, 'a', 'b'}, {"ab"}, 2, 0},
    };
    for (const Case& c : cases) {
        ScreenBuffer screen;
        runGreetingProgram(screen, ByteView(c.program));
        for (int row = 0; row < screen::rows; ++row)
            EXPECT_EQ(rowText(screen, row), row < static_cast<int>(c.rows.size()) ? c.rows[row] : "") << c.what << ", row " << row;
        EXPECT_EQ(std::make_pair(screen.column(), screen.row()), std::make_pair(c.column, c.row)) << c.what;
    }
}

