#include <gtest/gtest.h>

#include <random>

#include "support/RandomImage.h"
#include "tape/BlockRepair.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/ReadingReport.h"
#include "tape/SideReading.h"
#include "tape/SideStream.h"
#include "tape/SoundSource.h"
#include "tape/TapeRecord.h"

namespace {
const TapeHeader header{"FLICK", 0x4000, 0, 0x4000};

// Where data byte `index` of block `block` lies in layoutTapeRecord().
std::size_t dataByte(int block, std::size_t index) {
    return tape::fixedBytes - 3 + static_cast<std::size_t>(block - 1) * (tape::blockSize + tape::blockFramingBytes) + 4 + index;
}

// The record of `image` with the bits `lies` (byte, bit from the first sent)
// sent otherwise, each in a cell made flat but for one sample that says the
// wrong bit: read wrong, far weaker than the noise beside it.
std::vector<std::uint8_t> recordWithWeakLies(const std::vector<std::uint8_t>& image,
                                             const std::vector<std::pair<std::size_t, int>>& lies) {
    auto bytes = layoutTapeRecord(image, header);
    for (auto [byte, bit] : lies) bytes[byte] ^= static_cast<std::uint8_t>(0x80 >> bit);
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    std::mt19937 random(1);
    for (auto& sample : samples) sample = static_cast<std::uint8_t>(sample + static_cast<int>(random() % 7) - 3);
    for (auto [byte, bit] : lies) {
        std::size_t at = encodeBytesInto(bytes.data(), byte, 14, std::vector<std::uint8_t>(byte * 240).data());
        int previous = bytes[byte - 1] & 1, value = 0, length = 0;
        for (int index = 0; index <= bit; ++index, previous = value) {
            at += static_cast<std::size_t>(length);
            value = bytes[byte] >> (7 - index) & 1;
            length = value == previous ? 30 : 29;
        }
        std::fill(samples.begin() + static_cast<std::ptrdiff_t>(at - 3),
                  samples.begin() + static_cast<std::ptrdiff_t>(at + static_cast<std::size_t>(length) + 3), std::uint8_t{0x80});
        samples[at + static_cast<std::size_t>(value ? 3 * length / 4 : length / 4)] = 0x81;
    }
    return samples;
}

SideReading readRepairing(const std::vector<std::uint8_t>& samples, bool repair) {
    ReadingOptions options;
    options.repair = repair;
    // As a file is read: a stretch at a time.
    MemorySoundSource source(samples.data(), samples.size(), 1, 44100);
    return readSideStream(source, options, "a.wav");
}
}

// A block that fails its checksum by one or two weak bits is mended where
// flipping them makes the checksum true: offered with --repair, but as
// "repariert, unsicher" with the bits and their time, never as read surely;
// a copy that read the block good makes the program sure.
TEST(BlockRepair, MendsABlockByItsWeakestBitsButNeverCallsItSure) {
    const auto image = randomImage(600, 7);
    struct Case {
        const char* name;
        std::vector<std::pair<std::size_t, int>> lies;
        std::vector<std::string> bits;   // as the report names them
    } cases[] = {
        {"one bit", {{dataByte(2, 10), 4}}, {"Adresse 410A Bit 3 bei 0:0"}},
        {"two bits", {{dataByte(2, 10), 4}, {dataByte(2, 30), 0}}, {"Adresse 410A Bit 3 bei 0:0", "Adresse 411E Bit 7 bei 0:0"}},
    };
    auto asIs = [](std::string_view text) { return std::string(text); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto samples = recordWithWeakLies(image, c.lies);
        const SideReading plain = readRepairing(samples, false);
        ASSERT_EQ(plain.records.size(), 1u);
        EXPECT_EQ(plain.records[0].reading.faultyBlocks, std::vector<int>{2});
        EXPECT_FALSE(plain.programs[0].offered);

        const SideReading mended = readRepairing(samples, true);
        const DecodedRecord& record = mended.records[0].reading;
        EXPECT_EQ(record.faulty, 0);
        ASSERT_EQ(record.repairedBlocks.size(), 1u);
        EXPECT_EQ(record.repairedBlocks[0].bits.size(), c.lies.size());
        EXPECT_TRUE(record.image == image);
        EXPECT_FALSE(readSure(record));
        EXPECT_TRUE(mended.programs[0].offered);
        const std::string line = recordLines(record, asIs).back();
        EXPECT_EQ(line.rfind("Block 2 von 3: repariert, unsicher (", 0), 0u) << line;
        for (const std::string& bit : c.bits) EXPECT_NE(line.find(bit), std::string::npos) << line;
        EXPECT_NE(listLine(record, 0, 44100, SignalFigures{}, asIs).find(" 2/3 "), std::string::npos);

        // A copy that read block 2 good.
        const SideReading good = readRepairing(recordWithWeakLies(image, {}), false);
        const SideReading merged = mergeSides({plain, good}, false, true);
        ASSERT_EQ(merged.programs.size(), 1u);
        EXPECT_TRUE(readSure(merged.programs[0].record));
        EXPECT_TRUE(merged.programs[0].record.image == image);
    }
}
