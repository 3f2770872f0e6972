#include "tape/WavStream.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tape/FloatWav.h"

namespace {
// The head read for the layout: the chunks before the samples ("bext",
// "LIST", "JUNK" ...) lie within it in every file seen.
constexpr std::size_t headBytes = 1 << 20;
constexpr std::size_t framesAtOnce = 1 << 16;

class WavFileSource final : public WavSource {
  public:
    WavFileSource(std::unique_ptr<ReadableBytes> file, const WavLayout& layout)
        : file_(std::move(file)), layout_(layout), width_((layout.bits + 7u) / 8u),
          frameBytes_(width_ * layout.channels), frames_(layout.dataBytes / frameBytes_) {}

    std::uint32_t rate() const override { return layout_.fileRate; }
    std::size_t channels() const override { return layout_.channels; }
    std::uint64_t frames() const override { return frames_; }
    bool rewind() override {
        next_ = 0;
        return true;
    }
    void seek(std::uint64_t frame) override { next_ = std::min(frame, frames_); }

    SoundChunk pull() override {
        SoundChunk chunk;
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(framesAtOnce, frames_ - next_));
        if (wanted == 0) return chunk;
        raw_.resize(wanted * frameBytes_);
        const std::size_t got = file_->read(layout_.dataOffset + next_ * frameBytes_, raw_.data(), raw_.size());
        chunk.frames = got / frameBytes_;
        // A file that cannot be read on ends there.
        next_ = chunk.frames < wanted ? frames_ : next_ + chunk.frames;
        const std::size_t count = chunk.frames * layout_.channels;
        if (layout_.floating && width_ == 4) {
            floats_.resize(count);
            std::memcpy(floats_.data(), raw_.data(), count * 4);
            chunk.floats = floats_.data();
            return chunk;
        }
        if (width_ == 1) {
            chunk.bytes = raw_.data();
            return chunk;
        }
        bytes_.resize(count);
        if (layout_.floating) {
            for (std::size_t i = 0; i < count; ++i) {
                double value;
                std::memcpy(&value, raw_.data() + i * 8, 8);
                bytes_[i] = eightBitSample(value);
            }
        } else {
            const std::uint8_t* top = raw_.data() + width_ - 1;
            for (std::size_t i = 0; i < count; ++i, top += width_) bytes_[i] = static_cast<std::uint8_t>(*top ^ 0x80);
        }
        chunk.bytes = bytes_.data();
        return chunk;
    }

  private:
    std::unique_ptr<ReadableBytes> file_;
    WavLayout layout_;
    std::size_t width_, frameBytes_;
    std::uint64_t frames_, next_ = 0;
    std::vector<std::uint8_t> raw_, bytes_;
    std::vector<float> floats_;
};
}

WavOpening openWavStream(const std::string& path) {
    auto file = std::make_unique<FileBytes>();
    const ReadResult read = file->open(path);
    if (read != ReadOutcome::Ok) {
        WavOpening opening;
        opening.read = read;
        return opening;
    }
    return openWavStream(std::move(file));
}

WavOpening openWavStream(std::unique_ptr<ReadableBytes> file) {
    WavOpening opening;
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min<std::uint64_t>(headBytes, file->size())));
    head.resize(file->read(0, head.data(), head.size()));
    opening.seenWhole = head.size() == file->size();
    opening.layout = findWavLayout(ByteView(head), file->size());
    if (!opening.layout.error) opening.source = std::make_unique<WavFileSource>(std::move(file), opening.layout);
    return opening;
}
