#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "support/FieldLog.h"
#include "support/RandomImage.h"
#include "tape/Decoder.h"
#include "tape/Encoder.h"
#include "tape/TapeRecord.h"

namespace {
// Any byte sequence as signal, e.g. a record with a fault built in.
std::vector<std::uint8_t> signalOf(const std::vector<std::uint8_t>& bytes, int halfCell = 14) {
    std::vector<std::uint8_t> out(bytes.size() * 16 * (halfCell + 1));
    out.resize(encodeBytesInto(bytes.data(), bytes.size(), halfCell, out.data()));
    return out;
}

DecodedRecord decode(const std::vector<std::uint8_t>& samples, int threshold = 20, std::size_t start = 0,
                     bool resume = false) {
    DecoderSettings settings;
    settings.threshold = threshold;
    settings.resumeSearch = resume;
    return decodeRecord(ByteView(samples), settings, start);
}

// Level changes a recording brings: scaled about the centre, inverted, noisy.
std::vector<std::uint8_t> shaped(std::vector<std::uint8_t> samples, int amplitude, bool invert, int noise,
                                 unsigned seed = 1) {
    std::mt19937 random(seed);
    for (auto& sample : samples) {
        int value = (static_cast<int>(sample) - 128) * amplitude / 100;
        if (invert) value = -value;
        if (noise) value += static_cast<int>(random() % (2 * noise + 1)) - noise;
        sample = static_cast<std::uint8_t>(std::clamp(value + 128, 0, 255));
    }
    return samples;
}

std::vector<std::uint8_t> everySecond(const std::vector<std::uint8_t>& samples) {
    std::vector<std::uint8_t> half;
    for (std::size_t i = 0; i < samples.size(); i += 2) half.push_back(samples[i]);
    return half;
}

const TapeHeader testHeader{"TEST", 0x1000, 0, 0x1234};
}

TEST(Decoder, GivesBackWhatTheEncoderWrote) {
    for (std::size_t size : {1u, 255u, 256u, 257u, 1000u}) {
        auto image = randomImage(size, static_cast<unsigned>(size));
        auto record = decode(encodeRecordSamples(image, testHeader));
        ASSERT_EQ(record.status, DecodeStatus::Ok) << size;
        EXPECT_EQ(record.header.name, "TEST            ") << "the 16 bytes as read";
        EXPECT_EQ(record.header.aa, 0x1000);
        EXPECT_EQ(record.header.ea, 0x1000 + size - 1);
        EXPECT_EQ(record.header.sa, 0x1234);
        EXPECT_EQ(record.image, image) << size;
        EXPECT_EQ(record.blocks, static_cast<int>((size + 255) / 256));
        EXPECT_EQ(record.faulty, 0);
        EXPECT_FALSE(record.inverted);
    }
}

TEST(Decoder, ReadsRecordingsAsTheyComeFromATape) {
    auto image = randomImage(600, 3);
    auto at44 = encodeRecordSamples(image, testHeader);
    auto at22 = encodeRecordSamples(image, testHeader, 7);
    std::vector<std::uint8_t> lead(3000, 0x80);
    std::mt19937 random(5);
    for (int i = 0; i < 3000; ++i) lead.push_back(static_cast<std::uint8_t>(128 + static_cast<int>(random() % 7) - 3));
    auto withLead = lead;
    withLead.insert(withLead.end(), at44.begin(), at44.end());
    struct Case {
        const char* what;
        std::vector<std::uint8_t> samples;
        int threshold;
        bool inverted;
    };
    const Case cases[] = {
        {"reversed polarity", shaped(at44, 100, true, 0), 20, true},
        {"22050 per second", at22, 10, false},
        {"22050, reversed", shaped(at22, 100, true, 0), 10, true},
        {"halved 44100 signal", everySecond(at44), 10, false},
        {"quiet (+-20)", shaped(at44, 20, false, 0), 20, false},
        {"quiet and reversed", shaped(at44, 20, true, 0), 20, true},
        {"loud, clipped", shaped(at44, 200, false, 0), 20, false},
        {"light noise", shaped(at44, 100, false, 8), 20, false},
        {"light noise, reversed", shaped(at44, 100, true, 8), 20, true},
        {"light noise at 22050", shaped(at22, 100, false, 8), 10, false},
        {"light noise at 22050, reversed", shaped(at22, 100, true, 8), 10, true},
        {"silence and low noise first", withLead, 20, false},
    };
    for (const Case& c : cases) {
        auto record = decode(c.samples, c.threshold);
        ASSERT_EQ(record.status, DecodeStatus::Ok) << c.what;
        EXPECT_EQ(record.inverted, c.inverted) << c.what;
        EXPECT_EQ(record.image, image) << c.what;
        EXPECT_EQ(record.faulty, 0) << c.what;
        EXPECT_EQ(record.header.sa, 0x1234) << c.what;
    }
}

TEST(Decoder, CountsAFaultyBlockAndKeepsItsData) {
    auto image = randomImage(700, 9);
    auto bytes = layoutTapeRecord(image, testHeader);
    const std::size_t firstData = 512 + 2 + 16 + 256 + 4;
    bytes[firstData + 256 + 5 + 10] ^= 0x01;   // block 2, byte 10
    auto record = decode(signalOf(bytes));
    ASSERT_EQ(record.status, DecodeStatus::Ok);
    EXPECT_EQ(record.blocks, 3);
    EXPECT_EQ(record.faulty, 1);
    EXPECT_EQ(record.faultyBlocks, std::vector<int>{2});
    image[256 + 10] ^= 0x01;
    EXPECT_EQ(record.image, image);
    EXPECT_EQ(faultyReportText(record), "Blöcke gelesen:\t3\r\ndavon fehlerhaft:\t1");
}

TEST(Decoder, StopsWithTheMessageOfWhatIsMissing) {
    auto image = randomImage(300, 11);
    auto good = layoutTapeRecord(image, testHeader);
    const std::size_t preByteAt = 513, blockAt = 512 + 2 + 16 + 256, endAt = good.size() - 3;
    auto withByte = [&good](std::size_t at, std::uint8_t value) {
        auto bytes = good;
        bytes[at] = value;
        return signalOf(bytes);
    };
    auto full = signalOf(good);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> samples;
        DecodeStatus status;
        int message;
    };
    const Case cases[] = {
        {"no samples", {}, DecodeStatus::TooQuiet, 16015},
        {"only the centre line", std::vector<std::uint8_t>(5000, 0x80), DecodeStatus::TooQuiet, 16015},
        {"a tone without sync", signalOf(std::vector<std::uint8_t>(600, 0x00)), DecodeStatus::NoSync, 16016},
        {"cut inside the lead-in", std::vector<std::uint8_t>(full.begin(), full.begin() + 100000), DecodeStatus::NoSync, 16016},
        {"wrong pre-byte", withByte(preByteAt, 0x12), DecodeStatus::NoPreByte, 16017},
        {"no block pre-byte", withByte(blockAt, 0x3D), DecodeStatus::NoBlockPreByte, 16018},
        {"no end byte", withByte(endAt, 0x11), DecodeStatus::NoEndByte, 16020},
        {"cut inside the data", std::vector<std::uint8_t>(full.begin(), full.end() - 20000), DecodeStatus::CutShort, 16021},
        {"cut inside the last byte", std::vector<std::uint8_t>(full.begin(), full.end() - 100), DecodeStatus::CutShort, 16021},
    };
    for (const Case& c : cases) {
        auto record = decode(c.samples);
        EXPECT_EQ(record.status, c.status) << c.what;
        EXPECT_EQ(decodeStatusMessage(record.status), c.message) << c.what;
        EXPECT_LE(record.endPosition, c.samples.size()) << c.what;
    }
}

TEST(Decoder, RefusesMoreThan65536DataBytes) {
    auto fits = decode(encodeRecordSamples(std::vector<std::uint8_t>(65536, 0xA5), TapeHeader{"X", 0, 0, 0}));
    ASSERT_EQ(fits.status, DecodeStatus::Ok);
    EXPECT_EQ(fits.image.size(), 65536u);
    EXPECT_EQ(fits.header.ea, 0xFFFF);
    auto tooLong = decode(encodeRecordSamples(std::vector<std::uint8_t>(65537, 0xA5), TapeHeader{"X", 0, 0, 0}));
    EXPECT_EQ(tooLong.status, DecodeStatus::TooLong);
    EXPECT_EQ(decodeStatusMessage(tooLong.status), 16022);
    EXPECT_EQ(tooLong.image.size(), 65536u);
}

TEST(Decoder, NameEndsAtAZeroByteAndFieldsFollowAsRead) {
    auto bytes = layoutTapeRecord({1, 2, 3}, TapeHeader{"AB", 0xFFFE, 0, 0x0100});
    bytes[514 + 2] = 0x00;
    bytes[514 + 3] = 'C';
    FieldLog log;
    auto samples = signalOf(bytes);
    auto record = decodeRecord(ByteView(samples), DecoderSettings{}, 0, &log);
    ASSERT_EQ(record.status, DecodeStatus::Ok);
    EXPECT_EQ(record.header.name, "AB");
    EXPECT_EQ(record.header.ea, 0x0000) << "16-bit addresses wrap";
    EXPECT_EQ(log.fields, (FieldLog::Fields{{HeaderField::Name, "AB"},
                                            {HeaderField::Aa, "FFFE"},
                                            {HeaderField::Ea, "0000"},
                                            {HeaderField::Sa, "0100"}}));

    // A failure after the name leaves the address fields alone.
    bytes[bytes.size() - 3] = 0x11;
    samples = signalOf(bytes);
    FieldLog partial;
    EXPECT_EQ(decodeRecord(ByteView(samples), DecoderSettings{}, 0, &partial).status, DecodeStatus::NoEndByte);
    EXPECT_EQ(partial.fields, (FieldLog::Fields{{HeaderField::Name, "AB"}}));
}

TEST(Decoder, FindsEveryRecordOfATapeSide) {
    auto first = randomImage(300, 21), second = randomImage(40, 22);
    auto side = encodeRecordSamples(first, TapeHeader{"EINS", 0x1000, 0, 0x1000});
    side.insert(side.end(), 20000, 0x80);
    auto more = encodeRecordSamples(second, TapeHeader{"ZWEI", 0x2000, 0, 0x2003});
    side.insert(side.end(), more.begin(), more.end());
    side.insert(side.end(), 5000, 0x80);

    auto one = decode(side, 20, 0, true);
    ASSERT_EQ(one.status, DecodeStatus::Ok);
    EXPECT_EQ(one.image, first);
    auto two = decode(side, 20, one.endPosition, true);
    ASSERT_EQ(two.status, DecodeStatus::Ok);
    EXPECT_EQ(two.header.name, "ZWEI            ");
    EXPECT_EQ(two.image, second);
    auto none = decode(side, 20, two.endPosition, true);
    EXPECT_NE(none.status, DecodeStatus::Ok);
}

TEST(Decoder, NeverReadsOutsideTheSamples) {
    // Every cut lies in a block of exactly its size, so a read past it is a read
    // past the block (caught by the sanitizer build); cuts run from the start to
    // each of the last samples (the last few are not needed for the end byte). A
    // cut record either fails or comes back whole.
    const auto image = randomImage(20, 1);
    const auto full = encodeRecordSamples(image, testHeader);
    const DecodedRecord whole = decode(full);
    ASSERT_EQ(whole.status, DecodeStatus::Ok);
    std::mt19937 random(99);
    const std::size_t tail = full.size() - 64;
    for (std::size_t cut = 0; cut <= full.size(); cut = cut < tail ? std::min(cut + 1 + random() % 1300, tail) : cut + 1) {
        for (bool flipped : {false, true}) {
            std::vector<std::uint8_t> samples(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
            for (int flips = 0; flipped && flips < 5 && !samples.empty(); ++flips)
                samples[random() % samples.size()] = static_cast<std::uint8_t>(random());
            const DecodedRecord record = decode(samples, flipped ? 10 : 20, flipped ? random() % (cut + 2000) : 0);
            EXPECT_LE(record.endPosition, cut);
            if (record.status != DecodeStatus::Ok) continue;
            EXPECT_EQ(record.image.size(), image.size()) << "cut " << cut << ": success with bytes missing";
            if (!flipped) {
                EXPECT_EQ(record.image, image) << "cut " << cut;
                EXPECT_EQ(record.header.sa, testHeader.sa) << "cut " << cut;
            }
        }
    }
}
