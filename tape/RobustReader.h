#pragma once
// The noise-proof reader: for recordings the reader of Decoder.h cannot take
// (hiss, hum, dull highs, level dips, wrong or wobbling speed). It weighs
// whole half-cells instead of single crossings, recovers the bit clock from the
// lead-in and follows it and the level through the record, and hands its bytes
// to the same record parser, so header, block checksums and report agree.
#include <cstddef>
#include <cstdint>

#include "shell/ByteReader.h"
#include "tape/Decoder.h"

// Decodes the first record whose sync lies within [start, syncLimit) of the
// 8-bit samples at `rate` (22050 or 44100 per second; speed may be off by a
// fifth). Pure, as decodeRecord: no messages; `fields` (may be null) receives
// the header fields as they are known. Status NoSync when no record is found;
// `filtered` is set in every result.
DecodedRecord decodeRecordFiltered(ByteView samples, std::uint32_t rate, std::size_t start = 0,
                                   HeaderFieldSink* fields = nullptr,
                                   std::size_t syncLimit = static_cast<std::size_t>(-1));

// The bit clock run over a stretch of lead-in, [from, to) of the samples at
// `rate`, from `cell` samples per cell (as the lead-in finder heard it):
// locked where it read the lead-in's bits, all alike, in nine cells of ten;
// then the mean cell length and the swing of the cells' length in % (the
// amplitude of a sine of that spread over runs of 16 cells). Speed and wow
// are told only from a locked clock: a phone line or a codec can smear the
// tone's single crossings, not the cells' timing.
struct LeadInClock {
    bool locked = false;
    double cell = 0;
    double swingPercent = 0;
};
LeadInClock followLeadInClock(ByteView samples, std::uint32_t rate, std::size_t from, std::size_t to, double cell);
