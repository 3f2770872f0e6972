#include "tape/Resampling.h"

#include <algorithm>

void RateConverter::convert(const std::vector<std::uint8_t>& in, bool last, std::vector<std::uint8_t>& out) {
    if (from_ == to_) {
        out = in;
        return;
    }
    held_.insert(held_.end(), in.begin(), in.end());
    out.clear();
    const std::uint64_t received = base_ + held_.size();
    for (; next_ * from_ / to_ + (last ? 0 : 1) < received; ++next_)
        out.push_back(resampledAt(next_, from_, to_, received,
                                  [this](std::uint64_t frame) { return held_[frame - base_]; }));
    // Kept: the samples the next output still needs.
    const std::uint64_t needed = std::min<std::uint64_t>(next_ * from_ / to_, received);
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(needed - base_));
    base_ = needed;
}
