#pragma once
// The samples of a recording as the readers take them (8-bit unsigned mono at
// 22050 or 44100 per second), from a SoundSource a stretch at a time: the
// channel that carries the signal, other rates brought to 44100, as the WAV
// reader does to a whole file. The reading session (ReadingSession.h) is fed
// from here and holds only what the readers need.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"
#include "tape/Resampling.h"
#include "tape/SoundSource.h"
#include "tape/WavFile.h"

// The samples of the longest record at `rate`: every byte of a full memory
// image with its framing, eight cells each, a cell of 30 samples at 44100
// played a fifth slow. A reader that starts a record holds this much ahead.
std::size_t longestRecordSamples(std::uint32_t rate);

// A reading of the samples from `base` on, its positions counted from the
// recording's start; and the other way round.
void placeAt(DecodedRecord& record, std::size_t base);
DecodedRecord unplaced(const DecodedRecord& record, std::size_t base);

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

// The samples of one channel of a source (at its start) as the readers take
// them, a chunk at a time: other rates brought to 44100 as they come.
class SoundFeed {
  public:
    SoundFeed(SoundSource& source, std::size_t channel);
    // The samples of the next chunk (valid until the next call; they may be
    // none); false once the source has no more.
    bool next(ByteView& samples);

  private:
    SoundSource& source_;
    std::size_t channel_;
    bool direct_;                                 // at the readers' rate already
    bool done_ = false;
    std::vector<std::uint8_t> taken_, scratch_, converted_;
    LinearResampler resampler_;
};
