#include "tape/SignalConditioner.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t chunk = 8192;
// A chunk is built from a little before the position asked for, so that the
// reader's small steps back (half a cell) stay within it.
constexpr std::size_t lookBack = 64;
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
