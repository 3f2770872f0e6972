#include <gtest/gtest.h>

#include "viewer/KalovSettings.h"

TEST(KalovSettings, WithoutIniBlackOnWhiteWithUmlauts) {
    KalovSettings settings = defaultKalovSettings();
    EXPECT_EQ(settings.textColour, 0x000000u);
    EXPECT_EQ(settings.backgroundColour, 16777215u);
    EXPECT_TRUE(settings.umlautMode);
}

TEST(KalovSettings, TakesTheIniValuesWithMissingKeysAsZero) {
    struct Case {
        unsigned txt, hg, uml;
        std::uint32_t text, background;
        bool umlaut;
    } cases[] = {
        // only "UML=0": black on black, "OEM" checked
        {kalovIniMissingKey, kalovIniMissingKey, 0, 0, 0, false},
        // an INI with none of the keys: also OEM
        {kalovIniMissingKey, kalovIniMissingKey, kalovIniMissingKey, 0, 0, false},
        {0x0000FF, 0xFFFFFF, 1, 0x0000FF, 0xFFFFFF, true},
        {65280, 0, 1, 0x00FF00, 0, true},
        {0, 0xFFFFFF, 2, 0, 0xFFFFFF, false},     // only 1 means BV7 umlauts
        {0xFFFFFFFFu, 0x01FF0000u, 0xFFFFFFFFu, 0xFFFFFF, 0xFF0000, false},
    };
    for (const Case& c : cases) {
        KalovSettings settings = kalovSettingsFromIni(c.txt, c.hg, c.uml);
        EXPECT_EQ(settings.textColour, c.text);
        EXPECT_EQ(settings.backgroundColour, c.background);
        EXPECT_EQ(settings.umlautMode, c.umlaut);
    }
}

TEST(KalovSettings, FindsTheIniInTheWorkingDirectory) {
    EXPECT_EQ(kalovIniPath("C:\\BV7"), "C:\\BV7\\KALOV.INI");
    EXPECT_EQ(kalovIniPath("C:\\"), "C:\\KALOV.INI");
    EXPECT_EQ(std::string(kalovIniSection) + kalovIniTextColourKey + kalovIniBackgroundKey + kalovIniUmlautKey,
              "PrefsTXTHGUML");
}
