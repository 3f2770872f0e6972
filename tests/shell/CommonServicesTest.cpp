#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "shell/CommonServices.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "support/RecordingInterface.h"

TEST(HexText, FormatsAsTheBV7ShowsNumbers) {
    EXPECT_EQ(formatHex8(0xABCD), "0000ABCD");
    EXPECT_EQ(formatHex4(0x10000), "0000");
    EXPECT_EQ(formatHex4(0x1800), "1800");
    EXPECT_EQ(formatHex4(static_cast<std::uint32_t>(-1)), "FFFF");
    EXPECT_EQ(formatHex4H(0x1800), "1800H");
    EXPECT_EQ(formatDecimal(-5), "-5");
    EXPECT_EQ(formatDecimal(0), "0");
    EXPECT_EQ(formatHex2Char(0x7F).hex, "7F");
    EXPECT_EQ(formatHex2Char(0x7F).character, "\x7F");
    EXPECT_EQ(formatHex2Char(0x80).hex, "80");
    EXPECT_EQ(formatHex2Char(0x80).character, ".");
    EXPECT_EQ(formatHex2Char(0x1F).character, ".");
    EXPECT_EQ(formatHex2Char(0x0A).hex, "0A");
}

TEST(HexText, ParsesOnlyUpperCaseAddressesOfFourDigits) {
    RecordingInterface seam;
    EXPECT_EQ(parseHexAddress("1a00"), -1);
    EXPECT_EQ(parseHexAddress("1A0 "), 0x01A0);
    EXPECT_EQ(parseHexAddress("1A0\t \t"), 0x01A0);
    EXPECT_EQ(parseHexAddress("12345"), -1);
    EXPECT_EQ(parseHexAddress(""), 0);
    EXPECT_EQ(parseHexAddress("7"), 7);
    EXPECT_EQ(parseHexAddress("FFFF"), 0xFFFF);
    EXPECT_EQ(parseHexAddress("1 2"), -1);
    EXPECT_EQ(parseHexAddress("1G"), -1);
    EXPECT_EQ(parseHexAddress(" 12"), -1);
    EXPECT_EQ(parseHexAddress(std::string_view("1\0", 2)), -1);
    EXPECT_TRUE(seam.messages.empty()) << "the caller tells the user";
}

TEST(HexText, CutsTextsWithoutLeavingThem) {
    EXPECT_EQ(midChars("ABCDEF", 2, 3), "CDE");
    EXPECT_EQ(midChars("ABC", 2, 5), "C");
    EXPECT_EQ(midChars("ABC", 7, 1), "");
}

TEST(StringError, AppendsTheNumberOnlyToTheChecksumText) {
    RecordingInterface seam;
    EXPECT_EQ(showStringError(str::checksumError, 7), -1);
    EXPECT_EQ(showStringError(str::noSync, 7), -1);
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[0].text, "WAV: Prüfsummenfehler in Block 7");
    EXPECT_EQ(seam.messages[0].caption, "Fehler");
    EXPECT_EQ(seam.messages[0].style, mb::ok | mb::taskModal);
    EXPECT_EQ(seam.messages[0].owner, nullptr);
    EXPECT_EQ(seam.messages[1].text, "WAV: kein SYNC gefunden.");
}

TEST(StringTable, HoldsEveryTextOfTheErrorBox) {
    EXPECT_EQ(loadString(16000), "Sorry, leider noch nicht fertig!");
    EXPECT_EQ(loadString(16010), "Binärdatei konnte nicht geöffnet werden.");
    EXPECT_EQ(loadString(16100).substr(0, 42), "Du hast keine genügend hohe Bildschirmauf");
    EXPECT_EQ(loadString(15999), "");
}

TEST(LoadWholeFile, ReadsEveryByteAndReportsAMissingFile) {
    RecordingInterface seam;
    std::string path = testing::TempDir() + "whole.bin";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < 70000; ++i) out.put(static_cast<char>(i * 7));
    }
    auto image = loadWholeFile(path);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->size(), 70000u);
    EXPECT_EQ(image->data[69999], static_cast<std::uint8_t>(69999 * 7));
    EXPECT_TRUE(fileExists(path));
    std::remove(path.c_str());

    EXPECT_FALSE(loadWholeFile(path));
    EXPECT_FALSE(loadWholeFile(""));
    EXPECT_FALSE(loadWholeFile(testing::TempDir()));   // a directory is no file
    EXPECT_FALSE(fileExists(path));
    EXPECT_FALSE(fileExists(""));
    ASSERT_EQ(seam.messages.size(), 3u);
    EXPECT_EQ(seam.messages[0].text, "Binärdatei konnte nicht geöffnet werden.");
}

TEST(LoadWholeFile, GivesAnEmptyImageForAnEmptyFile) {
    std::string path = testing::TempDir() + "empty.bin";
    std::ofstream(path, std::ios::binary).close();
    auto image = loadWholeFile(path);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), 0u);
    std::remove(path.c_str());
}

TEST(Choosers, ReturnTheNameAndProposeItAgainAfterACancel) {
    RecordingInterface seam;
    offerFileName({});
    seam.chosenFiles = {"C:\\bv7\\PROG_1000_1FFF_1000.BIN", ""};
    std::string filter = makeFilter({"alle Dateien *.*", "*.*"});
    EXPECT_EQ(filter, std::string("alle Dateien *.*\0*.*\0\0", 22));
    EXPECT_EQ(chooseOpenFile(nullptr, "Wähle eine Datei:", filter), "C:\\bv7\\PROG_1000_1FFF_1000.BIN");
    EXPECT_EQ(chooseSaveFile(nullptr, "Speichern", filter), std::nullopt);
    ASSERT_EQ(seam.choosers.size(), 2u);
    EXPECT_FALSE(seam.choosers[0].save);
    EXPECT_TRUE(seam.choosers[1].save);
    EXPECT_EQ(seam.offered[0], "");
    EXPECT_EQ(seam.offered[1], "C:\\bv7\\PROG_1000_1FFF_1000.BIN");
}

TEST(Choosers, OfferALongProposalCutToTheSharedBuffer) {
    RecordingInterface seam;
    offerFileName(std::string(400, 'x'));
    EXPECT_EQ(chooseSaveFile(nullptr, "", makeFilter({"*", "*"})), std::nullopt);
    ASSERT_EQ(seam.offered.size(), 1u);
    EXPECT_EQ(seam.offered[0], std::string(fileNameBufferSize - 1, 'x'));
}
