#include "shell/MainWindowRules.h"

Placement centredPlacement(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t width,
                           std::uint32_t height) {
    Placement placement;
    placement.x = static_cast<int>(screenWidth / 2) - static_cast<int>(width / 2);
    placement.y = static_cast<int>(screenHeight / 2) - static_cast<int>(height / 2);
    return placement;
}

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
