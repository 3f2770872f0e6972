#include <gtest/gtest.h>

#include <cmath>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "shell/FileIo.h"
#include "support/RecordingInterface.h"
#include "support/WavBuilder.h"
#include "tape/AudioFormat.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"
#include "support/TestFiles.h"
#include "support/ChainTools.h"

namespace {
std::uint32_t le32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
std::vector<std::uint8_t> toVector(ByteView view) { return std::vector<std::uint8_t>(view.data, view.data + view.size); }
}

TEST(WavWriter, WritesThe46ByteHeaderAndPadsAnOddCount) {
    const AudioFormat format = audioFormatAt(44100);
    std::string path = testing::TempDir() + "three.wav";
    const std::uint8_t samples[] = {0x10, 0x80, 0xF0};
    ASSERT_EQ(writeWavFile(path, format, samples, 3), WavWriteOutcome::Written);
    auto bytes = readFile(path);
    const std::uint8_t expected[] = {'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                     18, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x44, 0xAC, 0, 0,
                                     1, 0, 8, 0, 0, 0, 'd', 'a', 't', 'a', 3, 0, 0, 0, 0x10, 0x80, 0xF0, 0};
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(std::begin(expected), std::end(expected)));
    EXPECT_EQ(makeWavFileBytes(format, samples, 3), bytes);

    ASSERT_EQ(writeWavFile(path, format, samples, 2), WavWriteOutcome::Written);
    bytes = readFile(path);
    EXPECT_EQ(bytes.size(), 48u) << "no pad byte for an even count";
    EXPECT_EQ(le32(bytes, 4), 40u);
    EXPECT_EQ(le32(bytes, 42), 2u);

    EXPECT_EQ(writeWavFile(testing::TempDir() + "no/such/dir/x.wav", format, samples, 3), WavWriteOutcome::CannotCreate);
    std::remove(path.c_str());
}

TEST(WavReader, GivesBackWhatTheWriterWroteWithoutCopying) {
    RecordingInterface seam;
    std::vector<std::uint8_t> samples(1001);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::uint8_t>(i * 7);
    auto file = makeWavFileBytes(AudioFormat{1, 1, 22050, 22050, 1, 8, 0}, samples.data(), 1001);
    WavSamples parsed = parseWavSamples(ByteView(file));
    ASSERT_EQ(parsed.error, 0);
    EXPECT_EQ(parsed.rate, 22050u);
    EXPECT_EQ(parsed.samples.data, file.data() + 46) << "8-bit mono is used in place";
    EXPECT_EQ(toVector(parsed.samples), samples);

    std::string path = testing::TempDir() + "roundtrip.wav";
    writeFile(path, file);
    WavSamples read = readWavSamples(path);
    ASSERT_EQ(read.error, 0);
    EXPECT_EQ(toVector(read.samples), samples);
    EXPECT_EQ(read.rate, 22050u);
    EXPECT_TRUE(seam.statuses.empty());
    EXPECT_TRUE(seam.messages.empty());
    std::remove(path.c_str());
}

TEST(WavReader, ReportsEachBrokenContainerOnce) {
    using namespace wavtest;
    Format pcm;
    std::vector<std::uint8_t> data = {1, 2, 3};
    auto extensibleFloat = fmtBody(Format{1, 1, 44100, 32, true}, 40);
    extensibleFloat[24] = 0x03;
    auto truncatedFmt = riff({chunk("fmt ", fmtBody(pcm))});
    truncatedFmt[16] = 40;   // the format chunk claims more than the file holds
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        int error;
    };
    const Case cases[] = {
        {"empty file", {}, 16008},
        {"no RIFF", chunk("LIST", {1, 2, 3, 4}), 16008},
        {"RIFF of another form", chunk("RIFF", {'A', 'V', 'I', ' '}), 16008},
        {"no format chunk", riff({chunk("data", data)}), 16009},
        {"format chunk too short", riff({chunk("fmt ", std::vector<std::uint8_t>(14)), chunk("data", data)}), 16009},
        {"not PCM", wav(Format{3, 1, 44100, 32}, data), 16012},
        {"extensible float", riff({chunk("fmt ", extensibleFloat), chunk("data", data)}), 16012},
        {"format chunk cut short", truncatedFmt, 16013},
        {"no data chunk", riff({chunk("fmt ", fmtBody(pcm)), chunk("LIST", {0, 0})}), 16014},
        {"no channels", wav(Format{1, 0, 44100, 8}, data), 16014},
        {"no bits", wav(Format{1, 1, 44100, 0}, data), 16014},
        {"absurd rate", wav(Format{1, 1, 100, 8}, data), 16014},
    };
    for (const Case& c : cases) EXPECT_EQ(parseWavSamples(ByteView(c.file)).error, c.error) << c.what;

    RecordingInterface seam;
    std::string path = testing::TempDir() + "broken.wav";
    writeFile(path, cases[5].file);
    EXPECT_EQ(readWavSamples(path).error, 16012);
    EXPECT_EQ(readWavSamples(testing::TempDir() + "missing.wav").error, 16011);
    EXPECT_TRUE(seam.messages.empty()) << "the caller shows the message";
    std::remove(path.c_str());
}

TEST(WavReader, FindsTheChunksWhereverTheyStand) {
    using namespace wavtest;
    std::vector<std::uint8_t> data = {0x11, 0x22, 0x33};
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
    };
    auto junkFirst = riff({chunk("JUNK", std::vector<std::uint8_t>(27)), chunk("bext", {1}),
                           chunk("fmt ", fmtBody(Format{})), chunk("LIST", {1, 2, 3}), chunk("data", data)});
    auto wrapped = chunk("JUNK", {9, 9});
    auto form = wav(Format{}, data);
    wrapped.insert(wrapped.end(), form.begin(), form.end());
    auto cutShort = wav(Format{}, data);
    cutShort[cutShort.size() - 5] = 0xFF;   // data size far beyond the end, as a streaming writer leaves it
    cutShort.pop_back();
    // Sizes as a streaming writer leaves them (unset), or a recorder that crashed (RIFF too small).
    auto withSizes = [&](std::uint32_t riffSize, std::uint32_t dataSize) {
        auto file = wav(Format{}, data);
        file.pop_back();   // a stream has no pad byte
        for (int i = 0; i < 4; ++i) {
            file[4 + i] = static_cast<std::uint8_t>(riffSize >> (8 * i));
            file[40 + i] = static_cast<std::uint8_t>(dataSize >> (8 * i));
        }
        return file;
    };
    const Case cases[] = {
        {"sizes unset as 0", withSizes(0, 0)},
        {"sizes unset as FFFFFFFF", withSizes(0xFFFFFFFF, 0xFFFFFFFF)},
        {"RIFF size too small", withSizes(4, 3)},
        {"chunks before the format", junkFirst},
        {"something before RIFF", wrapped},
        {"format of 18 bytes", riff({chunk("fmt ", fmtBody(Format{}, 18)), chunk("data", data)})},
        {"extensible PCM", riff({chunk("fmt ", fmtBody(Format{1, 1, 44100, 8, true}, 40)), chunk("data", data)})},
        {"data chunk cut short", cutShort},
    };
    for (const Case& c : cases) {
        WavSamples parsed = parseWavSamples(ByteView(c.file));
        ASSERT_EQ(parsed.error, 0) << c.what;
        EXPECT_EQ(parsed.rate, 44100u);
        EXPECT_EQ(toVector(parsed.samples), data) << c.what;
    }
}

TEST(WavReader, TurnsOtherPcmShapesInto8BitMono) {
    using namespace wavtest;
    // 16-bit stereo: the high byte of the left channel, made unsigned.
    std::vector<std::uint8_t> stereo16 = {0x34, 0x12, 0xFF, 0x7F, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF, 0x11, 0x11};
    auto parsed = parseWavSamples(ByteView(wav(Format{1, 2, 22050, 16}, stereo16)));
    ASSERT_EQ(parsed.error, 0);
    EXPECT_EQ(parsed.rate, 22050u);
    EXPECT_EQ(toVector(parsed.samples), (std::vector<std::uint8_t>{0x92, 0x00, 0x7F}));

    std::vector<std::uint8_t> mono24 = {0x00, 0x00, 0x40, 0xFF, 0xFF, 0xBF, 0x55, 0x55};   // last frame incomplete
    parsed = parseWavSamples(ByteView(wav(Format{1, 1, 44100, 24}, mono24)));
    ASSERT_EQ(parsed.error, 0);
    EXPECT_EQ(toVector(parsed.samples), (std::vector<std::uint8_t>{0xC0, 0x3F}));

    std::vector<std::uint8_t> stereo8 = {10, 200, 20, 200, 30, 200};
    parsed = parseWavSamples(ByteView(wav(Format{1, 2, 44100, 8}, stereo8)));
    EXPECT_EQ(toVector(parsed.samples), (std::vector<std::uint8_t>{10, 20, 30}));
}

// A stereo recording is read from the channel that carries the tape signal:
// a mono cable in one input leaves the other with hiss only. Where both carry
// it alike, the first channel stays.
TEST(WavReader, TakesTheChannelThatCarriesTheSignal) {
    using namespace wavtest;
    std::vector<std::uint8_t> signal = encodeRecordSamples(std::vector<std::uint8_t>(64, 0x5A), TapeHeader{"KANAL", 0, 0, 0});
    std::vector<std::uint8_t> hiss(signal.size());
    std::uint32_t seed = 1;
    for (std::uint8_t& sample : hiss) {
        seed = seed * 1103515245u + 12345u;
        sample = static_cast<std::uint8_t>(0x80 + static_cast<int>(seed >> 28) - 8);   // +-8 around the centre line
    }
    // Mains hum as strong as the signal's peak rides on the hiss.
    std::vector<std::uint8_t> hum(hiss);
    for (std::size_t i = 0; i < hum.size(); ++i)
        hum[i] = static_cast<std::uint8_t>(hum[i] + std::lround(100 * std::sin(2 * 3.14159265 * 50 * i / 44100.0)));
    std::vector<std::uint8_t> quieter(signal);
    for (std::uint8_t& sample : quieter) sample = static_cast<std::uint8_t>(0x80 + (sample - 0x80) * 3 / 4);
    struct Case {
        const char* what;
        const std::vector<std::uint8_t>& left;
        const std::vector<std::uint8_t>& right;
        const std::vector<std::uint8_t>& expected;
    };
    const Case cases[] = {
        {"signal right, hiss left", hiss, signal, signal},
        {"signal left, hiss right", signal, hiss, signal},
        {"signal right, hiss and hum left", hum, signal, signal},
        {"both alike: the first", quieter, signal, quieter},
    };
    for (const Case& c : cases) {
        for (int bits : {8, 16}) {
            std::vector<std::uint8_t> frames;
            for (std::size_t i = 0; i < signal.size(); ++i)
                for (std::uint8_t sample : {c.left[i], c.right[i]}) {
                    if (bits == 16) frames.push_back(0x00);
                    frames.push_back(bits == 16 ? static_cast<std::uint8_t>(sample ^ 0x80) : sample);
                }
            auto parsed = parseWavSamples(ByteView(wav(Format{1, 2, 44100, static_cast<std::uint16_t>(bits)}, frames)));
            ASSERT_EQ(parsed.error, 0) << c.what;
            EXPECT_EQ(toVector(parsed.samples), c.expected) << c.what << ", " << bits << " bits";
        }
    }
}

TEST(WavReader, ResamplesOtherRatesTo44100AndShowsTheFilesRate) {
    using namespace wavtest;
    // 4800 samples at 48000 per second: a rising line, 0.1 s.
    std::vector<std::uint8_t> data(4800);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i / 20);
    auto file = wav(Format{1, 1, 48000, 8}, data);
    auto parsed = parseWavSamples(ByteView(file));
    ASSERT_EQ(parsed.error, 0);
    EXPECT_EQ(parsed.fileRate, 48000u);
    EXPECT_EQ(parsed.rate, 44100u);
    EXPECT_EQ(parsed.samples.size, 4410u);
    for (std::size_t i = 0; i < parsed.samples.size; i += 441)
        EXPECT_NEAR(parsed.samples[i], i * 48000.0 / 44100 / 20, 1.0) << i;

    RecordingInterface seam;
    std::string path = testing::TempDir() + "rate48.wav";
    writeFile(path, file);
    WavSamples read = readWavSamples(path);
    ASSERT_EQ(read.error, 0);
    EXPECT_EQ(read.rate, 44100u) << "decoded as 44100";
    EXPECT_EQ(read.fileRate, 48000u);
    std::remove(path.c_str());
}

// A recording long enough to be converted in many stretches: every sample as
// linear interpolation between its two neighbours in the file, to the nearest.
TEST(WavReader, ResamplesEverySampleOfALongRecording) {
    using namespace wavtest;
    std::vector<std::uint8_t> data(5000000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>((i * 37) ^ (i >> 9));
    auto parsed = parseWavSamples(ByteView(wav(Format{1, 1, 48000, 8}, data)));
    ASSERT_EQ(parsed.error, 0);
    ASSERT_EQ(parsed.samples.size, (data.size() - 1) * 44100 / 48000 + 1);
    std::size_t wrong = 0;
    for (std::size_t i = 0; i < parsed.samples.size; ++i) {
        const std::uint64_t position = static_cast<std::uint64_t>(i) * 48000;
        const std::size_t frame = position / 44100;
        const int low = data[frame], high = frame + 1 < data.size() ? data[frame + 1] : low;
        const long expected = low + ((high - low) * static_cast<long>(position % 44100) + 22050) / 44100;
        wrong += parsed.samples[i] != expected;
    }
    EXPECT_EQ(wrong, 0u);
}

// Floating-point samples too: the channel of eight that carries the signal,
// against a faint copy of it on the first (their signs alike).
TEST(WavReader, FindsTheSignalChannelOfFloatSamples) {
    std::vector<std::uint8_t> signal = encodeRecordSamples(std::vector<std::uint8_t>(64, 0x5A), TapeHeader{"KANAL", 0, 0, 0});
    std::vector<std::uint8_t> frames;
    for (std::uint8_t sample : signal)
        for (std::size_t channel = 0; channel < 8; ++channel) {
            float level = (sample - 128) / 128.0f;
            float value = channel == 6 ? level : channel == 0 ? level / 50 : 0.0f;
            std::uint8_t bytes[4];
            std::memcpy(bytes, &value, 4);
            frames.insert(frames.end(), bytes, bytes + 4);
        }
    EXPECT_EQ(findSignalChannel(ByteView(frames), 8, 4, 44100, true), 6u);
}

// What the reader saw of a file's channels, on files sox made of the
// encoder's signal: the channel taken, the other's level and their correlation.
TEST(WavReader, TellsWhatItSawOfTheChannels) {
    const std::vector<std::uint8_t> signal = encodeRecordSamples(std::vector<std::uint8_t>(64, 0x5A), TapeHeader{"KANAL", 0, 0, 0});
    struct Case {
        const char* chain;
        std::uint16_t count, taken;
        double leastOther, mostOther, leastCorrelation, mostCorrelation;
    };
    const Case cases[] = {
        {"cp $IN $OUT", 1, 0, 0, 0, 0, 0},
        {"sox $IN $OUT remix 1 0", 2, 0, noChannelDecibels, -40, -0.1, 0.1},
        {"sox $IN $OUT remix 0 1", 2, 1, noChannelDecibels, -40, -0.1, 0.1},
        {"sox $IN -b 16 $OUT remix 1 1v-1", 2, 0, -0.5, 0.5, -1, -0.99},
        {"sox $IN $OUT remix 1 1v0.5", 2, 0, -6.5, -5.5, 0.99, 1},
        {"sox $IN $OUT remix 0 0 1 1v-1", 4, 2, -0.5, 0.5, -1, -0.99},
    };
    for (const Case& c : cases) {
        const ChainResult result = throughChain("channels", signal, 44100, c.chain);
        ASSERT_TRUE(result.failure.empty()) << result.failure;
        const ChannelFacts& facts = result.wav.channels;
        EXPECT_EQ(facts.count, c.count) << c.chain;
        EXPECT_EQ(facts.taken, c.taken) << c.chain;
        EXPECT_GE(facts.otherDecibels, c.leastOther) << c.chain;
        EXPECT_LE(facts.otherDecibels, c.mostOther) << c.chain;
        EXPECT_GE(facts.correlation, c.leastCorrelation) << c.chain;
        EXPECT_LE(facts.correlation, c.mostCorrelation) << c.chain;
    }
}
