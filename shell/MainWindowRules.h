#pragma once
// The rules of the main window that need no window: placement, the two modes'
// sizes and titles, and the pseudo-random generator of the random pattern.
#include <cstdint>

namespace mainwindow {
constexpr int startWidth = 385;
constexpr int startHeight = 210;
constexpr int screenWidth = 810;
constexpr int screenHeight = 610;
constexpr const char* className = "BV7_Class";
constexpr const char* startTitle = "Spulwerk Vers. 0.9e";
constexpr const char* returnTitle = "Spulwerk";
constexpr const char* screenTitle = "Bildschirmarbeit";
constexpr const char* version = "Spulwerk Vers. 0.9e";
constexpr unsigned blinkMilliseconds = 500;
// Screens this wide or narrower get the resolution warning on entering screen mode.
constexpr unsigned narrowScreen = 800;
}

enum class WindowMode { Start = 0, Screen = 1 };

struct Placement {
    int x = 0;
    int y = 0;
};

// x = screen/2 - w/2, each halving in unsigned arithmetic (385/2 = 192).
Placement centredPlacement(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t width,
                           std::uint32_t height);

// The minimal standard generator (multiplier 16807, modulus 2^31 - 1) by Schrage's method.
class ParkMiller {
  public:
    // Seeds from a time-stamp counter reading: (low 32 bits >> 2) + 1.
    void seedFromCounter(std::uint64_t counter) { seed = (static_cast<std::uint32_t>(counter) >> 2) + 1; }
    void setSeed(std::uint32_t value) { seed = value; }
    std::uint32_t state() const { return seed; }
    std::uint32_t next();
    // Advances the generator and returns seed mod n (n > 0).
    std::uint32_t draw(std::uint32_t n) { return next() % n; }

  private:
    std::uint32_t seed = 1;
};
