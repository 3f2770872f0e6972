#include "tape/SignalConditioner.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
// A chunk is built from a little before the position asked for, so that the
// reader's small steps back (half a cell) stay within it.
constexpr std::size_t lookBack = 64;
// Running sums are made this many samples beyond what a cell needs.
constexpr std::size_t ahead = 96;
}

// Running sums of the samples as they are (0..255): sums_[i] holds the i
// samples from base_ on; the centre line is taken off where a cell is summed.
// One more entry repeats the last, so that a position at the chunk's end reads
// no sample beyond it. A new chunk holds only its first entry; extend() makes
// the rest as the cells come.
void SignalConditioner::buildChunk(std::size_t from) {
    base_ = from > lookBack ? from - lookBack : 0;
    end_ = std::min(samples_.size, base_ + chunk);
    sums_[0] = 0;
    ready_ = 0;
}

// Makes the running sums at least up to sums_[needed], some way ahead in steps of sixteen.
void SignalConditioner::extend(std::size_t needed) {
    makeSums(ready_ + ((needed + ahead - ready_ + 15) & ~std::size_t{15}));
}

// Makes the running sums up to sums_[to] (at most up to the chunk's end and
// the entry behind it); ready_ stays a multiple of sixteen but at the end.
void SignalConditioner::makeSums(std::size_t to) {
    const std::size_t count = end_ - base_;
    if (to > count) to = count;
    const std::uint8_t* s = samples_.data + base_;
    std::int32_t* sums = sums_.data();
    std::int32_t total = sums[ready_];
    std::size_t i = ready_;
#if defined(__SSE2__)
    // Sixteen samples at a time: each half of eight summed up within itself in
    // three shifted additions (at most 8 x 255, well inside 16 bits), widened,
    // and put on top of the total so far. The same sums as below.
    const __m128i zero = _mm_setzero_si128();
    __m128i running = _mm_set1_epi32(total);    // the total so far in each 32-bit lane
    auto half = [&](__m128i part, std::int32_t* out) {
        part = _mm_add_epi16(part, _mm_slli_si128(part, 2));
        part = _mm_add_epi16(part, _mm_slli_si128(part, 4));
        part = _mm_add_epi16(part, _mm_slli_si128(part, 8));
        const __m128i low = _mm_add_epi32(_mm_unpacklo_epi16(part, zero), running);
        const __m128i high = _mm_add_epi32(_mm_unpackhi_epi16(part, zero), running);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), high);
        running = _mm_shuffle_epi32(high, _MM_SHUFFLE(3, 3, 3, 3));
    };
    for (; i + 16 <= to; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        half(_mm_unpacklo_epi8(bytes, zero), sums + i + 1);
        half(_mm_unpackhi_epi8(bytes, zero), sums + i + 9);
    }
    total = _mm_cvtsi128_si32(running);
#endif
    for (; i < to; ++i) sums[i + 1] = total += s[i];
    ready_ = to;
    if (to == count) {
        sums[count + 1] = total;
        ready_ = count + 1;
    }
}
