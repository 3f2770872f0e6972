#pragma once
// What the listing of a recording shows of each record read from it: where
// its lead-in began, how loud and how clean it is, one line of `bv7 list`, and
// the labels of a label track an audio editor lays over the recording (the
// record, each block with its verdict, the place where reading stopped).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"

// Names come from tape as Windows-1252 bytes; the caller says how they are
// shown (the terminal's or the label file's encoding).
// A name as read from tape, any byte in it: control characters become ".".
std::string shownName(std::string_view tapeName);
using NameText = std::string (*)(std::string_view cp1252);

// Samples per bit cell of the record's zero bytes as read (from the sync to
// its first block: the cells of its lead-in), or the lead-in's at normal
// speed for `rate` where it has no block.
double recordCellLength(const DecodedRecord& record, std::uint32_t rate);

// Where each record's lead-in began: lead-in and sync byte (513 bytes) before
// its sync at recordCellLength, but never before the end of the record ahead.
std::vector<std::size_t> recordStarts(const std::vector<DecodedRecord>& records, std::uint32_t rate);
// The same for one record, the records ahead of it ending at `earliest` at the latest.
std::size_t recordStart(const DecodedRecord& record, std::uint32_t rate, std::size_t earliest);

struct SignalFigures {
    int peakPercent = 0;          // the largest deviation from 0x80 over the record, in % of full scale
    bool noiseKnown = false;      // false: too little lead-in to measure
    int signalToNoise = 0;        // dB, the lead-in tone against the noise under it; at most maxSignalToNoise
};
constexpr int maxSignalToNoise = 40;

// Peak level over [start, end of the record) and the signal-to-noise ratio of
// its lead-in: the tone's power against the noise measured as the second
// difference of whole-cell sums, in which a steady tone (and hum or drift)
// cancels out and only what changes from cell to cell remains. The cell is
// recordCellLength's, or for a record without a block the lead-in's own.
SignalFigures measureSignal(ByteView samples, const DecodedRecord& record, std::size_t start, std::uint32_t rate);

// "m:ss.s" of a sample at `rate`.
std::string tapeTime(std::size_t sample, std::uint32_t rate);

// The head line of the list and one line per record (without line break). A
// record not read to its end ends in the reader's message; one read whose
// name or sa held a weak bit in "Name unsicher", "SA unsicher" (its record
// label says the same in brackets); one with faulty blocks names them
// ("Block 4 von 12: Prüfsummenfehler").
std::string listHeading();
std::string listLine(const DecodedRecord& record, std::size_t start, std::uint32_t rate, const SignalFigures& figures,
                     NameText nameText);
// The same line cut into its columns, each with the heading's word for it
// (the last, what went wrong, has none), for a list too narrow for the line:
// the texts one after the other are the line.
struct ListCell {
    std::string label;
    std::string text;
};
std::vector<ListCell> listCells(const DecodedRecord& record, std::size_t start, std::uint32_t rate,
                                const SignalFigures& figures, NameText nameText);

struct TapeLabel {
    std::size_t begin = 0;        // samples; a point label has begin == end
    std::size_t end = 0;
    std::string text;
};

// The labels of every record as readEveryRecord gives them, in order: the
// record (name and addresses) from its lead-in to where reading ended, each
// block read ("Block 3 gut", "Block 5 Prüfsummenfehler"), and where a record
// could not be read further, that place with the reader's message. Where no
// record was found at all, the message at the start.
std::vector<TapeLabel> recordLabels(const std::vector<DecodedRecord>& records, std::uint32_t rate, NameText nameText);
// The same with their starts as recordStarts gives them.
std::vector<TapeLabel> recordLabels(const std::vector<DecodedRecord>& records, const std::vector<std::size_t>& starts,
                                    NameText nameText);

// One line of a label file: start and end in seconds with six decimals (a
// dot, whatever the locale), a tab between, the text, a line break.
std::string labelLine(const TapeLabel& label, std::uint32_t rate);
