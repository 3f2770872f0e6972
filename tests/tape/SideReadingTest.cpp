#include <gtest/gtest.h>

#include <cstring>

#include "shell/StringTable.h"
#include "support/RandomImage.h"
#include "tape/Encoder.h"
#include "tape/FloatWav.h"
#include "tape/ReadingReport.h"
#include "tape/SideReading.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"
#include "support/RecordSignal.h"

namespace {
using Samples = std::vector<std::uint8_t>;


Samples side(const std::vector<Samples>& records) {
    Samples samples(20000, 0x80);
    for (const Samples& r : records) samples.insert(samples.end(), r.begin(), r.end()), samples.insert(samples.end(), 30000, 0x80);
    return samples;
}

SideReading readAll(const Samples& samples, ReadingOptions options = {}) {
    options.everyRecord = true;
    return readSide(ByteView(samples), 44100, SourceFacts{44100, {}, "", ""}, options, "seite.wav");
}

const TapeHeader prog{"PROG", 0x1000, 0, 0x1000};
const auto first = randomImage(768, 2), second = randomImage(768, 3);
}

// The programs offered of a side, by the BIN rules: another program of the
// same name numbered, a true copy recognised, a control character as "-",
// a faulty one only when asked for, an unsure one as any other.
TEST(SideReading, OffersEachProgramUnderItsBinName) {
    const Samples a = recordSignal(first, prog), b = recordSignal(second, prog), aFaulty = recordSignal(first, prog, 2);
    struct Case {
        const char* name;
        std::vector<Samples> records;
        bool offerFaulty;
        std::vector<std::string> offered;   // the BIN names, in order
        std::vector<bool> copies;           // per record
    } cases[] = {
        {"two programs, one name", {a, b}, false, {"PROG_1000_12FF_1000.BIN", "PROG_1000_12FF_1000-2.BIN"}, {false, false}},
        {"true copies", {a, a, b}, false, {"PROG_1000_12FF_1000.BIN", "PROG_1000_12FF_1000-2.BIN"}, {false, true, false}},
        {"a faulty one", {aFaulty, b}, false, {"PROG_1000_12FF_1000.BIN"}, {false, false}},
        {"a faulty one kept", {aFaulty, b}, true, {"PROG_1000_12FF_1000.BIN", "PROG_1000_12FF_1000-2.BIN"}, {false, false}},
        {"a control character", {recordSignal(first, {"A\x01:B", 0x0100, 0, 0x0100})}, false, {"A--B_0100_03FF_0100.BIN"}, {false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadingOptions options;
        options.offerFaulty = c.offerFaulty;
        const SideReading read = readAll(side(c.records), options);
        std::vector<std::string> offered;
        for (const OfferedProgram& program : read.programs)
            if (program.offered) offered.push_back(program.binName);
        EXPECT_EQ(offered, c.offered);
        ASSERT_EQ(read.records.size(), c.copies.size());
        for (std::size_t i = 0; i < c.copies.size(); ++i) EXPECT_EQ(read.records[i].copy, c.copies[i]) << i;
    }
}

// The diagnosis runs only where it is shown: for wav2bin only where a record
// was not read whole, for list and check always.
TEST(SideReading, WorksOutFindingsOnlyWhereTheyAreShown) {
    const Samples whole = side({recordSignal(first, prog)}), faulty = side({recordSignal(first, prog, 2)});
    struct Case {
        const Samples* samples;
        FindingsWanted wanted;
        bool diagnosed;
    } cases[] = {
        {&whole, FindingsWanted::None, false},
        {&whole, FindingsWanted::OfRecordsNotReadWhole, false},
        {&faulty, FindingsWanted::OfRecordsNotReadWhole, true},
        {&whole, FindingsWanted::OfEveryRecord, true},
    };
    for (const Case& c : cases) {
        ReadingOptions options;
        options.exact = true;
        options.findings = c.wanted;
        const SideReading read = readSide(ByteView(*c.samples), 44100, SourceFacts{44100, {}, "", ""}, options);
        EXPECT_EQ(read.diagnosed, c.diagnosed) << static_cast<int>(c.wanted) << (c.samples == &faulty ? " faulty" : "");
        EXPECT_EQ(read.records.front().findingsShown, c.diagnosed);
        EXPECT_EQ(read.records.front().whole, c.samples == &whole);
    }
}

// A record not read is a message naming the recording and where its sync
// lay; where none was found, the message has no place.
TEST(SideReading, NamesEachRecordNotReadWithItsPlace) {
    const SideReading cut = readAll(side({recordSignal(first, prog), recordSignal(second, prog, 0, 0.7)}));
    ASSERT_EQ(cut.records.size(), 2u);
    ASSERT_EQ(cut.messages.size(), 1u);
    EXPECT_EQ(cut.messages[0].at, cut.records[1].reading.syncPosition);
    EXPECT_EQ(messageLine(cut.messages[0]).rfind("Fehler: WAV: ", 0), 0u) << messageLine(cut.messages[0]);
    EXPECT_NE(messageLine(cut.messages[0]).find(" (seite.wav, Programm ab 0:"), std::string::npos) << messageLine(cut.messages[0]);

    const SideReading none = readAll(Samples(50000, 0x80));
    EXPECT_FALSE(none.found());
    ASSERT_EQ(none.messages.size(), 1u);
    EXPECT_FALSE(none.messages[0].at);

    // Read live (bv7 record), the record kept names the recording's file too.
    DecodedRecord broken;
    broken.status = DecodeStatus::CutShort;
    broken.syncPosition = 3 * 44100;
    broken.endPosition = 4 * 44100;
    const SideReading live = liveSide({broken}, {}, 44100, false, false, "aufnahme.wav");
    ASSERT_EQ(live.messages.size(), 1u);
    EXPECT_EQ(messageLine(live.messages[0]),
              "Fehler: " + loadString(decodeStatusMessage(DecodeStatus::CutShort)) + " (aufnahme.wav, Programm ab 0:03.0, Aufnahme endet bei 0:04.0)");
}

// A WAV of floating-point samples reads as the same signal in 16 bits does;
// their bytes in either file give one program.
TEST(SideReading, ReadsAFloatWavAsItsIntegerTwin) {
    const Samples samples = side({recordSignal(first, prog)});
    std::vector<std::uint8_t> floats, shorts;
    for (std::uint8_t sample : samples) {
        const float value = (sample - 128) / 128.0f;
        std::uint8_t bytes[4];
        std::memcpy(bytes, &value, 4);
        floats.insert(floats.end(), bytes, bytes + 4);
        const auto level = static_cast<std::uint16_t>(static_cast<std::int16_t>((sample - 128) * 256));
        shorts.push_back(static_cast<std::uint8_t>(level)), shorts.push_back(static_cast<std::uint8_t>(level >> 8));
    }
    auto wav = [](std::uint16_t tag, std::uint16_t bits, const std::vector<std::uint8_t>& data) {
        AudioFormat format{tag, 1, 48000, 48000u * bits / 8, static_cast<std::uint16_t>(bits / 8), bits, 0};
        std::vector<std::uint8_t> bytes = makeWavFileBytes(format, data.data(), static_cast<std::uint32_t>(data.size()));
        return bytes;
    };
    ReadingOptions options;
    options.everyRecord = true;
    const SideReading fromFloat = readSideFile(wav(3, 32, floats), options, "f.wav");
    const SideReading fromShort = readSideFile(wav(1, 16, shorts), options, "s.wav");
    ASSERT_EQ(fromFloat.error, 0);
    ASSERT_EQ(fromFloat.programs.size(), 1u);
    EXPECT_EQ(fromFloat.programs[0].record.image, first);
    ASSERT_EQ(fromShort.programs.size(), 1u);
    EXPECT_EQ(fromShort.records[0].reading.endPosition, fromFloat.records[0].reading.endPosition);
}

// Copies from two recordings put together: one program, named by its
// origins, each block with the copy it came from.
TEST(SideReading, MergeTellsWhereEachBlockCameFrom) {
    ReadingOptions options;
    options.everyRecord = true;
    options.keepBestBlocks = true;
    options.originNamesFile = true;
    const Samples one = side({recordSignal(first, prog, 2)}), two = side({recordSignal(first, prog, 3)});
    const SideReading merged =
        mergeSides({readSide(ByteView(one), 44100, SourceFacts{44100, {}, "", ""}, options, "a.wav"),
                    readSide(ByteView(two), 44100, SourceFacts{44100, {}, "", ""}, options, "b.wav")},
                   false);
    ASSERT_EQ(merged.programs.size(), 1u);
    EXPECT_TRUE(merged.programs[0].offered);
    EXPECT_EQ(merged.programs[0].record.image, first);
    EXPECT_EQ(merged.programs[0].blockSources, (std::vector<int>{1, 2, 1}));
    const std::vector<std::string> lines = mergedProgramLines(merged, 0, [](std::string_view text) { return std::string(text); });
    EXPECT_EQ(lines.front(), "Programm 1: 2 Kopien (a.wav, Aufnahme 1; b.wav, Aufnahme 1)");
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"Block 1:\taus Kopie 1", "Block 2:\taus Kopie 2", "Block 3:\taus Kopie 1"}));
}
