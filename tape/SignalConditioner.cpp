#include "tape/SignalConditioner.h"

#include <algorithm>

CellQuarters SignalConditioner::cell(double start, double length) {
    // One pass from the first sample of the cell: sample i spans [i, i + 1).
    const std::uint8_t* s = samples_.data;
    const double quarter = length / 4;
    std::size_t index = static_cast<std::size_t>(start);
    // Running sum from the first sample's start; `previous` is where the quarter begins.
    double previous = (start - static_cast<double>(index)) * (s[index] - 128);
    long whole = 0;
    CellQuarters out;
    for (int part = 0; part < 4; ++part) {
        double edge = start + quarter * (part + 1);
        // Beyond the last sample the signal counts as the centre line.
        std::size_t last = std::min(static_cast<std::size_t>(edge), samples_.size);
        for (; index < last; ++index) whole += s[index] - 128;
        double upTo = static_cast<double>(whole);
        if (last < samples_.size) upTo += (edge - static_cast<double>(last)) * (s[last] - 128);
        out.q[part] = upTo - previous;
        previous = upTo;
    }

    // The slope: the median of the last three steps between cell means, so
    // that one cell whose level changed inside it (a dip) does not bend it.
    double mean = (out.q[0] + out.q[1] + out.q[2] + out.q[3]) / length;
    steps_[0] = steps_[1], steps_[1] = steps_[2];
    steps_[2] = known_ > 0 ? (mean - lastMean_) / length : 0;
    lastMean_ = mean;
    if (known_ < 4) ++known_;
    if (follow_ && known_ == 4) {
        double slope = std::max(std::min(steps_[0], steps_[1]), std::min(std::max(steps_[0], steps_[1]), steps_[2]));
        for (int part = 0; part < 4; ++part) out.q[part] -= slope * quarter * quarter * (part - 1.5);
    }
    return out;
}

void SignalConditioner::followSlope(bool follow) {
    follow_ = follow;
    known_ = 0;
}
