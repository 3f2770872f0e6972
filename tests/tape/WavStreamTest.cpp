#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "support/RandomImage.h"
#include "support/RecordSignal.h"
#include "tape/AudioFormat.h"
#include "tape/SideStream.h"
#include "tape/WavStream.h"

namespace {
// A file's bytes in memory, as the page reads a File: where asked, and
// telling the most asked for at once.
class AskedBytes final : public ReadableBytes {
  public:
    explicit AskedBytes(std::vector<std::uint8_t> bytes, std::size_t& most) : bytes_(std::move(bytes)), most_(most) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        most_ = std::max(most_, count);
        if (offset >= bytes_.size()) return 0;
        count = std::min(count, static_cast<std::size_t>(bytes_.size() - offset));
        std::memcpy(out, bytes_.data() + offset, count);
        return count;
    }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t& most_;
};
}

// A stereo 16-bit WAV at 48000 (the signal in the right channel, half a
// minute of quiet behind it) read from bytes asked for a stretch at a time,
// never the whole at once, reads as the file held whole; a seek pulls from
// that frame on.
TEST(WavStream, ReadsBytesAskedForAStretchAtATimeAsTheWholeFile) {
    const auto image = randomImage(600, 3);
    const std::vector<std::uint8_t> mono = recordSignal(image, {"TEIL", 0x3000, 0, 0x3000});
    std::vector<std::uint8_t> data;
    const std::uint64_t signal = (mono.size() - 1) * 48000 / 44100 + 1;
    for (std::uint64_t frame = 0; frame < signal + 30 * 48000; ++frame) {
        const std::uint8_t sample = frame < signal ? mono[frame * 44100 / 48000] : 0x80;
        data.insert(data.end(), {0x00, static_cast<std::uint8_t>(frame & 1), static_cast<std::uint8_t>(frame),
                                 static_cast<std::uint8_t>(sample ^ 0x80)});
    }
    const AudioFormat format{1, 2, 48000, 48000 * 4, 4, 16, 0};
    const std::vector<std::uint8_t> file = makeWavFileBytes(format, data.data(), static_cast<std::uint32_t>(data.size()));
    ReadingOptions options;
    options.everyRecord = true;
    const SideReading whole = readSideFile(std::vector<std::uint8_t>(file), options, "s.wav");
    ASSERT_EQ(whole.programs.size(), 1u);

    std::size_t most = 0;
    WavOpening opening = openWavStream(std::make_unique<AskedBytes>(file, most));
    ASSERT_TRUE(opening.source);
    SourceFacts seen;
    const SideReading sliced = readSideStream(*opening.source, options, "s.wav", &seen);
    EXPECT_EQ(seen.channels.taken, 1u);
    ASSERT_EQ(sliced.programs.size(), 1u);
    EXPECT_EQ(sliced.programs[0].record.image, image);
    EXPECT_EQ(sliced.programs[0].binName, whole.programs[0].binName);
    EXPECT_EQ(sliced.records[0].reading.endPosition, whole.records[0].reading.endPosition);
    EXPECT_LT(most, file.size() / 4);

    opening.source->seek(1001);
    const SoundChunk chunk = opening.source->pull();
    ASSERT_GE(chunk.frames, 1u);
    EXPECT_EQ(chunk.bytes[0], 0x81);
    EXPECT_EQ(chunk.bytes[1], mono[1001 * 44100 / 48000]);
}
