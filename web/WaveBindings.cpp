// The signal of a recording on the page: readRecording hands over the samples
// it read and its records (keepWave), the marks of each record (lead-in,
// blocks, faulty blocks, end) go out as plain numbers. The samples stay here,
// those of the recording last read only: the page asks for as many columns as
// it draws, never for the whole recording.
#include <emscripten/bind.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "shell/Cp1252Text.h"
#include "shell/StringTable.h"
#include "tape/AudioFormat.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeListing.h"
#include "tape/WavFile.h"
#include "web/ShownWave.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// The least and greatest sample of each run of this many, so that a column
// over a long stretch takes its runs whole instead of every sample.
constexpr std::size_t runLength = 64;

struct ShownWave {
    WavSamples wav;
    std::vector<std::uint8_t> runLows, runHighs;
};
ShownWave shown;

// Made at the first column that takes runs whole, not when the recording is
// read: the listing is shown without waiting for it.
void summarise(ShownWave& wave) {
    if (!wave.runLows.empty()) return;
    const std::uint8_t* samples = wave.wav.samples.data;
    const std::size_t runs = wave.wav.samples.size / runLength;
    wave.runLows.resize(runs);
    wave.runHighs.resize(runs);
    for (std::size_t r = 0; r < runs; ++r) {
        const std::uint8_t* run = samples + r * runLength;
        std::uint8_t low = 255, high = 0;
        for (std::size_t i = 0; i < runLength; ++i) {
            low = std::min(low, run[i]);
            high = std::max(high, run[i]);
        }
        wave.runLows[r] = low;
        wave.runHighs[r] = high;
    }
}

val blockMarks(const DecodedRecord& record) {
    val blocks = val::array();
    for (std::size_t b = 0; b < record.blockSpans.size(); ++b) {
        const int number = static_cast<int>(b) + 1;
        val block = val::object();
        block.set("begin", static_cast<double>(record.blockSpans[b].begin));
        block.set("end", static_cast<double>(record.blockSpans[b].end));
        block.set("number", number);
        block.set("faulty", isFaultyBlock(record, number));
        blocks.call<void>("push", block);
    }
    return blocks;
}

}

// Keeps the samples of `wav` and gives its rate, length, bit cell and, per
// record the list shows, where its lead-in began (as bv7 list's start), its
// sync, its blocks and where reading ended, with its name.
val keepWave(WavSamples wav, const SideReading& side) {
    shown = ShownWave{};
    shown.wav = std::move(wav);
    const WavSamples& kept = shown.wav;
    val result = val::object();
    result.set("rate", kept.rate);
    result.set("count", static_cast<double>(kept.samples.size));
    result.set("cell", leadInCellSamplesAt(kept.rate));
    val marks = val::array();
    for (const ReadRecord& read : side.records) {
        const DecodedRecord& record = read.reading;
        if (!foundRecord(record)) continue;
        val mark = val::object();
        mark.set("start", static_cast<double>(read.start));
        mark.set("sync", static_cast<double>(record.syncPosition));
        mark.set("end", static_cast<double>(std::min(record.endPosition, kept.samples.size)));
        mark.set("name", cp1252ToUtf8(shownName(record.header.name)));
        mark.set("blocks", blockMarks(record));
        if (record.status != DecodeStatus::Ok) mark.set("message", loadString(decodeStatusMessage(record.status)));
        marks.call<void>("push", mark);
    }
    result.set("records", marks);
    return result;
}

namespace {
// The samples [from, to) of the recording last shown as `columns` columns,
// each its least and greatest sample; the samples themselves where there are
// no more of them than columns.
val waveColumns(double from, double to, int columns) {
    const ByteView samples = shown.wav.samples;
    const auto clamp = [&samples](double at) {
        return std::isfinite(at) ? static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(samples.size)))
                                 : std::size_t{0};
    };
    const std::size_t begin = clamp(std::floor(from)), end = std::max(begin, clamp(std::ceil(to)));
    const std::size_t count = end - begin, wanted = static_cast<std::size_t>(std::max(columns, 1));
    std::vector<std::uint8_t> out;
    if (count <= wanted) {
        out.assign(samples.data + begin, samples.data + end);
        return web::arrayOf(out);
    }
    if (count / wanted >= 2 * runLength) summarise(shown);
    out.resize(2 * wanted);
    // In 64 bits: a long recording's count times a column overflows size_t here.
    const auto edge = [&](std::size_t c) {
        return begin + static_cast<std::size_t>(static_cast<std::uint64_t>(count) * c / wanted);
    };
    for (std::size_t c = 0; c < wanted; ++c) {
        std::size_t at = edge(c);
        const std::size_t stop = edge(c + 1);
        std::uint8_t low = 255, high = 0;
        while (at < stop) {
            if (!shown.runLows.empty() && at % runLength == 0 && at + runLength <= stop) {
                low = std::min(low, shown.runLows[at / runLength]);
                high = std::max(high, shown.runHighs[at / runLength]);
                at += runLength;
            } else {
                low = std::min(low, samples[at]);
                high = std::max(high, samples[at]);
                ++at;
            }
        }
        out[2 * c] = low;
        out[2 * c + 1] = high;
    }
    return web::arrayOf(out);
}
}

EMSCRIPTEN_BINDINGS(wave) {
    emscripten::function("waveColumns", &waveColumns);
}
