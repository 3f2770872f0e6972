#include "tape/Encoder.h"

#include <cstring>
#include <limits>

#include "tape/TapeRecord.h"

namespace {
constexpr int amplitude = 100;
constexpr std::uint8_t centreLevel = 0x80;
constexpr std::uint8_t highLevel = centreLevel + amplitude;
constexpr std::uint8_t lowLevel = centreLevel - amplitude;
// A ramp has at most N + 1 samples; N is 14 at most in practice, 7 at 22050.
constexpr int maxHalfCell = 64;

// The bit cells of a record, one pre-sized buffer filled front to back. The
// cells of every byte after either previous bit are prepared once, so a byte
// is one copy.
class SignalWriter {
  public:
    SignalWriter(int halfCell, std::uint8_t* out)
        : halfCell_(halfCell), stride_(16 * static_cast<std::size_t>(halfCell + 1)), out_(out), fill_(out),
          table_(2 * 256 * stride_) {
        rampUpLength_ = makeRamp(amplitude, rampUp_);
        rampDownLength_ = makeRamp(-amplitude, rampDown_);
        for (int previous = 0; previous < 2; ++previous)
            for (int byte = 0; byte < 256; ++byte) {
                std::uint8_t* start = &table_[entry(previous, byte)];
                std::uint8_t* at = start;
                int state = previous;
                for (int bit = 7; bit >= 0; --bit) at = sendBit((byte >> bit) & 1, state, at);
                lengths_[previous][byte] = static_cast<std::uint16_t>(at - start);
            }
    }

    void sendByte(std::uint8_t byte) {
        if (previous_ < 0) previous_ = byte >> 7;   // no previous bit acts like an equal one
        std::size_t length = lengths_[previous_][byte];
        std::memcpy(fill_, &table_[entry(previous_, byte)], length);
        fill_ += length;
        previous_ = byte & 1;
    }
    std::size_t count() const { return static_cast<std::size_t>(fill_ - out_); }

  private:
    std::size_t entry(int previous, int byte) const { return (static_cast<std::size_t>(previous) * 256 + byte) * stride_; }

    // A softened transition towards `target`, in signed 8-bit arithmetic:
    // the step halves (rounding towards minus infinity) until it vanishes or
    // reaches -1, then the target level fills the rest of the half-cell.
    int makeRamp(int target, std::uint8_t* ramp) const {
        std::int8_t value = 0;
        std::int8_t step = static_cast<std::int8_t>(target);
        int remaining = halfCell_;
        int length = 0;
        for (;;) {
            ramp[length++] = static_cast<std::uint8_t>(value + centreLevel);
            if (step == -1) break;
            step = static_cast<std::int8_t>(step >> 1);
            if (step == 0) break;
            value = static_cast<std::int8_t>(value + step);
            if (--remaining == 0) return length;
        }
        for (; remaining > 0; --remaining) ramp[length++] = static_cast<std::uint8_t>(target + centreLevel);
        return length;
    }

    std::uint8_t* ramp(bool up, std::uint8_t* at) const {
        int length = up ? rampUpLength_ : rampDownLength_;
        std::memcpy(at, up ? rampUp_ : rampDown_, static_cast<std::size_t>(length));
        return at + length;
    }
    std::uint8_t* hold(std::uint8_t level, std::uint8_t* at) const {
        std::memset(at, level, static_cast<std::size_t>(halfCell_));
        return at + halfCell_;
    }

    // 0: up then down; 1: down then up. Where the previous bit differs, the
    // first half holds the level the previous bit ended on.
    std::uint8_t* sendBit(int bit, int& previous, std::uint8_t* at) const {
        if (bit == 0) {
            at = previous == 1 ? hold(highLevel, at) : ramp(true, at);
            at = ramp(false, at);
        } else {
            at = previous == 0 ? hold(lowLevel, at) : ramp(false, at);
            at = ramp(true, at);
        }
        previous = bit;
        return at;
    }

    int halfCell_;
    std::size_t stride_;
    std::uint8_t* out_;
    std::uint8_t* fill_;
    int previous_ = -1;   // none before the first bit of the record
    std::uint8_t rampUp_[maxHalfCell + 1];
    std::uint8_t rampDown_[maxHalfCell + 1];
    int rampUpLength_ = 0;
    int rampDownLength_ = 0;
    std::vector<std::uint8_t> table_;
    std::uint16_t lengths_[2][256] = {};
};
}

std::size_t encoderBufferSize(std::uint64_t imageSize) {
    // Beyond this the product below would not fit 64 bits; no machine holds it anyway.
    if (imageSize > (std::numeric_limits<std::uint64_t>::max() >> 10)) return 0;
    std::uint64_t bytes = imageSize + (5 * imageSize + 128) / 256 + 795;
    std::uint64_t samples = bytes * 240;
    if (samples > std::numeric_limits<std::size_t>::max()) return 0;
    return static_cast<std::size_t>(samples);
}

std::size_t encodeRecordInto(const std::uint8_t* image, std::size_t size, const TapeHeader& header, int halfCell,
                             std::uint8_t* out) {
    if (halfCell < 1) halfCell = 1;
    if (halfCell > maxHalfCell) halfCell = maxHalfCell;
    SignalWriter writer(halfCell, out);
    forEachRecordByte(image, size, header, [&writer](std::uint8_t byte) { writer.sendByte(byte); });
    return writer.count();
}

std::size_t encodeBytesInto(const std::uint8_t* bytes, std::size_t count, int halfCell, std::uint8_t* out) {
    if (halfCell < 1) halfCell = 1;
    if (halfCell > maxHalfCell) halfCell = maxHalfCell;
    SignalWriter writer(halfCell, out);
    for (std::size_t i = 0; i < count; ++i) writer.sendByte(bytes[i]);
    return writer.count();
}

std::vector<std::uint8_t> encodeRecordSamples(const std::vector<std::uint8_t>& image, const TapeHeader& header,
                                              int halfCell) {
    if (halfCell < 1) halfCell = 1;
    if (halfCell > maxHalfCell) halfCell = maxHalfCell;
    std::size_t blocks = (image.size() + tape::blockSize - 1) / tape::blockSize;
    std::size_t recordBytes = tape::fixedBytes + tape::blockFramingBytes * blocks + image.size();
    std::vector<std::uint8_t> samples(recordBytes * 16 * static_cast<std::size_t>(halfCell + 1));
    samples.resize(encodeRecordInto(image.data(), image.size(), header, halfCell, samples.data()));
    return samples;
}
