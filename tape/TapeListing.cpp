#include "tape/TapeListing.h"

#include <algorithm>
#include <cmath>

#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/AudioFormat.h"
#include "tape/LeadInFinder.h"
#include "tape/ReaderFallback.h"
#include "tape/SignalConditioner.h"
#include "tape/TapeRecord.h"

namespace {
constexpr int centreSample = 0x80;
constexpr int bitsPerByte = 8;
// The lead-in before the sync and the sync byte itself.
constexpr int bytesBeforeSync = tape::leadInBytes + 1;
// The noise is measured on up to this many cells of the lead-in, leaving out
// its first bytes (where a recorder may still be starting) and the last ones
// before the sync; fewer than the least leaves it unknown.
constexpr int noiseCells = 2048;
constexpr int leastNoiseCells = 64;
constexpr int skippedLeadInBytes = 8;
constexpr int bytesBeforeSyncLeftOut = 2;


// Mean square of the second difference of the sums of `cells` cells of
// `length` from `from`; one cell's sum of white noise of variance v has
// variance v * length, the second difference six times that.
double secondDifferencePower(const SignalConditioner& signal, double from, double length, int cells) {
    double older = 0, old = 0, total = 0;
    int count = 0;
    for (int k = 0; k < cells; ++k) {
        const double at = from + k * length;
        if (!signal.holds(at, length)) break;
        CellQuarters quarters = signal.cell(at, length);
        double sum = CellQuarters::value(quarters.q[0] + quarters.q[1] + quarters.q[2] + quarters.q[3]);
        if (k >= 2) {
            double bend = sum - 2 * old + older;
            total += bend * bend;
            ++count;
        }
        older = old, old = sum;
    }
    return count > 0 ? total / count : 0;
}


std::string trimmed(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

std::string rightAligned(std::string text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

// Seconds with six decimals, from whole microseconds.
std::string seconds(std::size_t sample, std::uint32_t rate) {
    rate = std::max(rate, 1u);
    const unsigned long long micro = (static_cast<unsigned long long>(sample) * 1000000 + rate / 2) / rate;
    std::string fraction = std::to_string(micro % 1000000);
    return std::to_string(micro / 1000000) + "." + std::string(6 - fraction.size(), '0') + fraction;
}
}

std::string shownName(std::string_view tapeName) {
    std::string name(tapeName);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '.';
    return name;
}

double recordCellLength(const DecodedRecord& record, std::uint32_t rate) {
    // Between the sync and the first block's length byte lie the pre-byte, the
    // name, the gap and the block's pre-byte: mostly zero bytes, as in the lead-in.
    constexpr int bytesToFirstBlock = 1 + tape::nameBytes + tape::gapBytes + 1;
    if (!record.blockSpans.empty() && record.blockSpans.front().begin > record.syncPosition)
        return static_cast<double>(record.blockSpans.front().begin - record.syncPosition) /
               (bytesToFirstBlock * bitsPerByte);
    return leadInCellSamplesAt(rate);
}

std::size_t recordStart(const DecodedRecord& record, std::uint32_t rate, std::size_t earliest) {
    const double before = recordCellLength(record, rate) * bitsPerByte * bytesBeforeSync;
    const double estimate = static_cast<double>(record.syncPosition) - before;
    std::size_t start = estimate > 0 ? static_cast<std::size_t>(estimate) : 0;
    if (record.toneStart) start = *record.toneStart;
    return foundRecord(record) ? std::max(start, earliest) : 0;
}

std::vector<std::size_t> recordStarts(const std::vector<DecodedRecord>& records, std::uint32_t rate) {
    std::vector<std::size_t> starts;
    std::size_t earliest = 0;
    for (const DecodedRecord& record : records) {
        starts.push_back(recordStart(record, rate, earliest));
        earliest = std::max(earliest, record.endPosition);
    }
    return starts;
}

SignalFigures measureSignal(ByteView samples, const DecodedRecord& record, std::size_t start, std::uint32_t rate) {
    SignalFigures figures;
    const std::size_t end = std::min(record.endPosition, samples.size);
    int peak = 0;
    for (std::size_t i = start; i < end; ++i) peak = std::max(peak, std::abs(samples[i] - centreSample));
    figures.peakPercent = (peak * 100 + centreSample / 2) / centreSample;

    if (!foundRecord(record)) return figures;
    // The lead-in's cell: its own tone's where it is heard, else the record's.
    double cell = recordCellLength(record, rate);
    if (record.blockSpans.empty()) {
        std::size_t from = start;
        LeadIn leadIn;
        if (findLeadIn(samples.sub(0, record.syncPosition), cellSamplesAt(rate), from, leadIn)) cell = leadIn.cell;
    }
    const double byte = cell * bitsPerByte;
    const double last = static_cast<double>(record.syncPosition) - byte * (1 + bytesBeforeSyncLeftOut);
    const double first = std::max(static_cast<double>(start) + byte * skippedLeadInBytes, last - cell * noiseCells);
    if (last - first < cell * leastNoiseCells) return figures;

    SignalConditioner signal(samples);
    const int cells = static_cast<int>((last - first) / cell);
    const double noise = secondDifferencePower(signal, first, cell, cells) / (6 * cell);
    // The power of the whole signal there, about its own mean.
    const std::size_t from = static_cast<std::size_t>(std::ceil(first));
    const std::size_t to = std::min(samples.size, static_cast<std::size_t>(first + cells * cell));
    double sum = 0, squares = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double value = samples[i] - centreSample;
        sum += value, squares += value * value;
    }
    const double count = static_cast<double>(to - from);
    const double power = squares / count - (sum / count) * (sum / count);
    figures.noiseKnown = true;
    if (noise <= 0) {
        figures.signalToNoise = maxSignalToNoise;
    } else {
        const double tone = std::max(power - noise, noise * 1e-3);
        const int decibels = static_cast<int>(std::lround(10 * std::log10(tone / noise)));
        figures.signalToNoise = std::min(maxSignalToNoise, decibels);
    }
    return figures;
}

std::string tapeTime(std::size_t sample, std::uint32_t rate) {
    rate = std::max(rate, 1u);
    // Cut, not rounded: the time shown has always been reached.
    const unsigned long long tenths = static_cast<unsigned long long>(sample) * 10 / rate;
    const unsigned long long secondsPart = tenths / 10 % 60;
    return std::to_string(tenths / 600) + ":" + (secondsPart < 10 ? "0" : "") + std::to_string(secondsPart) + "." +
           std::to_string(tenths % 10);
}

namespace {
// What the report's lines "... unsicher gelesen, bitte prüfen" say, short.
std::string unsureText(const DecodedRecord& record) {
    if (record.nameUnsure && record.startUnsure) return "Name und SA unsicher";
    if (record.nameUnsure) return "Name unsicher";
    return record.startUnsure ? "SA unsicher" : "";
}
}

std::string listHeading() {
    return "Start   Name              AA   EA   SA    Blöcke  Leser       Spitze  Rauschabstand";
}

std::vector<ListCell> listCells(const DecodedRecord& record, std::size_t start, std::uint32_t rate,
                                const SignalFigures& figures, NameText nameText) {
    std::string name = shownName(record.header.name);
    name.resize(tape::nameBytes, ' ');
    const bool read = record.status == DecodeStatus::Ok;
    const std::string unknown = "----";
    const int blocksRead = static_cast<int>(record.blockSpans.size());
    std::string time = tapeTime(start, rate);
    time.resize(8, ' ');
    std::vector<ListCell> cells{
        {"Start", time},
        {"Name", nameText(name) + "  "},
        {"AA", (blocksRead > 0 ? formatHex4(record.header.aa) : unknown) + " "},
        {"EA", (read ? formatHex4(record.header.ea) : unknown) + " "},
        {"SA", (read ? formatHex4(record.header.sa) : unknown) + "  "},
        // A mended block is not one read good.
        {"Blöcke", rightAligned(std::to_string(blocksRead - record.faulty - static_cast<int>(record.repairedBlocks.size())) +
                                    "/" + std::to_string(record.blocks), 6) + "  "},
        {"Leser", std::string(record.filtered ? "Störfilter" : "genau     ") + "  "},
        {"Spitze", rightAligned(std::to_string(figures.peakPercent) + " %", 6) + "  "},
        {"Rauschabstand", !figures.noiseKnown ? std::string("-")
                                              : (figures.signalToNoise >= maxSignalToNoise ? ">" : "") +
                                                    std::to_string(figures.signalToNoise) + " dB"},
    };
    std::string state;
    if (!read) state += "  " + loadString(decodeStatusMessage(record.status));
    // A name read before the record was lost is marked as well.
    if (!unsureText(record).empty()) state += "  " + unsureText(record);
    if (!record.faultyBlocks.empty()) {
        // "Block 4 von 12: Prüfsummenfehler", "Blöcke 4, 7 von 12: ..."
        state += record.faultyBlocks.size() == 1 ? "  Block " : "  Blöcke ";
        for (std::size_t i = 0; i < record.faultyBlocks.size(); ++i)
            state += (i > 0 ? ", " : "") + std::to_string(record.faultyBlocks[i]);
        state += (read ? " von " + std::to_string(record.blocks) : std::string()) + ": Prüfsummenfehler";
    }
    for (const RepairedBlock& repaired : record.repairedBlocks)
        state += "  Block " + std::to_string(repaired.block) + " repariert, unsicher";
    if (!state.empty()) cells.push_back({"", state});
    return cells;
}

std::string listLine(const DecodedRecord& record, std::size_t start, std::uint32_t rate, const SignalFigures& figures,
                     NameText nameText) {
    std::string line;
    for (const ListCell& cell : listCells(record, start, rate, figures, nameText)) line += cell.text;
    return line;
}

std::vector<TapeLabel> recordLabels(const std::vector<DecodedRecord>& records, std::uint32_t rate, NameText nameText) {
    return recordLabels(records, recordStarts(records, rate), nameText);
}

std::vector<TapeLabel> recordLabels(const std::vector<DecodedRecord>& records, const std::vector<std::size_t>& starts,
                                    NameText nameText) {
    std::vector<TapeLabel> labels;
    for (std::size_t r = 0; r < records.size(); ++r) {
        const DecodedRecord& record = records[r];
        const std::string message = loadString(decodeStatusMessage(record.status));
        if (!foundRecord(record)) {
            labels.push_back(TapeLabel{0, 0, message});
            continue;
        }
        std::string text = nameText(trimmed(shownName(record.header.name)));
        if (record.status == DecodeStatus::Ok)
            text += (text.empty() ? "" : " ") + std::string("AA ") + formatHex4(record.header.aa) + " EA " +
                    formatHex4(record.header.ea) + " SA " + formatHex4(record.header.sa);
        else if (text.empty())
            text = "Aufnahme";
        if (record.status == DecodeStatus::Ok && !unsureText(record).empty()) text += " (" + unsureText(record) + ")";
        labels.push_back(TapeLabel{starts[r], record.endPosition, text});
        for (std::size_t b = 0; b < record.blockSpans.size(); ++b) {
            const int number = static_cast<int>(b) + 1;
            const bool faulty = isFaultyBlock(record, number);
            labels.push_back(TapeLabel{record.blockSpans[b].begin, record.blockSpans[b].end,
                                       "Block " + std::to_string(number) + (faulty ? " Prüfsummenfehler" : " gut")});
        }
        if (record.status != DecodeStatus::Ok)
            labels.push_back(TapeLabel{record.endPosition, record.endPosition, message});
    }
    return labels;
}

std::string labelLine(const TapeLabel& label, std::uint32_t rate) {
    return seconds(label.begin, rate) + "\t" + seconds(label.end, rate) + "\t" + label.text + "\n";
}
