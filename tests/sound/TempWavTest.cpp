#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>

#include "shell/FileIo.h"
#include "sound/SampleRate.h"
#include "sound/TempWav.h"
#include "support/RecordingInterface.h"
#include "support/TestFiles.h"

namespace {
std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
}

TEST(RawCapture, ThreeBlocksBecomeAWavFileOf6190Bytes) {
    RecordingInterface seam;
    std::string dir = testing::TempDir();
    setTempWavPath(dir + "capture-temp.wav");
    std::remove(tempWavPath().c_str());
    selectSampleRate(44100);
    std::vector<std::uint8_t> block(2048);
    for (int n = 0; n < 3; ++n) {
        for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(n * 50 + i);
        ASSERT_EQ(appendRawCapture(block.data()), 0);
    }
    auto raw = readFile(tempWavPath());
    ASSERT_EQ(raw.size(), 6144u);
    ASSERT_EQ(convertRawCaptureToWav(), 0);
    auto wavBytes = readFile(tempWavPath());
    ASSERT_EQ(wavBytes.size(), 6190u);
    EXPECT_EQ(le32(wavBytes, 24), 44100u);
    EXPECT_EQ(std::vector<std::uint8_t>(wavBytes.begin() + 46, wavBytes.end()), raw);
    EXPECT_FALSE(std::ifstream(replacementName(tempWavPath())).good()) << "nothing left beside it";
    EXPECT_TRUE(seam.traces.empty());
    std::remove(tempWavPath().c_str());
    setTempWavPath("temp.wav");
}

TEST(RawCapture, KeepsTheRecordingWhenTheWavCannotBeWritten) {
    RecordingInterface seam;
    std::string dir = testing::TempDir();
    setTempWavPath(dir + "keep-temp.wav");
    std::remove(tempWavPath().c_str());

    EXPECT_EQ(convertRawCaptureToWav(), -1);
    writeFile(tempWavPath(), {});
    EXPECT_EQ(convertRawCaptureToWav(), -1);
    EXPECT_EQ(seam.traces, (std::vector<std::string>{"Kann Rohdaten nicht öffnen", "Fehler beim Einlesen"}));

    // The WAV cannot be created beside the raw file: the raw file stays untouched.
    std::vector<std::uint8_t> raw(2048, 0x42);
    writeFile(tempWavPath(), raw);
    std::string blocker = replacementName(tempWavPath());
    ASSERT_EQ(::mkdir(blocker.c_str(), 0700), 0);
    seam.traces.clear();
    EXPECT_EQ(convertRawCaptureToWav(), -1);
    EXPECT_EQ(seam.traces, std::vector<std::string>{"Fehler bei open"});
    EXPECT_EQ(readFile(tempWavPath()), raw);
    ::rmdir(blocker.c_str());

    setTempWavPath(dir + "no/such/dir/temp.wav");
    seam.traces.clear();
    EXPECT_EQ(appendRawCapture(raw.data()), -1);
    EXPECT_EQ(seam.traces, std::vector<std::string>{"Fehler beim Öffnen temp.wav"});
    std::remove((dir + "keep-temp.wav").c_str());
    setTempWavPath("temp.wav");
}
