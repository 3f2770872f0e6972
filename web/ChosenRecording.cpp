#include "web/ChosenRecording.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "tape/FloatWav.h"
#include "tape/SampleWindow.h"
#include "tape/SideStream.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// A Blob's bytes through FileReaderSync, a slice of a few MiB at a time: the
// WAV reader's pulls and the head it reads come from the slice held.
class BlobBytes final : public ByteSource {
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
class HeldBytes final : public ByteSource {
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
    StreamWindow window(*source_, channel_, end - first);
    window.hold(begin - first, end - first);   // lets go of what lies before `begin`
    const ByteView held = window.view().sub(0, end - begin);
    return std::vector<std::uint8_t>(held.data, held.data + held.size);
}

ChosenRecording readChosen(const val& chosen, const ReadingOptions& options, const std::string& file) {
    ChosenRecording read;
    std::unique_ptr<ByteSource> bytes;
    if (isBlob(chosen)) bytes = std::make_unique<BlobBytes>(chosen);
    else bytes = std::make_unique<HeldBytes>(web::bytesOf(chosen));
    WavOpening opening = openWavStream(std::move(bytes));
    if (!opening.source) {
        read.side = readSideFile(bytesOfChosen(chosen), options, file);
        if (!read.side.error) read.samples = RecordingSamples(adoptAnyWavSamples(bytesOfChosen(chosen)));
        return read;
    }
    SourceFacts seen;
    read.side = readSideStream(*opening.source, options, file, &seen);
    read.samples = RecordingSamples(std::move(opening.source), seen.channels.taken, read.side.samples, read.side.rate);
    return read;
}
