#include <gtest/gtest.h>

#include <string>

#include "screen/MonitorLine.h"
#include "support/RecordingInterface.h"

namespace {
std::string rowText(const ScreenBuffer& screen, int row) {
    std::string text;
    for (int column = 0; column < screen::columns; ++column) text += static_cast<char>(screen.at(column, row));
    return text.substr(0, text.find_last_not_of('\0') + 1);
}

// Types `keys` (as the keyboard gives them: small letters unshifted) behind a fresh prompt, then Enter.
void typeLine(ScreenBuffer& screen, const std::string& keys) {
    for (char key : keys) typeCharacter(screen, static_cast<std::uint8_t>(key));
    executeLine(screen);
}
}

TEST(MonitorLine, AnswersEachCommandLine) {
    struct Case {
        const char* keys;
        const char* answerRow;     // the row below the command
        const char* status;        // the last status text, "" for none
        int errorBoxes;
    };
    const Case cases[] = {
        {"a 1000 2000 10", "DSPL --   SUM 3000   DIF F000   DEC 4096", "Kommando: --A 1000 2000 10--", 0},
        {"a 1000 1010 2", "DSPL 0E   SUM 2010   DIF FFF0   DEC 4096", "Kommando: --A 1000 1010 2--", 0},
        {"a", "DSPL 00   SUM 0000   DIF 0000   DEC 0", "Kommando: --A--", 0},
        {"a1000", "DSPL --   SUM 1000   DIF 1000   DEC 4096", "Kommando: --A1000--", 0},
        {"a 1000 ", "DSPL --   SUM 1000   DIF 1000   DEC 4096", "Kommando: --A 1000 --", 0},
        {"a 10  8", "DSPL 08   SUM 0010   DIF 0010   DEC 16", "Kommando: --A 10  8--", 0},
        {"a 1 2 3 4", " # WHAT?", "Kommando ungültig", 0},
        {"a 12345", " # WHAT?", "Kommando ungültig", 1},
        {"a A", " # WHAT?", "Kommando ungültig", 1},   // shifted: a small a is no hex digit
        {"A 1", " # WHAT?", "Kommando ungültig", 0},   // nor a command letter
        {"b 100", " # ", "Kommando noch nicht realisiert", 0},
        {"b xyz", " # WHAT?", "Kommando ungültig", 1},
        {"q", " # WHAT?", "Kommando ungültig", 0},
        {"", " # ", "", 0},
    };
    for (const Case& c : cases) {
        RecordingInterface seam;
        ScreenBuffer screen;
        screenReset(screen);
        typeLine(screen, c.keys);
        EXPECT_EQ(rowText(screen, 4), c.answerRow) << c.keys;
        EXPECT_EQ(seam.statuses.empty() ? "" : seam.statuses.back().second, c.status) << c.keys;
        EXPECT_EQ(static_cast<int>(seam.messages.size()), c.errorBoxes) << c.keys;
        EXPECT_EQ(screen.column, 3) << c.keys << ": a fresh prompt";
        EXPECT_TRUE(takeRepaintRequest(screen));
    }
}

TEST(MonitorLine, ReadsTheRowTheCursorIsInAfterScrolling) {
    RecordingInterface seam;
    ScreenBuffer screen;
    screenReset(screen);
    for (int i = 0; i < 40; ++i) typeLine(screen, "a " + std::to_string(i));
    EXPECT_EQ(screen.row, 31);
    EXPECT_EQ(rowText(screen, 29), " # A 39");
    EXPECT_EQ(rowText(screen, 30), "DSPL 39   SUM 0039   DIF 0039   DEC 57");
    // A row whose second cell is not "#" is no command line, whatever it holds.
    screenWrite(screen, "\rA 1000");
    executeLine(screen);
    EXPECT_EQ(seam.statuses.back().second, "Kommando ungültig");
}

TEST(MonitorLine, RegisterDemoShowsItsFixedTexts) {
    ScreenBuffer screen;
    showRegisterDemo(screen);
    EXPECT_EQ(rowText(screen, 1), "      BV 7   U 880 - MONITOR  V 3.1");
    EXPECT_EQ(rowText(screen, 3), " # R (fiktive Werte, nur Demo)");
    EXPECT_EQ(rowText(screen, 8), "FLAGS:  ZHP  (HL)");
    EXPECT_EQ(rowText(screen, 9), " # ");
}
