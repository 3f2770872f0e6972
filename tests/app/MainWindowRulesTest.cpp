#include <gtest/gtest.h>

#include "app/MainWindowRules.h"

TEST(MainWindowRules, CentresWithSeparateUnsignedHalvings) {
    Placement start = centredPlacement(1024, 768, 385, 210);
    EXPECT_EQ(start.x, 320);
    EXPECT_EQ(start.y, 279);
    Placement screen = centredPlacement(800, 600, 810, 610);
    EXPECT_EQ(screen.x, -5);
    EXPECT_EQ(screen.y, -5);
}
