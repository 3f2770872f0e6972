#include <gtest/gtest.h>

#include <string>

#include "shell/Crc16.h"

TEST(Crc16Sdlc, MatchesTheKnownCheckValues) {
    struct Case {
        std::string bytes;
        std::uint16_t crc;
    };
    for (const Case& c : {Case{"123456789", 0x29B1}, Case{"A", 0xB915}, Case{"", 0xFFFF},
                          Case{std::string(1, '\0'), 0xE1F0}, Case{std::string(256, '\xFF'), 0x5B2F}}) {
        EXPECT_EQ(crc16Sdlc(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size()), c.crc)
            << c.bytes.size() << " bytes";
    }
}
