#include <gtest/gtest.h>

#include <random>

#include "tape/Encoder.h"
#include "tape/TapeRecord.h"

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
