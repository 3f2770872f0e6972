#pragma once
// A tape side put together as owners' sides are: programs from the encoder,
// the hiss of the blank tape between them, a stretch of music, dropouts.
// Each piece is appended in order; the side remembers where each program's
// record began and ended, so that a reading can be checked against it.
// Header only: the bench and the native tests both include it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "bench/SignalDegrader.h"
#include "tape/AudioFormat.h"
#include "tape/Encoder.h"

namespace side {
struct Placed {
    TapeHeader header;
    std::vector<std::uint8_t> image;
    std::size_t begin = 0;   // the first sample of its lead-in
    std::size_t end = 0;     // behind its last sample
};

class TapeSide {
  public:
    explicit TapeSide(std::uint32_t rate = 44100, unsigned seed = 1) : rate_(rate), random_(seed) {}

    // The encoder's record of `image`, worn by `faults` where given (their seed
    // is taken as it is, the level as the recordist set it).
    void program(const TapeHeader& header, const std::vector<std::uint8_t>& image,
                 const degrade::Faults* faults = nullptr) {
        std::vector<std::uint8_t> record = encodeRecordSamples(image, header, halfCellSamplesAt(rate_));
        if (faults) record = degrade::degradeSignal(record, *faults, rate_);
        programs_.push_back(Placed{header, image, samples_.size(), samples_.size() + record.size()});
        samples_.insert(samples_.end(), record.begin(), record.end());
    }

    // Hiss of a blank tape: white noise low-passed at `cutoffHz` (first order,
    // twice), scaled to RMS `rms` in sample steps.
    void hiss(double seconds, double rms, double cutoffHz = 3000) {
        const double a = std::exp(-2 * degrade::pi * cutoffHz / rate_);
        std::vector<double> noise(count(seconds));
        double first = 0, second = 0, power = 0;
        for (double& value : noise) {
            first = a * first + (1 - a) * degrade::gaussian(random_);
            second = a * second + (1 - a) * first;
            value = second;
            power += value * value;
        }
        const double gain = noise.empty() || power == 0 ? 0 : rms / std::sqrt(power / noise.size());
        for (double value : noise) put(value * gain);
    }

    // Music: a few notes at a time with their overtones, changing every quarter
    // second, as a song recorded over the end of a side.
    void music(double seconds, double peak = 90) {
        const double notes[] = {220, 247, 262, 294, 330, 349, 392, 440, 494, 523, 587, 659, 698, 784, 880, 988, 1047, 1175, 1319, 1480};
        std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof notes / sizeof notes[0]) - 1);
        double chord[3] = {0, 0, 0};
        const std::size_t n = count(seconds), beat = rate_ / 4;
        for (std::size_t i = 0; i < n; ++i) {
            if (i % beat == 0)
                for (double& note : chord) note = notes[pick(random_)];
            const double t = static_cast<double>(i) / rate_, envelope = std::exp(-3.0 * (i % beat) / beat);
            double value = 0;
            for (double note : chord)
                value += std::sin(2 * degrade::pi * note * t) + 0.4 * std::sin(4 * degrade::pi * note * t) +
                         0.2 * std::sin(6 * degrade::pi * note * t);
            put(value / 4.8 * peak * (0.3 + 0.7 * envelope));
        }
    }

    // Samples from elsewhere (from `from` on), as a recording holds them.
    void append(const std::vector<std::uint8_t>& samples, std::size_t from = 0) {
        samples_.insert(samples_.end(), samples.begin() + static_cast<std::ptrdiff_t>(std::min(from, samples.size())),
                        samples.end());
    }

    // The centre line: silence of a pause, or a dropout laid over what is there.
    void silence(double seconds) { samples_.insert(samples_.end(), count(seconds), 0x80); }
    void dropout(std::size_t at, std::size_t length) {
        std::fill(samples_.begin() + static_cast<std::ptrdiff_t>(std::min(at, samples_.size())),
                  samples_.begin() + static_cast<std::ptrdiff_t>(std::min(at + length, samples_.size())), 0x80);
    }

    const std::vector<std::uint8_t>& samples() const { return samples_; }
    const std::vector<Placed>& programs() const { return programs_; }
    std::uint32_t rate() const { return rate_; }

  private:
    std::size_t count(double seconds) const { return static_cast<std::size_t>(seconds * rate_); }
    void put(double value) {
        samples_.push_back(static_cast<std::uint8_t>(std::clamp(std::lround(128 + value), 0L, 255L)));
    }

    std::uint32_t rate_;
    std::mt19937 random_;
    std::vector<std::uint8_t> samples_;
    std::vector<Placed> programs_;
};
}
