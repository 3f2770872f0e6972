#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bench/TapeSide.h"
#include "tape/TapeRecord.h"
#include "tape/TapeScan.h"

namespace {
std::vector<std::uint8_t> randomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> image(size);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    return image;
}

const TapeHeader first{"ERSTES", 0x1000, 0, 0x1000};
const TapeHeader second{"ZWEITES", 0x2000, 0, 0x2000};

// What a side must give: for each record found, its name and its faulty blocks.
struct Expected {
    std::string name;
    std::vector<int> faulty;
    DecodeStatus status = DecodeStatus::Ok;
};

// A side built by `build`, read by `exact` or both readers.
struct Side {
    const char* what;
    void (*build)(side::TapeSide& tape);
    bool exact;
    std::vector<Expected> records;   // empty: no record at all
};
}

TEST(TapeScan, FindsTheRecordsTheBv7WroteAndNothingElse) {
    const Side sides[] = {
        {"hiss behind a program", [](side::TapeSide& t) { t.program(first, randomImage(3000, 1)); t.hiss(120, 6); },
         false, {{"ERSTES", {}}}},
        {"band-limited noise alone", [](side::TapeSide& t) { t.hiss(60, 12, 2000); }, false, {}},
        {"music alone", [](side::TapeSide& t) { t.music(60); }, false, {}},
        {"music between two programs, the exact reader alone",
         [](side::TapeSide& t) {
             t.program(first, randomImage(600, 2));
             t.music(30);
             t.program(second, randomImage(600, 3));
         },
         true, {{"ERSTES", {}}, {"ZWEITES", {}}}},
        // 10 ms of the centre line at 9 s breaks the exact reader's framing in block 4.
        {"one dropout inside a program",
         [](side::TapeSide& t) {
             t.program(first, randomImage(3000, 4));
             t.dropout(9 * 44100, 441);
             t.hiss(5, 2);
         },
         false, {{"ERSTES", {4}}}},
        // Too worn for the exact reader: shown where it lies, not hidden.
        {"a worn record between two clean ones, the exact reader alone",
         [](side::TapeSide& t) {
             degrade::Faults worn;
             worn.noise = 0.5;
             worn.hum = 1;
             t.program(first, randomImage(600, 6));
             t.hiss(5, 3);
             t.program(second, randomImage(600, 7), &worn);
             t.hiss(5, 3);
             t.program(first, randomImage(600, 8));
         },
         true, {{"ERSTES", {}}, {"", {}, DecodeStatus::NoSyncBehindLeadIn}, {"ERSTES", {}}}},
        // A recorder left running on the tone: the sync lies far behind where the tone was first heard.
        {"a lead-in ten times as long",
         [](side::TapeSide& t) {
             side::TapeSide record;
             record.program(first, randomImage(600, 9));
             const auto& samples = record.samples();
             const std::vector<std::uint8_t> tone(samples.begin() + 300, samples.begin() + 300 + 3000 * 30);
             t.hiss(1, 3);
             for (int i = 0; i < 12; ++i) t.append(tone);
             t.append(samples);
         },
         false, {{"ERSTES", {}}}},
        // The recording began late: only the last 40 bytes of the lead-in are on it.
        {"a lead-in cut at the start",
         [](side::TapeSide& t) {
             t.program(first, randomImage(700, 5));
             side::TapeSide whole = t;
             t = side::TapeSide();
             t.append(whole.samples(), (tape::leadInBytes - 40) * 8 * 30);
         },
         false, {{"ERSTES", {}}}},
    };
    for (const Side& s : sides) {
        side::TapeSide tape;
        s.build(tape);
        ReadingChoice choice;
        choice.exact = s.exact;
        const auto records = readEveryRecord(ByteView(tape.samples()), DecoderSettings{}, 44100, choice);
        if (s.records.empty()) {
            ASSERT_EQ(records.size(), 1u) << s.what;
            EXPECT_FALSE(foundRecord(records[0])) << s.what;
            continue;
        }
        ASSERT_EQ(records.size(), s.records.size()) << s.what;
        for (std::size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].status, s.records[i].status) << s.what;
            EXPECT_EQ(records[i].header.name.substr(0, s.records[i].name.size()), s.records[i].name) << s.what;
            EXPECT_EQ(records[i].faultyBlocks, s.records[i].faulty) << s.what;
        }
    }
}

// The scan tells how far it got from 0 to the whole, never back, at most about
// 200 times, and reads the side as it does unheard.
TEST(TapeScan, TellsItsProgressAFewHundredTimesAtMost) {
    side::TapeSide tape;
    for (int i = 0; i < 40; ++i) {
        tape.program(i % 2 ? first : second, randomImage(300, 10 + i));
        tape.hiss(2, 3);
    }
    const ByteView samples(tape.samples());
    std::vector<std::pair<std::size_t, std::size_t>> heard;
    const auto records = readEveryRecord(samples, DecoderSettings{}, 44100, ReadingChoice{},
                                         [&](std::size_t done, std::size_t total) { heard.emplace_back(done, total); });
    ASSERT_GE(heard.size(), 20u);
    EXPECT_LE(heard.size(), 202u);
    EXPECT_EQ(heard.front(), std::make_pair(std::size_t{0}, samples.size));
    EXPECT_EQ(heard.back(), std::make_pair(samples.size, samples.size));
    for (std::size_t i = 1; i < heard.size(); ++i) EXPECT_GT(heard[i].first, heard[i - 1].first) << i;
    const auto unheard = readEveryRecord(samples, DecoderSettings{}, 44100, ReadingChoice{});
    ASSERT_EQ(records.size(), unheard.size());
    ASSERT_EQ(records.size(), 40u);
    for (std::size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].image, unheard[i].image) << i;
}
