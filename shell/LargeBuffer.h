#pragma once
// Room for a buffer of many megabytes (a whole recording) that is then filled
// to its end. Taking in fresh memory a 4 KiB page at a time costs a trap into
// the system per page, and on a virtual machine the 16 MB of a 64 KiB program
// spent more time in those traps than in being read and decoded. Where the
// system offers it, the room is backed by large pages and taken in with one
// call. Filled afterwards by appending (insert, push_back, appendInStretches),
// never by resize, which would first write zeros over all of it.
#include <cstddef>
#include <cstdint>
#include <vector>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#endif

// Reserves room for `count` bytes in `buffer` (which may throw as reserve
// does) and takes it in; the bytes already in it stay. For a buffer that will
// hold about `count` bytes: room reserved beyond that is memory taken for nothing.
inline void reserveLargeBuffer(std::vector<std::uint8_t>& buffer, std::size_t count) {
    if (count <= buffer.capacity()) return;
    buffer.reserve(count);
#if defined(__linux__) && !defined(__EMSCRIPTEN__) && defined(MADV_HUGEPAGE) && defined(MADV_POPULATE_WRITE)
    constexpr std::uintptr_t largePage = std::uintptr_t{1} << 21, page = 4096;
    if (count < 2 * largePage) return;
    const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data() + buffer.size());
    const auto end = reinterpret_cast<std::uintptr_t>(buffer.data()) + count;
    // Only advice: where the system says no, the pages are the usual ones, taken in as they are touched.
    const std::uintptr_t first = (begin + largePage - 1) & ~(largePage - 1), last = end & ~(largePage - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    const std::uintptr_t from = (begin + page - 1) & ~(page - 1), to = end & ~(page - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE);
#endif
}

// Appends `count` bytes to `buffer`, made a stretch at a time into a small
// buffer that stays in the cache: `make(out, first, n)` writes the bytes
// `first` to `first + n - 1` of the `count` to `out`. Reserve the room first.
template <typename Make>
void appendInStretches(std::vector<std::uint8_t>& buffer, std::size_t count, Make make) {
    constexpr std::size_t stretchBytes = 1 << 15;
    std::uint8_t stretch[stretchBytes];
    for (std::size_t first = 0; first < count;) {
        const std::size_t n = count - first < stretchBytes ? count - first : stretchBytes;
        make(stretch, first, n);
        buffer.insert(buffer.end(), stretch, stretch + n);
        first += n;
    }
}
