#include <gtest/gtest.h>

#include "support/FieldLog.h"
#include "bench/SignalDegrader.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/RobustReader.h"
#include "tape/TapeRecord.h"

namespace {
std::vector<std::uint8_t> image(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 29 + 3);
    return bytes;
}

const TapeHeader header{"BEIDE", 0x3000, 0, 0x3000};

DecodedRecord read(const std::vector<std::uint8_t>& samples, ReadingChoice choice = {}, FieldLog* log = nullptr) {
    return decodeRecordEitherWay(ByteView(samples), DecoderSettings{}, 44100, 0, log, choice);
}

std::vector<std::uint8_t> worn(const std::vector<std::uint8_t>& clean) {
    degrade::Faults faults;
    faults.noise = 0.5;
    faults.hum = 1;
    return degrade::degradeSignal(clean, faults);
}

// A reading of three blocks (600 bytes) whose listed blocks are faulty, their
// bytes spoiled with `spoil`.
DecodedRecord reading(std::vector<int> faulty, std::uint8_t spoil, bool filtered) {
    DecodedRecord record;
    record.status = DecodeStatus::Ok;
    record.image = image(600);
    record.blocks = 3;
    record.faultyBlocks = faulty;
    record.faulty = static_cast<int>(faulty.size());
    record.filtered = filtered;
    for (int block : faulty) record.image[(block - 1) * 256] ^= spoil;
    return record;
}
}

TEST(ReaderFallback, TheFirstReaderDecidesWhereItSucceeds) {
    FieldLog log;
    DecodedRecord record = read(encodeRecordSamples(image(300), header), {}, &log);
    EXPECT_EQ(record.status, DecodeStatus::Ok);
    EXPECT_FALSE(record.filtered);
    EXPECT_EQ(log.fields.size(), 4u);
}

TEST(ReaderFallback, TheSecondReaderTakesOverOnlyWithEveryBlockGood) {
    auto clean = encodeRecordSamples(image(300), header);
    auto samples = worn(clean);
    FieldLog log;
    DecodedRecord record = read(samples, {}, &log);
    ASSERT_EQ(record.status, DecodeStatus::Ok);
    EXPECT_TRUE(record.filtered);
    EXPECT_TRUE(record.image == image(300));
    EXPECT_EQ(log.fields.back(), std::make_pair(HeaderField::Sa, std::string("3000")));

    ReadingChoice exact;
    exact.exact = true;
    EXPECT_NE(read(samples, exact).status, DecodeStatus::Ok) << "--exact: the first reader alone";

    // A fault in the record itself: both readers read the wrong checksum, and the
    // first reader's result stands, fields as the first reader left them.
    auto bytes = layoutTapeRecord(image(300), header);
    bytes[tape::fixedBytes - 3 + 4 + 7] ^= 0x01;
    std::vector<std::uint8_t> faulty(bytes.size() * 240);
    faulty.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, faulty.data()));
    FieldLog firstOnly;
    record = read(faulty, {}, &firstOnly);
    EXPECT_FALSE(record.filtered);
    EXPECT_EQ(record.faultyBlocks, std::vector<int>{1});
    EXPECT_EQ(firstOnly.fields.size(), 4u);

    // Where only the second reader finds the record (hiss the first cannot
    // take), its reading stands, faulty as it is, and not "no sync".
    degrade::Faults hiss;
    hiss.noise = 1.25;
    record = read(degrade::degradeSignal(encodeRecordSamples(image(2048), header), hiss));
    EXPECT_EQ(record.status, DecodeStatus::Ok);
    EXPECT_TRUE(record.filtered);
    EXPECT_GT(record.faulty, 0) << "a seed whose hiss the second reader cannot take whole";
}

TEST(ReaderFallback, MergesTheGoodBlocksOfBothReadings) {
    struct Case {
        const char* name;
        DecodedRecord first, second;
        std::vector<int> faulty;
        bool filtered;
    } cases[] = {
        {"each reads what the other missed", reading({2}, 0x01, false), reading({1, 3}, 0x02, true), {}, true},
        {"a block both missed stays faulty", reading({2, 3}, 0x01, false), reading({3}, 0x02, true), {3}, true},
        {"the second adds nothing", reading({2}, 0x01, false), reading({2}, 0x02, true), {2}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DecodedRecord merged = mergeBestBlocks(c.first, c.second);
        EXPECT_EQ(merged.faultyBlocks, c.faulty);
        EXPECT_EQ(merged.faulty, static_cast<int>(c.faulty.size()));
        EXPECT_EQ(merged.filtered, c.filtered);
        for (int block = 1; block <= 3; ++block) {
            bool good = std::find(c.faulty.begin(), c.faulty.end(), block) == c.faulty.end();
            EXPECT_EQ(merged.image[(block - 1) * 256] == image(600)[(block - 1) * 256], good) << "block " << block;
        }
    }
    // Readings that do not match block for block, or that did not reach the end, are not mixed.
    DecodedRecord shorter = reading({}, 0, true);
    shorter.image.resize(500);
    EXPECT_EQ(mergeBestBlocks(reading({1}, 1, false), shorter).image.size(), 500u);
    // Only the second reader gives soft values: they go along.
    DecodedRecord soft = reading({1, 3}, 0x02, true);
    soft.blockSoft.assign((600 + 3 * 4) * 8, 1.0f);
    EXPECT_EQ(mergeBestBlocks(reading({2}, 0x01, false), soft).blockSoft, soft.blockSoft);
    // Block 1 holds the start address.
    DecodedRecord wrongAddress = reading({1}, 0x01, false), right = reading({2}, 0x02, true);
    wrongAddress.header.aa = 0x1400, right.header.aa = 0x1000;
    EXPECT_EQ(mergeBestBlocks(wrongAddress, right).header.aa, 0x1000);
    DecodedRecord irregular = reading({1}, 1, false);
    irregular.irregularBlocks = true;
    EXPECT_EQ(mergeBestBlocks(irregular, reading({2}, 2, true)).faulty, 1) << "blocks not where their numbers say";
    DecodedRecord broken = reading({}, 0, true);
    broken.status = DecodeStatus::NoEndByte;
    EXPECT_EQ(mergeBestBlocks(reading({1}, 1, false), broken).faulty, 1);
}

// One bit of the name far weaker than the others and saying another name
// (TELEFOL for TELEFON, as a fast gain control and a codec left it): every
// block checksum comes out true, yet neither reader may call the name sure.
// Clean, quieter, dull, slow, dipping, worn and resampled recordings keep it sure.
TEST(ReaderFallback, ANameBitFarWeakerThanTheOthersIsUnsureInEitherReader) {
    const auto program = image(700);
    auto signal = [&program](const char* name) {
        auto bytes = layoutTapeRecord(program, TapeHeader{name, 0x3000, 0, 0x3010});
        std::vector<std::uint8_t> samples(bytes.size() * 240);
        samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
        return samples;
    };
    const auto clean = signal("TELEFON"), lie = signal("TELEFOL");
    ASSERT_EQ(clean.size(), lie.size());
    auto weak = clean;
    for (std::size_t i = 0; i < clean.size(); ++i)
        if (clean[i] != lie[i]) weak[i] = static_cast<std::uint8_t>(128 + (lie[i] - 128) / 3);
    ReadingChoice exactly;
    exactly.exact = true;
    for (const DecodedRecord& record : {read(weak, exactly), decodeRecordFiltered(ByteView(weak), 44100)}) {
        EXPECT_EQ(record.header.name, "TELEFOL         ") << record.filtered;
        EXPECT_TRUE(readWhole(record)) << record.filtered;
        EXPECT_TRUE(record.nameUnsure) << record.filtered;
        EXPECT_FALSE(record.startUnsure) << record.filtered;
    }
    EXPECT_FALSE(readSure(read(weak)));

    struct Case {
        const char* name;
        degrade::Faults faults;
        std::uint32_t rate;
    };
    degrade::Faults none, quiet, dull, slow, dips, hiss, hum, resampled;
    quiet.level = 0.1, dull.lowPassHz = 1000, slow.speed = -0.1, dips.dipLevel = 0.1, hiss.noise = 0.1, hum.hum = 0.5;
    resampled.speed = 1;   // every other sample: the recording at 22050
    for (const Case& c : {Case{"clean", none, 44100}, Case{"quiet", quiet, 44100}, Case{"dull", dull, 44100},
                          Case{"slow", slow, 44100}, Case{"dips", dips, 44100}, Case{"hiss", hiss, 44100},
                          Case{"hum", hum, 44100}, Case{"22050", resampled, 22050}}) {
        const auto samples = degrade::degradeSignal(clean, c.faults);
        const DecodedRecord record = decodeRecordEitherWay(ByteView(samples), decoderSettingsAt(c.rate, 0x76), c.rate, 0,
                                                           nullptr, ReadingChoice{});
        EXPECT_TRUE(readSure(record)) << c.name << ": " << record.nameUnsure << record.startUnsure << record.faulty;
        EXPECT_EQ(record.header.name, "TELEFON         ") << c.name;
    }
}

// An echo can give the name strong bits of another place: a name behind
// which not one block came back good rests on nothing and is unsure in
// either reader; one good block behind it confirms it.
TEST(ReaderFallback, ANameWithNoGoodBlockBehindItIsUnsure) {
    const auto clean = encodeRecordSamples(image(700), TapeHeader{"TELEFOL", 0x3000, 0, 0x3010});
    const DecodedRecord layout = read(clean);
    ASSERT_EQ(layout.blockSpans.size(), 3u);
    ReadingChoice exactly;
    exactly.exact = true;
    for (std::size_t good = 0; good < 2; ++good) {
        auto spoiled = clean;
        for (std::size_t block = good; block < layout.blockSpans.size(); ++block) {
            const BlockSpan& span = layout.blockSpans[block];
            const std::size_t middle = (span.begin + span.end) / 2;
            for (std::size_t i = middle; i < middle + 300; ++i) spoiled[i] = static_cast<std::uint8_t>(256 - spoiled[i]);
        }
        for (const DecodedRecord& record : {read(spoiled, exactly), decodeRecordFiltered(ByteView(spoiled), 44100)}) {
            EXPECT_EQ(record.header.name, "TELEFOL         ") << record.filtered;
            EXPECT_EQ(record.faulty, static_cast<int>(3 - good)) << record.filtered;
            EXPECT_EQ(record.nameUnsure, good == 0) << record.filtered << " with " << good << " good block";
        }
    }
}
