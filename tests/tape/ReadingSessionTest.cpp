#include <gtest/gtest.h>

#include <random>

#include "bench/SignalDegrader.h"
#include "tape/AudioFormat.h"
#include "tape/Encoder.h"
#include "tape/ReadingSession.h"
#include "tape/ReaderFallback.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeRecord.h"
#include "tape/TapeScan.h"

namespace {
constexpr std::uint32_t rate = 44100;

std::vector<std::uint8_t> imageOf(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 29 + seed);
    return image;
}

// With `faulty`, a data byte of block 2 is wrong on the tape: that block fails
// its checksum in every reader.
std::vector<std::uint8_t> signalOf(std::size_t size, unsigned seed, bool worn, bool faulty = false) {
    std::vector<std::uint8_t> bytes = layoutTapeRecord(imageOf(size, seed), TapeHeader{"HALLO", 0x1000, 0, 0x1000});
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

// `sound` handed over a tenth of a second at a time and read twice a second,
// as bv7 record does; with `all` the search goes on behind each record read.
// The readings in order, and the sample counts at which the sound behind a
// record had ended.
struct Followed {
    std::vector<std::string> readings;
    std::vector<std::size_t> endedAt;
};
Followed follow(ReadingSession& reader, const std::vector<std::uint8_t>& sound, bool all) {
    Followed followed;
    for (std::size_t at = 0, chunk = 1; at + rate / 10 <= sound.size(); at += rate / 10, ++chunk) {
        reader.append(sound.data() + at, rate / 10);
        if (chunk % 5 != 0) continue;
        std::string text = liveStatusText(reader.update());
        if (followed.readings.empty() || followed.readings.back() != text) followed.readings.push_back(text);
        if (!reader.soundEnded()) continue;
        followed.endedAt.push_back(reader.total());
        if (!all) break;
        reader.next();
    }
    return followed;
}
}

// The readings in order, each record read to its end, and the sound behind
// it ended a quarter second after it falls silent, not before.
TEST(ReadingSession, FollowsARecordingAsItGrows) {
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
        ReadingSession reader(rate, liveRules(DecoderSettings{}));
        Followed followed = follow(reader, sound, true);
        ASSERT_EQ(followed.endedAt.size(), static_cast<std::size_t>(c.records));
        ASSERT_EQ(reader.records().size(), static_cast<std::size_t>(c.records));
        for (std::size_t n = 0; n < followed.endedAt.size(); ++n) {
            EXPECT_NEAR(static_cast<double>(reader.records()[n].endPosition), static_cast<double>(recordEnds[n]), rate / 10);
            EXPECT_GE(followed.endedAt[n], ends[n] + rate / 4);
            EXPECT_LE(followed.endedAt[n], ends[n] + rate);
        }
        EXPECT_EQ(followed.readings.front(), "warte auf Vorton");
        if (c.records == 0) continue;
        // Each record: lead-in, its blocks under the name read, done; then
        // the search for the next one.
        std::vector<std::string> expected;
        for (int n = 0; n < c.records; ++n)
            for (const char* text : {"warte auf Vorton", "Vorton", "HALLO: Block 1", "HALLO: Block 2", "HALLO: Block 3", "fertig"})
                expected.push_back(text);
        expected.push_back("warte auf Vorton");
        EXPECT_EQ(followed.readings, expected);
    }
}

// The name as the tape holds it, padded with spaces and with any byte in it.
TEST(ReadingSession, StatusShowsTheNameRead) {
    const std::pair<const char*, const char*> cases[] = {
        {"HALLO           ", "HALLO: Block 2"},
        {"", "Block 2"},
        {"A\x1b[2J\x7f", "A.[2J.: Block 2"},
    };
    for (auto [name, shown] : cases) {
        LiveState state;
        state.phase = LivePhase::Loading;
        state.block = 2;
        state.name = name;
        EXPECT_EQ(liveStatusText(state), shown);
    }
}

// A copy whose framing broke in block 2 is given up as the scan of a side
// gives it up, and the good copy behind it is read and ends the recording;
// over minutes of sound only the current record's samples are held.
TEST(ReadingSession, GivesUpABrokenCopyAndReadsTheNext) {
    const std::vector<std::uint8_t> image = imageOf(600, 9);
    const std::vector<std::uint8_t> good = encodeRecordSamples(image, TapeHeader{"HALLO", 0x1000, 0, 0x1000},
                                                               halfCellSamplesAt(rate));
    DecoderSettings settings;
    std::vector<std::uint8_t> broken = good;
    const BlockSpan second = decodeRecord(ByteView(good), settings).blockSpans.at(1);
    auto cut = broken.begin() + static_cast<std::ptrdiff_t>((second.begin + second.end) / 2);
    broken.erase(cut, cut + 100);
    ASSERT_NE(decodeRecordEitherWay(ByteView(broken), settings, rate, 0, nullptr, ReadingChoice{}).status,
              DecodeStatus::Ok);

    // A minute of hiss first: waiting holds nothing of it.
    std::mt19937 random(3);
    std::vector<std::uint8_t> sound;
    for (std::size_t i = 0; i < 60 * rate; ++i)
        sound.push_back(static_cast<std::uint8_t>(128 + static_cast<int>(random() % 21) - 10));
    sound.insert(sound.end(), broken.begin(), broken.end());
    sound.resize(sound.size() + rate, 128);
    const std::size_t goodStart = sound.size();
    sound.insert(sound.end(), good.begin(), good.end());
    sound.resize(sound.size() + 2 * rate, 128);

    ReadingSession reader(rate, liveRules(settings));
    Followed followed = follow(reader, std::vector<std::uint8_t>(sound.begin(), sound.begin() + 60 * rate), false);
    EXPECT_LT(reader.heldBytes(), 2 * rate);
    followed = follow(reader, std::vector<std::uint8_t>(sound.begin() + 60 * rate, sound.end()), false);
    ASSERT_EQ(followed.endedAt.size(), 1u) << "the good copy does not end the recording";
    EXPECT_LT(reader.heldBytes(), 2 * (good.size() + 2 * rate));
    std::vector<DecodedRecord> records = reader.endRecording();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_NE(records[0].status, DecodeStatus::Ok);
    EXPECT_EQ(records[1].status, DecodeStatus::Ok);
    EXPECT_EQ(records[1].faulty, 0);
    EXPECT_EQ(records[1].image, image);
    EXPECT_EQ(records[1].header.name.substr(0, 5), "HALLO");
    EXPECT_GT(records[1].syncPosition, goodStart);
    EXPECT_LT(records[1].endPosition, goodStart + good.size() + rate / 10);
}

// Each record read or given up keeps the findings the scan of the whole
// recording gives it, placed from the recording's start.
TEST(ReadingSession, KeepsEachRecordsFindings) {
    const std::vector<std::uint8_t> good = encodeRecordSamples(imageOf(300, 4), TapeHeader{"HALLO", 0x1000, 0, 0x1000});
    degrade::Faults hum;
    hum.hum = 0.1;
    std::vector<std::uint8_t> broken = degrade::degradeSignal(good, hum);
    const BlockSpan second = decodeRecord(ByteView(broken), DecoderSettings{}).blockSpans.at(1);
    auto cut = broken.begin() + static_cast<std::ptrdiff_t>((second.begin + second.end) / 2);
    broken.erase(cut, cut + 100);   // its framing breaks
    std::vector<std::uint8_t> sound(rate, 128);
    const std::size_t brokenStart = sound.size();
    sound.insert(sound.end(), broken.begin(), broken.end());
    sound.resize(sound.size() + rate, 128);
    sound.insert(sound.end(), good.begin(), good.end());
    sound.resize(sound.size() + 2 * rate, 128);

    ReadingSession reader(rate, liveRules(DecoderSettings{}));
    follow(reader, sound, false);
    const std::vector<DecodedRecord> records = reader.endRecording();
    ASSERT_EQ(records.size(), 2u);
    ASSERT_NE(records[0].status, DecodeStatus::Ok);
    const std::vector<std::vector<Finding>> scanned = diagnoseRecording(ByteView(sound), rate, records);
    const std::vector<std::vector<Finding>>& live = reader.findings();
    ASSERT_EQ(live.size(), 2u);
    ASSERT_EQ(live[0].size(), 1u);
    EXPECT_EQ(live[0][0].kind, FindingKind::Hum);
    EXPECT_TRUE(live[1].empty());
    ASSERT_EQ(scanned[0].size(), 1u);
    EXPECT_EQ(live[0][0].severity, scanned[0][0].severity);
    // Live, the lead-in counts from where it was heard, a little after it began.
    EXPECT_NEAR(static_cast<double>(*live[0][0].where), static_cast<double>(*scanned[0][0].where), rate / 4);
    EXPECT_GE(*live[0][0].where, brokenStart);
}

// Read live, a side gives the records the reading of the whole file gives:
// the same search, the same copy given up, the same records kept.
TEST(ReadingSession, ReadsLiveWhatTheFileReadingReads) {
    const std::vector<std::uint8_t> good = encodeRecordSamples(imageOf(500, 6), TapeHeader{"EINS", 0x1000, 0, 0x1000});
    std::vector<std::uint8_t> broken = good;
    const BlockSpan second = decodeRecord(ByteView(good), DecoderSettings{}).blockSpans.at(1);
    auto cut = broken.begin() + static_cast<std::ptrdiff_t>((second.begin + second.end) / 2);
    broken.erase(cut, cut + 100);
    std::mt19937 random(8);
    std::vector<std::uint8_t> sound;
    auto hiss = [&](double seconds) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(seconds * rate); ++i)
            sound.push_back(static_cast<std::uint8_t>(128 + static_cast<int>(random() % 11) - 5));
    };
    for (const std::vector<std::uint8_t>& record : {broken, good, signalOf(300, 2, false)}) {
        hiss(1.5);
        sound.insert(sound.end(), record.begin(), record.end());
    }
    hiss(3);

    const std::vector<DecodedRecord> whole =
        readEveryRecord(ByteView(sound), DecoderSettings{}, rate, ReadingChoice{});
    ReadingSession reader(rate, liveRules(DecoderSettings{}));
    follow(reader, sound, true);
    const std::vector<DecodedRecord> live = reader.endRecording();
    ASSERT_EQ(whole.size(), 3u);
    ASSERT_EQ(live.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(live[i].status, whole[i].status);
        EXPECT_EQ(live[i].header.name, whole[i].header.name);
        EXPECT_EQ(live[i].image, whole[i].image);
        EXPECT_EQ(live[i].syncPosition, whole[i].syncPosition);
        EXPECT_EQ(live[i].endPosition, whole[i].endPosition);
    }
}
