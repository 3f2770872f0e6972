#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "bench/SignalDegrader.h"
#include "support/RecordSignal.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/SideReading.h"

namespace {
using Samples = std::vector<std::uint8_t>;

const TapeHeader telefon{"TELEFON", 0x3000, 0, 0x3010};

Samples program() {
    std::mt19937 random(2);
    Samples image(512);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    return image;
}

// A phone on the table next to the speaker: the signal, its echo off a wall
// 150 ms later at -4 dB, and room noise 20 dB below the signal.
Samples onTheTable(const Samples& clean) {
    constexpr std::size_t delay = 6615, pause = 22050;
    std::vector<double> heard(pause + clean.size() + delay + pause, 0);
    for (std::size_t i = 0; i < clean.size(); ++i) {
        heard[pause + i] += clean[i] - 128.0;
        heard[pause + delay + i] += 0.625 * (clean[i] - 128.0);
    }
    double power = 0;
    for (double value : heard) power += value * value;
    const double noise = std::sqrt(power / static_cast<double>(heard.size())) / 10;
    std::mt19937 random(2);
    Samples samples(heard.size());
    for (std::size_t i = 0; i < heard.size(); ++i)
        samples[i] = static_cast<std::uint8_t>(
            std::clamp(std::lround(128 + 0.55 * (heard[i] + noise * degrade::gaussian(random))), 0L, 255L));
    return samples;
}

SideReading readAsWav2Bin(const Samples& samples, bool equalise) {
    ReadingOptions options;
    options.equalise = equalise;
    return readSide(ByteView(samples), 44100, SourceFacts{44100, {}, {}, {}}, options, "tisch.wav");
}

bool sameReading(const DecodedRecord& a, const DecodedRecord& b) {
    return a.status == b.status && a.header.name == b.header.name && a.header.aa == b.header.aa &&
           a.image == b.image && a.faultyBlocks == b.faultyBlocks && a.equalised == b.equalised &&
           a.filtered == b.filtered;
}
}

// The echo of the lead-in and the gap lies over the blocks and the name:
// neither reader reads them; with the echo learnt from the record and taken
// out, the program comes back whole. A recording that reads as it is, or
// whose fault is on the tape (a wrong byte, which no equaliser mends), reads
// as it did without the equaliser.
TEST(Equaliser, ReadsThePhoneOnTheTableAndLeavesOtherReadingsAsTheyWere) {
    const Samples image = program();
    const Samples table = onTheTable(encodeRecordSamples(image, telefon));

    const SideReading without = readAsWav2Bin(table, false);
    ASSERT_FALSE(without.records.empty());
    EXPECT_FALSE(without.records.front().whole);

    const SideReading with = readAsWav2Bin(table, true);
    ASSERT_EQ(with.programs.size(), 1u);
    const DecodedRecord& read = with.records.front().reading;
    EXPECT_TRUE(with.records.front().whole);
    EXPECT_TRUE(read.equalised);
    EXPECT_TRUE(read.image == image);
    EXPECT_EQ(with.programs.front().binName, "TELEFON_3000_31FF_3010.BIN");
    const std::vector<std::string> notes = readingNotes(read);
    EXPECT_NE(std::find(notes.begin(), notes.end(), equalisedReportLine), notes.end());

    for (const Samples& plain : {encodeRecordSamples(image, telefon), recordSignal(image, telefon, 2)}) {
        const DecodedRecord on = readAsWav2Bin(plain, true).records.front().reading;
        EXPECT_TRUE(sameReading(on, readAsWav2Bin(plain, false).records.front().reading));
        EXPECT_FALSE(on.equalised);
    }
}
