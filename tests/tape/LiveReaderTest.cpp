#include <gtest/gtest.h>

#include <random>

#include "bench/SignalDegrader.h"
#include "tape/Encoder.h"
#include "tape/LiveReader.h"
#include "tape/TapeRecord.h"

namespace {
constexpr std::uint32_t rate = 44100;

// With `faulty`, a data byte of block 2 is wrong on the tape: that block fails
// its checksum in every reader.
std::vector<std::uint8_t> signalOf(std::size_t size, unsigned seed, bool worn, bool faulty = false) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 29 + seed);
    std::vector<std::uint8_t> bytes = layoutTapeRecord(image, TapeHeader{"LIVE", 0x1000, 0, 0x1000});
    if (faulty) bytes[tape::fixedBytes - 3 + tape::blockSize + tape::blockFramingBytes + 10] ^= 0x10;
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    if (!worn) return samples;
    degrade::Faults faults;
    faults.noise = 0.5;
    faults.hum = 1;
    faults.seed = seed;
    return degrade::degradeSignal(samples, faults);
}
}

// The recording handed over half a second at a time, as bv7 record does: the
// readings in order, each record read to its end, and the sound behind it
// ended a quarter second after it falls silent, not before.
TEST(LiveReader, FollowsARecordingAsItGrows) {
    struct Case {
        const char* name;
        int records;      // programs in the recording
        bool worn;
        bool noise;       // only noise: nothing is ever read
        bool hissBehind;  // a second of hiss behind each record before the silence
        bool faulty = false;   // a block no reader reads good: the record still ends
    };
    const Case cases[] = {
        {"clean", 1, false, false, false},
        {"worn", 1, true, false, false},
        {"two one after the other", 2, false, false, false},
        {"noise", 0, false, true, false},
        {"hiss behind the record", 1, false, false, true},
        {"a faulty block", 1, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> sound(rate, 128);
        std::vector<std::size_t> recordEnds, ends;   // of each record, and of the sound behind it
        std::mt19937 random(5);
        for (int n = 0; n < c.records; ++n) {
            std::vector<std::uint8_t> signal = signalOf(600, 3 + n, c.worn, c.faulty);
            sound.insert(sound.end(), signal.begin(), signal.end());
            recordEnds.push_back(sound.size());
            for (std::size_t i = 0; c.hissBehind && i < rate; ++i)
                sound.push_back(static_cast<std::uint8_t>(128 + static_cast<int>(random() % 61) - 30));
            ends.push_back(sound.size());
            sound.resize(sound.size() + rate, 128);
        }
        if (c.noise) {
            for (std::size_t i = 0; i < 10 * rate; ++i) sound.push_back(static_cast<std::uint8_t>(random()));
            sound.resize(sound.size() + rate, 128);
        }
        LiveReader reader(rate, DecoderSettings{});
        std::vector<std::string> readings;
        std::vector<std::size_t> endedAt;
        for (std::size_t size = rate / 2; size <= sound.size(); size += rate / 2) {
            ByteView recorded(sound.data(), size);
            std::string text = liveStatusText(reader.update(recorded));
            if (readings.empty() || readings.back() != text) readings.push_back(text);
            if (reader.soundEnded(recorded)) {
                ASSERT_LT(endedAt.size(), recordEnds.size()) << "a record read twice, or one out of nothing";
                EXPECT_NEAR(static_cast<double>(reader.state().recordEnd), static_cast<double>(recordEnds[endedAt.size()]),
                            rate / 10);
                endedAt.push_back(size);
                reader.next();
            }
        }
        ASSERT_EQ(endedAt.size(), static_cast<std::size_t>(c.records));
        for (std::size_t n = 0; n < endedAt.size(); ++n) {
            EXPECT_GE(endedAt[n], ends[n] + rate / 4);
            EXPECT_LE(endedAt[n], ends[n] + rate);
        }
        EXPECT_EQ(readings.front(), "warte auf Vorton");
        if (c.records == 0) continue;
        // Each record: lead-in, its blocks one after the other, done; then the
        // search for the next one.
        std::vector<std::string> expected;
        for (int n = 0; n < c.records; ++n)
            for (const char* text : {"warte auf Vorton", "Vorton", "SPIEL: Block 1", "SPIEL: Block 2", "SPIEL: Block 3", "fertig"})
                expected.push_back(text);
        expected.push_back("warte auf Vorton");
        std::vector<std::string>& seen = readings;
        EXPECT_EQ(seen, expected);
    }
}
