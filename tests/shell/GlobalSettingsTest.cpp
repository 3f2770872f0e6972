#include <gtest/gtest.h>

#include "shell/GlobalSettings.h"

TEST(GlobalSettings, StartsWithTheDefaultsOfARun) {
    globalSettings().triggerLevel = 0x70;
    globalSettings().colourScheme = 1;
    resetGlobalSettings();
    const GlobalSettings& s = globalSettings();
    EXPECT_EQ(s.inputDevice, 1);
    EXPECT_EQ(s.outputDevice, 0);
    EXPECT_EQ(s.outputVolume, 5);
    EXPECT_EQ(s.wavOutputFormat, 0);
    EXPECT_EQ(s.sampleRate, 22050);
    EXPECT_EQ(s.colourScheme, 0);
    EXPECT_EQ(s.triggerLevel, 0x76);
    EXPECT_EQ(s.inverse, 0);
    EXPECT_GE(s.triggerLevel, minTriggerLevel);
    EXPECT_LE(s.triggerLevel, maxTriggerLevel);
}

TEST(GlobalSettings, ColourSchemeSetsInkAndPaper) {
    resetGlobalSettings();
    struct Case {
        int scheme;
        RgbColour ink, paper;
    };
    for (const Case& c : {Case{1, 0x0000FF00, 0x00004000}, Case{0, 0x00FFFFFF, 0x00000000}}) {
        globalSettings().colourScheme = c.scheme;
        applyColourScheme();
        EXPECT_EQ(globalSettings().inkColour, c.ink) << c.scheme;
        EXPECT_EQ(globalSettings().paperColour, c.paper) << c.scheme;
    }
    EXPECT_EQ(rgbColour(0x12, 0x34, 0x56), 0x00563412u) << "red in the low byte, as the drawing code expects";
    resetGlobalSettings();
}
