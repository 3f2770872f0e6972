#include <gtest/gtest.h>

#include "shell/RandomGenerator.h"

TEST(RandomGenerator, ParkMillerFollowsTheMinimalStandard) {
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
