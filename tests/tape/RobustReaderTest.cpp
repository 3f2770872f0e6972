#include <gtest/gtest.h>

#include <random>

#include "bench/SignalDegrader.h"
#include "support/RandomImage.h"
#include "tape/Decoder.h"
#include "tape/Encoder.h"
#include "tape/RobustReader.h"
#include "tape/TapeRecord.h"

namespace {
const TapeHeader header{"ROBUST", 0x2000, 0, 0x2010};

// Where the record's bytes lie in layoutTapeRecord().
constexpr std::size_t syncAt = tape::leadInBytes, gapAt = syncAt + 2 + tape::nameBytes;
constexpr std::size_t dataStart = gapAt + tape::gapBytes + 4;

// The samples of `bytes` with some noise, so that weak has a measure.
std::vector<std::uint8_t> noisySamples(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    std::mt19937 random(1);
    for (auto& sample : samples) sample = static_cast<std::uint8_t>(sample + static_cast<int>(random() % 7) - 3);
    return samples;
}

// The cell of bit `bit` (0: the first sent) of bytes[byte] made flat, but for
// one sample in the half that says the bit as encoded: read so, but far weaker
// than the noise.
void weakenCell(std::vector<std::uint8_t>& samples, const std::vector<std::uint8_t>& bytes, std::size_t byte, int bit) {
    std::vector<std::uint8_t> scratch(byte * 240);
    std::size_t at = encodeBytesInto(bytes.data(), byte, 14, scratch.data());
    int previous = bytes[byte - 1] & 1, value = 0, length = 0;
    for (int index = 0; index <= bit; ++index, previous = value) {
        at += length;
        value = bytes[byte] >> (7 - index) & 1;
        length = value == previous ? 30 : 29;   // a cell that begins with a transition is one sample longer
    }
    // A few samples more on each side: the reader's cells need not start where the encoder's do.
    std::fill(samples.begin() + static_cast<std::ptrdiff_t>(at - 3),
              samples.begin() + static_cast<std::ptrdiff_t>(at + length + 3), std::uint8_t{0x80});
    samples[at + (value ? 3 * length / 4 : length / 4)] = 0x81;
}

// The soft values' signs give the bytes read, block for block.
void expectSoftValuesOfTheImage(const DecodedRecord& record) {
    ASSERT_EQ(record.blockSoft.size(), (record.image.size() + 4 * static_cast<std::size_t>(record.blocks)) * 8);
    for (std::size_t i = 0; i < record.image.size(); ++i) {
        const float* bits = &record.blockSoft[blockSoftOffset(static_cast<int>(i / 256) + 1) + (3 + i % 256) * 8];
        int byte = 0;
        for (int bit = 0; bit < 8; ++bit) byte = byte << 1 | (bits[bit] > 0);
        ASSERT_EQ(byte, record.image[i]) << "byte " << i;
    }
}

void expectRead(const DecodedRecord& record, const std::vector<std::uint8_t>& image) {
    expectSoftValuesOfTheImage(record);
    EXPECT_EQ(record.status, DecodeStatus::Ok);
    EXPECT_EQ(record.faulty, 0);
    EXPECT_TRUE(record.filtered);
    EXPECT_EQ(record.header.name, "ROBUST          ");
    EXPECT_EQ(record.header.aa, 0x2000);
    EXPECT_EQ(record.header.sa, 0x2010);
    EXPECT_TRUE(record.image == image);
}
}

TEST(RobustReader, ReadsCleanRecordingsAtBothRatesAndPolarities) {
    struct Case {
        std::size_t size;
        int halfCell;
        std::uint32_t rate;
        bool invert;
    } cases[] = {{1, 14, 44100, false}, {256, 14, 44100, true}, {700, 7, 22050, false}, {300, 7, 22050, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << " bytes at " << c.rate << (c.invert ? ", inverted" : ""));
        auto image = randomImage(c.size, 3);
        auto samples = encodeRecordSamples(image, header, c.halfCell);
        if (c.invert)
            for (auto& sample : samples) sample = static_cast<std::uint8_t>(256 - sample);
        DecodedRecord record = decodeRecordFiltered(ByteView(samples), c.rate);
        expectRead(record, image);
        EXPECT_EQ(record.inverted, c.invert);
        EXPECT_EQ(record.blocks, static_cast<int>((c.size + 255) / 256));
    }
}

// A few cells of the degradation bench, each at its target's strength.
TEST(RobustReader, ReadsWornRecordings) {
    struct Case {
        const char* name;
        void (*wear)(degrade::Faults&);
    } cases[] = {
        {"noise 0.75", [](degrade::Faults& f) { f.noise = 0.75; }},
        {"level 2 %", [](degrade::Faults& f) { f.level = 0.02; }},
        {"hum twice the signal", [](degrade::Faults& f) { f.hum = 2; }},
        {"drift twice the signal", [](degrade::Faults& f) { f.drift = 2; }},
        {"low-pass 1 kHz", [](degrade::Faults& f) { f.lowPassHz = 1000; }},
        {"20 % slow", [](degrade::Faults& f) { f.speed = -0.2; }},
        {"20 % fast", [](degrade::Faults& f) { f.speed = 0.2; }},
        {"wobble 5 % at 2 Hz", [](degrade::Faults& f) { f.wobble = 0.05, f.wobbleHz = 2; }},
        {"dips to 5 %", [](degrade::Faults& f) { f.dipLevel = 0.05; }},
        {"noise, hum, low-pass", [](degrade::Faults& f) { f.noise = 0.5, f.hum = 1, f.lowPassHz = 1500; }},
    };
    auto image = randomImage(600, 5);
    auto clean = encodeRecordSamples(image, header);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        degrade::Faults faults;
        c.wear(faults);
        auto samples = degrade::degradeSignal(clean, faults);
        expectRead(decodeRecordFiltered(ByteView(samples), 44100), image);
    }
}

TEST(RobustReader, FindsNoRecordInNoiseOrSilence) {
    std::mt19937 random(9);
    std::vector<std::uint8_t> noise(1 << 20);
    for (auto& sample : noise) sample = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> silence(100000, 0x80), nothing;
    for (const std::vector<std::uint8_t>* samples : {&noise, &silence, &nothing}) {
        DecodedRecord record = decodeRecordFiltered(ByteView(*samples), 44100);
        EXPECT_EQ(record.status, DecodeStatus::NoSync);
        EXPECT_EQ(record.endPosition, samples->size());
        EXPECT_FALSE(record.nameRead);
    }
}

TEST(RobustReader, TakesOnlyASyncBeforeTheLimitAndFromTheStart) {
    auto first = randomImage(40, 1), second = randomImage(50, 2);
    auto side = encodeRecordSamples(first, header);
    const std::size_t secondStart = side.size() + 20000;
    side.resize(secondStart, 0x80);
    auto more = encodeRecordSamples(second, header);
    side.insert(side.end(), more.begin(), more.end());

    DecodedRecord record = decodeRecordFiltered(ByteView(side), 44100);
    EXPECT_TRUE(record.image == first);
    EXPECT_LT(record.endPosition, secondStart);
    EXPECT_TRUE(decodeRecordFiltered(ByteView(side), 44100, record.endPosition).image == second);
    EXPECT_EQ(decodeRecordFiltered(ByteView(side), 44100, record.endPosition, nullptr, secondStart).status,
              DecodeStatus::NoSync);
}

// One bit of the sync byte read otherwise (a phone line, a codec): the record
// is found where the header behind it bears it out (pre-byte, a printable
// name, block 1 behind the gap with a true checksum or with the next block
// right behind it), and only there.
TEST(RobustReader, FindsASyncWithOneWrongBitWhereTheHeaderBearsItOut) {
    const auto image = randomImage(300, 5);
    struct Case {
        const char* name;
        std::vector<std::pair<std::size_t, std::uint8_t>> flips;   // (byte, bits)
        bool found;
    } cases[] = {
        {"one bit of the sync", {{syncAt, 0x04}}, true},
        {"its first bit", {{syncAt, 0x80}}, true},
        {"two bits of the sync", {{syncAt, 0x14}}, false},
        {"one bit, a control character in the name", {{syncAt, 0x04}, {syncAt + 2 + 3, 0x40}}, false},
        {"one bit, block 1 faulty", {{syncAt, 0x04}, {dataStart + 10, 0x10}}, true},
        {"one bit, block 1 faulty, its length wrong", {{syncAt, 0x04}, {dataStart + 10, 0x10}, {dataStart - 3, 0x01}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = layoutTapeRecord(image, header);
        for (auto [byte, bits] : c.flips) bytes[byte] ^= bits;
        const DecodedRecord record = decodeRecordFiltered(ByteView(noisySamples(bytes)), 44100);
        if (!c.found) {
            EXPECT_EQ(record.status, DecodeStatus::NoSync);
        } else if (c.flips.size() == 1) {
            expectRead(record, image);
        } else {
            EXPECT_EQ(record.status, DecodeStatus::Ok);
            EXPECT_EQ(record.faultyBlocks, std::vector<int>{1});
        }
    }
}

// Two bits of one block read wrong but weak, at the same place in two data
// bytes and in opposite directions: the checksum comes out true all the same.
// The reader must not call such a block good.
TEST(RobustReader, DoubtsABlockWhoseWeakBitsCancelInTheChecksum) {
    auto image = randomImage(100, 4);
    image[10] = 0x00, image[20] = 0xFF;
    auto bytes = layoutTapeRecord(image, header);
    bytes[dataStart + 10] ^= 0x08, bytes[dataStart + 20] ^= 0x08;   // the sum stays as it was
    auto samples = noisySamples(bytes);
    for (std::size_t byte : {dataStart + 10, dataStart + 20}) weakenCell(samples, bytes, byte, 4);   // bit 3 is the fifth cell

    DecodedRecord record = decodeRecordFiltered(ByteView(samples), 44100);
    ASSERT_EQ(record.status, DecodeStatus::Ok);
    EXPECT_EQ(record.image[10], 0x08);
    EXPECT_EQ(record.image[20], 0xF7);
    EXPECT_EQ(record.faultyBlocks, std::vector<int>{1});
}

// At hiss as strong as the signal's peak the clock jitters: blocks whose
// checksum fails are read once more with the clock smoothed, and come out right.
TEST(RobustReader, ReadsAFailedBlockOnceMoreWithASmoothedClock) {
    auto image = randomImage(2048, 6);
    auto clean = encodeRecordSamples(image, header);
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        degrade::Faults faults;
        faults.noise = 1.0;
        faults.seed = seed;
        auto samples = degrade::degradeSignal(clean, faults);
        expectRead(decodeRecordFiltered(ByteView(samples), 44100), image);
    }
}

// A framing byte may be taken where only weak bits say otherwise, and the sync
// behind a lead-in with a few unsure bits: hiss does that now and then. Strong
// wrong bits and more unsure ones still count.
TEST(RobustReader, ToleratesWeakBitsInFramingAndLeadIn) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::size_t, int>> changed, weakened;   // (byte, bit from the first sent)
        DecodeStatus status;
    } cases[] = {
        {"pre-byte", {{syncAt + 1, 4}}, {{syncAt + 1, 4}}, DecodeStatus::Ok},
        {"gap byte", {{gapAt + 200, 4}}, {{gapAt + 200, 4}}, DecodeStatus::Ok},
        {"gap byte, strong", {{gapAt + 200, 4}}, {}, DecodeStatus::NoBlockPreByte},
        {"first block's pre-byte", {{dataStart - 4, 0}}, {{dataStart - 4, 0}}, DecodeStatus::Ok},
        {"two unsure lead-in bits", {}, {{syncAt - 3, 3}, {syncAt - 1, 6}}, DecodeStatus::Ok},
        {"an unsure lead-in bit read wrong", {{syncAt - 2, 4}}, {{syncAt - 2, 4}}, DecodeStatus::Ok},
        // Too unsure a sync for itself, borne out by the header behind it.
        {"three unsure lead-in bits", {}, {{syncAt - 5, 1}, {syncAt - 3, 3}, {syncAt - 1, 6}}, DecodeStatus::Ok},
    };
    auto image = randomImage(300, 7);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = layoutTapeRecord(image, header);
        for (auto [byte, bit] : c.changed) bytes[byte] ^= static_cast<std::uint8_t>(0x80 >> bit);
        auto samples = noisySamples(bytes);
        for (auto [byte, bit] : c.weakened) weakenCell(samples, bytes, byte, bit);
        DecodedRecord record = decodeRecordFiltered(ByteView(samples), 44100);
        EXPECT_EQ(record.status, c.status);
        if (c.status == DecodeStatus::Ok) expectRead(record, image);
    }
}

// Name and sa have no checksum: a weak bit in them makes them unsure, though
// read right. The exact reader gives no soft values and no such flag.
TEST(RobustReader, MarksANameOrStartAddressWithAWeakBitUnsure) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::ptrdiff_t, int>> weakened;   // (byte, from the end where negative; bit)
        bool nameUnsure, startUnsure;
    } cases[] = {
        {"none", {}, false, false},
        {"a name bit", {{syncAt + 2 + 3, 5}}, true, false},
        {"the last name byte", {{syncAt + 2 + 15, 0}}, true, false},
        {"a bit of sa", {{-1, 2}}, false, true},
    };
    auto image = randomImage(300, 8);
    auto bytes = layoutTapeRecord(image, header);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto samples = noisySamples(bytes);
        for (auto [byte, bit] : c.weakened)
            weakenCell(samples, bytes, static_cast<std::size_t>(byte < 0 ? static_cast<std::ptrdiff_t>(bytes.size()) + byte : byte), bit);
        DecodedRecord record = decodeRecordFiltered(ByteView(samples), 44100);
        expectRead(record, image);
        EXPECT_EQ(record.nameUnsure, c.nameUnsure);
        EXPECT_EQ(record.startUnsure, c.startUnsure);
        EXPECT_EQ(record.nameSoft.size(), 128u);
        EXPECT_EQ(record.startSoft.size(), 16u);
    }
    DecodedRecord exact = decodeRecord(ByteView(noisySamples(bytes)), DecoderSettings{});
    EXPECT_EQ(exact.status, DecodeStatus::Ok);
    EXPECT_TRUE(exact.nameSoft.empty() && exact.blockSoft.empty());
    EXPECT_FALSE(exact.nameUnsure || exact.startUnsure);
}
