#include "tape/FlacMaster.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "tape/WavFile.h"

namespace {
constexpr std::uint32_t blockFrames = 4096;
constexpr int maxOrder = 4;
constexpr int maxPartitionOrder = 6;

class BitWriter {
  public:
    explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}
    void put(std::uint64_t value, int bits) {   // bits <= 32
        pending_ = pending_ << bits | (value & ((std::uint64_t{1} << bits) - 1));
        count_ += bits;
        while (count_ >= 8) {
            count_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(pending_ >> count_));
        }
    }
    void bit(unsigned value) { put(value, 1); }
    void zeros(std::uint64_t count) {
        for (; count > 32; count -= 32) put(0, 32);
        put(0, static_cast<int>(count));
    }
    void signedValue(std::int64_t value, int bits) { put(static_cast<std::uint64_t>(value), bits); }
    void align() {
        if (count_ > 0) put(0, 8 - count_);
    }

  private:
    std::vector<std::uint8_t>& out_;
    std::uint64_t pending_ = 0;   // the last count_ bits are not written yet
    int count_ = 0;
};

std::uint8_t crc8(const std::uint8_t* bytes, std::size_t count) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint8_t>(crc & 0x80 ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

std::uint16_t crc16(const std::uint8_t* bytes, std::size_t count) {
    static const auto table = [] {
        std::array<std::uint16_t, 256> made{};
        for (unsigned byte = 0; byte < 256; ++byte) {
            std::uint16_t crc = static_cast<std::uint16_t>(byte << 8);
            for (int bit = 0; bit < 8; ++bit) crc = static_cast<std::uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x8005 : crc << 1);
            made[byte] = crc;
        }
        return made;
    }();
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) crc = static_cast<std::uint16_t>((crc << 8) ^ table[(crc >> 8) ^ bytes[i]]);
    return crc;
}

// The frame header's code for the sample size (0: as the stream says).
int sampleSizeCode(int bits) {
    switch (bits) {
    case 8: return 1;
    case 12: return 2;
    case 16: return 4;
    case 20: return 5;
    case 24: return 6;
    case 32: return 7;
    default: return 0;
    }
}

// The residual of the fixed predictor of `order` at `i` (i >= order).
std::int64_t fixedResidual(const std::int32_t* x, std::size_t i, int order) {
    const std::int64_t a = x[i];
    switch (order) {
    case 0: return a;
    case 1: return a - x[i - 1];
    case 2: return a - 2 * std::int64_t{x[i - 1]} + x[i - 2];
    case 3: return a - 3 * std::int64_t{x[i - 1]} + 3 * std::int64_t{x[i - 2]} - x[i - 3];
    default: return a - 4 * std::int64_t{x[i - 1]} + 6 * std::int64_t{x[i - 2]} - 4 * std::int64_t{x[i - 3]} + x[i - 4];
    }
}

// 0, -1, 1, -2 ... as 0, 1, 2, 3 ...
std::uint64_t folded(std::int64_t residual) {
    return (static_cast<std::uint64_t>(residual) << 1) ^ static_cast<std::uint64_t>(residual >> 63);
}

// The Rice parameter for `count` folded residuals that sum to `sum`, and its
// bits: the cost is least near the logarithm of their mean.
int riceParameter(std::uint64_t sum, std::size_t count, std::uint64_t& bits) {
    int near = 0;
    while (near < 30 && (std::uint64_t{count} << (near + 1)) <= sum) ++near;
    int best = 0;
    bits = ~std::uint64_t{0};
    for (int k = near > 1 ? near - 1 : 0; k <= near + 1 && k <= 30; ++k) {
        const std::uint64_t cost = count * (k + 1) + (sum >> k);
        if (cost < bits) bits = cost, best = k;
    }
    return best;
}

// How a channel's block is best written: its order (-1 verbatim, -2 constant),
// partition order and Rice parameters.
struct SubframePlan {
    int order = -1;
    int partitionOrder = 0;
    std::vector<int> parameters;
    std::uint64_t bits = 0;
};

// The residuals of every fixed order of one block, each order the
// differences of the one below (order 0: the samples), kept between blocks.
struct Residuals {
    std::vector<std::int64_t> of[maxOrder + 1];
    std::vector<std::uint64_t> sums;
};

SubframePlan planSubframe(const std::int32_t* x, std::size_t n, int sampleBits, Residuals& work) {
    SubframePlan best;
    best.bits = std::uint64_t{n} * sampleBits;
    if (std::all_of(x, x + n, [x](std::int32_t v) { return v == x[0]; })) {
        best.order = -2;
        best.bits = sampleBits;
        return best;
    }
    work.of[0].assign(x, x + n);
    for (int order = 0; order <= maxOrder && static_cast<std::size_t>(order) < n; ++order) {
        std::vector<std::int64_t>& r = work.of[order];
        if (order > 0) {
            const std::vector<std::int64_t>& below = work.of[order - 1];
            r.resize(n);
            for (std::size_t i = order; i < n; ++i) r[i] = below[i] - below[i - 1];
        }
        // The sums of the finest partitions the block allows, the coarser ones added up from them.
        int finest = 0;
        while (finest < maxPartitionOrder && n % (std::size_t{2} << finest) == 0 &&
               n / (std::size_t{2} << finest) > static_cast<std::size_t>(order))
            ++finest;
        std::vector<std::uint64_t>& sums = work.sums;
        sums.assign(std::size_t{1} << finest, 0);
        const std::size_t finestSize = n >> finest;
        std::uint64_t largest = 0;   // folded
        for (std::size_t p = 0; p < sums.size(); ++p) {
            std::uint64_t sum = 0;
            for (std::size_t i = std::max<std::size_t>(order, p * finestSize); i < (p + 1) * finestSize; ++i) {
                const std::uint64_t value = folded(r[i]);
                largest = std::max(largest, value);
                sum += value;
            }
            sums[p] = sum;
        }
        if (largest >= (std::uint64_t{1} << 32) - 2) continue;   // a residual beyond 32 bits
        for (int partitionOrder = finest; partitionOrder >= 0; --partitionOrder) {
            const std::size_t partitions = std::size_t{1} << partitionOrder;
            if (partitionOrder < finest)
                for (std::size_t p = 0; p < partitions; ++p) sums[p] = sums[2 * p] + sums[2 * p + 1];
            const std::size_t size = n / partitions;
            SubframePlan plan;
            plan.order = order;
            plan.partitionOrder = partitionOrder;
            plan.bits = std::uint64_t{static_cast<unsigned>(order)} * sampleBits + 2 + 4;
            bool wide = false;
            for (std::size_t p = 0; p < partitions; ++p) {
                std::uint64_t bits = 0;
                const std::size_t from = p == 0 ? order : p * size;
                const int k = riceParameter(sums[p], (p + 1) * size - from, bits);
                wide = wide || k > 14;
                plan.parameters.push_back(k);
                plan.bits += bits;
            }
            plan.bits += partitions * (wide ? 5 : 4);
            if (plan.bits < best.bits) best = std::move(plan);
        }
    }
    return best;
}

void writeSubframe(BitWriter& out, const std::int32_t* x, std::size_t n, int sampleBits, const SubframePlan& plan,
                   const Residuals& work) {
    if (plan.order == -2) {
        out.put(0x00, 8);
        out.signedValue(x[0], sampleBits);
        return;
    }
    if (plan.order == -1) {
        out.put(0x02, 8);
        for (std::size_t i = 0; i < n; ++i) out.signedValue(x[i], sampleBits);
        return;
    }
    out.put(static_cast<unsigned>(0x08 | plan.order) << 1, 8);   // fixed, its order
    for (int i = 0; i < plan.order; ++i) out.signedValue(x[i], sampleBits);
    const bool wide = std::any_of(plan.parameters.begin(), plan.parameters.end(), [](int k) { return k > 14; });
    out.put(wide ? 1 : 0, 2);
    out.put(static_cast<unsigned>(plan.partitionOrder), 4);
    const std::size_t size = n >> plan.partitionOrder;
    const std::vector<std::int64_t>& r = work.of[plan.order];
    for (std::size_t p = 0; p < plan.parameters.size(); ++p) {
        const int k = plan.parameters[p];
        out.put(static_cast<unsigned>(k), wide ? 5 : 4);
        for (std::size_t i = p == 0 ? plan.order : p * size; i < (p + 1) * size; ++i) {
            const std::uint64_t u = folded(r[i]), quotient = u >> k;
            // The unary quotient, its closing 1 and the low k bits, in one go where they fit.
            if (quotient + 1 + k <= 32) {
                out.put((std::uint64_t{1} << k) | (u & ((std::uint64_t{1} << k) - 1)), static_cast<int>(quotient + 1 + k));
                continue;
            }
            out.zeros(quotient);
            out.bit(1);
            if (k > 0) out.put(u & ((std::uint64_t{1} << k) - 1), k);
        }
    }
}

void putUtf8Number(std::vector<std::uint8_t>& out, std::uint32_t value) {
    if (value < 0x80) {
        out.push_back(static_cast<std::uint8_t>(value));
        return;
    }
    int extra = value < 0x800 ? 1 : value < 0x10000 ? 2 : value < 0x200000 ? 3 : value < 0x4000000 ? 4 : 5;
    out.push_back(static_cast<std::uint8_t>((0xFF00 >> (extra + 1)) | (value >> (6 * extra))));
    for (int i = extra - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(0x80 | ((value >> (6 * i)) & 0x3F)));
}
}

std::int32_t PcmView::sample(std::uint64_t frame, unsigned channel) const {
    const std::uint8_t* at = sound.data + (frame * channels + channel) * containerBytes;
    if (containerBytes == 1) return static_cast<std::int32_t>(at[0]) - 128;
    std::uint32_t value = 0;
    for (int i = 0; i < containerBytes; ++i) value |= std::uint32_t{at[i]} << (8 * i + 8 * (4 - containerBytes));
    return static_cast<std::int32_t>(value) >> (32 - bits);
}

bool pcmOfWav(ByteView file, PcmView& pcm) {
    const WavParts parts = findWavParts(file);
    if (parts.error) return false;
    ByteReader reader(parts.format);
    const std::uint16_t tag = reader.u16le();
    pcm.channels = reader.u16le();
    pcm.rate = reader.u32le();
    reader.skip(4);
    const std::uint16_t align = reader.u16le();
    pcm.bits = reader.u16le();
    if (tag == 0xFFFE && parts.format.size >= 40) {
        reader.skip(2);
        const std::uint16_t valid = reader.u16le();
        reader.skip(4);
        if (reader.u16le() != 1) return false;   // the subformat: PCM
        if (valid != 0) pcm.bits = valid;
    } else if (tag != 1) {
        return false;
    }
    if (!reader.ok() || pcm.channels == 0 || pcm.channels > 8 || pcm.rate == 0 || pcm.rate >= (1u << 20)) return false;
    pcm.containerBytes = static_cast<std::uint16_t>(align / pcm.channels);
    if (pcm.bits < 4 || pcm.bits > 32 || pcm.containerBytes * pcm.channels != align ||
        pcm.containerBytes != (pcm.bits + 7) / 8)
        return false;
    if (pcm.containerBytes == 1 && pcm.bits != 8) return false;
    pcm.sound = parts.sound.sub(0, parts.sound.size - parts.sound.size % align);
    return pcm.frames() > 0;
}

std::vector<std::uint8_t> encodeFlac(const PcmView& pcm) {
    std::vector<std::uint8_t> out = {'f', 'L', 'a', 'C'};
    const std::uint64_t total = pcm.frames();
    {
        BitWriter info(out);
        info.put(0x80, 8);   // the last metadata block: the stream information
        info.put(34, 24);
        info.put(blockFrames, 16);
        info.put(blockFrames, 16);
        info.put(0, 24);
        info.put(0, 24);
        info.put(pcm.rate, 20);
        info.put(pcm.channels - 1u, 3);
        info.put(pcm.bits - 1u, 5);
        info.put(total >> 32, 4);
        info.put(total & 0xFFFFFFFFu, 32);
        for (int i = 0; i < 16; ++i) info.put(0, 8);
    }
    std::vector<std::int32_t> samples(blockFrames);
    Residuals work;
    std::uint32_t number = 0;
    for (std::uint64_t first = 0; first < total; first += blockFrames, ++number) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(blockFrames, total - first));
        const std::size_t start = out.size();
        out.push_back(0xFF);
        out.push_back(0xF8);
        out.push_back(0x70);   // block size in 16 bits at the header's end, rate as the stream says
        out.push_back(static_cast<std::uint8_t>((pcm.channels - 1) << 4 | sampleSizeCode(pcm.bits) << 1));
        putUtf8Number(out, number);
        out.push_back(static_cast<std::uint8_t>((n - 1) >> 8));
        out.push_back(static_cast<std::uint8_t>(n - 1));
        out.push_back(crc8(out.data() + start, out.size() - start));
        BitWriter bits(out);
        for (unsigned channel = 0; channel < pcm.channels; ++channel) {
            for (std::size_t i = 0; i < n; ++i) samples[i] = pcm.sample(first + i, channel);
            writeSubframe(bits, samples.data(), n, pcm.bits, planSubframe(samples.data(), n, pcm.bits, work), work);
        }
        bits.align();
        const std::uint16_t crc = crc16(out.data() + start, out.size() - start);
        out.push_back(static_cast<std::uint8_t>(crc >> 8));
        out.push_back(static_cast<std::uint8_t>(crc));
    }
    return out;
}

namespace {
class BitReader {
  public:
    explicit BitReader(ByteView bytes, std::size_t at = 0) : bytes_(bytes), bit_(at * 8) {}
    bool ok() const { return ok_; }
    std::size_t bytePosition() const { return (bit_ + 7) / 8; }
    std::uint32_t get(int bits) {
        std::uint32_t value = 0;
        for (int i = 0; i < bits; ++i) value = value << 1 | bit();
        return value;
    }
    std::int32_t getSigned(int bits) {
        const std::uint32_t value = get(bits);
        if (bits == 32) return static_cast<std::int32_t>(value);
        return static_cast<std::int32_t>(value << (32 - bits)) >> (32 - bits);
    }
    unsigned bit() {
        if (bit_ >= bytes_.size * 8) {
            ok_ = false;
            return 0;
        }
        const unsigned value = (bytes_[bit_ / 8] >> (7 - bit_ % 8)) & 1;
        ++bit_;
        return value;
    }
    std::uint64_t unary() {
        std::uint64_t count = 0;
        while (ok_ && bit() == 0) ++count;
        return count;
    }
    void align() { bit_ = (bit_ + 7) / 8 * 8; }

  private:
    ByteView bytes_;
    std::size_t bit_;
    bool ok_ = true;
};

bool readSubframe(BitReader& in, std::int32_t* x, std::size_t n, int sampleBits) {
    if (in.bit() != 0) return false;
    const unsigned type = in.get(6);
    if (in.bit() != 0) return false;   // wasted bits: never written
    if (type == 0) {
        std::fill(x, x + n, in.getSigned(sampleBits));
        return in.ok();
    }
    if (type == 1) {
        for (std::size_t i = 0; i < n; ++i) x[i] = in.getSigned(sampleBits);
        return in.ok();
    }
    if (type < 8 || type > 12) return false;
    const int order = static_cast<int>(type - 8);
    if (static_cast<std::size_t>(order) > n) return false;
    for (int i = 0; i < order; ++i) x[i] = in.getSigned(sampleBits);
    const unsigned method = in.get(2);
    if (method > 1) return false;
    const int partitionOrder = static_cast<int>(in.get(4));
    const std::size_t size = n >> partitionOrder;
    if ((size << partitionOrder) != n || size < static_cast<std::size_t>(order)) return false;
    std::vector<std::int64_t> residuals(n);
    for (std::size_t p = 0; p < (std::size_t{1} << partitionOrder) && in.ok(); ++p) {
        const int k = static_cast<int>(in.get(method == 0 ? 4 : 5));
        const std::size_t from = p == 0 ? order : p * size;
        if (k == (method == 0 ? 15 : 31)) {
            const int width = static_cast<int>(in.get(5));
            for (std::size_t i = from; i < (p + 1) * size; ++i) residuals[i] = width ? in.getSigned(width) : 0;
            continue;
        }
        for (std::size_t i = from; i < (p + 1) * size && in.ok(); ++i) {
            const std::uint64_t u = (in.unary() << k) | (k ? in.get(k) : 0);
            residuals[i] = u & 1 ? -static_cast<std::int64_t>(u >> 1) - 1 : static_cast<std::int64_t>(u >> 1);
        }
    }
    for (std::size_t i = order; i < n; ++i) {
        const std::int64_t prediction = residuals[i] + x[i] - fixedResidual(x, i, order);
        x[i] = static_cast<std::int32_t>(prediction);
    }
    return in.ok();
}

void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
}

bool flacToWav(ByteView flac, std::vector<std::uint8_t>& wav) {
    if (flac.size < 8 || std::memcmp(flac.data, "fLaC", 4) != 0) return false;
    std::size_t at = 4;
    unsigned rate = 0, channels = 0, bits = 0;
    std::uint64_t total = 0;
    for (bool last = false; !last;) {
        if (at + 4 > flac.size) return false;
        last = flac[at] & 0x80;
        const unsigned type = flac[at] & 0x7F;
        const std::size_t length = std::size_t{flac[at + 1]} << 16 | std::size_t{flac[at + 2]} << 8 | flac[at + 3];
        if (at + 4 + length > flac.size) return false;
        if (type == 0 && length >= 34) {
            BitReader info(flac, at + 4 + 10);
            rate = info.get(20);
            channels = info.get(3) + 1;
            bits = info.get(5) + 1;
            total = std::uint64_t{info.get(4)} << 32 | info.get(32);
        }
        at += 4 + length;
    }
    if (rate == 0 || bits < 8) return false;
    const unsigned container = (bits + 7) / 8;
    const std::uint64_t dataBytes = total * channels * container;
    if (dataBytes > 0xFFFFFFFFu - 64) return false;
    wav.clear();
    wav.reserve(static_cast<std::size_t>(44 + dataBytes + 1));
    wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
    putLe(wav, static_cast<std::uint32_t>(36 + dataBytes + dataBytes % 2), 4);
    wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    putLe(wav, 16, 4);
    putLe(wav, 1, 2);
    putLe(wav, channels, 2);
    putLe(wav, rate, 4);
    putLe(wav, rate * channels * container, 4);
    putLe(wav, channels * container, 2);
    putLe(wav, container * 8, 2);
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    putLe(wav, static_cast<std::uint32_t>(dataBytes), 4);
    std::vector<std::vector<std::int32_t>> block(channels);
    std::uint64_t done = 0;
    while (done < total) {
        const std::size_t start = at;
        if (at + 6 > flac.size || flac[at] != 0xFF || flac[at + 1] != 0xF8) return false;
        BitReader in(flac, at + 2);
        const unsigned sizeCode = in.get(4);
        in.get(4);
        if (in.get(4) != channels - 1 || in.get(3) != static_cast<unsigned>(sampleSizeCode(static_cast<int>(bits))) ||
            in.bit() != 0 || sizeCode != 7)
            return false;
        std::size_t header = in.bytePosition();
        const unsigned lead = flac[header];
        int extra = 0;
        while (extra < 6 && (lead & (0x80 >> extra))) ++extra;
        header += extra == 0 ? 1 : extra;
        if (header + 3 > flac.size) return false;
        const std::size_t n = (std::size_t{flac[header]} << 8 | flac[header + 1]) + 1;
        if (crc8(flac.data + start, header + 2 - start) != flac[header + 2] || n > total - done) return false;
        BitReader body(flac, header + 3);
        for (unsigned channel = 0; channel < channels; ++channel) {
            block[channel].resize(n);
            if (!readSubframe(body, block[channel].data(), n, static_cast<int>(bits))) return false;
        }
        body.align();
        at = body.bytePosition();
        if (at + 2 > flac.size || crc16(flac.data + start, at - start) != (flac[at] << 8 | flac[at + 1])) return false;
        at += 2;
        for (std::size_t i = 0; i < n; ++i)
            for (unsigned channel = 0; channel < channels; ++channel) {
                const std::int32_t value = block[channel][i];
                if (container == 1) wav.push_back(static_cast<std::uint8_t>(value + 128));
                else putLe(wav, static_cast<std::uint32_t>(value) << (container * 8 - bits), static_cast<int>(container));
            }
        done += n;
    }
    if (dataBytes % 2) wav.push_back(0);
    return true;
}
