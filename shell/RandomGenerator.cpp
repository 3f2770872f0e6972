#include "shell/RandomGenerator.h"

std::uint32_t ParkMiller::next() {
    constexpr std::int32_t modulus = 2147483647;
    constexpr std::int32_t multiplier = 16807;
    constexpr std::int32_t q = 127773;  // modulus / multiplier
    constexpr std::int32_t r = 2836;    // modulus % multiplier
    std::int32_t value = static_cast<std::int32_t>(seed % static_cast<std::uint32_t>(modulus));
    std::int32_t result = multiplier * (value % q) - r * (value / q);
    if (result < 0) result += modulus;
    seed = static_cast<std::uint32_t>(result);
    return seed;
}

ParkMiller& programRandom() {
    static ParkMiller random;
    return random;
}
