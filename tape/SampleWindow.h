#pragma once
// The samples of a recording as the readers take them (8-bit unsigned mono at
// 22050 or 44100 per second), held only as far as the readers ask: a window
// that moves on through the recording. StreamWindow pulls them from a
// SoundSource, takes the channel that carries the signal and brings other
// rates to 44100, a stretch at a time, as the WAV reader does to a whole file;
// WholeSamples is the window over samples already in memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/Resampling.h"
#include "tape/SoundSource.h"
#include "tape/WavFile.h"

class SampleWindow {
  public:
    virtual ~SampleWindow() = default;
    // Holds the samples [from, to), or those up to the recording's end. Samples
    // before `from` may be let go; a later hold of them reads them again.
    virtual void hold(std::size_t from, std::size_t to) = 0;
    // The samples held, the first of them at base().
    virtual ByteView view() const = 0;
    virtual std::size_t base() const = 0;
    // True once the recording's last sample has been held.
    virtual bool ended() const = 0;
    std::size_t end() const { return base() + view().size; }
};

// The samples of the longest record at `rate`: every byte of a full memory
// image with its framing, eight cells each, a cell of 30 samples at 44100
// played a fifth slow. A reader that starts a record holds this much ahead.
std::size_t longestRecordSamples(std::uint32_t rate);

// A reading of the samples from `base` on, its positions counted from the
// recording's start; and the other way round.
void placeAt(DecodedRecord& record, std::size_t base);
DecodedRecord unplaced(const DecodedRecord& record, std::size_t base);

class WholeSamples final : public SampleWindow {
  public:
    explicit WholeSamples(ByteView samples) : samples_(samples) {}
    void hold(std::size_t, std::size_t) override {}
    ByteView view() const override { return samples_; }
    std::size_t base() const override { return 0; }
    bool ended() const override { return true; }

  private:
    ByteView samples_;
};

// What one pass over a source finds before the reading: the channel that
// carries the signal (as findChannelFacts), and the quiet band of the samples
// the readers get from it (quietBand of the whole recording).
struct SoundSummary {
    std::uint32_t rate = 0;          // the readers' rate: 22050 or 44100
    ChannelFacts channels;
    std::uint64_t samples = 0;       // the readers' samples of the whole recording
    int band = -1;                   // -1: too quiet
};
// `source` must be at its start; it is rewound afterwards.
SoundSummary summariseSound(SoundSource& source);

// The readers' rate for a source's rate: its own at 22050 or 44100, else 44100.
std::uint32_t readerRateFor(std::uint32_t sourceRate);

class StreamWindow final : public SampleWindow {
  public:
    // The samples of `channel` of `source` (at its start); `room`: the
    // samples it is expected to hold at once, made room for when it fills.
    StreamWindow(SoundSource& source, std::size_t channel, std::size_t room = 0);
    void hold(std::size_t from, std::size_t to) override;
    ByteView view() const override { return ByteView(buffer_.data() + offset_, buffer_.size() - offset_); }
    std::size_t base() const override { return base_; }
    bool ended() const override { return ended_; }
    // The most bytes held at once so far.
    std::size_t heldBytes() const { return buffer_.capacity(); }

  private:
    bool pull();
    void dropBefore(std::size_t position);
    void restart();

    SoundSource& source_;
    std::size_t channel_, room_;
    std::vector<std::uint8_t> buffer_;   // from buffer_[offset_] on: the samples from base_ on
    std::size_t offset_ = 0, base_ = 0;
    bool ended_ = false;
    std::vector<std::uint8_t> taken_, scratch_;   // the channel's samples of the last chunk, its bytes
    bool direct_;                               // at the readers' rate already
    LinearResampler resampler_;
};
