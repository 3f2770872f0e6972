#pragma once
// Wears a clean cassette signal the way old tapes and cheap recorders do:
// speed error and wobble of the transport, dull highs, level dips, hum, slow
// drift and hiss, then the recording level and 8-bit samples. Used by the
// degradation bench and by the tests that keep a few of its cells.
// Header only: the bench and the native tests both include it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace degrade {
struct Faults {
    double speed = 0;       // constant speed error: 0.2 plays 20 % fast
    double wobble = 0;      // slow speed swing, relative (0.05: +/- 5 %)
    double wobbleHz = 1;
    double lowPassHz = 0;   // second-order low-pass, 0: none
    double dipLevel = 1;    // level inside the dips (10 ms every 250 ms); 1: no dips
    double hum = 0;         // mains hum, amplitude relative to the signal's peak
    double humHz = 50;
    double drift = 0;       // slow drift (0.3 and 1.1 Hz), amplitude relative to the peak
    double noise = 0;       // white noise behind the tape (amplifier), RMS relative to the signal's peak
    double tapeNoise = 0;   // the same as hiss on the tape: level dips take it along
    double level = 1;       // overall level relative to the encoder's
    unsigned seed = 1;
};

constexpr double pi = 3.14159265358979323846;

// Box-Muller from the generator's raw numbers: the same noise on every platform for a seed.
inline double gaussian(std::mt19937& random) {
    double first = (random() + 1.0) / 4294967297.0, second = random() / 4294967296.0;
    return std::sqrt(-2 * std::log(first)) * std::cos(2 * pi * second);
}

// `clean`: 8-bit samples at `rate` as the encoder writes them (peak 100 about 0x80).
// Where the faults would clip, the recording level is lowered so that the
// loudest peak stays within the 8 bits, as a careful recordist would set it.
inline std::vector<std::uint8_t> degradeSignal(const std::vector<std::uint8_t>& clean, const Faults& faults,
                                               double rate = 44100) {
    // Transport: sample i of the recording takes the tape at position `at`.
    std::vector<double> signal;
    signal.reserve(static_cast<std::size_t>(clean.size() / (1 + faults.speed - faults.wobble)) + 2);
    double at = 0;
    for (std::size_t i = 0; at + 1 < clean.size(); ++i) {
        std::size_t index = static_cast<std::size_t>(at);
        double fraction = at - index;
        signal.push_back(((clean[index] - 128.0) * (1 - fraction) + (clean[index + 1] - 128.0) * fraction) / 100);
        at += (1 + faults.speed) * (1 + faults.wobble * std::sin(2 * pi * faults.wobbleHz * i / rate));
    }
    if (faults.lowPassHz > 0) {
        // Butterworth, bilinear transform.
        double k = std::tan(pi * faults.lowPassHz / rate), norm = 1 / (1 + std::sqrt(2.0) * k + k * k);
        double b0 = k * k * norm, b1 = 2 * b0, a1 = 2 * (k * k - 1) * norm, a2 = (1 - std::sqrt(2.0) * k + k * k) * norm;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        for (double& value : signal) {
            double y = b0 * value + b1 * x1 + b0 * x2 - a1 * y1 - a2 * y2;
            x2 = x1, x1 = value, y2 = y1, y1 = y;
            value = y;
        }
    }
    std::mt19937 random(faults.seed);
    double peak = 0;
    for (std::size_t i = 0; i < signal.size(); ++i) {
        double seconds = i / rate;
        double inDip = std::fmod(seconds, 0.25);
        if (faults.tapeNoise > 0) signal[i] += faults.tapeNoise * gaussian(random);
        if (faults.dipLevel < 1 && inDip >= 0.1 && inDip < 0.11) signal[i] *= faults.dipLevel;
        signal[i] += faults.hum * std::sin(2 * pi * faults.humHz * seconds);
        signal[i] += faults.drift * (0.6 * std::sin(2 * pi * 0.3 * seconds) + 0.4 * std::sin(2 * pi * 1.1 * seconds + 1));
        if (faults.noise > 0) signal[i] += faults.noise * gaussian(random);
        peak = std::max(peak, std::fabs(signal[i]));
    }
    double gain = 100 * faults.level * (peak > 1.2 ? 1.2 / peak : 1.0);
    std::vector<std::uint8_t> out(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i)
        out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(128 + gain * signal[i]), 0L, 255L));
    return out;
}
}
