#include "tape/SignalConditioner.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t chunk = 8192;
// A chunk is built from a little before the position asked for, so that the
// reader's small steps back (half a cell) stay within it.
constexpr std::size_t lookBack = 64;
// Positions inside a cell are counted in 1/256 of a sample.
constexpr int fractionBits = 8;
constexpr double fractionScale = 1 << fractionBits;
}

SignalConditioner::SignalConditioner(ByteView samples)
    : samples_(samples), copy_(chunk + 4, 0x80), sums_(chunk / 4 + 1) {}

// A copy of the chunk's samples (padded with the centre line, so that the
// reads below never leave it) and their sums at every fourth sample: sums_[k]
// holds the 4k samples from base_ on, about the centre line.
void SignalConditioner::buildChunk(std::size_t from) {
    base_ = from > lookBack ? from - lookBack : 0;
    end_ = std::min(samples_.size, base_ + chunk);
    const std::size_t count = end_ - base_;
    std::memcpy(copy_.data(), samples_.data + base_, count);
    std::fill(copy_.begin() + static_cast<std::ptrdiff_t>(count), copy_.end(), std::uint8_t{0x80});
    const std::uint8_t* s = copy_.data();
    std::int32_t total = 0;
    sums_[0] = 0;
    for (std::size_t k = 0; k < (count + 3) / 4; ++k, s += 4) sums_[k + 1] = total += s[0] + s[1] + s[2] + s[3] - 512;
}

CellQuarters SignalConditioner::cell(double start, double length) {
    // Sample i spans [i, i + 1); beyond the last sample the signal counts as the centre line.
    const double stop = std::min(start + length, static_cast<double>(samples_.size));
    if (static_cast<std::size_t>(start) < base_ || static_cast<std::size_t>(stop) >= end_) {
        buildChunk(static_cast<std::size_t>(start));
    }
    const std::int64_t origin = static_cast<std::int64_t>(base_) << fractionBits;
    auto fixed = [](double position) { return static_cast<std::int64_t>(position * fractionScale + 0.5); };
    const std::int64_t first = fixed(start) - origin;
    const std::int64_t last = std::min(fixed(stop) - origin, static_cast<std::int64_t>(end_ - base_) << fractionBits);
    const std::int64_t span = fixed(length);
    const std::uint8_t* s = copy_.data();
    // The sum about the centre line from the chunk's base to `at`, in 1/256 sample.
    auto sumTo = [&](std::int64_t at) {
        std::int64_t whole = at >> fractionBits, block = whole >> 2, rest = whole & 3;
        const std::uint8_t* x = s + 4 * block;
        std::int64_t sum = sums_[static_cast<std::size_t>(block)] + (x[0] - 128) * (rest > 0) +
                           (x[1] - 128) * (rest > 1) + (x[2] - 128) * (rest > 2);
        return (sum << fractionBits) + (at & ((1 << fractionBits) - 1)) * (s[whole] - 128);
    };
    std::int64_t edges[5];
    edges[0] = sumTo(first);
    for (int part = 1; part <= 4; ++part) edges[part] = sumTo(std::min(first + (span * part >> 2), last));
    CellQuarters out;
    for (int part = 0; part < 4; ++part)
        out.q[part] = static_cast<double>(edges[part + 1] - edges[part]) * (1 / fractionScale);
    return out;
}
