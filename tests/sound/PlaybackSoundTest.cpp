#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/StringTable.h"
#include "sound/PlaybackSound.h"
#include "support/WavBuilder.h"

using wavtest::chunk;
using wavtest::fmtBody;
using wavtest::riff;

namespace {
std::uint16_t u16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
const std::uint8_t* dataBody(const std::vector<std::uint8_t>& file) {
    const std::string tag = "data";
    return &*std::search(file.begin(), file.end(), tag.begin(), tag.end()) + 8;
}
std::uint32_t u32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return u16(bytes, at) | static_cast<std::uint32_t>(u16(bytes, at + 2)) << 16;
}
}

// The file's format and sound go to the device as they are, in whole frames,
// and half a second of the format's idle level follows (none where the
// format is compressed and silence cannot be written).
TEST(PlaybackSound, TheFileAsItIsAndHalfASecondOfIdleLevel) {
    wavtest::Format stereo16{1, 2, 22050, 16};
    wavtest::Format extensible{1, 1, 48000, 16, true};
    std::vector<std::uint8_t> adpcmFormat = fmtBody(wavtest::Format{2, 1, 22050, 4}, 20);
    adpcmFormat[16] = 2;                               // two extra bytes
    adpcmFormat[12] = 0x00, adpcmFormat[13] = 0x02;    // 512-byte blocks
    std::vector<std::uint8_t> wrongDerived = fmtBody(wavtest::Format{});
    wrongDerived[8] = wrongDerived[9] = wrongDerived[10] = wrongDerived[11] = 0;   // bytes per second
    wrongDerived[12] = wrongDerived[13] = 0;                                       // block align
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        std::size_t formatBytes, soundBytes, tailBytes;
        std::uint8_t idle;
        std::uint32_t bytesPerSecond, lengthMs;
    };
    const Case cases[] = {
        {"8-bit mono, the program's own", wavtest::wav({}, std::vector<std::uint8_t>(1000, 0x20)), 18, 1000, 22050,
         0x80, 44100, 22},
        {"16-bit stereo, a frame cut short", wavtest::wav(stereo16, std::vector<std::uint8_t>(4003, 0x20)), 18, 4000,
         44100, 0x00, 88200, 45},
        {"extensible PCM keeps its extra bytes", wavtest::wav(extensible, std::vector<std::uint8_t>(960, 0x20)), 40,
         960, 48000, 0x00, 96000, 10},
        {"compressed: no tail", riff({chunk("fmt ", adpcmFormat), chunk("data", std::vector<std::uint8_t>(1024, 1))}),
         20, 1024, 0, 0, 22050, 46},
        {"wrong derived fields mended",
         riff({chunk("fmt ", wrongDerived), chunk("data", std::vector<std::uint8_t>(441, 0x20))}), 18, 441, 22050, 0x80,
         44100, 10},
    };
    for (const Case& c : cases) {
        PlaybackSound sound = playbackSoundOf(ByteView(c.file));
        ASSERT_EQ(sound.error, 0) << c.what;
        ASSERT_EQ(sound.format.size(), c.formatBytes) << c.what;
        EXPECT_EQ(u16(sound.format, 16), c.formatBytes - 18) << c.what << ": the count of extra bytes";
        EXPECT_EQ(u32(sound.format, 8), c.bytesPerSecond) << c.what;
        EXPECT_EQ(sound.bytesPerSecond, c.bytesPerSecond) << c.what;
        EXPECT_EQ(sound.sound.size, c.soundBytes) << c.what;
        EXPECT_EQ(sound.sound.data, dataBody(c.file)) << c.what << ": a view into the file";
        EXPECT_EQ(sound.tail, std::vector<std::uint8_t>(c.tailBytes, c.idle)) << c.what;
        EXPECT_EQ(sound.lengthMs, c.lengthMs) << c.what;
        EXPECT_EQ(sound.blockBytes % u16(sound.format, 12), 0u) << c.what << ": blocks of whole frames";
    }
}

TEST(PlaybackSound, AFileWithoutItsPartsSaysWhatItLacks) {
    wavtest::Format noChannels;
    noChannels.channels = 0;
    const std::vector<std::uint8_t> sound(100, 0x80);
    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        int error;
    };
    const Case cases[] = {
        {"no RIFF", std::vector<std::uint8_t>(100, 0x80), str::riffNotFound},
        {"no format", riff({chunk("data", sound)}), str::formatNotFound},
        {"no sound", riff({chunk("fmt ", fmtBody({}))}), str::audioNotFound},
        {"no channels", wavtest::wav(noChannels, sound), str::audioUnusable},
    };
    for (const Case& c : cases) EXPECT_EQ(playbackSoundOf(ByteView(c.file)).error, c.error) << c.what;
}

TEST(PlaybackSound, PlayedTimeStopsAtTheSoundsEnd) {
    EXPECT_EQ(playedMs(44100, 5000, 22050), 500u);
    EXPECT_EQ(playedMs(44100, 5000, 44100 * 5 + 22050), 5000u) << "the tail adds nothing";
    EXPECT_EQ(playedMs(0, 5000, 100), 0u);
}
