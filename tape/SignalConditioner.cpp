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

// Running sums about the centre line: sums_[i] holds the i samples from base_
// on; one more entry repeats the last, so that a position at the chunk's end
// reads no sample beyond it. A new chunk holds only its first entry; extend()
// makes the rest as the cells come.
void SignalConditioner::buildChunk(std::size_t from) {
    base_ = from > lookBack ? from - lookBack : 0;
    end_ = std::min(samples_.size, base_ + chunk);
    sums_[0] = 0;
    ready_ = 0;
}

// Makes the running sums at least up to sums_[needed] (at most up to the
// chunk's end and the entry behind it), some way ahead in steps of sixteen.
void SignalConditioner::extend(std::size_t needed) {
    const std::size_t count = end_ - base_;
    std::size_t to = ready_ + ((needed + ahead - ready_ + 15) & ~std::size_t{15});
    if (to > count) to = count;
    const std::uint8_t* s = samples_.data + base_;
    std::int32_t* sums = sums_.data();
    std::int32_t total = sums[ready_];
    std::size_t i = ready_;
#if defined(__SSE2__)
    // Sixteen samples at a time: each half of eight summed up within itself in
    // three shifted additions (at most 8 x 128, well inside 16 bits), then
    // widened and put on top of the total so far. The same sums as below.
    const __m128i bias = _mm_set1_epi8(static_cast<char>(0x80));
    const __m128i zero = _mm_setzero_si128();
    __m128i running = _mm_set1_epi32(total);    // the total so far in each 32-bit lane
    auto half = [&](__m128i part, std::int32_t* out) {
        part = _mm_add_epi16(part, _mm_slli_si128(part, 2));
        part = _mm_add_epi16(part, _mm_slli_si128(part, 4));
        part = _mm_add_epi16(part, _mm_slli_si128(part, 8));
        const __m128i sign = _mm_srai_epi16(part, 15);
        const __m128i low = _mm_add_epi32(_mm_unpacklo_epi16(part, sign), running);
        const __m128i high = _mm_add_epi32(_mm_unpackhi_epi16(part, sign), running);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4), high);
        running = _mm_shuffle_epi32(high, _MM_SHUFFLE(3, 3, 3, 3));
    };
    for (; i + 16 <= to; i += 16) {
        // s - 128 as a signed byte, then widened to 16 bits with its sign.
        const __m128i centred = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), bias);
        const __m128i sign = _mm_cmpgt_epi8(zero, centred);
        half(_mm_unpacklo_epi8(centred, sign), sums + i + 1);
        half(_mm_unpackhi_epi8(centred, sign), sums + i + 9);
    }
    total = _mm_cvtsi128_si32(running);
#endif
    for (; i < to; ++i) sums[i + 1] = total += s[i] - 128;
    ready_ = to;
    if (to == count) {
        sums[count + 1] = total;
        ready_ = count + 1;
    }
}
