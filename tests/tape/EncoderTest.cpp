#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "support/RecordingInterface.h"
#include "tape/AudioFormat.h"
#include "tape/Encoder.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"

namespace {
// The signal as the rules state it, written out independently of the encoder.
const std::vector<std::uint8_t> rampUp = {128, 178, 203, 215, 221, 224, 225, 228, 228, 228, 228, 228, 228, 228, 228};
const std::vector<std::uint8_t> rampDown = {128, 78, 53, 40, 33, 29, 27, 26, 28, 28, 28, 28, 28, 28, 28};
const std::vector<std::uint8_t> holdHigh(14, 228);
const std::vector<std::uint8_t> holdLow(14, 28);

std::vector<std::uint8_t> referenceSignal(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out;
    int previous = -1;
    auto put = [&out](const std::vector<std::uint8_t>& part) { out.insert(out.end(), part.begin(), part.end()); };
    for (std::uint8_t byte : bytes) {
        for (int i = 7; i >= 0; --i) {
            int bit = (byte >> i) & 1;
            if (bit == 0) {
                put(previous == 1 ? holdHigh : rampUp);
                put(rampDown);
            } else {
                put(previous == 0 ? holdLow : rampDown);
                put(rampUp);
            }
            previous = bit;
        }
    }
    return out;
}

std::size_t encodedLength(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> out(bytes.size() * 240 + 240);
    return encodeBytesInto(bytes.data(), bytes.size(), 14, out.data());
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
}

TEST(Encoder, CellsTake29Or30SamplesAsTheBitsDemand) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        std::size_t samples;
    };
    const Case cases[] = {
        {{0xE6}, 237},               // the very first byte: all cells begin with a transition but two
        {{0x00, 0xE6}, 240 + 236},   // after a 0 bit 0xE6 begins with a hold
        {{0x00, 0x00}, 480},
        {{0xFF}, 240},
        {{0x55}, 30 + 7 * 29},
        {{0xAA}, 30 + 7 * 29},
    };
    for (const Case& c : cases) EXPECT_EQ(encodedLength(c.bytes), c.samples) << int(c.bytes.back());

    std::vector<std::uint8_t> leadIn(512, 0x00);
    EXPECT_EQ(encodedLength(leadIn), 4096u * 30) << "the lead-in is 4096 cells of 30 samples";
}

TEST(Encoder, RecordSignalEqualsTheRulesSampleForSample) {
    std::mt19937 random(7);
    for (std::size_t size : {1u, 2u, 255u, 256u, 257u, 700u}) {
        std::vector<std::uint8_t> image(size);
        for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
        TapeHeader header{"TEST", 0x1000, 0xFFFF, 0x1234};
        auto signal = encodeRecordSamples(image, header);
        ASSERT_EQ(signal, referenceSignal(layoutTapeRecord(image, header))) << size;
        EXPECT_LE(signal.size(), encoderBufferSize(size)) << size;
        header.ea = 0x0000;
        EXPECT_EQ(encodeRecordSamples(image, header), signal) << "ea does not travel";
    }
}

TEST(Encoder, BeginsWithARampUpAndARampDown) {
    auto signal = encodeRecordSamples({0x00}, TapeHeader{"A", 0x1000, 0x1000, 0x1000});
    std::vector<std::uint8_t> first(signal.begin(), signal.begin() + 30);
    std::vector<std::uint8_t> expected = rampUp;
    expected.insert(expected.end(), rampDown.begin(), rampDown.end());
    EXPECT_EQ(first, expected);
}

TEST(Encoder, HalfCellsOf7SamplesAt22050) {
    std::vector<std::uint8_t> out(1000);
    const std::uint8_t zero = 0x00;
    // The falling ramp runs out of samples before its step reaches -1.
    ASSERT_EQ(encodeBytesInto(&zero, 1, 7, out.data()), 8u * 15);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 16),
              (std::vector<std::uint8_t>{128, 178, 203, 215, 221, 224, 225, 228, 128, 78, 53, 40, 33, 29, 27, 128}));
}

TEST(Encoder, BufferRuleBoundsEveryRecord) {
    EXPECT_EQ(encoderBufferSize(0), 795u * 240);
    EXPECT_EQ(encoderBufferSize(1), 796u * 240);
    EXPECT_EQ(encoderBufferSize(256), (256u + 5 + 795) * 240);
    EXPECT_EQ(encoderBufferSize(25), (25u + 0 + 795) * 240) << "5 * 25 / 256 = 0.49 rounds down";
    EXPECT_EQ(encoderBufferSize(26), (26u + 1 + 795) * 240) << "5 * 26 / 256 = 0.51 rounds up";
    // The worst case: every byte 0x00 or 0xFF takes 240 samples.
    for (std::size_t size : {1u, 257u, 513u}) {
        std::vector<std::uint8_t> image(size, 0xFF);
        EXPECT_LE(encodeRecordSamples(image, TapeHeader{"", 0xFFFF, 0, 0xFFFF}).size(), encoderBufferSize(size));
    }
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
