#pragma once
// The program's pseudo-random generator: the minimal standard generator
// (multiplier 16807, modulus 2^31 - 1) by Schrage's method. The random screen
// pattern draws from it.
#include <cstdint>

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

// The one generator of the program; seeded when the main window is created.
ParkMiller& programRandom();
