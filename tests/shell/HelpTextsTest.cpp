#include <gtest/gtest.h>

#include <algorithm>

#include "shell/HelpTexts.h"

TEST(HelpTexts, KeepTheirStructureAndSelection) {
    HelpText general = helpText(HelpVariant::General);
    EXPECT_EQ(general.caption, "Infos zu Spulwerk");
    EXPECT_EQ(general.lines.front(),
              "Das Programm vereint mehrere Werkzeuge, die dem Neu-/Wiedereinsteiger den Umgang mit BV7-Daten "
              "erleichtern:");
    EXPECT_EQ(general.lines.back(),
              "Für eventuelle Schäden im Zusammenhang mit der Anwendung des Programmes wird nicht gehaftet!");
    EXPECT_EQ(general.selected, static_cast<int>(general.lines.size()) - 1);
    // Each heading is followed by a line of asterisks as long as the heading.
    for (const char* heading : {"Zeichengenerator-Entwurf", "Daten-Konvertierung", "Soundkartenarbeit",
                                "Grafik-Demos auf BV7-Bildschirm",
                                "HEX-Dumps mit ASCII oder Zeilenprüfsumme von Dateien bis zu 64kB",
                                "Berechnung der Prüfsumme CRC (SDLC) von Dateien"}) {
        auto at = std::find(general.lines.begin(), general.lines.end(), heading);
        ASSERT_NE(at, general.lines.end()) << heading;
        EXPECT_EQ(*(at + 1), std::string((at)->size(), '*'));
    }

    HelpText converter = helpText(HelpVariant::Converter);
    EXPECT_EQ(converter.caption, "Infos zum Datenkonverter");
    EXPECT_EQ(converter.selected, 0);
    EXPECT_NE(std::find(converter.lines.begin(), converter.lines.end(), "\t\t\tProgrammname_AA_EA_SA.BIN"),
              converter.lines.end());

    HelpText designer = helpText(HelpVariant::Designer);
    EXPECT_EQ(designer.caption, "Infos zum BV7-Zeichengenerator-Entwurf");
    EXPECT_EQ(designer.selected, static_cast<int>(designer.lines.size()) - 1);
    for (const char* step : {"1.)", "2.)", "3.)", "4.)", "5.)"}) {
        EXPECT_TRUE(std::any_of(designer.lines.begin(), designer.lines.end(),
                                [step](const std::string& line) { return line.rfind(step, 0) == 0; }))
            << step;
    }

    HelpText screen = helpText(HelpVariant::Screen);
    EXPECT_EQ(screen.caption, "Infos zur Bildschirmarbeit");
    ASSERT_EQ(screen.lines.size(), 2u);
    EXPECT_EQ(screen.lines[1], "...");
    EXPECT_EQ(screen.selected, 1);
}
