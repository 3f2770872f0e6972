#include <gtest/gtest.h>

#include "tape/TapeRecord.h"

namespace {
// Offset of the first block's pre-byte in a record.
constexpr std::size_t firstBlock = 512 + 2 + 16 + 256;

std::vector<std::uint8_t> record(std::size_t size, std::uint16_t aa = 0x1000, std::uint16_t sa = 0x1234,
                                 const std::string& name = "PROG") {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 3 + 1);
    return layoutTapeRecord(image, TapeHeader{name, aa, 0, sa});
}
}

TEST(TapeRecord, FramesTheNameWithLeadInSyncAndGap) {
    auto bytes = record(1);
    for (std::size_t i = 0; i < 512; ++i) ASSERT_EQ(bytes[i], 0x00) << i;
    EXPECT_EQ(bytes[512], 0xE6);
    EXPECT_EQ(bytes[513], 0x55);
    EXPECT_EQ(std::string(bytes.begin() + 514, bytes.begin() + 530), "PROG            ");
    for (std::size_t i = 530; i < firstBlock; ++i) ASSERT_EQ(bytes[i], 0x00) << i;
    // sa low byte first after the end byte
    EXPECT_EQ(bytes[bytes.size() - 3], 0x78);
    EXPECT_EQ(bytes[bytes.size() - 2], 0x34);
    EXPECT_EQ(bytes[bytes.size() - 1], 0x12);
}

TEST(TapeRecord, SendsSixteenNameCharactersAtMost) {
    auto full = record(1, 0, 0, "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(std::string(full.begin() + 514, full.begin() + 530), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(full[530], 0x00);
    auto longer = record(1, 0, 0, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(longer.size(), full.size());
    EXPECT_EQ(std::string(longer.begin() + 514, longer.begin() + 530), "ABCDEFGHIJKLMNOP");
    auto empty = record(1, 0, 0, "");
    EXPECT_EQ(std::string(empty.begin() + 514, empty.begin() + 530), std::string(16, ' '));
}

TEST(TapeRecord, CutsTheImageIntoBlocksOf256) {
    struct Case {
        std::size_t size;
        std::vector<std::uint8_t> lengthBytes;
    };
    for (const Case& c : {Case{1, {0x01}}, Case{256, {0x00}}, Case{257, {0x00, 0x01}}, Case{512, {0x00, 0x00}}}) {
        auto bytes = record(c.size);
        ASSERT_EQ(bytes.size(), 789 + 5 * c.lengthBytes.size() + c.size) << c.size;
        std::size_t at = firstBlock;
        for (std::size_t block = 0; block < c.lengthBytes.size(); ++block) {
            EXPECT_EQ(bytes[at], 0x3C);
            EXPECT_EQ(bytes[at + 1], c.lengthBytes[block]) << c.size << " block " << block;
            EXPECT_EQ(bytes[at + 2], 0x00);
            EXPECT_EQ(bytes[at + 3], 0x10 + block) << "address grows by 0x100";
            std::size_t count = c.lengthBytes[block] == 0 ? 256 : c.lengthBytes[block];
            EXPECT_EQ(bytes[at + 4], static_cast<std::uint8_t>(block * 256 * 3 + 1)) << "first data byte";
            at += 4 + count + 1;
        }
        EXPECT_EQ(bytes[at], 0x78);
    }
}

TEST(TapeRecord, ChecksumAddsAddressAndData) {
    std::uint8_t data[] = {0x01, 0x02};
    EXPECT_EQ(blockChecksum(0x1000, data, 2), 0x13);
    auto bytes = layoutTapeRecord({0x01, 0x02}, TapeHeader{"", 0x1000, 0, 0});
    EXPECT_EQ(bytes[firstBlock + 6], 0x13);
    std::uint8_t big[] = {0xFF, 0xFF};
    EXPECT_EQ(blockChecksum(0xFFFF, big, 2), (0xFF * 4) & 0xFF);
}

TEST(TapeRecord, BlockAddressesWrapAbove0xFFFF) {
    auto bytes = record(513, 0xFF00);
    std::size_t second = firstBlock + 4 + 256 + 1;
    std::size_t third = second + 4 + 256 + 1;
    EXPECT_EQ(bytes[second + 2], 0x00);
    EXPECT_EQ(bytes[second + 3], 0x00) << "0xFF00 + 0x100 wraps to 0x0000";
    EXPECT_EQ(bytes[third + 3], 0x01);
}

TEST(TapeRecord, AnEmptyImageHasNoBlocks) {
    auto bytes = record(0);
    ASSERT_EQ(bytes.size(), 789u);
    EXPECT_EQ(bytes[firstBlock], 0x78);
}
