#include <gtest/gtest.h>

#include <sndfile.h>

#include <cmath>

#include "shell/Sha256.h"
#include "support/TestFiles.h"
#include "support/WavBuilder.h"
#include "tape/FlacMaster.h"

namespace {
// A sound with silence, a tone, noise and full-scale steps: every kind of subframe.
std::vector<std::uint8_t> soundBytes(std::size_t frames, int channels, int bytesPerSample, unsigned seed) {
    std::vector<std::uint8_t> bytes;
    std::uint32_t random = seed;
    for (std::size_t i = 0; i < frames; ++i)
        for (int channel = 0; channel < channels; ++channel) {
            random = random * 1103515245u + 12345u;
            double value = i < 5000 ? 0 : i < 9000 ? std::sin(i * 0.05 * (channel + 1)) * 0.8
                                      : i < 12000 ? ((random >> 8) % 2001 - 1000) / 1000.0
                                                  : (i / 300 % 2 ? 0.999 : -1.0);
            const std::int64_t full = std::int64_t{1} << (8 * bytesPerSample - 1);
            std::int64_t sample = static_cast<std::int64_t>(value * (full - 1));
            if (bytesPerSample == 1) sample += 128;
            wavtest::putLe(bytes, static_cast<std::uint32_t>(sample), bytesPerSample);
        }
    return bytes;
}
}

// Encoded and read back, by our reader and by the sound-file library, the
// samples are those of the WAV: 8-bit mono, 16-bit stereo, 24-bit, and a
// length that is no multiple of the block.
TEST(FlacMaster, KeepsEverySample) {
    const std::string dir = freshTestDir("flac-master");
    struct Case { int channels, bytes; std::size_t frames; };
    for (const Case& shape : {Case{1, 1, 20000}, Case{2, 2, 14001}, Case{1, 3, 13000}}) {
        SCOPED_TRACE(shape.bytes * 8);
        const auto sound = soundBytes(shape.frames, shape.channels, shape.bytes, 7);
        wavtest::Format format;
        format.channels = static_cast<std::uint16_t>(shape.channels);
        format.rate = 22050;
        format.bits = static_cast<std::uint16_t>(8 * shape.bytes);
        const auto wav = wavtest::wav(format, sound);
        PcmView pcm;
        ASSERT_TRUE(pcmOfWav(ByteView(wav), pcm));
        const auto flac = encodeFlac(pcm);
        EXPECT_LT(flac.size(), sound.size());

        std::vector<std::uint8_t> back;
        ASSERT_TRUE(flacToWav(ByteView(flac), back));
        PcmView again;
        ASSERT_TRUE(pcmOfWav(ByteView(back), again));
        EXPECT_EQ(std::vector<std::uint8_t>(again.sound.data, again.sound.data + again.sound.size), sound);
        EXPECT_EQ(again.rate, 22050u);

        const std::string path = dir + "master.flac";
        writeFile(path, flac);
        SF_INFO info{};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.samplerate, 22050);
        EXPECT_EQ(info.channels, shape.channels);
        ASSERT_EQ(info.frames, static_cast<sf_count_t>(shape.frames));
        std::vector<int> decoded(shape.frames * shape.channels);
        EXPECT_EQ(sf_read_int(file, decoded.data(), static_cast<sf_count_t>(decoded.size())),
                  static_cast<sf_count_t>(decoded.size()));
        sf_close(file);
        for (std::size_t i = 0; i < decoded.size(); ++i)
            ASSERT_EQ(decoded[i] >> (32 - 8 * shape.bytes), pcm.sample(i / shape.channels, i % shape.channels)) << i;

        auto broken = flac;
        broken[broken.size() / 2] ^= 0x01;
        EXPECT_FALSE(flacToWav(ByteView(broken), back));
    }
}

TEST(Sha256, KnownDigests) {
    const std::string abc = "abc", two = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ(sha256Hex(ByteView(reinterpret_cast<const std::uint8_t*>(abc.data()), abc.size())),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(sha256Hex(ByteView(reinterpret_cast<const std::uint8_t*>(two.data()), two.size())),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha256Hex(ByteView()), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}
