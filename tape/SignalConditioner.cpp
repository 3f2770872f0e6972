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
// How quickly the power of the baseline's slope and of its noise are followed.
constexpr double slopeGain = 0.05;
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
    const double quarter = length * 0.25;

    // The slope: the median of the last three steps between cell means, so
    // that one cell whose level changed inside it (a dip) does not bend it.
    const double perSample = 1 / length;
    double mean = (out.q[0] + out.q[1] + out.q[2] + out.q[3]) * perSample;
    steps_[0] = steps_[1], steps_[1] = steps_[2];
    steps_[2] = known_ > 0 ? (mean - lastMean_) * perSample : 0;
    lastMean_ = mean;
    if (known_ < 4) ++known_;
    if (follow_ && known_ == 4) {
        double slope = std::max(std::min(steps_[0], steps_[1]), std::min(std::max(steps_[0], steps_[1]), steps_[2]));
        // Taken off only as far as it stands out of its own noise: hiss alone
        // makes the medians wander, and following them would add to the hiss.
        // Medians three cells apart share no step; their difference is noise
        // (a hum's slope changes little in three cells).
        double wander = slope - slopes_[0];
        slopes_[0] = slopes_[1], slopes_[1] = slopes_[2], slopes_[2] = slope;
        slopePower_ += slopeGain * (slope * slope - slopePower_);
        noisePower_ += slopeGain * (wander * wander / 2 - noisePower_);
        double weight = slopePower_ > noisePower_ ? 1 - noisePower_ / slopePower_ : 0;
        slope *= weight;
        for (int part = 0; part < 4; ++part) out.q[part] -= slope * quarter * quarter * (part - 1.5);
    }
    return out;
}

void SignalConditioner::followSlope(bool follow) {
    follow_ = follow;
    known_ = 0;
    slopePower_ = noisePower_ = 0;
    slopes_[0] = slopes_[1] = slopes_[2] = 0;
}
