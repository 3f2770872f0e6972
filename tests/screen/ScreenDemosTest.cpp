#include <gtest/gtest.h>

#include "screen/ScreenDemos.h"
#include "screen/ScreenFiles.h"
#include "support/RecordingInterface.h"
#include "support/TestFiles.h"
#include "tests/support/ScreenRows.h"


TEST(ScreenDemos, ParkMillerFollowsTheMinimalStandard) {
    ParkMiller generator;
    generator.setSeed(1);
    EXPECT_EQ(generator.next(), 16807u);
    EXPECT_EQ(generator.next(), 282475249u);
    EXPECT_EQ(generator.next(), 1622650073u);
    // The published check value: seed 1 gives 1043618065 after 10000 steps.
    generator.setSeed(1);
    for (int i = 0; i < 10000; ++i) generator.next();
    EXPECT_EQ(generator.state(), 1043618065u);

    // Counter 7: seed (7 >> 2) + 1 = 2. Each draw is the next seed mod n, worked out
    // by hand: 2 * 16807 = 33614, 33614 * 16807 = 564950498, ... (all mod 2^31 - 1).
    generator.seedFromCounter(0xFFFFFFFF00000007ull);
    EXPECT_EQ(generator.state(), 2u);
    struct Draw {
        std::uint32_t range, value, seed;
    } draws[] = {{64, 14, 33614}, {64, 34, 564950498}, {10, 9, 1097816499}, {1000, 316, 1969887316}};
    for (const Draw& d : draws) {
        EXPECT_EQ(generator.draw(d.range), d.value);
        EXPECT_EQ(generator.state(), d.seed);
    }
    // The largest seed: 16807 * (2^31 - 2) = -16807 (mod 2^31 - 1), i.e. 2147466840, and 40 short of a multiple of 64.
    generator.setSeed(2147483646);
    EXPECT_EQ(generator.draw(64), 24u);
    EXPECT_EQ(generator.state(), 2147466840u);
}

TEST(ScreenDemos, RandomPatternTakesOneDrawPerCell) {
    ParkMiller random;
    random.setSeed(2);
    ScreenBuffer screen;
    screen.column = 5;
    screen.cells.fill('#');
    showRandomPattern(screen, random);
    EXPECT_EQ(screen.cells[0], 33614 % 256);
    EXPECT_EQ(screen.cells[1], 564950498 % 256);
    // Every cell in memory order, row by row, takes the next draw.
    ParkMiller again;
    again.setSeed(2);
    for (int cell = 0; cell < screen::cellCount; ++cell)
        ASSERT_EQ(screen.cells[cell], again.draw(256)) << "cell " << cell;
    EXPECT_EQ(random.state(), again.state()) << "one draw per cell, no more";
    EXPECT_EQ(screen.column, 5);
    EXPECT_TRUE(screen.repaintWanted);
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
        EXPECT_EQ(std::make_pair(screen.column, screen.row), std::make_pair(c.column, c.row)) << c.what;
    }
}

TEST(ScreenDemos, MouseHitsCellsAsMulDivRounds) {
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

TEST(ScreenDemos, PhotoTakesTheFirstFreeNumber) {
    std::string dir = freshTestDir("photos");
    writeFile(dir + "\\BS_Foto2.bmp", {1});
    EXPECT_EQ(nextPhotoPath(dir), dir + "\\BS_Foto1.bmp");
    writeFile(dir + "\\BS_Foto1.bmp", {1});
    EXPECT_EQ(nextPhotoPath(dir), dir + "\\BS_Foto3.bmp");
}

TEST(ScreenFiles, SavesAndLoadsExactlyTheCells) {
    std::string dir = freshTestDir("screenfiles");
    RecordingInterface seam;
    ScreenBuffer screen;
    screenReset(screen);
    seam.chosenFiles = {dir + "bild"};
    ASSERT_TRUE(saveScreenFile(screen, nullptr));
    EXPECT_EQ(readFile(dir + "bild.bsk"), std::vector<std::uint8_t>(screen.cells.begin(), screen.cells.end()));
    EXPECT_EQ(seam.statuses.back(), std::make_pair(0, dir + "bild.bsk"));

    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        bool loads;
    };
    const Case cases[] = {
        {"2048 bytes", std::vector<std::uint8_t>(2048, 'Z'), true},
        {"2047 bytes", std::vector<std::uint8_t>(2047, 'Y'), false},
        {"2049 bytes", std::vector<std::uint8_t>(2049, 'Y'), false},
        {"empty", {}, false},
    };
    for (const Case& c : cases) {
        ScreenBuffer loaded;
        loaded.column = 9;
        writeFile(dir + "in.bsk", c.file);
        seam.messages.clear();
        seam.chosenFiles = {dir + "in.bsk"};
        EXPECT_EQ(loadScreenFile(loaded, nullptr), c.loads) << c.what;
        EXPECT_EQ(loaded.cells[100], c.loads ? 'Z' : 0) << c.what;
        EXPECT_EQ(loaded.column, 9) << c.what;
        EXPECT_EQ(seam.messages.size(), c.loads ? 0u : 1u) << c.what;
    }
    EXPECT_EQ(seam.messages.back().text, "Kann Bildschirmdatei nicht öffnen.");

    // A screen that cannot be written is reported, not passed over, and its name is not shown.
    seam.messages.clear();
    seam.statuses.clear();
    seam.chosenFiles = {dir + "fehlt/bild.BSK"};
    EXPECT_FALSE(saveScreenFile(screen, nullptr));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Bildschirmdatei konnte nicht geschrieben werden.");
    EXPECT_TRUE(seam.statuses.empty());
}
