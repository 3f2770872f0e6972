#include <gtest/gtest.h>

#include "support/RandomImage.h"
#include "tape/CopyMerge.h"
#include "tape/Encoder.h"
#include "tape/TapeRecord.h"

namespace {
constexpr std::size_t nameAt = tape::leadInBytes + 2, firstBlockAt = nameAt + tape::nameBytes + tape::gapBytes;
constexpr float sure = 3.0f;

void addSoft(const std::uint8_t* bytes, std::size_t count, std::vector<float>& soft) {
    for (std::size_t i = 0; i < count; ++i)
        for (int bit = 7; bit >= 0; --bit) soft.push_back((bytes[i] >> bit & 1) ? sure : -sure);
}

// A copy of "REAL" (600 bytes, three blocks) at `aa` as the noise-proof
// reader gives it, every bit sure.
DecodedRecord copyOf(const std::vector<std::uint8_t>& image, std::uint16_t aa = 0x1000,
                     const char* name = "REAL            ", std::uint16_t sa = 0x1000) {
    DecodedRecord copy;
    copy.status = DecodeStatus::Ok;
    copy.filtered = true;
    copy.header = TapeHeader{name, aa, static_cast<std::uint16_t>(aa + image.size() - 1), sa};
    copy.image = image;
    copy.blocks = static_cast<int>((image.size() + 255) / 256);
    auto bytes = layoutTapeRecord(image, copy.header);
    addSoft(&bytes[nameAt], tape::nameBytes, copy.nameSoft);
    addSoft(&bytes[bytes.size() - 2], 2, copy.startSoft);
    for (int block = 0; block < copy.blocks; ++block) {
        std::size_t count = std::min<std::size_t>(256, image.size() - block * 256u);
        addSoft(&bytes[firstBlockAt + block * (256 + tape::blockFramingBytes) + 1], count + 4, copy.blockSoft);
    }
    return copy;
}

// Data byte `byte` of block `block` read wrong in one bit with soft value
// `soft` (in place of the right sign's `sure`): the block becomes faulty.
void spoil(DecodedRecord& copy, int block, std::size_t byte, int bit, float soft) {
    std::size_t at = blockSoftOffset(block) + (3 + byte) * 8 + (7 - bit);
    bool one = copy.blockSoft[at] > 0;
    copy.blockSoft[at] = one ? -soft : soft;
    copy.image[(block - 1) * 256 + byte] ^= static_cast<std::uint8_t>(1 << bit);
    if (std::find(copy.faultyBlocks.begin(), copy.faultyBlocks.end(), block) == copy.faultyBlocks.end())
        copy.faultyBlocks.push_back(block);
    copy.faulty = static_cast<int>(copy.faultyBlocks.size());
}
}

TEST(CopyMerge, TakesEachBlockFromACopyThatReadItGood) {
    const auto image = randomImage(600, 5);
    struct Case {
        const char* name;
        std::vector<std::pair<int, int>> spoiled;   // (copy from 0, block)
        bool soft;                                  // the copies give soft values
        std::vector<int> sources;
    } cases[] = {
        {"each copy fails another block", {{0, 1}, {1, 3}}, true, {2, 1, 1}},
        {"the same block, but not the same bits: summed", {{0, 2}, {1, 2}}, true, {1, combinedCopies, 1}},
        {"the same block without soft values", {{0, 2}, {1, 2}}, false, {1, noGoodCopy, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DecodedRecord> copies{copyOf(image), copyOf(image)};
        for (auto [copy, block] : c.spoiled) spoil(copies[copy], block, 10 + copy * 50, 3, 0.3f);
        for (auto& copy : copies)
            if (!c.soft) copy.blockSoft.clear(), copy.filtered = false;
        auto programs = mergeCopies(copies);
        ASSERT_EQ(programs.size(), 1u);
        EXPECT_EQ(programs[0].copies, (std::vector<std::size_t>{0, 1}));
        EXPECT_EQ(programs[0].blockSources, c.sources);
        const bool good = std::find(c.sources.begin(), c.sources.end(), noGoodCopy) == c.sources.end();
        EXPECT_EQ(programs[0].record.faulty, good ? 0 : 1);
        EXPECT_EQ(programs[0].record.image == image, good);
        EXPECT_EQ(programs[0].record.header.aa, 0x1000);
        EXPECT_EQ(programs[0].record.header.ea, 0x1257);
    }
    // The same wrong bit in both: the sum is wrong too, and its checksum says
    // so. A weak bit in the length byte leaves the whole sum in doubt.
    std::vector<DecodedRecord> copies{copyOf(image), copyOf(image)};
    for (auto& copy : copies) spoil(copy, 2, 10, 3, 2.0f);
    EXPECT_EQ(mergeCopies(copies)[0].blockSources, (std::vector<int>{1, noGoodCopy, 1}));
    copies = {copyOf(image), copyOf(image)};
    for (int i = 0; i < 2; ++i) spoil(copies[i], 2, 10 + i * 50, 3, 0.3f), copies[i].blockSoft[blockSoftOffset(2)] = -0.1f;
    EXPECT_EQ(mergeCopies(copies)[0].blockSources, (std::vector<int>{1, noGoodCopy, 1}));
}

TEST(CopyMerge, KeepsDifferentProgramsApart) {
    const auto image = randomImage(600, 5);
    auto other = image;
    other[300] ^= 0xFF;
    DecodedRecord longer = copyOf(randomImage(700, 5)), notRead = copyOf(image), elsewhere = copyOf(image, 0x2000);
    notRead.status = DecodeStatus::NoEndByte;
    // Block 1 faulty and its address read wrong in a weak bit (0x14 for 0x10;
    // its checksum as on tape): the copy joins by its other blocks.
    DecodedRecord wrongAddress = copyOf(image);
    spoil(wrongAddress, 1, 0, 0, 0.1f);
    wrongAddress.blockSoft[16 + 7 - 2] = 0.1f;
    wrongAddress.header.aa = 0x1400, wrongAddress.header.ea = 0x1657;
    auto programs = mergeCopies({copyOf(image), copyOf(other), longer, notRead, elsewhere, wrongAddress, copyOf(image)});
    ASSERT_EQ(programs.size(), 4u);
    EXPECT_EQ(programs[0].copies, (std::vector<std::size_t>{0, 5, 6}));
    EXPECT_EQ(programs[1].copies, (std::vector<std::size_t>{1}));
    EXPECT_EQ(programs[2].copies, (std::vector<std::size_t>{2}));
    EXPECT_EQ(programs[3].copies, (std::vector<std::size_t>{4}));
    EXPECT_EQ(programs[0].record.header.aa, 0x1000);
    EXPECT_EQ(programs[3].record.header.aa, 0x2000);
    // Another name or sa, block 1 faulty with its address surely another, or
    // another name read exactly (every bit sure): other programs.
    DecodedRecord surelyElsewhere = copyOf(image, 0x1400);
    spoil(surelyElsewhere, 1, 0, 0, 0.1f);
    EXPECT_EQ(mergeCopies({copyOf(image), copyOf(image, 0x1000, "BETA"), copyOf(image, 0x1000, "REAL", 0x2000), surelyElsewhere}).size(), 4u);
    std::vector<DecodedRecord> exact{copyOf(image), copyOf(image, 0x1000, "REAL2")};
    for (auto& copy : exact) copy.nameSoft.clear(), copy.startSoft.clear(), copy.blockSoft.clear();
    EXPECT_EQ(mergeCopies(exact).size(), 2u);

    // Block 1 of 100 bytes before one of 256, as the parser reads it: no block
    // lies where its number says, such readings stay apart as read.
    auto bytes = layoutTapeRecord(randomImage(100, 6), TapeHeader{"KURZ", 0x1000, 0, 0x1000});
    auto tail = layoutTapeRecord(randomImage(256, 7), TapeHeader{"KURZ", 0x1100, 0, 0x1000});
    bytes.resize(bytes.size() - 3);
    bytes.insert(bytes.end(), tail.begin() + firstBlockAt, tail.end());
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    DecodedRecord irregular = decodeRecord(ByteView(samples), DecoderSettings{});
    ASSERT_EQ(irregular.image.size(), 356u);
    programs = mergeCopies({irregular, irregular});
    ASSERT_EQ(programs.size(), 2u);
    EXPECT_EQ(programs[1].copies, std::vector<std::size_t>{1});
    EXPECT_EQ(programs[1].record.image, irregular.image);
    EXPECT_EQ(programs[1].blockSources, (std::vector<int>{1, 1}));
}

// Name and sa have no checksum: the copies vote bit by bit, each bit weighted
// by its soft value; a copy without soft values counts hardBitWeight.
TEST(CopyMerge, VotesOnNameAndStartAddress) {
    const auto image = randomImage(600, 5);
    struct Case {
        const char* name;
        float first, second;   // the soft values of "R"'s bit 3 (set: "Z") and of sa's bit 9
        bool secondHard;
        const char* expected;
        std::uint16_t sa;
        bool unsure;
    } cases[] = {
        {"a sure bit outvotes a weak one", 0.2f, -sure, false, "REAL            ", 0x1000, false},
        {"two weak bits leave it unsure", 0.2f, -0.3f, false, "REAL            ", 0x1000, true},
        {"two weak bits the other way", 0.3f, -0.2f, false, "ZEAL            ", 0x1200, true},
        {"a copy without soft values counts as sure", 0.2f, -sure, true, "REAL            ", 0x1000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DecodedRecord> copies{copyOf(image), copyOf(image)};
        for (int i = 0; i < 2; ++i) {
            float soft = i == 0 ? c.first : c.second;
            copies[i].nameSoft[4] = soft;
            copies[i].startSoft[8 + 6] = soft;
            if (soft > 0) copies[i].header.name[0] = 'Z', copies[i].header.sa = 0x1200;
        }
        if (c.secondHard) copies[1].nameSoft.clear(), copies[1].startSoft.clear();
        DecodedRecord merged = mergeCopies(copies)[0].record;
        EXPECT_EQ(merged.header.name, c.expected);
        EXPECT_EQ(merged.header.sa, c.sa);
        EXPECT_EQ(merged.nameUnsure, c.unsure);
        EXPECT_EQ(merged.startUnsure, c.unsure);
    }
    // Weak bits of three copies do not outvote a bit the exact reader read.
    std::vector<DecodedRecord> copies{copyOf(image), copyOf(image), copyOf(image), copyOf(image)};
    copies[0].nameSoft.clear();
    for (int i = 1; i < 4; ++i) copies[i].nameSoft[4] = 0.34f, copies[i].header.name[0] = 'Z';
    DecodedRecord merged = mergeCopies(copies)[0].record;
    EXPECT_EQ(merged.header.name, "REAL            ");
    EXPECT_FALSE(merged.nameUnsure);
}
