#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "screen/ScreenBuffer.h"
#include "tests/support/ScreenRows.h"


TEST(ScreenBuffer, WritesWithTheMonitorsControlCodes) {
    struct Case {
        const char* what;
        int startColumn, startRow;
        std::string text;
        int column, row;
        int checkRow;
        std::string rowHolds;
        long cellsInUse;   // non-zero cells on the whole screen afterwards, the "F" of row 0 included
    };
    const std::string line64(64, 'x');
    const Case cases[] = {
        {"64 characters wrap", 0, 5, line64, 0, 6, 5, line64, 65},
        {"CR LF is one new line", 2, 5, "ab\r\ncd", 2, 6, 6, "cd", 5},
        {"line feed only returns", 0, 5, "abc\nX", 1, 5, 5, "Xbc", 4},
        {"backspace moves left, changes nothing", 0, 5, "abc\b\bZ", 2, 5, 5, "aZc", 4},
        {"backspace stays in column 0", 0, 5, "\b\bQ", 1, 5, 5, "Q", 2},
        {"tab moves right", 0, 5, "a\tb", 3, 5, 5, std::string("a\0b", 3), 3},
        {"form feed clears, the rest starts at 0,0", 7, 9, "ab\fcd", 2, 0, 0, "cd", 2},
        {"the text ends at its zero byte", 0, 5, std::string("ab\0cd", 5), 2, 5, 5, "ab", 3},
        {"carriage return in row 31 scrolls", 0, 31, "top\r", 0, 31, 30, "top", 3},
        {"tab in column 63 of row 31 scrolls", 63, 31, "\t", 0, 31, 31, "", 0},
    };
    for (const Case& c : cases) {
        ScreenBuffer screen;
        screenWrite(screen, "F\n");   // the first row, lost by a scroll
        placeCursor(screen, c.startColumn, c.startRow);
        screenWrite(screen, c.text);
        EXPECT_EQ(screen.column(), c.column) << c.what;
        EXPECT_EQ(screen.row(), c.row) << c.what;
        EXPECT_EQ(rowText(screen, c.checkRow), c.rowHolds) << c.what;
        EXPECT_EQ(std::count_if(screen.cells().begin(), screen.cells().end(), [](std::uint8_t cell) { return cell != 0; }),
                  c.cellsInUse)
            << c.what;
        if (c.startRow == 31) {
            EXPECT_EQ(rowText(screen, 31).size(), 0u) << c.what << ": the new last row is empty";
            EXPECT_EQ(rowText(screen, 0).substr(0, 1), "") << c.what << ": row 0 moved away";
        }
    }
}

TEST(ScreenBuffer, ResetShowsBannerAndPromptAndTheCursorBlinks) {
    ScreenBuffer screen;
    fillCells(screen, '#');
    screenReset(screen);
    EXPECT_EQ(rowText(screen, 0), "");
    EXPECT_EQ(rowText(screen, 1), "      BV 7   U 880 - MONITOR  V 3.1");
    EXPECT_EQ(rowText(screen, 2), "");
    EXPECT_EQ(rowText(screen, 3), " # ");
    EXPECT_EQ(screen.column(), 3);
    EXPECT_EQ(screen.row(), 3);
    EXPECT_TRUE(takeRepaintRequest(screen));
    EXPECT_FALSE(takeRepaintRequest(screen));

    // The mark and the character it covers take turns; a steady cursor stays a mark.
    screenWrite(screen, "K\b");
    for (std::uint8_t expected : {'_', 'K', '_', 'K'}) {
        cursorBlinkStep(screen);
        EXPECT_EQ(screen.at(3, 3), expected);
    }
    setCursorBlink(screen, false);
    cursorBlinkStep(screen);
    cursorBlinkStep(screen);
    EXPECT_EQ(screen.at(3, 3), '_');
    // Writing over the shown mark leaves a blank behind, not the covered character.
    screenWrite(screen, "\t");
    EXPECT_EQ(screen.at(3, 3), ' ');
}

TEST(ScreenBuffer, EveryChangeRequestsItsRepaint) {
    struct Case {
        const char* what;
        std::function<void(ScreenBuffer&)> change;
        int row;
        std::string rowStart;   // the first three cells of `row` afterwards
    };
    const Case cases[] = {
        {"write", [](ScreenBuffer& s) { screenWrite(s, "\tZ"); }, 0, "#Z#"},
        {"clear", screenClear, 0, ""},
        {"reset", screenReset, 3, " # "},
        {"cells loaded as far as the bytes reach",
         [](ScreenBuffer& s) {
             const std::uint8_t bytes[] = {'a', 'b'};
             screenLoadCells(s, ByteView(bytes, 2));
         },
         0, "ab#"},
        {"one cell put", [](ScreenBuffer& s) { screenPutCell(s, 1, 5, '*'); }, 5, "#*#"},
        {"a blink step", cursorBlinkStep, 0, "_##"},
    };
    for (const Case& c : cases) {
        ScreenBuffer screen;
        fillCells(screen, '#');
        takeRepaintRequest(screen);
        c.change(screen);
        EXPECT_TRUE(takeRepaintRequest(screen)) << c.what;
        EXPECT_EQ(rowText(screen, c.row).substr(0, 3), c.rowStart) << c.what;
    }
}
