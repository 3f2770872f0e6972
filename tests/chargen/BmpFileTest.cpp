#include <gtest/gtest.h>

#include "chargen/BmpFile.h"

namespace {
std::uint32_t at32(const std::array<std::uint8_t, 54>& bytes, int offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}
}

TEST(BmpFile, HeadersOfTheDesignerPhotoAtTwentyFourAndThirtyTwoBits) {
    struct Case {
        int bits;
        std::uint32_t rowBytes;
    };
    for (const Case& c : {Case{24, 3 * 390 + 2}, Case{32, 4 * 390}}) {
        std::array<std::uint8_t, 54> header = bmpHeaders(390, 375, c.bits);
        EXPECT_EQ(bmpRowBytes(390, c.bits), c.rowBytes);
        EXPECT_EQ(header[0], 'B');
        EXPECT_EQ(header[1], 'M');
        EXPECT_EQ(at32(header, 2), 54 + c.rowBytes * 375) << "file size";
        EXPECT_EQ(at32(header, 6), 0u) << "reserved";
        EXPECT_EQ(at32(header, 10), 54u) << "pixel offset";
        EXPECT_EQ(at32(header, 14), 40u) << "info header size";
        EXPECT_EQ(at32(header, 18), 390u);
        EXPECT_EQ(at32(header, 22), 375u) << "positive: bottom-up rows";
        EXPECT_EQ(header[26] | header[27] << 8, 1) << "planes";
        EXPECT_EQ(header[28] | header[29] << 8, c.bits);
        EXPECT_EQ(at32(header, 30), 0u) << "uncompressed";
        EXPECT_EQ(at32(header, 34), 0u) << "image size field";
        EXPECT_EQ(at32(header, 38), 3500u);
        EXPECT_EQ(at32(header, 42), 3500u);
        EXPECT_EQ(at32(header, 46), 0u);
        EXPECT_EQ(at32(header, 50), 0u);
    }
    EXPECT_EQ(bmpRowBytes(1, 24), 4u);
    EXPECT_EQ(bmpRowBytes(790, 24), 2372u);
}
