#pragma once
// A recording as it is pulled, a stretch at a time, from where it lies (a WAV
// file, a FLAC file through the sound-file library, another decoder): its
// frames interleaved, each sample 8-bit unsigned (centre 0x80, the top byte of
// a wider one) or floating point (full scale 1). The reading session takes it
// from here (SoundFeed.h); nothing else of the source is needed.
#include <cstddef>
#include <cstdint>
#include <string>

// The frames of one pull; valid until the next pull or rewind. Either `bytes`
// or `floats` holds `frames * channels` samples.
struct SoundChunk {
    const std::uint8_t* bytes = nullptr;
    const float* floats = nullptr;
    std::size_t frames = 0;
};

class SoundSource {
  public:
    virtual ~SoundSource() = default;
    virtual std::uint32_t rate() const = 0;        // frames per second
    virtual std::size_t channels() const = 0;      // 1 or more
    // The frames the source says it holds (a file's header); 0 where it does not know.
    virtual std::uint64_t frames() const { return 0; }
    // The next frames (as many as the source has at hand); none at the end.
    virtual SoundChunk pull() = 0;
    // Back to the first frame, for another pass; false where the source cannot.
    virtual bool rewind() = 0;
    // Where the source found a fault while pulling (a read error, a file cut
    // short): what the reader should be told, in German; "" where none.
    virtual std::string warning() const { return {}; }
    // The lossy codec the file holds ("Opus") and its container ("Ogg"); "" for none.
    virtual std::string codec() const { return {}; }
    virtual std::string container() const { return {}; }
};

// The bytes of a whole recording in memory as a source (a WAV file's samples
// handed over whole, tests): `samples` interleaved 8-bit unsigned frames,
// pulled `framesAtOnce` at a time.
class MemorySoundSource final : public SoundSource {
  public:
    MemorySoundSource(const std::uint8_t* samples, std::size_t frames, std::size_t channels, std::uint32_t rate,
                      std::size_t framesAtOnce = 65536)
        : samples_(samples), frames_(frames), channels_(channels), rate_(rate), step_(framesAtOnce) {}
    std::uint32_t rate() const override { return rate_; }
    std::size_t channels() const override { return channels_; }
    std::uint64_t frames() const override { return frames_; }
    SoundChunk pull() override {
        SoundChunk chunk;
        chunk.frames = frames_ - next_ < step_ ? frames_ - next_ : step_;
        chunk.bytes = samples_ + next_ * channels_;
        next_ += chunk.frames;
        return chunk;
    }
    bool rewind() override {
        next_ = 0;
        return true;
    }

  private:
    const std::uint8_t* samples_;
    std::size_t frames_, channels_;
    std::uint32_t rate_;
    std::size_t step_, next_ = 0;
};
