#pragma once
// The level of a recording over time, window by window: the power of each
// short window about its own mean (a slow drift of the centre does not count;
// 0 where the window held one constant value, digital silence). The BV7
// signal has one constant amplitude and its lead-in one constant tone, so
// what the level does over a record is what the recording chain or the tape
// did to it: a gain control that climbs or breathes, a noise gate that
// silences the pauses, a dropout.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"

struct LevelEnvelope {
    std::size_t from = 0;       // the first sample of window 0
    std::size_t window = 1;     // samples per window
    std::vector<float> power;   // mean square about the window's mean, in steps squared

    std::size_t begin(std::size_t index) const { return from + index * window; }
};

// Windows of 2.5 ms: a dropout of a few cells shows, and one window still
// holds a few periods of the slowest tone of the signal.
std::size_t envelopeWindow(std::uint32_t rate);
// Blocks of 40 windows (100 ms) give the level a dip or a short dropout leaves as it is.
constexpr std::size_t envelopeBlock = 40;

// The envelope of the whole windows within [from, to), in one pass.
LevelEnvelope levelEnvelope(ByteView samples, std::size_t from, std::size_t to, std::uint32_t rate);

// The median power of each whole block of the envelope.
std::vector<float> blockLevels(const LevelEnvelope& envelope);

// 10 log10 of power over reference; a power of 0 counts as the 8 bits' own
// rounding noise (1/12 of a step squared), so silence has a finite figure.
double decibels(double power, double reference);

// A stretch of the envelope in samples and its figure in dB.
struct LevelSpan {
    std::size_t where = 0;
    std::size_t length = 0;
    double decibels = 0;
};

// Runs of windows whose power lies `depth` dB or more below their
// surroundings (the loudest block within two blocks either side), each with
// how far its quietest window lies below them. Runs one window apart are one.
std::vector<LevelSpan> findDropouts(const LevelEnvelope& envelope, const std::vector<float>& blocks, double depth);

// How far the level swings: dB from the quietest to the loudest block,
// leaving out the blocks that touch one of `dropouts`; the span runs between
// the two blocks. 0 where fewer than two blocks are left.
LevelSpan levelSwing(const LevelEnvelope& envelope, const std::vector<float>& blocks,
                     const std::vector<LevelSpan>& dropouts);

// How far the floor of a pause climbs above its first block, in dB, to the
// loudest block after it (the span runs from the first block to that one).
LevelSpan floorRise(const LevelEnvelope& pause, const std::vector<float>& blocks);

// The median power of the windows: 0 where most of them are digital silence.
double medianPower(const LevelEnvelope& envelope);
