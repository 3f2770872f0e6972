#pragma once
// A recording chosen on the page, read where it lies: a WAV file (the
// browser's File, or a Blob the page made of a file the browser decoded) a
// slice at a time in the worker, so that the worker never holds the whole of
// it; the reading is the one bv7 makes of the same file (SideStream.h).
#include <emscripten/val.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tape/CodedFormat.h"
#include "tape/SideReading.h"
#include "tape/WavFile.h"
#include "tape/WavStream.h"

// The least and greatest 8-bit sample of runs of `frames` frames of the
// channel read, at the file's rate; the readers' samples lie at `rate`. The
// signal view draws a view of much from them.
struct SampleRuns {
    std::uint64_t frames = 64;
    std::uint32_t fileRate = 1, rate = 1;
    std::vector<std::uint8_t> lows, highs;
    // The run the readers' sample `sample` lies in.
    std::size_t runOf(std::uint64_t sample) const {
        return static_cast<std::size_t>(sample * fileRate / rate / frames);
    }
};

// The readers' samples of a recording read (8-bit mono at its reading rate),
// for the signal view: read again from the file a stretch at a time, or held
// where the recording had to be read whole; and their runs.
class RecordingSamples {
  public:
    RecordingSamples() = default;
    RecordingSamples(std::unique_ptr<WavSource> source, std::size_t channel, std::size_t count, std::uint32_t rate,
                     SampleRuns runs)
        : source_(std::move(source)), channel_(channel), count_(count), rate_(rate), runs_(std::move(runs)) {}
    explicit RecordingSamples(WavSamples whole);
    std::size_t count() const { return count_; }
    std::uint32_t rate() const { return rate_; }
    const SampleRuns& runs() const { return runs_; }
    // The samples [begin, end), to the recording's end at most.
    std::vector<std::uint8_t> samples(std::size_t begin, std::size_t end);

  private:
    std::unique_ptr<WavSource> source_;
    std::size_t channel_ = 0;
    WavSamples whole_;
    std::size_t count_ = 0;
    std::uint32_t rate_ = 0;
    SampleRuns runs_;
};

struct ChosenRecording {
    SideReading side;
    RecordingSamples samples;
};

// Reads `chosen` (a Blob, or a WAV file's bytes as a Uint8Array) as `options`
// say; `file` names it in messages. A file whose layout lies beyond its head
// (or that has none) is read whole, as bv7 reads it, which says what is wrong.
// With `runs`, the runs of its samples are made as the reading pulls them.
// `coded`: the codec of the file the browser decoded into `chosen`, which
// the WAV bytes no longer name (codedFormatOf its first bytes).
ChosenRecording readChosen(const emscripten::val& chosen, const ReadingOptions& options, const std::string& file = "",
                           bool runs = false, const CodedFormat& coded = {});

// The whole of `chosen`'s bytes (the archive keeps them as its master).
std::vector<std::uint8_t> bytesOfChosen(const emscripten::val& chosen);
