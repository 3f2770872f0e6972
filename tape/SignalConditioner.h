#pragma once
// The noise-proof reader's view of the samples: sums over the quarters of a
// bit cell at fractional positions, about the centre line. The reader only
// ever compares spans of equal length (second half against first half, inner
// half against outer quarters), so DC and slow drift cancel out, and hum
// leaves no more than its slope across one cell (a tenth of a bit's strength
// for 50 Hz at twice the signal). The sums come from running sums over a
// chunk of samples at a time: no allocation per sample or cell.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/ByteReader.h"

// Sums over the four quarters of a cell, in 1/256 of a sample's value: whole
// numbers, so that the reader adds and subtracts them exactly and converts
// only what it needs (value() gives the sum itself).
struct CellQuarters {
    std::int64_t q[4] = {0, 0, 0, 0};
    static double value(std::int64_t sum) { return static_cast<double>(sum) * (1.0 / 256); }
};

class SignalConditioner {
  public:
    explicit SignalConditioner(ByteView samples)
        : samples_(samples), length_(static_cast<double>(samples.size)), sums_(chunk + 2) {}

    std::size_t size() const { return samples_.size; }
    // True when the cell [start, start + length) lies within the samples but
    // for at most its second half (a recording may end right behind its last bit).
    bool holds(double start, double length) const {
        return start >= 0 && start + 0.5 * length < length_;
    }
    // The quarters of the cell [start, start + length); holds() must be true.
    CellQuarters cell(double start, double length) { return cellAt(fixed(start), fixed(length)); }
    // The same with start and length already counted in 1/256 sample (as
    // fixed() gives them). Inline: it runs once per bit cell.
    CellQuarters cellAt(std::int64_t first, std::int64_t span);
    // A position in samples counted in 1/256 sample, rounded.
    static std::int64_t fixed(double position) { return static_cast<std::int64_t>(position * fractionScale + 0.5); }

  private:
    // Positions inside a cell are counted in 1/256 of a sample.
    static constexpr int fractionBits = 8;
    static constexpr double fractionScale = 1 << fractionBits;
    // Running sums are kept for a chunk of samples at a time.
    static constexpr std::size_t chunk = 8192;

    void buildChunk(std::size_t from);
    void extend(std::size_t needed);
    void makeSums(std::size_t to);

    ByteView samples_;
    double length_;                     // samples_.size
    std::vector<std::int32_t> sums_;    // running sums over the chunk's samples (0..255 each)
    std::size_t base_ = 0, end_ = 0;    // the chunk: samples [base_, end_)
    std::size_t ready_ = 0;             // sums_[0 .. ready_] are made
};

inline CellQuarters SignalConditioner::cellAt(std::int64_t first, std::int64_t span) {
    // Sample i spans [i, i + 1); beyond the last sample the signal counts as the centre line.
    const std::int64_t stop = std::min(first + span, static_cast<std::int64_t>(samples_.size) << fractionBits);
    if ((first >> fractionBits) < static_cast<std::int64_t>(base_) || (stop >> fractionBits) >= static_cast<std::int64_t>(end_))
        buildChunk(static_cast<std::size_t>(first >> fractionBits));
    const std::int64_t origin = static_cast<std::int64_t>(base_) << fractionBits;
    first -= origin;
    const std::int64_t last = std::min(stop - origin, static_cast<std::int64_t>(end_ - base_) << fractionBits);
    const std::int32_t* sums = sums_.data();
    // The sum of the samples as they are from the chunk's base to `at`, in
    // 1/256 sample; the centre line is taken off the quarters below.
    auto sumTo = [sums](std::int64_t at) {
        std::int64_t whole = at >> fractionBits;
        std::int64_t here = sums[whole];
        return here * (1 << fractionBits) + (at & ((1 << fractionBits) - 1)) * (sums[whole + 1] - here);
    };
    // The running sums are made a little at a time ahead of the cells, so
    // that this work runs alongside the reader's clock instead of after it:
    // with each cell the next 48, a pace that does not depend on where the
    // clock stands (such a choice would have the processor guess and wait).
    // Only after a new chunk has a cell to wait for them.
    if (ready_ < end_ - base_) makeSums(ready_ + 48);
    const std::size_t needed = static_cast<std::size_t>(last >> fractionBits) + 1;
    if (needed > ready_) extend(needed);
    std::int64_t positions[5], edges[5];
    positions[0] = first;
    for (int part = 1; part <= 4; ++part) positions[part] = std::min(first + (span * part >> 2), last);
    for (int part = 0; part <= 4; ++part) edges[part] = sumTo(positions[part]);
    static_assert(fractionScale == 256, "CellQuarters counts in 1/256");
    CellQuarters out;
    // A span of w (in 1/256 sample) holds 128 * w of the centre line.
    for (int part = 0; part < 4; ++part) out.q[part] = edges[part + 1] - edges[part] - 128 * (positions[part + 1] - positions[part]);
    return out;
}
