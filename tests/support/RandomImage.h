#pragma once
// A memory image of `size` bytes from a seeded generator: the same bytes for the same seed.
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<std::uint8_t> randomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> image(size);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    return image;
}
