#include <gtest/gtest.h>

#include <cstdio>
#include <numeric>

#include "shell/Crc16.h"
#include "hexdump/DumpLines.h"

namespace {
std::vector<std::uint8_t> counting(std::size_t size, std::uint8_t first = 0) {
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}
std::string hex4(unsigned value) {
    char text[5];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}
}

TEST(DumpLines, FullLineWithEitherTail) {
    auto bytes = counting(16, 0x30);
    auto checksums = buildDumpLines(bytes.data(), bytes.size(), 0x1000, true);
    ASSERT_EQ(checksums.size(), 3u);
    EXPECT_EQ(checksums[0], "1000H: 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F        * 00 *");
    EXPECT_EQ(checksums[0].size(), 7u + 48 + 13);
    EXPECT_EQ(checksums[1], " ");
    EXPECT_EQ(checksums[2], "CRC (SDLC) = " + hex4(crc16Sdlc(bytes.data(), bytes.size())));
    auto ascii = buildDumpLines(bytes.data(), bytes.size(), 0x1000, false);
    EXPECT_EQ(ascii[0], "1000H: 30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F | 0123456789:;<=>?");
    EXPECT_EQ(ascii[0].size(), 7u + 48 + 18);
}

TEST(DumpLines, ShortLastLineIsPaddedAndTheCrcCoversTheData) {
    const std::uint8_t nine[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    auto lines = buildDumpLines(nine, 9, 0, true);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "0000H: 31 32 33 34 35 36 37 38 39" + std::string(7 * 3, ' ') + " " + "       * 31 *");
    EXPECT_EQ(lines[2], "CRC (SDLC) = 29B1");

    auto seventeen = counting(17);
    lines = buildDumpLines(seventeen.data(), 17, 0, false);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], "0010H: 10 " + std::string(15 * 3, ' ') + "| .");
}

TEST(DumpLines, AsciiTailShowsPrintableBytesOnly) {
    const std::uint8_t bytes[] = {0x1F, 0x20, 0x7F, 0x80, 0x41, 0xFF};
    auto lines = buildDumpLines(bytes, sizeof bytes, 0, false);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 8), "| . \x7F.A.");
    const std::uint8_t xor0[] = {1, 2, 3};
    EXPECT_EQ(buildDumpLines(xor0, 3, 0, true)[0].substr(7 + 48), "       * 00 *");
}

TEST(DumpLines, AddressesKeepTheLow16BitsAndComeFromTheFileName) {
    auto bytes = counting(32);
    auto lines = buildDumpLines(bytes.data(), bytes.size(), dumpStartAddress("C:\\bv7\\HI_FFF0_000F_FFF0.BIN"), true);
    EXPECT_EQ(lines[0].substr(0, 7), "FFF0H: ");
    EXPECT_EQ(lines[1].substr(0, 7), "0000H: ");
    EXPECT_EQ(dumpStartAddress("/tmp/PROG_1000_1FFF_1000.BIN"), 0x1000);
    EXPECT_EQ(dumpStartAddress("prog_a000_afff_a000.bin"), 0);
    EXPECT_EQ(dumpStartAddress("plain.bin"), 0);
}

TEST(DumpLines, StopsAt65535Bytes) {
    auto bytes = counting(70000);
    auto lines = buildDumpLines(bytes.data(), bytes.size(), 0, true);
    ASSERT_EQ(lines.size(), 4096u + 2);
    EXPECT_EQ(lines[4095].substr(0, 7 + 45), "FFF0H: F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE ");
    EXPECT_EQ(lines[4095].substr(7 + 45, 3), "   ") << "the 65536th byte is not shown";
    EXPECT_EQ(lines.back(), "CRC (SDLC) = " + hex4(crc16Sdlc(bytes.data(), 65535)));
}

TEST(DumpLines, EmptyFileGivesOnlyTheClosingLines) {
    auto lines = buildDumpLines(nullptr, 0, 0x1000, true);
    EXPECT_EQ(lines, (std::vector<std::string>{" ", "CRC (SDLC) = FFFF"}));
}
