#include <gtest/gtest.h>

#include <cstdio>

#include "sound/BinToWav.h"
#include "sound/SampleRate.h"
#include "sound/TempWav.h"
#include "support/RecordingInterface.h"
#include "support/TestFiles.h"
#include "tape/WavFile.h"

namespace {
// The first 15 samples of every record: the ramp up of its first bit cell.
const std::vector<std::uint8_t> rampUp = {128, 178, 203, 215, 221, 224, 225, 228, 228, 228, 228, 228, 228, 228, 228};
}

TEST(EncodeStandardWav, WritesTempWavAndReportsSuccess) {
    RecordingInterface seam;
    std::string dir = testing::TempDir();
    std::string binPath = dir + "A_1000_1000_1000.BIN";
    writeFile(binPath, {0x00});
    setTempWavPath(dir + "encoder-temp.wav");
    selectSampleRate(22050);
    seam.statuses.clear();

    ASSERT_EQ(encodeStandardWav(EncodeVariant::Write, binPath, TapeHeader{"A", 0x1000, 0x1000, 0x1000}), 0);
    // Count the cells of the record by hand: 30 samples, or 29 where the bit differs from the one before.
    std::vector<std::uint8_t> record(512, 0x00);
    for (int byte : {0xE6, 0x55, 0x41}) record.push_back(static_cast<std::uint8_t>(byte));
    record.insert(record.end(), 15, ' ');
    record.insert(record.end(), 256, 0x00);
    for (int byte : {0x3C, 0x01, 0x00, 0x10, 0x00, 0x10, 0x78, 0x00, 0x10}) record.push_back(static_cast<std::uint8_t>(byte));
    std::size_t count = 0;
    int previous = -1;
    for (std::uint8_t byte : record)
        for (int i = 7; i >= 0; --i) {
            int bit = (byte >> i) & 1;
            count += (previous == -1 || previous == bit) ? 30 : 29;
            previous = bit;
        }
    auto file = readFile(tempWavPath());
    EXPECT_EQ(file.size(), 46 + count + (count & 1));
    EXPECT_EQ(file[24] | file[25] << 8, 44100) << "always at 44100";
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 46, file.begin() + 46 + 15), rampUp);
    EXPECT_EQ(seam.statuses, (std::vector<std::pair<int, std::string>>{{2, "44 kHz"}}));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "WAV-Daten erfolgreich geschrieben");
    EXPECT_EQ(seam.messages[0].caption, "BV7-->WAV");
    EXPECT_EQ(seam.messages[0].owner, nullptr);

    // The output variant plays the same file instead of reporting, and fails
    // when it cannot play.
    struct Player : WavPlayer {
        int result = 0;
        std::vector<std::string> played;
        int play(const std::string& path) override {
            played.push_back(path);
            return result;
        }
    } player;
    TapeHeader header{"A", 0x1000, 0x1000, 0x1000};
    ASSERT_EQ(encodeStandardWav(EncodeVariant::Output, binPath, header, &player), 0);
    EXPECT_EQ(player.played, std::vector<std::string>{tempWavPath()});
    EXPECT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(readFile(tempWavPath()), file);
    player.result = -1;
    EXPECT_EQ(encodeStandardWav(EncodeVariant::Output, binPath, header, &player), -1);
    EXPECT_EQ(player.played.size(), 2u);
    EXPECT_EQ(encodeStandardWav(EncodeVariant::Output, binPath, header, nullptr), -1);
    EXPECT_EQ(seam.messages.size(), 1u) << "the player tells why it cannot play";
    std::remove(binPath.c_str());
    std::remove(tempWavPath().c_str());
    setTempWavPath("temp.wav");
}

TEST(EncodeStandardWav, ReportsFailureAfterTheCause) {
    RecordingInterface seam;
    std::string dir = testing::TempDir();
    setTempWavPath(dir + "encoder-temp.wav");
    EXPECT_EQ(encodeStandardWav(EncodeVariant::Write, dir + "missing.BIN", TapeHeader{"A", 0, 0, 0}), -1);
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[0].text, "Binärdatei konnte nicht geöffnet werden.");
    EXPECT_EQ(seam.messages[1].text, "WAV-Daten konnten nicht berechnet werden");
    EXPECT_EQ(seam.messages[1].caption, "Fehler");

    std::string binPath = dir + "one.BIN";
    writeFile(binPath, {1, 2, 3});
    setTempWavPath(dir + "no/such/dir/temp.wav");
    seam.messages.clear();
    EXPECT_EQ(encodeStandardWav(EncodeVariant::Output, binPath, TapeHeader{"A", 0, 0, 0}), -1);
    EXPECT_EQ(seam.traces, std::vector<std::string>{"Fehler bei open"});
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "WAV-Daten konnten nicht berechnet werden");
    std::remove(binPath.c_str());
    setTempWavPath("temp.wav");
}
