#pragma once
// The noise-proof reader's view of the samples: sums over the quarters of a
// bit cell at fractional positions, about the centre line. The reader only
// ever compares spans of equal length (second half against first half, inner
// half against outer quarters), so DC and slow drift cancel out, and hum
// leaves no more than its slope across one cell (a tenth of a bit's strength
// for 50 Hz at twice the signal). Each quarter is summed straight from the
// samples when the cell is asked for: nothing is kept, stored or allocated.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    explicit SignalConditioner(ByteView samples) : samples_(samples), length_(static_cast<double>(samples.size)) {}

    // True when the cell [start, start + length) lies within the samples but
    // for at most its second half (a recording may end right behind its last bit).
    bool holds(double start, double length) const {
        return start >= 0 && start + 0.5 * length < length_;
    }
    // The quarters of the cell [start, start + length); holds() must be true.
    CellQuarters cell(double start, double length) const { return cellAt(fixed(start), fixed(length)); }
    // The same with start and length already counted in 1/256 sample (as
    // fixed() gives them). Inline: it runs once per bit cell.
    CellQuarters cellAt(std::int64_t first, std::int64_t span) const;
    // A position in samples counted in 1/256 sample, rounded.
    static std::int64_t fixed(double position) { return static_cast<std::int64_t>(position * fractionScale + 0.5); }

  private:
    // Positions inside a cell are counted in 1/256 of a sample.
    static constexpr int fractionBits = 8;
    static constexpr double fractionScale = 1 << fractionBits;

    ByteView samples_;
    double length_;     // samples_.size
};

inline CellQuarters SignalConditioner::cellAt(std::int64_t first, std::int64_t span) const {
    // Sample i spans [i, i + 1); beyond the last sample the signal counts as the centre line.
    static_assert(fractionScale == 256, "CellQuarters counts in 1/256");
    const std::int64_t end = static_cast<std::int64_t>(samples_.size) << fractionBits;
    const std::uint8_t* s = samples_.data;
    // The quarters' edges: the whole samples before each edge, and what the
    // part of the sample at the edge adds.
    std::int64_t positions[5], whole[5];
    for (int edge = 0; edge <= 4; ++edge) positions[edge] = first + (span * edge >> 2);
    std::int64_t between[4], part[5];
#if defined(__SSE2__)
    // Sixteen samples from each quarter's first one, those beyond it masked
    // out, summed in one step. A quarter of a cell up to 59 samples long
    // starts and ends within 16; where sixteen could reach past the samples,
    // the plain loop below does it.
    if (span <= 59 << fractionBits && (positions[4] >> fractionBits) + 16 <= static_cast<std::int64_t>(samples_.size)) {
        alignas(16) static const std::uint8_t ones[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                         0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
        const __m128i zero = _mm_setzero_si128();
        for (int edge = 0; edge <= 4; ++edge) {
            whole[edge] = positions[edge] >> fractionBits;
            part[edge] = (positions[edge] & ((1 << fractionBits) - 1)) * s[whole[edge]];
        }
        for (int quarter = 0; quarter < 4; ++quarter) {
            const std::int64_t count = whole[quarter + 1] - whole[quarter];
            const __m128i mask = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ones + 16 - count));
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + whole[quarter]));
            const __m128i sums = _mm_sad_epu8(_mm_and_si128(bytes, mask), zero);
            between[quarter] = _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
        }
    } else
#endif
    {
        const std::int64_t lastSample = static_cast<std::int64_t>(samples_.size) - 1;
        for (int edge = 0; edge <= 4; ++edge) {
            positions[edge] = std::min(positions[edge], end);
            whole[edge] = positions[edge] >> fractionBits;
            part[edge] = (positions[edge] & ((1 << fractionBits) - 1)) * s[std::min(whole[edge], lastSample)];
        }
        for (int quarter = 0; quarter < 4; ++quarter) {
            std::int64_t total = 0;
            for (std::int64_t i = whole[quarter]; i < whole[quarter + 1]; ++i) total += s[i];
            between[quarter] = total;
        }
    }
    // The samples between two edges as they are (0..255), then the centre
    // line taken off: a span of w (in 1/256 sample) holds 128 * w of it.
    CellQuarters out;
    for (int quarter = 0; quarter < 4; ++quarter)
        out.q[quarter] = (between[quarter] << fractionBits) + part[quarter + 1] - part[quarter] -
                         128 * (positions[quarter + 1] - positions[quarter]);
    return out;
}
