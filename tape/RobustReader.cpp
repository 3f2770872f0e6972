#include "tape/RobustReader.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "tape/AudioFormat.h"
#include "tape/LeadInFinder.h"
#include "tape/RecordParser.h"
#include "tape/SignalConditioner.h"
#include "tape/TapeRecord.h"

namespace {
// The bit clock: a second-order loop, corrected once per cell by the measured
// offset of the transitions (phase gain) and slowly in its period (speed gain).
// (Applying each correction one cell later would shorten the way from one
// cell's sums to the next start, but lets more hiss into the clock: at hiss as
// strong as the signal's peak, 285 instead of 295 of 300 recordings read.)
constexpr double phaseGain = 0.2;
constexpr double speedGain = 0.008;
// The level follows the cells' strength quickly enough for dips of a few ms.
constexpr double levelGain = 0.3;
// A bit counts as sure for the sync when it is at least this share of the
// stronger of the two pairings' bits at the same time.
constexpr double sureShare = 0.35;
// Lead-in bits demanded before the sync byte (of which a few may be unsure),
// and cells tried behind a lead-in.
constexpr int leadInBits = 48;
constexpr std::size_t unsureLeadInBits = 2;
constexpr int searchCells = 6000;
// A bit weaker than this share of the noise measure may be wrong (with white
// noise the measure is about twice the spread of a bit's strength).
constexpr double noiseGain = 0.05;
constexpr double weakShare = weakSoftValue;
// A block with a wrong checksum is read once more with the cells' starts
// averaged over this many cells on either side.
constexpr int smoothing = 20;
// Soft values stop at this size: on a clean signal the noise measure is near 0.
constexpr double maxSoftValue = 100;
// The attempts: the smoothed clock as it is, then a little late and early.
constexpr double rereadShifts[] = {0, 0.5, -0.5};
constexpr int maxBlockCells = 8 * (tape::blockSize + 4);

// pick ? a : b, without a branch (with SSE2 without leaving its registers).
inline double choose(bool pick, double a, double b) {
#if defined(__SSE2__)
    const __m128d mask = _mm_castsi128_pd(_mm_set1_epi64x(-static_cast<long long>(pick)));
    return _mm_cvtsd_f64(_mm_or_pd(_mm_and_pd(mask, _mm_set_sd(a)), _mm_andnot_pd(mask, _mm_set_sd(b))));
#else
    std::uint64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    const std::uint64_t mask = 0 - static_cast<std::uint64_t>(pick);
    const std::uint64_t chosen = (x & mask) | (y & ~mask);
    double out;
    std::memcpy(&out, &chosen, sizeof out);
    return out;
#endif
}

struct Bit {
    bool one = false;
    bool sure = false;      // for the sync search: stronger than the other pairing's bit
    bool weak = false;      // hardly stronger than the noise: it may be wrong
    float soft = 0;         // the strength over the noise measure, positive for a 1
    float strength = 0;     // per sample, as the cell bore the bit out
};

// The soft value of a bit of signed strength `strength` against `noise`:
// below weakShare in size exactly where the bit counts as weak.
float softValue(double strength, double noise) {
    if (std::fabs(strength) >= maxSoftValue * noise) return strength > 0 ? maxSoftValue : strength < 0 ? -maxSoftValue : 0;
    return static_cast<float>(strength / noise);
}

// Cells of a bit clock over the conditioned samples. Each cell's bit is the
// sign of (second half - first half): a 1 rises in the middle.
class CellClock {
  public:
    CellClock(SignalConditioner& signal, double cell, double nominal)
        : signal_(&signal), cell_(cell), span_(SignalConditioner::fixed(cell)), shortest_(nominal / 1.3),
          longest_(nominal / 0.7) {}

    void startAt(double position) {
        position_ = position * 256 + 0.5;
        havePrevious_ = false;
    }
    double start() const { return (position_ - 0.5) * (1.0 / 256); }
    double cell() const { return cell_; }

    // Reads the cell at start() and moves on; false when the samples end.
    // `shifted` receives the bit of the cell that begins half a cell earlier.
    bool step(Bit& bit, Bit* shifted = nullptr) {
        const double cell = cell_, quarter = cell / 4;
        if (!signal_->holds(start(), cell)) return false;
        CellQuarters now = signal_->cellAt(static_cast<std::int64_t>(position_), span_);
        const std::int64_t* q = now.q;
        const std::int64_t* p = previous_.q;
        auto value = CellQuarters::value;
        // Per sample of the cell: the strength of this bit. Scaling by 1/256
        // is exact, so it is folded into the factor.
        const double perSample = 1 / cell, perSample256 = perSample * (1.0 / 256);
        const std::int64_t differenceSum = (q[2] + q[3]) - (q[0] + q[1]);
        double strength = static_cast<double>(differenceSum < 0 ? -differenceSum : differenceSum) * perSample256;
        bit.one = differenceSum > 0;
        // The noise: a cell's sum is the baseline's alone, so its second
        // difference over three cells (blind to hum and drift) is noise.
        double sum = value(q[0] + q[1] + q[2] + q[3]);
        double bend = std::fabs(sum - 2 * sums_[1] + sums_[0]) * perSample;
        sums_[0] = sums_[1], sums_[1] = sum;
        // A level dip bends the sums once at each edge: such steps count only
        // up to a few times the measure so far.
        noise_ += noiseGain * (std::min(bend, 3 * noise_ + 0.05 * level_) - noise_);
        bit.weak = strength < weakShare * noise_;
        bit.soft = softValue(bit.one ? strength : -strength, noise_);
        bit.strength = static_cast<float>(strength);
        if (shifted) {
            // Sure is a bit that is clearly stronger than the other pairing's at
            // the same time: scale-free, so that it holds inside a level dip.
            double across = std::fabs(value((q[0] + q[1]) - (p[2] + p[3]))) * perSample;
            shifted->one = (q[0] + q[1]) > (p[2] + p[3]);
            double stronger = std::max(strength, across);
            bit.sure = strength > sureShare * stronger;
            shifted->sure = havePrevious_ && across > sureShare * stronger;
        }

        // Offset of the middle transition: the inner half of the cell against
        // its outer quarters; a transition later than expected moves weight
        // into the inner half with the sign of the first half.
        // Much of the time goes into the way from one cell's sums to the next
        // cell's start, which the clock cannot shorten by working ahead, so
        // that way is kept short: the offset is measured against the level of
        // the cells before (its factor is ready before this cell is weighed:
        // no division on the way), the signs are taken on the whole numbers,
        // the choice of the edge is made without a branch (the bits of a
        // record come at random), the start is kept in 1/256 sample as the
        // sums want it, and a cell is weighed with the length its clock had
        // one cell before.
        const std::int64_t inner = (q[1] + q[2]) - (q[0] + q[3]);
        const std::int64_t atStart = (p[3] + q[0]) - (p[2] + q[1]);
        // flip is all ones for a 1: (x ^ flip) - flip is then -x.
        const std::int64_t flip = -static_cast<std::int64_t>(bit.one);
        double offset = std::clamp(static_cast<double>((inner ^ flip) - flip) * offsetScale_, -quarter, quarter);
        // At the start of the cell there is a transition when the bits are equal.
        const double edge = std::clamp(static_cast<double>(flip - (atStart ^ flip)) * offsetScale_, -quarter, quarter);
        // Twice the offset: the mean of the two, or the middle's alone.
        const double twice = choose(havePrevious_ && previousOne_ == bit.one, offset + edge, offset + offset);
        level_ += levelGain * (strength - level_);
        offsetScale_ = level_ > 0 ? (0.5 / 256) / level_ : 0;
        span_ = SignalConditioner::fixed(cell);
        cell_ = std::clamp(cell_ + (speedGain / 2) * twice, shortest_, longest_);
        position_ = (position_ + cell * 256) + (phaseGain * 256 / 2) * twice;
        previous_ = now;
        previousOne_ = bit.one;
        havePrevious_ = true;
        return true;
    }

    // The bit of the cell [position, position + length) against the level and
    // noise followed so far; changes nothing.
    Bit judge(double position, double length) const {
        Bit bit;
        if (!signal_->holds(position, length)) return bit;
        CellQuarters c = signal_->cell(position, length);
        double difference = CellQuarters::value((c.q[2] + c.q[3]) - (c.q[0] + c.q[1]));
        bit.one = difference > 0;
        bit.weak = std::fabs(difference) / length < weakShare * noise_;
        bit.soft = softValue(difference / length, noise_);
        return bit;
    }

    // The strength of the cells from `position`, summed over `cells` cells:
    // greatest where the cells line up with the middle transitions.
    double alignment(double position, int cells) {
        double total = 0;
        for (int i = 0; i < cells; ++i, position += cell_) {
            if (!signal_->holds(position, cell_)) break;
            CellQuarters c = signal_->cell(position, cell_);
            total += std::fabs(CellQuarters::value((c.q[2] + c.q[3]) - (c.q[0] + c.q[1])));
        }
        return total;
    }

  private:
    SignalConditioner* signal_;
    double position_ = 0.5;     // the start of the next cell in 1/256 sample, plus a half to round
    double cell_;
    std::int64_t span_;         // the length a cell is weighed with, in 1/256 sample
    double shortest_, longest_;
    double level_ = 0;
    double offsetScale_ = 0;    // 1/256 of half a sample per level: 0 while there is no level yet
    double noise_ = 0;          // mean second difference of the cell sums, per sample
    double sums_[2] = {0, 0};   // the sums of the last two cells
    CellQuarters previous_;
    bool previousOne_ = false;
    bool havePrevious_ = false;
};

class FilteredReader final : public ByteSource {
  public:
    FilteredReader(ByteView samples, std::uint32_t rate)
        : samples_(samples), signal_(samples), nominal_(cellSamplesAt(rate == 44100 ? 44100 : 22050)),
          clock_(signal_, nominal_, nominal_) {}

    // Searches from `from` for lead-in and sync; true with the clock on the
    // first cell behind the sync byte.
    bool findSync(std::size_t& from, std::size_t limit) {
        LeadIn leadIn;
        while (findLeadIn(samples_, nominal_, from, leadIn)) {
            if (leadIn.position >= limit) return false;
            if (followLeadIn(leadIn, from, limit)) return true;
        }
        return false;
    }

    bool readByte(std::uint8_t& byte) override {
        unsigned value = 0, weak = 0;
        for (int i = 0; i < 8; ++i) {
            Bit bit;
            if (cellCount_ < maxBlockCells) cellStarts_[cellCount_++] = clock_.start();
            if (!clock_.step(bit)) {
                exhausted_ = true;
                return false;
            }
            cellStarts_[cellCount_] = clock_.start();
            value = value << 1 | (bit.one ? 1u : 0u);
            weak = weak << 1 | (bit.weak ? 1u : 0u);
            lastSoft_[i] = inverted_ ? -bit.soft : bit.soft;
            lastStrength_[i] = bit.strength;
        }
        byte = static_cast<std::uint8_t>(inverted_ ? ~value : value);
        noteWeakBits(byte, weak);
        lastWeak_ = weak;
        return true;
    }
    // A framing byte read with weak bits may have been one that differs from
    // it only in those.
    bool mayBe(std::uint8_t byte, std::uint8_t expected) const override {
        return ((byte ^ expected) & ~lastWeak_) == 0;
    }
    bool softBits(float* soft) const override {
        std::copy(lastSoft_, lastSoft_ + 8, soft);
        return true;
    }
    bool bitStrengths(float* strength) const override {
        std::copy(lastStrength_, lastStrength_ + 8, strength);
        return true;
    }
    bool rereadSoftBits(float* soft, std::size_t count) const override {
        if (count * 8 > static_cast<std::size_t>(maxBlockCells)) return false;
        std::copy(rereadSoft_, rereadSoft_ + count * 8, soft);
        return true;
    }
    void beginBlock() override {
        blockBytes_ = 0;
        weakCount_ = 0;
        cellCount_ = 0;
    }
    // Once more with the cells placed by a smoothed clock: where the cells
    // began is averaged over some cells on either side (the straight course of
    // a steady or slowly wobbling tape stays), which takes out the clock's
    // jitter in hiss. The clock itself goes on where it was.
    bool rereadBlock(std::uint8_t* bytes, std::size_t count, int attempt) override {
        const int cells = static_cast<int>(count) * 8;
        if (attempt >= static_cast<int>(sizeof rereadShifts / sizeof rereadShifts[0])) return false;
        if (cells != cellCount_ || cells > maxBlockCells) return false;
        for (int k = 0; k <= cells; ++k) {
            int reach = std::min({smoothing, k, cells - k});
            double total = 0;
            for (int j = k - reach; j <= k + reach; ++j) total += cellStarts_[j];
            smoothed_[k] = total / (2 * reach + 1) + rereadShifts[attempt];
        }
        blockBytes_ = 0;
        weakCount_ = 0;
        for (std::size_t i = 0; i < count; ++i) {
            unsigned value = 0, weak = 0;
            for (int k = static_cast<int>(i) * 8; k < static_cast<int>(i) * 8 + 8; ++k) {
                Bit bit = clock_.judge(smoothed_[k], smoothed_[k + 1] - smoothed_[k]);
                rereadSoft_[k] = inverted_ ? -bit.soft : bit.soft;
                value = value << 1 | (bit.one ? 1u : 0u);
                weak = weak << 1 | (bit.weak ? 1u : 0u);
            }
            bytes[i] = static_cast<std::uint8_t>(inverted_ ? ~value : value);
            noteWeakBits(bytes[i], weak);
        }
        return true;
    }
    // Each weak bit, flipped, would change the block's sum (address, data) or
    // its checksum byte by a power of two. When some of these changes cancel
    // out modulo 256, a wrong block could show a true checksum: doubt it.
    bool doubtsBlock() override {
        return weakBitsMayCancel(weakBits_, weakCount_, blockBytes_ - 1);
    }
    void setInverted(bool inverted) override { inverted_ = inverted; }
    std::size_t position() const override {
        if (exhausted_) return samples_.size;
        return std::min(samples_.size, static_cast<std::size_t>(clock_.start()));
    }

  private:
    // Starts the clock at the lead-in's speed and phase and reads cells until
    // one of the two pairings of half-cells shows lead-in bits and the sync byte.
    bool followLeadIn(const LeadIn& leadIn, std::size_t& from, std::size_t limit) {
        clock_ = CellClock(signal_, leadIn.cell, nominal_);
        double best = -1, phase = static_cast<double>(leadIn.position);
        for (int eighth = 0; eighth < 8; ++eighth) {
            double position = static_cast<double>(leadIn.position) + leadIn.cell * eighth / 8;
            double strength = clock_.alignment(position, 16);
            if (strength > best) best = strength, phase = position;
        }
        clock_.startAt(phase);
        std::uint64_t bits[2] = {0, 0}, sure[2] = {0, 0};
        const std::uint64_t syncMask = (std::uint64_t{1} << (leadInBits + 8)) - 1;
        for (int i = 0; i < searchCells; ++i) {
            Bit bit, shifted;
            double cellStart = clock_.start();
            if (!clock_.step(bit, &shifted)) break;
            if (cellStart >= static_cast<double>(limit)) break;
            const Bit read[2] = {bit, shifted};
            for (int pairing = 0; pairing < 2; ++pairing) {
                bits[pairing] = bits[pairing] << 1 | (read[pairing].one ? 1u : 0u);
                sure[pairing] = sure[pairing] << 1 | (read[pairing].sure ? 1u : 0u);
                // The sync byte's bits must all be sure; of the lead-in bits
                // before it, hiss may leave a few unsure.
                const bool strict =
                    (sure[pairing] & 0xFF) == 0xFF && std::bitset<64>(~sure[pairing] & syncMask).count() <= unsureLeadInBits;
                // An unsure lead-in bit may have been read either way.
                const std::uint64_t pattern = bits[pairing] & sure[pairing] & syncMask;
                const std::uint64_t inverted = syncMask & ~std::uint64_t{tape::syncByte} & sure[pairing];
                const bool found = strict && (pattern == tape::syncByte || pattern == inverted);
                // A codec or a phone line may turn one bit of the sync byte
                // (and a few of the lead-in): such a sync counts only where
                // the header behind it bears it out.
                if (!found && !nearlySync(bits[pairing] & syncMask)) continue;
                const CellClock searching = clock_;
                // The shifted pairing's cells begin half a cell before the clock's.
                if (pairing == 1) clock_.startAt(clock_.start() - clock_.cell() / 2);
                const CellClock candidate = clock_;
                if (!found && !confirmsRecord()) {
                    clock_ = searching;
                    continue;
                }
                clock_ = candidate;
                syncPosition_ = static_cast<std::size_t>(clock_.start());
                from = std::max(from, syncPosition_);
                return true;
            }
        }
        from = std::max(from, static_cast<std::size_t>(std::max(0.0, clock_.start())));
        return false;
    }

    // Lead-in bits and sync byte, at either polarity, with at most one bit of
    // the sync byte and unsureLeadInBits of the lead-in read otherwise.
    static bool nearlySync(std::uint64_t window) {
        const std::uint64_t syncMask = (std::uint64_t{1} << (leadInBits + 8)) - 1;
        for (std::uint64_t expected : {std::uint64_t{tape::syncByte}, syncMask & ~std::uint64_t{tape::syncByte}}) {
            const std::uint64_t wrong = window ^ expected;
            if (std::bitset<64>(wrong & 0xFF).count() <= 1 && std::bitset<64>(wrong >> 8).count() <= unsureLeadInBits)
                return true;
        }
        return false;
    }

    // Whether a record follows a sync found with a bit read otherwise: the
    // pre-byte, a name of printable characters (up to a zero byte), block 1's
    // pre-byte right behind the gap and block 1 itself with a true checksum
    // (read once more with a smoothed clock where it is not), or else the next
    // block's pre-byte or the end byte, but for a bit, right behind it. Moves
    // the clock on.
    bool confirmsRecord() {
        std::uint8_t byte = 0;
        if (!readByte(byte)) return restAfterConfirming(false);
        if (byte != tape::preByte && byte != static_cast<std::uint8_t>(~tape::preByte)) return restAfterConfirming(false);
        const std::uint8_t flip = byte == tape::preByte ? 0x00 : 0xFF;
        bool ended = false;
        for (int i = 0; i < tape::nameBytes; ++i) {
            if (!readByte(byte)) return restAfterConfirming(false);
            byte ^= flip;
            ended = ended || byte == 0;
            if (!ended && (byte < 0x20 || byte > 0x7E)) return restAfterConfirming(false);
        }
        for (int i = 0; i < tape::gapBytes; ++i)
            if (!readByte(byte)) return restAfterConfirming(false);
        if (!readByte(byte) || (byte ^ flip) != tape::blockPreByte) return restAfterConfirming(false);
        beginBlock();
        std::uint8_t block[tape::blockSize + 4];
        if (!readByte(block[0])) return restAfterConfirming(false);
        const std::size_t count = (block[0] ^ flip) == 0 ? tape::blockSize : (block[0] ^ flip);
        for (std::size_t i = 1; i < count + 4; ++i)
            if (!readByte(block[i])) return restAfterConfirming(false);
        auto checksumTrue = [&](const std::uint8_t* bytes) {
            unsigned sum = 0;
            for (std::size_t i = 1; i < count + 3; ++i) sum += bytes[i] ^ flip;
            return static_cast<std::uint8_t>(sum) == (bytes[count + 3] ^ flip);
        };
        bool good = checksumTrue(block);
        std::uint8_t again[tape::blockSize + 4];
        for (int attempt = 0; !good && rereadBlock(again, count + 4, attempt); ++attempt)
            good = (again[0] ^ flip) == (block[0] ^ flip) && checksumTrue(again);
        // A phone line may spoil block 1 too: then the next block's pre-byte
        // (or the end byte) right behind it, but for a bit, bears out its length.
        auto nearly = [](std::uint8_t read, std::uint8_t expected) { return std::bitset<8>(read ^ expected).count() <= 1; };
        if (!good && readByte(byte)) good = nearly(byte ^ flip, tape::blockPreByte) || nearly(byte ^ flip, tape::endByte);
        return restAfterConfirming(good);
    }
    // What reading for confirmsRecord() left behind is cleared.
    bool restAfterConfirming(bool confirmed) {
        exhausted_ = false;
        beginBlock();
        return confirmed;
    }

  public:
    std::size_t syncPosition() const { return syncPosition_; }
    double nominalCell() const { return nominal_; }

  private:
    void noteWeakBits(std::uint8_t byte, unsigned weak) {
        for (int bit = 0; weak != 0; ++bit, weak >>= 1) {
            if (!(weak & 1)) continue;
            if (weakCount_ < maxWeakBits) weakBits_[weakCount_] = {blockBytes_, bit, ((byte >> bit) & 1) != 0};
            ++weakCount_;
        }
        ++blockBytes_;
    }

    ByteView samples_;
    SignalConditioner signal_;
    double nominal_;
    CellClock clock_;
    bool inverted_ = false;
    bool exhausted_ = false;
    std::size_t syncPosition_ = 0;
    int blockBytes_ = 0;                    // bytes read since the block began
    double cellStarts_[maxBlockCells + 1];  // where its cells began, and the last one ended
    double smoothed_[maxBlockCells + 1];
    int cellCount_ = 0;
    WeakBit weakBits_[maxWeakBits];
    int weakCount_ = 0;
    unsigned lastWeak_ = 0;     // the weak bits of the last byte read
    float lastSoft_[8] = {};    // the soft values of the last byte read
    float lastStrength_[8] = {};
    float rereadSoft_[maxBlockCells] = {};
};
}

DecodedRecord decodeRecordFiltered(ByteView samples, std::uint32_t rate, std::size_t start, HeaderFieldSink* fields,
                                   std::size_t syncLimit) {
    DecodedRecord record;
    record.filtered = true;
    record.status = DecodeStatus::NoSync;
    record.endPosition = samples.size;
    FilteredReader reader(samples, rate);
    std::size_t from = start;
    // A sync whose pre-byte does not follow was a chance pattern: search on behind it.
    while (reader.findSync(from, syncLimit)) {
        // Only a sync behind a lead-in opens a record; a chance pattern in hiss
        // or music does not, nor one behind a few zero bytes of a program's data.
        const LeadInBefore leadIn = leadInBefore(samples, reader.nominalCell(), reader.syncPosition());
        if (!leadIn.possible()) continue;
        DecodedRecord candidate;
        candidate.filtered = true;
        candidate.syncPosition = reader.syncPosition();
        candidate.leadIn = leadIn;
        parseRecord(reader, candidate, fields);
        if (candidate.status != DecodeStatus::NoPreByte) return candidate;
        from = std::max(from, reader.position());
    }
    return record;
}

LeadInClock followLeadInClock(ByteView samples, std::uint32_t rate, std::size_t from, std::size_t to, double cell) {
    constexpr int run = 16, settlingCells = 64, leastRuns = 8;
    constexpr double lockedShare = 0.9;
    LeadInClock result;
    to = std::min(to, samples.size);
    if (cell <= 0 || to <= from) return result;
    const double nominal = cellSamplesAt(rate == 44100 ? 44100 : 22050);
    // The clock starts at the tone's own speed where the finder hears it.
    std::size_t heard = from;
    LeadIn leadIn;
    if (findLeadIn(samples.sub(0, to), nominal, heard, leadIn) && leadIn.position < from + leadInStride) cell = leadIn.cell;
    SignalConditioner signal(samples);
    CellClock clock(signal, cell, nominal);
    double best = -1, phase = static_cast<double>(from);
    for (int eighth = 0; eighth < 8; ++eighth) {
        const double position = static_cast<double>(from) + cell * eighth / 8;
        const double strength = clock.alignment(position, 16);
        if (strength > best) best = strength, phase = position;
    }
    clock.startAt(phase);
    std::vector<double> starts;
    int ones = 0, cells = 0;
    Bit bit;
    while (clock.start() + clock.cell() < static_cast<double>(to) && clock.step(bit)) {
        if (++cells <= settlingCells) continue;
        starts.push_back(clock.start());
        ones += bit.one ? 1 : 0;
    }
    const int counted = static_cast<int>(starts.size());
    if (counted < run * leastRuns || std::max(ones, counted - ones) < lockedShare * counted) return result;
    double total = 0, squares = 0;
    int runs = 0;
    for (std::size_t k = 0; k + run < starts.size(); k += run, ++runs) {
        const double period = (starts[k + run] - starts[k]) / run;
        total += period, squares += period * period;
    }
    const double mean = total / runs;
    result.locked = true;
    result.cell = mean;
    result.swingPercent = 100 * std::sqrt(2.0) * std::sqrt(std::max(0.0, squares / runs - mean * mean)) / mean;
    return result;
}
