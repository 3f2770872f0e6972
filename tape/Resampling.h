#pragma once
// Samples at any rate brought to one the readers take, by linear
// interpolation between neighbouring 8-bit samples: the WAV reader does it
// to a whole file, RateConverter to samples as they come (a recording).
#include <cstddef>
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

// The same interpolation on samples as they come, without a division by the
// rate for each: output sample i of resampledAt, in order, appended to `out`
// as soon as the input after its frame is there; finish() gives the last
// ones, which need no successor.
class LinearResampler {
  public:
    LinearResampler(std::uint32_t from, std::uint32_t to) : to_(to), whole_(from / to), part_(from % to) {}
    void feed(const std::uint8_t* in, std::size_t count, std::vector<std::uint8_t>& out) {
        if (count == 0) return;
        const std::uint64_t available = inputs_ + count;
        // Room for every output the inputs can complete, filled in place.
        const std::size_t before = out.size();
        out.resize(before + static_cast<std::size_t>(static_cast<std::uint64_t>(count) * to_ / (whole_ * to_ + part_)) + 2);
        std::uint8_t* at = out.data() + before;
        while (frame_ + 1 < available) {
            const int first = frame_ >= inputs_ ? in[frame_ - inputs_] : carry_;
            const int second = in[frame_ + 1 - inputs_];
            *at++ = value(first, second);
            advance();
        }
        out.resize(static_cast<std::size_t>(at - out.data()));
        carry_ = in[count - 1];
        inputs_ = available;
    }
    // The last output lies on the last input sample at most (as the count
    // of a whole recording's outputs has it).
    void finish(std::vector<std::uint8_t>& out) {
        if (inputs_ > 0 && frame_ + 1 == inputs_ && fraction_ == 0) {
            out.push_back(value(carry_, carry_));
            advance();
        }
    }

  private:
    // As resampledAt; the products fit 32 bits (255 * 400000).
    std::uint8_t value(int first, int second) const {
        const int fraction = static_cast<int>(fraction_), to = static_cast<int>(to_);
        return static_cast<std::uint8_t>(first + ((second - first) * fraction + to / 2) / to);
    }
    void advance() {
        frame_ += whole_;
        fraction_ += part_;
        if (fraction_ >= to_) fraction_ -= to_, ++frame_;
    }
    std::uint32_t to_, whole_, part_;
    std::uint64_t inputs_ = 0, frame_ = 0;   // inputs so far; the frame the next output lies at
    std::uint32_t fraction_ = 0;             // and how far behind it, in 1/to
    int carry_ = 0;                          // the last input so far
};
