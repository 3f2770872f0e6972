#pragma once
// Finds the lead-in of a record in noisy samples: a steady tone whose period
// is one bit cell. Gives where it was heard and how long a cell is there, so
// the noise-proof reader starts its bit clock at the tape's real speed.
#include <cstddef>

#include "shell/ByteReader.h"

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
