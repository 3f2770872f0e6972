#include "tape/SoundFeed.h"

#include <algorithm>
#include <cmath>

#include "tape/Decoder.h"
#include "tape/FloatWav.h"
#include "tape/Resampling.h"
#include "tape/TapeRecord.h"

namespace {
// The interleaved 8-bit samples of a chunk: its own bytes, or its floats converted into `scratch`.
const std::uint8_t* chunkBytes(const SoundChunk& chunk, std::size_t channels, std::vector<std::uint8_t>& scratch) {
    if (chunk.bytes) return chunk.bytes;
    const std::size_t count = chunk.frames * channels;
    scratch.resize(count);
    for (std::size_t i = 0; i < count; ++i) scratch[i] = eightBitOfFloat(chunk.floats[i]);
    return scratch.data();
}

// findChannelFacts over frames as they come: the combs of each channel, their
// products with the one before and of each pair, kept as sums.
class ChannelMeter {
  public:
    ChannelMeter(std::size_t channels, std::uint32_t rate)
        : channels_(channels), k_(std::max<std::size_t>(1, (rate + 3150) / 6300)),
          paired_(std::min<std::size_t>(channels, 8)), history_(k_ * channels), previous_(channels),
          comb_(channels), sums_(channels, 0), products_(paired_ * paired_, 0) {}

    void feed(const std::uint8_t* frames, std::size_t count) {
        if (channels_ < 2) return;
        if (channels_ == 2) return feedStereo(frames, count);
        for (std::size_t f = 0; f < count; ++f, ++frame_) {
            const std::uint8_t* levels = frames + f * channels_;
            std::int64_t* older = history_.data() + slot_ * channels_;
            if (frame_ >= k_) {
                for (std::size_t c = 0; c < channels_; ++c) comb_[c] = levels[c] - older[c];
                if (frame_ > k_) {
                    for (std::size_t c = 0; c < channels_; ++c) sums_[c] += comb_[c] * previous_[c];
                    for (std::size_t a = 0; a < paired_; ++a)
                        for (std::size_t b = 0; b <= a; ++b) products_[a * paired_ + b] += comb_[a] * comb_[b];
                }
                previous_ = comb_;
            }
            for (std::size_t c = 0; c < channels_; ++c) older[c] = levels[c];
            slot_ = slot_ + 1 == k_ ? 0 : slot_ + 1;
        }
    }

    // Stereo, the usual case, with the loops over the channels written out:
    // an hour of a stereo master is hundreds of millions of frames.
    void feedStereo(const std::uint8_t* frames, std::size_t count) {
        std::int64_t previous0 = previous_[0], previous1 = previous_[1], sum0 = sums_[0], sum1 = sums_[1],
                     square0 = products_[0], cross = products_[2], square1 = products_[3];
        for (std::size_t f = 0; f < count; ++f, ++frame_) {
            const std::int64_t level0 = frames[2 * f], level1 = frames[2 * f + 1];
            std::int64_t* older = history_.data() + 2 * slot_;
            if (frame_ >= k_) {
                const std::int64_t comb0 = level0 - older[0], comb1 = level1 - older[1];
                if (frame_ > k_) {
                    sum0 += comb0 * previous0;
                    sum1 += comb1 * previous1;
                    square0 += comb0 * comb0;
                    square1 += comb1 * comb1;
                    cross += comb1 * comb0;
                }
                previous0 = comb0;
                previous1 = comb1;
            }
            older[0] = level0;
            older[1] = level1;
            slot_ = slot_ + 1 == k_ ? 0 : slot_ + 1;
        }
        previous_ = {previous0, previous1};
        sums_ = {sum0, sum1};
        products_ = {square0, 0, cross, square1};
    }

    ChannelFacts facts() const {
        ChannelFacts facts;
        facts.count = static_cast<std::uint16_t>(std::max<std::size_t>(1, channels_));
        if (channels_ < 2 || frame_ < k_ + 2) return facts;
        return channelFactsOf(sums_.data(), products_.data(), channels_, paired_);
    }

  private:
    std::size_t channels_, k_, paired_;
    std::vector<std::int64_t> history_, previous_, comb_, sums_, products_;
    std::uint64_t frame_ = 0;
    std::size_t slot_ = 0;
};

// Channel `channel` of `frames` interleaved frames, into `out`.
void takeChannel(const std::uint8_t* frames, std::size_t count, std::size_t channels, std::size_t channel,
                 std::vector<std::uint8_t>& out) {
    out.resize(count);
    const std::uint8_t* at = frames + channel;
    for (std::size_t i = 0; i < count; ++i, at += channels) out[i] = *at;
}
}

std::size_t longestRecordSamples(std::uint32_t rate) {
    constexpr std::size_t cells =
        (maxImageBytes + maxImageBytes / tape::blockSize * tape::blockFramingBytes + tape::fixedBytes) * 8;
    constexpr double slowestCellSamples = 30 / 0.8;
    return static_cast<std::size_t>(cells * slowestCellSamples * rate / 44100);
}

void placeAt(DecodedRecord& record, std::size_t base) {
    if (record.syncPosition > 0) record.syncPosition += base;
    record.endPosition += base;
    for (BlockSpan& span : record.blockSpans) span.begin += base, span.end += base;
    if (record.toneStart) *record.toneStart += base;
}

DecodedRecord unplaced(const DecodedRecord& record, std::size_t base) {
    DecodedRecord local = record;
    if (local.syncPosition >= base) local.syncPosition -= base;
    local.endPosition -= std::min(local.endPosition, base);
    for (BlockSpan& span : local.blockSpans) span.begin -= base, span.end -= base;
    if (local.toneStart) *local.toneStart -= std::min(*local.toneStart, base);
    return local;
}

std::uint32_t readerRateFor(std::uint32_t sourceRate) {
    return sourceRate == 22050 || sourceRate == 44100 ? sourceRate : 44100;
}

SoundSummary summariseSound(SoundSource& source) {
    SoundSummary summary;
    const std::size_t channels = std::max<std::size_t>(1, source.channels());
    const std::uint32_t rate = source.rate();
    summary.rate = readerRateFor(rate);
    const bool direct = rate == summary.rate;
    ChannelMeter meter(channels, rate);
    std::vector<LinearResampler> resamplers(direct ? 0 : channels, LinearResampler(rate, summary.rate));
    std::vector<std::uint64_t> totals(channels, 0), counts(channels, 0);
    std::vector<std::uint8_t> scratch, taken, converted;
    for (SoundChunk chunk = source.pull(); chunk.frames > 0; chunk = source.pull()) {
        const std::uint8_t* frames = chunkBytes(chunk, channels, scratch);
        meter.feed(frames, chunk.frames);
        for (std::size_t channel = 0; channel < channels; ++channel) {
            const std::uint8_t* samples = frames;
            std::size_t count = chunk.frames;
            if (channels > 1) {
                takeChannel(frames, chunk.frames, channels, channel, taken);
                samples = taken.data();
            }
            if (!direct) {
                converted.clear();
                resamplers[channel].feed(samples, count, converted);
                samples = converted.data(), count = converted.size();
            }
            totals[channel] += deviationTotal(ByteView(samples, count));
            counts[channel] += count;
        }
    }
    if (!direct)
        for (std::size_t channel = 0; channel < channels; ++channel) {
            converted.clear();
            resamplers[channel].finish(converted);
            totals[channel] += deviationTotal(ByteView(converted));
            counts[channel] += converted.size();
        }
    summary.channels = meter.facts();
    summary.samples = counts[summary.channels.taken];
    summary.band = quietBandOf(totals[summary.channels.taken], summary.samples);
    source.rewind();
    return summary;
}

SoundFeed::SoundFeed(SoundSource& source, std::size_t channel)
    : source_(source), channel_(channel), direct_(source.rate() == readerRateFor(source.rate())),
      resampler_(source.rate(), readerRateFor(source.rate())) {}

bool SoundFeed::next(ByteView& samples) {
    if (done_) return false;
    const SoundChunk chunk = source_.pull();
    const std::size_t channels = std::max<std::size_t>(1, source_.channels());
    converted_.clear();
    if (chunk.frames == 0) {
        done_ = true;
        if (direct_) return false;
        resampler_.finish(converted_);
        samples = ByteView(converted_);
        return true;
    }
    const std::uint8_t* taken = chunkBytes(chunk, channels, scratch_);
    if (channels > 1) {
        takeChannel(taken, chunk.frames, channels, channel_, taken_);
        taken = taken_.data();
    }
    if (direct_) {
        samples = ByteView(taken, chunk.frames);
        return true;
    }
    resampler_.feed(taken, chunk.frames, converted_);
    samples = ByteView(converted_);
    return true;
}
