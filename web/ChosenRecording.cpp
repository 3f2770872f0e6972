#include "web/ChosenRecording.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <optional>
#include <utility>

#include "tape/FloatWav.h"
#include "tape/SoundFeed.h"
#include "tape/SideStream.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// A Blob's bytes through FileReaderSync, a slice of a few MiB at a time: the
// WAV reader's pulls and the head it reads come from the slice held.
class BlobBytes final : public ReadableBytes {
  public:
    explicit BlobBytes(const val& blob)
        : blob_(blob), reader_(val::global("FileReaderSync").new_()),
          size_(static_cast<std::uint64_t>(blob["size"].as<double>())) {}
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        if (offset >= size_) return 0;
        if (offset < from_ || offset + count > from_ + held_.size()) take(offset, std::max(count, sliceBytes));
        const std::uint64_t there = from_ + held_.size() > offset ? from_ + held_.size() - offset : 0;
        const auto got = static_cast<std::size_t>(std::min<std::uint64_t>(count, there));
        if (got) std::memcpy(out, held_.data() + (offset - from_), got);
        return got;
    }

  private:
    static constexpr std::size_t sliceBytes = 4 << 20;

    void take(std::uint64_t offset, std::size_t count) {
        const std::uint64_t end = std::min<std::uint64_t>(size_, offset + count);
        const val slice = blob_.call<val>("slice", static_cast<double>(offset), static_cast<double>(end));
        const val bytes = val::global("Uint8Array").new_(reader_.call<val>("readAsArrayBuffer", slice));
        held_.resize(bytes["length"].as<std::size_t>());
        val(emscripten::typed_memory_view(held_.size(), held_.data())).call<void>("set", bytes);
        from_ = offset;
    }

    val blob_, reader_;
    std::uint64_t size_, from_ = 0;
    std::vector<std::uint8_t> held_;
};

// The bytes of a WAV file the page handed over whole.
class HeldBytes final : public ReadableBytes {
  public:
    explicit HeldBytes(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count) override {
        if (offset >= bytes_.size()) return 0;
        count = std::min<std::size_t>(count, bytes_.size() - offset);
        std::memcpy(out, bytes_.data() + offset, count);
        return count;
    }

  private:
    std::vector<std::uint8_t> bytes_;
};

bool isBlob(const val& chosen) { return chosen.instanceof(val::global("Blob")); }

// Runs of frames of every channel: at most this many in all.
constexpr std::size_t mostRuns = std::size_t{1} << 22;

// A source whose frames pass on as the reading pulls them, the least and
// greatest sample of each run of them kept per channel: each frame taken
// once, however often the reading rewinds.
// Where the browser decoded the file, it also names the codec the file held.
class RunTap final : public SoundSource {
  public:
    RunTap(SoundSource& source, bool runs, CodedFormat coded)
        : source_(source), channels_(std::max<std::size_t>(1, source.channels())), runs_(runs), coded_(std::move(coded)) {
        while (source.frames() / frames_ * channels_ > mostRuns) frames_ *= 2;
        if (!runs_) return;
        lows_.reserve(static_cast<std::size_t>(source.frames() / frames_ + 1) * channels_);
        highs_.reserve(lows_.capacity());
    }
    std::string codec() const override { return coded_.codec.empty() ? source_.codec() : coded_.codec; }
    std::string container() const override { return coded_.codec.empty() ? source_.container() : coded_.container; }
    std::uint32_t rate() const override { return source_.rate(); }
    std::size_t channels() const override { return source_.channels(); }
    std::uint64_t frames() const override { return source_.frames(); }
    std::string warning() const override { return source_.warning(); }
    bool rewind() override {
        position_ = 0;
        return source_.rewind();
    }
    SoundChunk pull() override {
        const SoundChunk chunk = source_.pull();
        if (!runs_) return chunk;
        for (std::uint64_t frame = std::max(position_, seen_); frame < position_ + chunk.frames; ++frame) {
            const std::size_t run = static_cast<std::size_t>(frame / frames_) * channels_;
            if (run >= lows_.size()) lows_.resize(run + channels_, 255), highs_.resize(run + channels_, 0);
            const std::size_t at = static_cast<std::size_t>(frame - position_) * channels_;
            for (std::size_t channel = 0; channel < channels_; ++channel) {
                const std::uint8_t sample = chunk.bytes ? chunk.bytes[at + channel] : eightBitOfFloat(chunk.floats[at + channel]);
                lows_[run + channel] = std::min(lows_[run + channel], sample);
                highs_[run + channel] = std::max(highs_[run + channel], sample);
            }
        }
        position_ += chunk.frames;
        seen_ = std::max(seen_, position_);
        return chunk;
    }
    // The runs of `channel`, of the readers' samples at `rate`.
    SampleRuns runsOf(std::size_t channel, std::uint32_t rate) const {
        SampleRuns runs;
        runs.frames = frames_;
        runs.fileRate = source_.rate();
        runs.rate = rate;
        for (std::size_t at = channel; at < lows_.size(); at += channels_) {
            runs.lows.push_back(lows_[at]);
            runs.highs.push_back(highs_[at]);
        }
        return runs;
    }

  private:
    SoundSource& source_;
    std::size_t channels_;
    bool runs_;
    CodedFormat coded_;
    std::uint64_t frames_ = 64, position_ = 0, seen_ = 0;
    std::vector<std::uint8_t> lows_, highs_;
};
}

RecordingSamples::RecordingSamples(WavSamples whole)
    : whole_(std::move(whole)), count_(whole_.samples.size), rate_(whole_.rate) {
    runs_.fileRate = runs_.rate = rate_;
    while (count_ / runs_.frames > mostRuns) runs_.frames *= 2;
    for (std::size_t at = 0; at < count_; at += runs_.frames) {
        const ByteView run = whole_.samples.sub(at, runs_.frames);
        const auto [low, high] = std::minmax_element(run.data, run.data + run.size);
        runs_.lows.push_back(*low);
        runs_.highs.push_back(*high);
    }
}

std::vector<std::uint8_t> bytesOfChosen(const val& chosen) {
    if (!isBlob(chosen)) return web::bytesOf(chosen);
    const val buffer = val::global("FileReaderSync").new_().call<val>("readAsArrayBuffer", chosen);
    return web::bytesOf(val::global("Uint8Array").new_(buffer));
}

std::vector<std::uint8_t> RecordingSamples::samples(std::size_t begin, std::size_t end) {
    end = std::min(end, count_);
    begin = std::min(begin, end);
    if (!source_) return std::vector<std::uint8_t>(whole_.samples.data + begin, whole_.samples.data + end);
    if (begin == end) return {};
    // Brought to the reading rate, every `outputs`-th sample lies on a frame
    // exactly, every `frames`-th: the stretch is read on from the last such
    // sample before `begin`, and comes out as the reading saw it.
    const std::uint32_t from = source_->rate(), common = std::gcd(from, rate_);
    const std::uint64_t outputs = rate_ / common, frames = from / common, steps = begin / outputs;
    const auto first = static_cast<std::size_t>(steps * outputs);
    source_->seek(steps * frames);
    SoundFeed feed(*source_, channel_);
    std::vector<std::uint8_t> taken;
    std::size_t at = first;   // the sample the next chunk starts with
    ByteView chunk;
    while (at < end && feed.next(chunk)) {
        const std::size_t from = std::max(at, begin), to = std::min(at + chunk.size, end);
        if (from < to) taken.insert(taken.end(), chunk.data + (from - at), chunk.data + (to - at));
        at += chunk.size;
    }
    return taken;
}

ChosenRecording readChosen(const val& chosen, const ReadingOptions& options, const std::string& file, bool runs,
                           const CodedFormat& coded) {
    ChosenRecording read;
    std::unique_ptr<ReadableBytes> bytes;
    if (isBlob(chosen)) bytes = std::make_unique<BlobBytes>(chosen);
    else bytes = std::make_unique<HeldBytes>(web::bytesOf(chosen));
    WavOpening opening = openWavStream(std::move(bytes));
    if (!opening.source) {
        read.side = readSideFile(bytesOfChosen(chosen), options, file);
        if (!read.side.error) read.samples = RecordingSamples(adoptAnyWavSamples(bytesOfChosen(chosen)));
        return read;
    }
    SourceFacts seen;
    std::optional<RunTap> tap;
    tap.emplace(*opening.source, runs, coded);
    read.side = readSideStream(*tap, options, file, &seen);
    SampleRuns made = runs ? tap->runsOf(seen.channels.taken, read.side.rate) : SampleRuns();
    tap.reset();
    read.samples = RecordingSamples(std::move(opening.source), seen.channels.taken, read.side.samples, read.side.rate,
                                    std::move(made));
    return read;
}
