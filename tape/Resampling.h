#pragma once
// Samples at any rate brought to one the readers take, by linear
// interpolation between neighbouring 8-bit samples: the WAV reader does it
// to a whole file, RateConverter to samples as they come (a recording).
#include <cstdint>
#include <vector>

// Output sample `index` of `frames` input samples at `from` per second
// brought to `to`: it lies at input position index * from / to, between two
// input samples (`sampleAt(frame)`); the last input sample needs no successor.
template <typename SampleAt>
std::uint8_t resampledAt(std::uint64_t index, std::uint32_t from, std::uint32_t to, std::uint64_t frames,
                         SampleAt&& sampleAt) {
    const std::uint64_t position = index * from;
    const std::uint64_t frame = position / to;
    const std::int64_t fraction = static_cast<std::int64_t>(position % to);
    const int first = sampleAt(frame);
    const int second = frame + 1 < frames ? sampleAt(frame + 1) : first;
    return static_cast<std::uint8_t>(first + ((second - first) * fraction + to / 2) / to);
}

// The readers take 22050 or 44100 samples per second; any other rate is
// brought to 44100, as the samples come. Holds only the input samples the
// next output still needs.
class RateConverter {
  public:
    explicit RateConverter(std::uint32_t rate) : from_(rate), to_(rate == 22050 || rate == 44100 ? rate : 44100) {}
    std::uint32_t rate() const { return to_; }
    // The next input samples in; the output samples they complete out, into
    // `out`. At the end (`last`) the final input sample needs no successor.
    void convert(const std::vector<std::uint8_t>& in, bool last, std::vector<std::uint8_t>& out);

  private:
    std::uint32_t from_, to_;
    std::vector<std::uint8_t> held_;   // the input from base_ on
    std::uint64_t base_ = 0, next_ = 0;
};
