#pragma once
// Finds the lead-in of a record in noisy samples: a steady tone whose period
// is one bit cell. Gives where it was heard and how long a cell is there, so
// the noise-proof reader starts its bit clock at the tape's real speed.
#include <cstddef>

#include "shell/ByteReader.h"

// The finder hears windows of this many samples, every leadInStride samples:
// a lead-in it reports may have begun up to a stride before.
constexpr std::size_t leadInWindow = 4096;
constexpr std::size_t leadInStride = 3 * leadInWindow;

struct LeadIn {
    std::size_t position = 0;   // the first sample of the window that held it
    double cell = 0;            // samples per bit cell
};

// Scans windows of samples from `from` on (every third window of 4096 at
// 44100 per second: a lead-in is at least 24 windows long) for a tone whose half-period lies
// within +/- 30 % of half of `nominalCell` (samples per cell at normal speed).
// True with `found` at the first such window; `from` is then set behind it, so
// a later call goes on from there. False when the samples end.
bool findLeadIn(ByteView samples, double nominalCell, std::size_t& from, LeadIn& found);

// How much of the lead-in tone is heard just before `position` (the sync of a
// record found there): of the windows of samples that end a few cells before
// it, back to windowsBeforeSync of them, those that fit into the samples and
// those that hold the tone. Fewer fit where a recording begins inside a
// lead-in or behind it.
constexpr int windowsBeforeSync = 8;
struct LeadInBefore {
    int windows = 0;   // that fit before `position`
    int heard = 0;     // of them, those with the tone
    // Some tone is heard, or the samples begin too shortly before to tell.
    bool possible() const { return heard > 0 || windows < windowsBeforeSync; }
    // The tone fills the windows: a lead-in for sure.
    bool sure() const { return heard >= windowsBeforeSync - 2; }
};
LeadInBefore leadInBefore(ByteView samples, double nominalCell, std::size_t position);

// Where the lead-in tone heard in the window at `from` begins: the earliest
// window, an eighth of a window apart back to `since`, that still holds it.
std::size_t leadInBegin(ByteView samples, double nominalCell, std::size_t from, std::size_t since);

// Where the lead-in tone heard in the window at `from` ends: behind the last
// of the windows that follow each other with the tone (one window without it,
// a dropout, does not end it), or `until` where it lasts that long.
std::size_t leadInEnd(ByteView samples, double nominalCell, std::size_t from, std::size_t until);
