#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/Crc16.h"
#include "hexdump/HexDumpState.h"
#include "shell/HexText.h"
#include "support/RecordingInterface.h"

namespace {
std::string writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::string path = testing::TempDir() + "hexdump-" + std::to_string(::getpid()) + "-" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path;
}

std::vector<std::uint8_t> countingBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}
}

TEST(HexDumpState, AFileThatCannotBeOpenedIsTracedAndListsNothing) {
    for (std::string path : {testing::TempDir() + "no-such-file.bin", testing::TempDir()}) {
        RecordingInterface user;
        HexDumpState state = openHexDumpFile(path);
        EXPECT_EQ(user.traces, std::vector<std::string>{"Fehler beim Dateiöffnen"}) << path;
        EXPECT_TRUE(user.messages.empty());
        EXPECT_TRUE(hexDumpLines(state).empty());
        EXPECT_EQ(state.path, path);
    }
}

TEST(HexDumpState, AnEmptyFileShowsOnlyTheBlankLineAndTheInitialCrc) {
    RecordingInterface user;
    std::string path = writeFile("empty.bin", {});
    HexDumpState state = openHexDumpFile(path);
    EXPECT_TRUE(user.traces.empty());
    EXPECT_EQ(hexDumpLines(state), (std::vector<std::string>{" ", "CRC (SDLC) = FFFF"}));
    toggleHexDumpMode(state);
    EXPECT_EQ(hexDumpLines(state), (std::vector<std::string>{" ", "CRC (SDLC) = FFFF"}));
    std::remove(path.c_str());
}

TEST(HexDumpState, ReadsAndChecksumsNoMoreThan65535Bytes) {
    RecordingInterface user;
    std::vector<std::uint8_t> bytes = countingBytes(70000);
    std::string path = writeFile("big.bin", bytes);
    HexDumpState state = openHexDumpFile(path);
    ASSERT_EQ(state.data.size(), 65535u);
    auto lines = hexDumpLines(state);
    ASSERT_EQ(lines.size(), 4096u + 2u);
    EXPECT_EQ(lines[4095].substr(0, 7), "FFF0H: ");
    EXPECT_EQ(lines[4095].substr(7 + 15 * 3, 3), "   ");   // the 16th byte is not shown
    EXPECT_EQ(lines.back(), "CRC (SDLC) = " + formatHex4(crc16Sdlc(bytes.data(), 65535)));
    std::remove(path.c_str());
}

TEST(HexDumpState, AddressesStartAtTheLoadAddressOfABinName) {
    RecordingInterface user;
    std::string path = writeFile("SPIEL_FFF0_0010_FFF0.BIN", countingBytes(32));
    HexDumpState state = openHexDumpFile(path);
    EXPECT_EQ(state.startAddress, 0xFFF0);
    auto lines = hexDumpLines(state);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(0, 7), "FFF0H: ");
    EXPECT_EQ(lines[1].substr(0, 7), "0000H: ");
    std::remove(path.c_str());

    std::string plain = writeFile("plain.bin", countingBytes(1));
    EXPECT_EQ(openHexDumpFile(plain).startAddress, 0);
    std::remove(plain.c_str());
}

TEST(HexDumpState, TheToggleSwitchesTailAndLabelAndTwiceGivesTheSameList) {
    RecordingInterface user;
    std::string path = writeFile("abc.bin", {'A', 'B', 0x01});
    HexDumpState state = openHexDumpFile(path);
    EXPECT_TRUE(state.showChecksums);
    EXPECT_EQ(hexDumpToggleLabel(state), "--> ASCII");
    auto opened = hexDumpLines(state);
    EXPECT_EQ(opened[0].substr(opened[0].size() - 13), "       * 02 *");

    toggleHexDumpMode(state);
    EXPECT_EQ(hexDumpToggleLabel(state), "--> Prüfsumme");
    auto ascii = hexDumpLines(state);
    EXPECT_EQ(ascii[0].substr(ascii[0].size() - 5), "| AB.");

    toggleHexDumpMode(state);
    EXPECT_EQ(hexDumpLines(state), opened);
    std::remove(path.c_str());
}
