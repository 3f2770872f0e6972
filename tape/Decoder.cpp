#include "tape/Decoder.h"

#include <algorithm>
#include <cstring>

#include "shell/StringTable.h"
#include "tape/AudioFormat.h"
#include "tape/LeadInFinder.h"
#include "tape/RecordParser.h"

namespace {
constexpr std::uint8_t centreLine = 0x80;
// Short stretches that may stand before the long one of the sync: 7..15 at
// 22050; at 44100 every short one (7..19), or a signal whose high and low
// half-cells differ in length is only found at one polarity.
constexpr int minLeadStretch = 7;
int maxLeadStretch(int threshold) { return std::max(15, threshold - 1); }
// The stretches after the candidate: the sync byte 0xE6 and the first bit of 0x55.
constexpr bool syncPattern[] = {false, false, false, false, true, false, false, true, false, false, true, false};

enum class Attempt { Found, NotFound, Quiet };

// Sum of |s - 128| over all samples, eight at a time: s ^ 0x80 is the signed
// deviation; negative lanes are negated by (x ^ 0xFF) + 1, which never carries
// into the next lane (the largest result is 128).
std::uint64_t deviationSum(const std::uint8_t* samples, std::size_t count) {
    constexpr std::uint64_t lanes01 = 0x0101010101010101ull;
    constexpr std::uint64_t low16 = 0x00FF00FF00FF00FFull;
    std::uint64_t total = 0;
    std::size_t i = 0;
    while (i + 8 <= count) {
        // Up to 255 words in 16-bit lanes (255 * 2 * 128 < 65536).
        std::uint64_t pairs = 0;
        std::size_t end = std::min(count - 7, i + 255 * 8);
        for (; i < end; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, samples + i, 8);
            std::uint64_t x = word ^ (lanes01 * 0x80);
            std::uint64_t negative = (x >> 7) & lanes01;
            std::uint64_t magnitude = (x ^ (negative * 0xFF)) + negative;
            pairs += (magnitude & low16) + ((magnitude >> 8) & low16);
        }
        for (int lane = 0; lane < 4; ++lane) total += (pairs >> (16 * lane)) & 0xFFFF;
    }
    for (; i < count; ++i) total += samples[i] >= centreLine ? samples[i] - centreLine : centreLine - samples[i];
    return total;
}

class RecordReader final : public ByteSource {
  public:
    RecordReader(ByteView samples, const DecoderSettings& settings)
        : s_(samples.data), n_(samples.size), threshold_(settings.threshold), trigger_(settings.triggerLevel),
          resume_(settings.resumeSearch), limit_(std::min(settings.syncLimit, samples.size)) {}

    // Maximum and mean deviation from the centre line; false when either is 0.
    // The maximum is 0 only when every sample lies on the centre line, and then
    // the sum is 0 as well, so the sum alone decides.
    bool analyseLevels(int band) {
        if (n_ == 0) return false;
        if (band >= 0) {
            band_ = band;
            return true;
        }
        std::uint64_t sum = deviationSum(s_, n_);
        std::uint64_t mean = (sum + n_ / 2) / n_;
        band_ = static_cast<int>(mean / 2);
        return sum != 0 && mean != 0;
    }

    // The four attempts, from `start`, its second stretch, start + 100 and start + 1000.
    DecodeStatus findSync(std::size_t start) {
        Attempt first = attempt(start);
        if (first == Attempt::Quiet) return DecodeStatus::TooQuiet;
        if (first == Attempt::Found) return DecodeStatus::Ok;
        // A search that goes on behind every candidate has seen all the later
        // attempts would see: they meet the same stretches.
        if (resume_) return DecodeStatus::NoSync;
        std::size_t second = start < n_ ? stretchEnd(start) : n_;
        for (std::size_t from : {second, start + 100, start + 1000})
            if (attempt(from) == Attempt::Found) return DecodeStatus::Ok;
        return DecodeStatus::NoSync;
    }

    // One byte, most significant bit first: each bit is the direction of the
    // next crossing of the trigger level; then T samples are skipped.
    bool readByte(std::uint8_t& byte) override {
        unsigned value = 0;
        for (int bit = 0; bit < 8; ++bit) {
            if (position_ >= n_) return false;
            bool high = s_[position_] > centreLine;
            std::size_t at = position_ + 1;
            while (at < n_ && (s_[at] > trigger_) == high) ++at;
            if (at >= n_) {
                position_ = n_;
                return false;
            }
            value = value << 1 | (high ? 0u : 1u);
            crossings_[bit] = at;
            position_ = at + static_cast<std::size_t>(threshold_);
        }
        rising_ = value;
        byte = static_cast<std::uint8_t>(inverted_ ? ~value : value);
        return true;
    }

    // A bit's strength: the mean of the samples in the half-cell after its
    // crossing less that of the half-cell before (per sample), with the sign of
    // the crossing's direction. Worked out only for the bytes it is asked of.
    bool bitStrengths(float* strength) const override {
        const std::size_t half = static_cast<std::size_t>(threshold_) * 3 / 4;
        for (int bit = 0; bit < 8; ++bit) {
            const std::size_t at = crossings_[bit];
            const std::size_t from = at >= half ? at - half : 0, to = std::min(n_, at + half);
            long before = 0, after = 0;
            for (std::size_t i = from; i < at; ++i) before += s_[i] - centreLine;
            for (std::size_t i = at; i < to; ++i) after += s_[i] - centreLine;
            const double rise = static_cast<double>(after) / std::max<std::size_t>(1, to - at) -
                                static_cast<double>(before) / std::max<std::size_t>(1, at - from);
            strength[bit] = static_cast<float>((rising_ >> (7 - bit) & 1) ? rise : -rise);
        }
        return true;
    }

    void setInverted(bool inverted) override { inverted_ = inverted; }
    std::size_t position() const override { return std::min(position_, n_); }
    const LeadInBefore& leadIn() const { return leadIn_; }
    int band() const { return band_; }

  private:
    // Samples per bit cell at normal speed for the rate the threshold belongs to.
    double nominalCell() const { return threshold_ * (29.5 / 20); }
    // The first sample of the next stretch: samples above the centre line are
    // high, the others (0x80 included) low.
    std::size_t stretchEnd(std::size_t from) const {
        bool high = s_[from] > centreLine;
        std::size_t at = from + 1;
        while (at < n_ && (s_[at] > centreLine) == high) ++at;
        return at;
    }
    bool isLong(std::size_t length) const { return static_cast<std::uint16_t>(length) > threshold_; }
    bool leadsSync(std::size_t length) const {
        int low8 = static_cast<int>(length & 0xFF);
        return low8 >= minLeadStretch && low8 <= maxLeadStretch(threshold_);
    }

    Attempt attempt(std::size_t from) {
        std::size_t at = from;
        while (at < n_ && s_[at] >= centreLine - band_ && s_[at] <= centreLine + band_) ++at;
        if (at >= n_) return Attempt::Quiet;
        bool previousLeads = false;
        int matched = -1;   // -1: looking for the candidate; else stretches of the pattern matched
        while (at < limit_) {
            std::size_t next = stretchEnd(at);
            std::size_t length = next - at;
            if (matched >= 0) {
                if (isLong(length) == syncPattern[matched]) {
                    if (++matched == static_cast<int>(sizeof syncPattern)) {
                        // On a tape side only a sync behind a lead-in opens a record: hiss,
                        // music and a program's own data hold the pattern by chance.
                        if (resume_) leadIn_ = leadInBefore(ByteView(s_, n_), nominalCell(), next);
                        if (leadIn_.possible()) {
                            position_ = next;
                            return Attempt::Found;
                        }
                        matched = -1;
                    }
                    previousLeads = leadsSync(length);
                    at = next;
                    continue;
                }
                if (!resume_) return Attempt::NotFound;
                matched = -1;   // this stretch may itself be the next candidate
            }
            if (previousLeads && isLong(length)) matched = 0;
            previousLeads = leadsSync(length);
            at = next;
        }
        return Attempt::NotFound;
    }

    const std::uint8_t* s_;
    std::size_t n_;
    unsigned threshold_;
    std::uint8_t trigger_;
    bool resume_;
    std::size_t limit_;
    int band_ = 0;
    bool inverted_ = false;
    std::size_t crossings_[8] = {};   // where each bit of the last byte crossed the trigger level
    unsigned rising_ = 0;             // which of them rose, as read before inverting
    LeadInBefore leadIn_{windowsBeforeSync, windowsBeforeSync};
    std::size_t position_ = 0;
};
}

DecoderSettings decoderSettingsAt(std::uint32_t rate, std::uint8_t triggerLevel) {
    DecoderSettings settings;
    settings.threshold = stretchThresholdAt(rate);
    settings.triggerLevel = triggerLevel;
    return settings;
}

int quietBand(ByteView samples) {
    RecordReader reader(samples, DecoderSettings{});
    return reader.analyseLevels(-1) ? reader.band() : -1;
}

std::uint64_t deviationTotal(ByteView samples) { return deviationSum(samples.data, samples.size); }

int quietBandOf(std::uint64_t total, std::uint64_t count) {
    if (count == 0) return -1;
    const std::uint64_t mean = (total + count / 2) / count;
    return total != 0 && mean != 0 ? static_cast<int>(mean / 2) : -1;
}

bool isFaultyBlock(const DecodedRecord& record, int block) {
    return std::find(record.faultyBlocks.begin(), record.faultyBlocks.end(), block) != record.faultyBlocks.end();
}

int decodeStatusMessage(DecodeStatus status) {
    switch (status) {
    case DecodeStatus::Ok: return 0;
    case DecodeStatus::TooQuiet: return str::tooQuiet;
    case DecodeStatus::NoSync:
    case DecodeStatus::NoSyncBehindLeadIn: return str::noSync;
    case DecodeStatus::NoPreByte: return str::noPreByte;
    case DecodeStatus::NoBlockPreByte: return str::noBlockPreByte;
    case DecodeStatus::NoEndByte: return str::noEndByte;
    case DecodeStatus::CutShort: return str::recordCutShort;
    case DecodeStatus::TooLong: return str::recordTooLong;
    }
    return str::noSync;
}

DecodedRecord decodeRecord(ByteView samples, const DecoderSettings& settings, std::size_t start,
                           HeaderFieldSink* fields) {
    DecodedRecord record;
    RecordReader reader(samples, settings);
    if (!reader.analyseLevels(settings.quietBand)) {
        record.status = DecodeStatus::TooQuiet;
        return record;
    }
    DecodeStatus sync = reader.findSync(start);
    if (sync != DecodeStatus::Ok) {
        record.status = sync;
        record.endPosition = samples.size;
        return record;
    }
    record.syncPosition = reader.position();
    record.leadIn = reader.leadIn();
    parseRecord(reader, record, fields);
    return record;
}
