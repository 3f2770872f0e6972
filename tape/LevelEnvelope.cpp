#include "tape/LevelEnvelope.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double roundingPower = 1.0 / 12;
constexpr std::size_t blocksAround = 2;
constexpr double partialEdgeShare = 0.25;

float medianLevel(std::vector<float>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

bool touches(const LevelSpan& span, std::size_t from, std::size_t to) {
    return span.where < to && span.where + span.length > from;
}
}

std::size_t envelopeWindow(std::uint32_t rate) { return std::clamp<std::size_t>(rate / 400, 8, 65536); }

LevelEnvelope levelEnvelope(ByteView samples, std::size_t from, std::size_t to, std::uint32_t rate) {
    LevelEnvelope envelope;
    envelope.from = from;
    envelope.window = envelopeWindow(rate);
    to = std::min(to, samples.size);
    if (to <= from) return envelope;
    const std::size_t windows = (to - from) / envelope.window;
    envelope.power.resize(windows);
    const double count = static_cast<double>(envelope.window);
    for (std::size_t w = 0; w < windows; ++w) {
        // Whole numbers: a constant window gives exactly 0. 32 bits hold
        // the squares of a window of up to 66000 samples and vectorise.
        const std::uint8_t* at = samples.data + envelope.begin(w);
        std::uint32_t sum = 0, squares = 0;
        for (std::size_t i = 0; i < envelope.window; ++i) sum += at[i], squares += static_cast<std::uint32_t>(at[i] * at[i]);
        const std::uint64_t spread = std::uint64_t{squares} * envelope.window - std::uint64_t{sum} * sum;
        envelope.power[w] = static_cast<float>(static_cast<double>(spread) / (count * count));
    }
    return envelope;
}

std::vector<float> blockLevels(const LevelEnvelope& envelope) {
    std::vector<float> levels, block;
    for (std::size_t b = 0; (b + 1) * envelopeBlock <= envelope.power.size(); ++b) {
        block.assign(envelope.power.begin() + static_cast<std::ptrdiff_t>(b * envelopeBlock),
                     envelope.power.begin() + static_cast<std::ptrdiff_t>((b + 1) * envelopeBlock));
        levels.push_back(medianLevel(block));
    }
    return levels;
}

double decibels(double power, double reference) {
    return 10 * std::log10(std::max(power, roundingPower) / std::max(reference, roundingPower));
}

std::vector<LevelSpan> findDropouts(const LevelEnvelope& envelope, const std::vector<float>& blocks, double depth) {
    std::vector<LevelSpan> dropouts;
    if (blocks.empty()) return dropouts;
    const auto around = [&](std::size_t w) {
        const std::size_t b = std::min(w / envelopeBlock, blocks.size() - 1);
        const std::size_t first = b > blocksAround ? b - blocksAround : 0;
        const std::size_t last = std::min(blocks.size() - 1, b + blocksAround);
        return static_cast<double>(*std::max_element(blocks.begin() + static_cast<std::ptrdiff_t>(first),
                                                     blocks.begin() + static_cast<std::ptrdiff_t>(last) + 1));
    };
    // The share of window w the dropout takes, where it lies at one edge of
    // it: what is missing of the surroundings' power (the dropout's own taken as none).
    const auto edgeShare = [&](std::size_t w) {
        const double share = around(w) > 0 ? 1 - envelope.power[w] / around(w) : 0;
        return share >= partialEdgeShare ? share : 0.0;
    };
    const double low = std::pow(10.0, -depth / 10);
    const std::size_t windows = envelope.power.size();
    for (std::size_t w = 0; w < windows; ++w) {
        if (around(w) <= 0 || envelope.power[w] >= around(w) * low) continue;
        // The run of low windows from w, one window between two of them allowed.
        std::size_t last = w;
        double deepest = -decibels(envelope.power[w], around(w));
        for (std::size_t next = w + 1; next < windows && next <= last + 2; ++next)
            if (envelope.power[next] < around(next) * low) {
                last = next;
                deepest = std::max(deepest, -decibels(envelope.power[next], around(next)));
            }
        const double before = w > 0 ? edgeShare(w - 1) : 0, after = last + 1 < windows ? edgeShare(last + 1) : 0;
        const double window = static_cast<double>(envelope.window);
        const std::size_t where = envelope.begin(w) - static_cast<std::size_t>(std::lround(before * window));
        const std::size_t end = envelope.begin(last + 1) + static_cast<std::size_t>(std::lround(after * window));
        dropouts.push_back(LevelSpan{where, end - where, deepest});
        w = last + 1;
    }
    return dropouts;
}

LevelSpan levelSwing(const LevelEnvelope& envelope, const std::vector<float>& blocks,
                     const std::vector<LevelSpan>& dropouts) {
    std::size_t quietest = blocks.size(), loudest = blocks.size(), kept = 0;
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        const std::size_t from = envelope.begin(b * envelopeBlock), to = envelope.begin((b + 1) * envelopeBlock);
        if (std::any_of(dropouts.begin(), dropouts.end(),
                        [&](const LevelSpan& dropout) { return touches(dropout, from, to); }))
            continue;
        ++kept;
        if (quietest == blocks.size() || blocks[b] < blocks[quietest]) quietest = b;
        if (loudest == blocks.size() || blocks[b] > blocks[loudest]) loudest = b;
    }
    if (kept < 2) return LevelSpan{};
    const std::size_t first = std::min(quietest, loudest), last = std::max(quietest, loudest);
    return LevelSpan{envelope.begin(first * envelopeBlock), (last + 1 - first) * envelopeBlock * envelope.window,
                     decibels(blocks[loudest], blocks[quietest])};
}

LevelSpan floorRise(const LevelEnvelope& pause, const std::vector<float>& blocks) {
    if (blocks.size() < 2) return LevelSpan{};
    const std::size_t loudest = static_cast<std::size_t>(std::max_element(blocks.begin() + 1, blocks.end()) - blocks.begin());
    if (blocks[loudest] <= blocks[0]) return LevelSpan{pause.from, 0, 0};
    return LevelSpan{pause.from, (loudest + 1) * envelopeBlock * pause.window, decibels(blocks[loudest], blocks[0])};
}

double medianPower(const LevelEnvelope& envelope) {
    if (envelope.power.empty()) return 0;
    std::vector<float> powers = envelope.power;
    return medianLevel(powers);
}
