#pragma once
// Where a recording chain cut the highs off sharply (a lossy codec, a phone
// call, a steep filter), read from a lead-in: its tone of known period puts
// its power into its odd harmonics, and a sharp edge leaves those below it
// as they are and takes those above it, while a tape deck's own roll-off
// weakens them step by step.
#include <cstddef>
#include <cstdint>

#include "shell/ByteReader.h"

struct BandEdge {
    bool found = false;
    double hertz = 0;        // the highest frequency still carried
    double drop = 0;         // dB the harmonics fall across the edge
    int lastHarmonic = 0;    // the highest odd harmonic still carried (1, 3, 5, ...)
};

// The edge in the samples [from, to) of a lead-in whose tone has `cell`
// samples per period at `rate`. Looks at most at the first second of it.
BandEdge findBandEdge(ByteView samples, std::size_t from, std::size_t to, std::uint32_t rate, double cell);
