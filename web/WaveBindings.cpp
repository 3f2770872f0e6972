// The signal of a recording on the page: readRecording hands over where the
// samples it read lie and its records (keepWave), the marks of each record
// (lead-in, blocks, faulty blocks, end) go out as plain numbers. The page asks
// for as many columns as it draws, never for the whole recording; they are
// made of the samples read again from the file, or of the least and greatest
// of runs of them made while the recording was read.
#include <emscripten/bind.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "shell/Cp1252Text.h"
#include "shell/StringTable.h"
#include "tape/AudioFormat.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeListing.h"
#include "web/ShownWave.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// A column of fewer samples than this many runs (RecordingSamples::runs) is
// made of its samples, read again from the file; a wider one of the runs.
constexpr double runsForColumn = 8;

struct ShownWave {
    RecordingSamples samples;
};
ShownWave shown;

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

// Keeps `samples` and gives their rate, length, bit cell and, per record the
// list shows, where its lead-in began (as bv7 list's start), its sync, its
// blocks and where reading ended, with its name.
val keepWave(RecordingSamples samples, const SideReading& side) {
    shown = ShownWave{};
    shown.samples = std::move(samples);
    const std::size_t count = shown.samples.count();
    val result = val::object();
    result.set("rate", shown.samples.rate());
    result.set("count", static_cast<double>(count));
    result.set("cell", leadInCellSamplesAt(shown.samples.rate()));
    val marks = val::array();
    for (const ReadRecord& read : side.records) {
        const DecodedRecord& record = read.reading;
        if (!foundRecord(record)) continue;
        val mark = val::object();
        mark.set("start", static_cast<double>(read.start));
        mark.set("sync", static_cast<double>(record.syncPosition));
        mark.set("end", static_cast<double>(std::min(record.endPosition, count)));
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
    const std::size_t total = shown.samples.count();
    const auto clamp = [total](double at) {
        return std::isfinite(at) ? static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(total)))
                                 : std::size_t{0};
    };
    const std::size_t begin = clamp(std::floor(from)), end = std::max(begin, clamp(std::ceil(to)));
    const std::size_t count = end - begin, wanted = static_cast<std::size_t>(std::max(columns, 1));
    if (count <= wanted) return web::arrayOf(shown.samples.samples(begin, end));
    std::vector<std::uint8_t> out(2 * wanted);
    // In 64 bits: a long recording's count times a column overflows size_t here.
    const auto edge = [&](std::size_t c) {
        return begin + static_cast<std::size_t>(static_cast<std::uint64_t>(count) * c / wanted);
    };
    const SampleRuns& runs = shown.samples.runs();
    const double runSamples = static_cast<double>(runs.frames) * runs.rate / runs.fileRate;
    const bool byRuns = !runs.lows.empty() && static_cast<double>(count) / wanted >= runsForColumn * runSamples;
    std::vector<std::uint8_t> part;
    if (!byRuns) part = shown.samples.samples(begin, end);
    for (std::size_t c = 0; c < wanted; ++c) {
        std::uint8_t low = 255, high = 0;
        if (byRuns) {
            // The runs the column reaches into, the two at its edges whole.
            const std::size_t last = std::min(runs.runOf(edge(c + 1) - 1), runs.lows.size() - 1);
            for (std::size_t run = std::min(runs.runOf(edge(c)), last); run <= last; ++run) {
                low = std::min(low, runs.lows[run]);
                high = std::max(high, runs.highs[run]);
            }
        } else {
            for (std::size_t at = edge(c) - begin; at < std::min(edge(c + 1) - begin, part.size()); ++at) {
                low = std::min(low, part[at]);
                high = std::max(high, part[at]);
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
