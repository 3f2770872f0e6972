#include <gtest/gtest.h>

#include <string>

#include "screen/MonitorLine.h"
#include "support/RecordingInterface.h"
#include "tests/support/ScreenRows.h"

namespace {
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
        const char* errorBox;      // "" for none
    };
    const char* const hexError = "Fehler: Eingabe HEX-Adresse fehlerhaft.";
    const Case cases[] = {
        {"a 1000 2000 10", "DSPL --   SUM 3000   DIF F000   DEC 4096", "Kommando: --A 1000 2000 10--", ""},
        {"a 1000 1010 2", "DSPL 0E   SUM 2010   DIF FFF0   DEC 4096", "Kommando: --A 1000 1010 2--", ""},
        {"a", "DSPL 00   SUM 0000   DIF 0000   DEC 0", "Kommando: --A--", ""},
        {"a1000", "DSPL --   SUM 1000   DIF 1000   DEC 4096", "Kommando: --A1000--", ""},
        {"a 1000 ", "DSPL --   SUM 1000   DIF 1000   DEC 4096", "Kommando: --A 1000 --", ""},
        {"a 10  8", "DSPL 08   SUM 0010   DIF 0010   DEC 16", "Kommando: --A 10  8--", ""},
        {"a 1ff 100", "DSPL FF   SUM 02FF   DIF 00FF   DEC 511", "Kommando: --A 1FF 100--", ""},
        {"a 200 100", "DSPL --   SUM 0300   DIF 0100   DEC 512", "Kommando: --A 200 100--", ""},
        {"a 10 8 9", "DSPL --   SUM 0018   DIF 0008   DEC 16", "Kommando: --A 10 8 9--", ""},   // 8 - 9 wraps
        {"a 1 2 3 4", " # WHAT?", "Kommando ungültig", ""},
        {"a 12345", " # WHAT?", "Kommando ungültig", hexError},
        {"a A", " # WHAT?", "Kommando ungültig", hexError},   // shifted: a small a is no hex digit
        {"A 1", " # WHAT?", "Kommando ungültig", ""},         // nor a command letter
        {"b 100", " # ", "Kommando noch nicht realisiert", ""},
        {"b xyz", " # WHAT?", "Kommando ungültig", hexError},
        {"q", " # WHAT?", "Kommando ungültig", ""},
        {"", " # ", "", ""},
    };
    for (const Case& c : cases) {
        RecordingInterface seam;
        ScreenBuffer screen;
        screenReset(screen);
        typeLine(screen, c.keys);
        EXPECT_EQ(rowText(screen, 4), c.answerRow) << c.keys;
        EXPECT_EQ(seam.statuses.empty() ? "" : seam.statuses.back().second, c.status) << c.keys;
        std::vector<std::string> boxes;
        for (const Message& box : seam.messages) boxes.push_back(box.caption + ": " + box.text);
        EXPECT_EQ(boxes, *c.errorBox ? std::vector<std::string>{c.errorBox} : std::vector<std::string>{}) << c.keys;
        EXPECT_EQ(screen.column(), 3) << c.keys << ": a fresh prompt";
        EXPECT_TRUE(takeRepaintRequest(screen));
    }
}

TEST(MonitorLine, AKeyOfCodeZeroWritesNothingAndLeavesTheCursorMark) {
    ScreenBuffer screen;
    screenReset(screen);
    cursorBlinkStep(screen);
    ASSERT_EQ(screen.at(3, 3), '_');
    takeRepaintRequest(screen);
    typeCharacter(screen, 0);
    EXPECT_EQ(screen.at(3, 3), '_');
    EXPECT_EQ(std::make_pair(screen.column(), screen.row()), std::make_pair(3, 3));
    EXPECT_FALSE(takeRepaintRequest(screen));
}

TEST(MonitorLine, ReadsTheRowTheCursorIsInAfterScrolling) {
    RecordingInterface seam;
    ScreenBuffer screen;
    screenReset(screen);
    for (int i = 0; i < 40; ++i) typeLine(screen, "a " + std::to_string(i));
    EXPECT_EQ(screen.row(), 31);
    EXPECT_EQ(rowText(screen, 29), " # A 39");
    EXPECT_EQ(rowText(screen, 30), "DSPL 39   SUM 0039   DIF 0039   DEC 57");
    // A row whose second cell is not "#" is no command line, whatever it holds.
    screenWrite(screen, "\rA 1000");
    executeLine(screen);
    EXPECT_EQ(seam.statuses.back().second, "Kommando ungültig");
}

TEST(MonitorLine, RegisterDemoShowsItsFixedTexts) {
    ScreenBuffer screen;
    fillCells(screen, '#');
    showRegisterDemo(screen);
    const std::string rows[] = {
        "",
        "      BV 7   U 880 - MONITOR  V 3.1",
        "",
        " # R (fiktive Werte, nur Demo)",
        "BP:3900    BS:003900",
        "SP:184F    PC:18F0    IY:7BBB    IX:7CFF",
        "MAIN  HL:76EF    DE:D8CA    BC:76CA    AF:0054",
        "EXXR  HL:1036    DE:20FF    BC:7DDE    AF:6130",
        "FLAGS:  ZHP  (HL)",
        " # ",
    };
    for (int row = 0; row < screen::rows; ++row)
        EXPECT_EQ(rowText(screen, row), row < 10 ? rows[row] : "") << "row " << row;
    EXPECT_EQ(std::make_pair(screen.column(), screen.row()), std::make_pair(3, 9));
    EXPECT_TRUE(takeRepaintRequest(screen));
}
