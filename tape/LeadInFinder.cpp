#include "tape/LeadInFinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {
constexpr std::size_t window = leadInWindow;
// Only every third window is heard: a lead-in lasts 4096 cells, at least
// 98000 samples even 20 % fast, so at least seven of them fall into it.
constexpr std::size_t stride = leadInStride;

// Crossings of a band-passed copy: the sum of `width` samples before minus the
// sum of `width` after each point (blind to DC and drift, deaf to hiss above the
// tone), with hysteresis against the noise. Their spacing is a half-period.
struct Spacing {
    std::array<int, 66> histogram{};   // by spacing; beyond the longest: the bin behind it
    int intervals = 0;
};

Spacing crossingSpacing(const std::uint8_t* s, int width, int longest) {
    std::array<int, window> band;
    long before = 0, after = 0;
    for (int i = 0; i < width; ++i) before += s[i], after += s[width + i];
    const int count = static_cast<int>(window) - 2 * width;
    long magnitude = 0;
    for (int i = 0; i < count; ++i) {
        band[i] = static_cast<int>(before - after);
        magnitude += std::labs(band[i]);
        before += s[i + width] - s[i];
        after += s[i + 2 * width] - s[i + width];
    }
    const long hysteresis = magnitude / count / 2;
    // Without branches: on noise the crossings come at random, and guessing
    // them wrong would cost more than the rest of the scan. Spacings beyond
    // the longest land in a bin left out afterwards.
    Spacing spacing;
    int side = 0, last = 0, intervals = 0;
    for (int i = 0; i < count; ++i) {
        int now = (band[i] > hysteresis) - (band[i] < -hysteresis);
        now = now != 0 ? now : side;
        const bool crossing = now != side && side != 0;
        const int interval = std::min(i - last, longest + 1);
        spacing.histogram[interval] += crossing;
        intervals += crossing;
        last = crossing ? i : last;
        side = now;
    }
    spacing.intervals = intervals;
    return spacing;
}
}

namespace {
struct ToneRange {
    int shortest, longest, width;
};

ToneRange toneRange(double nominalCell) {
    const double half = nominalCell / 2;
    return ToneRange{static_cast<int>(half / 1.3), static_cast<int>(std::ceil(half / 0.7)),
                     std::max(1, static_cast<int>(half / 1.3))};
}

// The half-period of the lead-in tone in the window at `s`, or 0 where the
// window holds none: the densest band of +/- 12 % around some half-period must
// hold nearly every crossing, and there must be about as many as that tone gives.
double toneIn(const std::uint8_t* s, const ToneRange& range) {
    Spacing spacing = crossingSpacing(s, range.width, range.longest);
    int best = 0;
    double bestSum = 0;
    for (int centre = range.shortest; centre <= range.longest; ++centre) {
        int low = static_cast<int>(std::floor(centre * 0.88)), high = static_cast<int>(std::ceil(centre * 1.12));
        int in = 0;
        double sum = 0;
        for (int length = std::max(1, low); length <= std::min(high, range.longest); ++length)
            in += spacing.histogram[length], sum += spacing.histogram[length] * static_cast<double>(length);
        if (in > best) best = in, bestSum = sum;
    }
    if (best == 0) return 0;
    double halfPeriod = bestSum / best;
    double expected = (window - 2 * range.width) / halfPeriod;
    if (best < 0.8 * spacing.intervals || spacing.intervals < 0.8 * expected) return 0;
    return halfPeriod;
}

std::size_t windowSpan(const ToneRange& range) { return window + 2 * static_cast<std::size_t>(range.width); }
}

bool findLeadIn(ByteView samples, double nominalCell, std::size_t& from, LeadIn& found) {
    const ToneRange range = toneRange(nominalCell);
    if (range.longest >= 64) return false;
    while (from + windowSpan(range) <= samples.size) {
        std::size_t here = from;
        from += stride;
        const double halfPeriod = toneIn(samples.data + here, range);
        if (halfPeriod == 0) continue;
        found.position = here;
        found.cell = 2 * halfPeriod;
        return true;
    }
    return false;
}

LeadInBefore leadInBefore(ByteView samples, double nominalCell, std::size_t position) {
    LeadInBefore before;
    const ToneRange range = toneRange(nominalCell);
    if (range.longest >= 64) return before;
    // The sync byte and the first bits behind it lie between the lead-in and `position`.
    const std::size_t behind = static_cast<std::size_t>(nominalCell * 12), span = windowSpan(range);
    position = std::min(position, samples.size);
    for (int k = 0; k < windowsBeforeSync; ++k) {
        const std::size_t reach = behind + span + static_cast<std::size_t>(k) * window;
        if (reach > position) break;
        ++before.windows;
        before.heard += toneIn(samples.data + position - reach, range) != 0;
    }
    return before;
}

std::size_t leadInBegin(ByteView samples, double nominalCell, std::size_t from, std::size_t since) {
    const ToneRange range = toneRange(nominalCell);
    if (range.longest >= 64) return from;
    constexpr std::size_t step = window / 8;
    while (from >= since + step && toneIn(samples.data + from - step, range) != 0) from -= step;
    return from;
}

std::size_t leadInEnd(ByteView samples, double nominalCell, std::size_t from, std::size_t until) {
    const ToneRange range = toneRange(nominalCell);
    if (range.longest >= 64) return from;
    std::size_t end = from;
    int missed = 0;
    for (std::size_t at = from; at + windowSpan(range) <= samples.size && missed <= 1 && end < until; at += window) {
        if (toneIn(samples.data + at, range) != 0) end = at + window, missed = 0;
        else ++missed;
    }
    return end;
}
