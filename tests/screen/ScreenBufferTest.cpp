#include <gtest/gtest.h>

#include <string>

#include "screen/ScreenBuffer.h"

namespace {
std::string rowText(const ScreenBuffer& screen, int row) {
    std::string text;
    for (int column = 0; column < screen::columns; ++column) text += static_cast<char>(screen.at(column, row));
    return text.substr(0, text.find_last_not_of('\0') + 1);
}
}

TEST(ScreenBuffer, WritesWithTheMonitorsControlCodes) {
    struct Case {
        const char* what;
        int startColumn, startRow;
        std::string text;
        int column, row;
        int checkRow;
        std::string rowHolds;
    };
    const std::string line64(64, 'x');
    const Case cases[] = {
        {"64 characters wrap", 0, 5, line64, 0, 6, 5, line64},
        {"CR LF is one new line", 2, 5, "ab\r\ncd", 2, 6, 6, "cd"},
        {"line feed only returns", 0, 5, "abc\nX", 1, 5, 5, "Xbc"},
        {"backspace moves left, changes nothing", 0, 5, "abc\b\bZ", 2, 5, 5, "aZc"},
        {"backspace stays in column 0", 0, 5, "\b\bQ", 1, 5, 5, "Q"},
        {"tab moves right", 0, 5, "a\tb", 3, 5, 5, std::string("a\0b", 3)},
        {"form feed clears, the rest starts at 0,0", 7, 9, "ab\fcd", 2, 0, 0, "cd"},
        {"the text ends at its zero byte", 0, 5, std::string("ab\0cd", 5), 2, 5, 5, "ab"},
        {"carriage return in row 31 scrolls", 0, 31, "top\r", 0, 31, 30, "top"},
        {"tab in column 63 of row 31 scrolls", 63, 31, "\t", 0, 31, 31, ""},
    };
    for (const Case& c : cases) {
        ScreenBuffer screen;
        screen.at(0, 0) = 'F';   // the first row, lost by a scroll
        screen.column = c.startColumn;
        screen.row = c.startRow;
        screenWrite(screen, c.text);
        EXPECT_EQ(screen.column, c.column) << c.what;
        EXPECT_EQ(screen.row, c.row) << c.what;
        EXPECT_EQ(rowText(screen, c.checkRow), c.rowHolds) << c.what;
        if (c.startRow == 31) {
            EXPECT_EQ(rowText(screen, 31).size(), 0u) << c.what << ": the new last row is empty";
            EXPECT_EQ(rowText(screen, 0).substr(0, 1), "") << c.what << ": row 0 moved away";
        }
    }
}

TEST(ScreenBuffer, ResetShowsBannerAndPromptAndTheCursorBlinks) {
    ScreenBuffer screen;
    screen.cells.fill('#');
    screenReset(screen);
    EXPECT_EQ(rowText(screen, 0), "");
    EXPECT_EQ(rowText(screen, 1), "      BV 7   U 880 - MONITOR  V 3.1");
    EXPECT_EQ(rowText(screen, 2), "");
    EXPECT_EQ(rowText(screen, 3), " # ");
    EXPECT_EQ(screen.column, 3);
    EXPECT_EQ(screen.row, 3);
    EXPECT_TRUE(takeRepaintRequest(screen));
    EXPECT_FALSE(takeRepaintRequest(screen));

    // The mark and the character it covers take turns; a steady cursor stays a mark.
    screen.at(3, 3) = 'K';
    for (std::uint8_t expected : {'_', 'K', '_', 'K'}) {
        cursorBlinkStep(screen);
        EXPECT_EQ(screen.at(3, 3), expected);
    }
    screen.blinkOn = false;
    cursorBlinkStep(screen);
    cursorBlinkStep(screen);
    EXPECT_EQ(screen.at(3, 3), '_');
    // Writing over the shown mark leaves a blank behind, not the covered character.
    screenWrite(screen, "\t");
    EXPECT_EQ(screen.at(3, 3), ' ');
}
