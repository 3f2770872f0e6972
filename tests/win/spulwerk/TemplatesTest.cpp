#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "shell/win/ProgramResource.h"

namespace {
std::vector<unsigned char> templateResource(int number) {
    std::string name = "Vorlage_ZG" + std::to_string(number);
    ByteView bytes = programResource(name.c_str(), "MYDATA");
    return std::vector<unsigned char>(bytes.data, bytes.data + bytes.size);
}

std::vector<unsigned char> character(const std::vector<unsigned char>& set, int code) {
    return std::vector<unsigned char>(set.begin() + code * 8, set.begin() + code * 8 + 8);
}
}

TEST(Templates, SizesQuarterBlocksBlankCodeZeroAndTheVariantOfTheFourth) {
    std::vector<unsigned char> sets[6];
    const std::size_t sizes[6] = {0, 1024, 1024, 2048, 2048, 2048};
    for (int n = 1; n <= 5; ++n) {
        sets[n] = templateResource(n);
        ASSERT_EQ(sets[n].size(), sizes[n]) << "Vorlage_ZG" << n;
        EXPECT_EQ(character(sets[n], 0), std::vector<unsigned char>(8, 0)) << "Vorlage_ZG" << n;
        for (std::size_t i = 0; i < sets[n].size(); ++i)
            ASSERT_EQ(sets[n][i] & 0xC0, 0) << "bits 6 and 7 of Vorlage_ZG" << n << " byte " << i;
    }
    // Bit 0 of the code the top-left quarter (3 x 4 pixels), bit 1 top-right, bit 2 bottom-left, bit 3 bottom-right.
    for (int n : {1, 2, 3, 5})
        for (int code = 0; code < 16; ++code) {
            unsigned char top = (code & 1 ? 0x07 : 0) | (code & 2 ? 0x38 : 0);
            unsigned char bottom = (code & 4 ? 0x07 : 0) | (code & 8 ? 0x38 : 0);
            std::vector<unsigned char> expected = {top, top, top, top, bottom, bottom, bottom, bottom};
            EXPECT_EQ(character(sets[n], code), expected) << "Vorlage_ZG" << n << " code " << code;
        }
    EXPECT_TRUE(std::equal(sets[2].begin(), sets[2].end(), sets[3].begin())) << "the lower half of ZG3 is ZG2";
    for (int code = 0; code < 128; ++code) {
        if (code < 0x14 || code > 0x1F) {
            EXPECT_EQ(character(sets[1], code), character(sets[2], code)) << code;
        }
    }
    for (int code : {1, 2}) EXPECT_EQ(character(sets[4], code), std::vector<unsigned char>(8, 0)) << code;
    int differing = 0;
    for (int code = 0; code < 256; ++code) differing += character(sets[4], code) != character(sets[5], code);
    EXPECT_EQ(differing, 118);
}
