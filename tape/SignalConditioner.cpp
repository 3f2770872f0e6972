#include "tape/SignalConditioner.h"

#include <algorithm>

namespace {
constexpr std::size_t chunk = 8192;
// A chunk is built from a little before the position asked for, so that the
// reader's small steps back (half a cell) stay within it.
constexpr std::size_t lookBack = 64;
}

SignalConditioner::SignalConditioner(ByteView samples) : samples_(samples), sums_(chunk + 2) {}

// Running sums about the centre line: sums_[i] holds the i samples from base_
// on; one more entry repeats the last, so that a position at the chunk's end
// reads no sample beyond it.
void SignalConditioner::buildChunk(std::size_t from) {
    base_ = from > lookBack ? from - lookBack : 0;
    end_ = std::min(samples_.size, base_ + chunk);
    const std::size_t count = end_ - base_;
    const std::uint8_t* s = samples_.data + base_;
    std::int32_t* sums = sums_.data();
    std::int32_t total = 0;
    sums[0] = 0;
    for (std::size_t i = 0; i < count; ++i) sums[i + 1] = total += s[i] - 128;
    sums[count + 1] = total;
}
