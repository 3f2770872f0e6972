#include "tape/Equaliser.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "tape/AudioFormat.h"
#include "tape/Encoder.h"
#include "tape/LeadInFinder.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeRecord.h"

namespace {
constexpr double radiansPerTurn = 2 * 3.14159265358979323846;
// The known signal is encoded as the encoder writes it at 44100 per second.
constexpr double referenceRate = 44100;
constexpr int referenceHalfCell = 14;
constexpr double referenceCell = 30;    // samples per cell of the lead-in
// Taps about the direct sound (the phone's band, the codec's phase), in
// samples at 44100.
constexpr int nearTaps = 8;
// Echoes searched for, in seconds behind the direct sound.
constexpr double shortestEcho = 0.010;
constexpr double longestEcho = 0.400;
constexpr int maxEchoes = 2;
// An echo is learnt where what the direct sound leaves over correlates with
// it at least this much (echoes of -4 to -10 dB in room noise 20 dB down give
// 0.55 to 0.75, a codec's own distortion up to about 0.2), and only where the
// known signal explains at least this share of the recording's power
// (otherwise the reading does not fit it).
constexpr double echoCorrelation = 0.3;
constexpr double explainedShare = 0.3;
// The learnt echoes together stay below this gain, so the canceller cannot ring.
constexpr double maxLoopGain = 0.9;
// Learnt from the lead-in's start over at most this long: the lead-in, the
// name, the gap and the first blocks.
constexpr double learnSeconds = 7;
// Rows of the fit: every this many samples.
constexpr std::size_t rowStep = 3;
// The known signal is laid over the recording in windows of this many
// samples, each searched this far (reference samples) about where the one
// before predicts it; less than half a lead-in period, so that a tone is not
// taken a period off.
constexpr std::size_t anchorWindow = 2048;
constexpr double anchorReach = 6, widestReach = 14, firstReach = 45;
// The equalised samples begin this long before the lead-in.
constexpr double leadSeconds = 0.1;

using Complex = std::complex<double>;

void fft(std::vector<Complex>& x, bool inverse) {
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const double angle = radiansPerTurn / static_cast<double>(length) * (inverse ? 1 : -1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += length) {
            Complex w(1);
            for (std::size_t k = 0; k < length / 2; ++k, w *= step) {
                const Complex u = x[i + k], v = x[i + k + length / 2] * w;
                x[i + k] = u + v;
                x[i + k + length / 2] = u - v;
            }
        }
    }
}

// Solves (m + ridge) x = v in place for a symmetric m of size n (row-major),
// the ridge `ridge` times the mean of m's diagonal; false where it is singular.
bool solve(std::vector<double> m, std::vector<double>& v, std::size_t n, double ridge) {
    double trace = 0;
    for (std::size_t i = 0; i < n; ++i) trace += m[i * n + i];
    for (std::size_t i = 0; i < n; ++i) m[i * n + i] += ridge * trace / static_cast<double>(n) + 1e-12;
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < n; ++row)
            if (std::fabs(m[row * n + col]) > std::fabs(m[pivot * n + col])) pivot = row;
        if (m[pivot * n + col] == 0) return false;
        if (pivot != col) {
            for (std::size_t k = 0; k < n; ++k) std::swap(m[col * n + k], m[pivot * n + k]);
            std::swap(v[col], v[pivot]);
        }
        for (std::size_t row = col + 1; row < n; ++row) {
            const double factor = m[row * n + col] / m[col * n + col];
            if (factor == 0) continue;
            for (std::size_t k = col; k < n; ++k) m[row * n + k] -= factor * m[col * n + k];
            v[row] -= factor * v[col];
        }
    }
    for (std::size_t col = n; col-- > 0;) {
        double sum = v[col];
        for (std::size_t k = col + 1; k < n; ++k) sum -= m[col * n + k] * v[k];
        v[col] = sum / m[col * n + col];
    }
    return true;
}

// The known signal of the guide's record (its start, as far as it is learnt
// from), +-1 at the encoder's level, and where the sync byte ends in it.
struct Reference {
    std::vector<float> signal;
    double syncEnd = 0;
};

Reference referenceOf(const DecodedRecord& guide) {
    std::vector<std::uint8_t> bytes = layoutTapeRecord(guide.image, guide.header);
    // A byte takes at most 240 samples: the bytes that fill the time learnt from.
    const std::size_t learnt = static_cast<std::size_t>(learnSeconds * referenceRate / 232) + 2;
    if (bytes.size() > learnt) bytes.resize(learnt);
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), referenceHalfCell, samples.data()));
    Reference reference;
    reference.signal.resize(samples.size());
    const float sign = guide.inverted ? -0.01f : 0.01f;
    for (std::size_t i = 0; i < samples.size(); ++i) reference.signal[i] = sign * (samples[i] - 128);
    std::vector<std::uint8_t> head(240 * (tape::leadInBytes + 1));
    reference.syncEnd = static_cast<double>(encodeBytesInto(bytes.data(), tape::leadInBytes + 1, referenceHalfCell, head.data()));
    return reference;
}

float referenceAt(const std::vector<float>& signal, double position) {
    if (position < 0) return 0;
    const std::size_t index = static_cast<std::size_t>(position);
    if (index + 1 >= signal.size()) return 0;
    const float fraction = static_cast<float>(position - static_cast<double>(index));
    return signal[index] + fraction * (signal[index + 1] - signal[index]);
}

// Where the reference lies in the recording: reference positions at anchors
// of the recording, straight between them and beyond them.
class Alignment {
  public:
    void add(double sample, double position) { samples_.push_back(sample), positions_.push_back(position); }
    std::size_t size() const { return samples_.size(); }
    double slope() const {
        if (samples_.size() < 2) return slope_;
        return (positions_.back() - positions_.front()) / (samples_.back() - samples_.front());
    }
    void setSlope(double slope) { slope_ = slope; }
    double lastSample() const { return samples_.back(); }
    double lastPosition() const { return positions_.back(); }
    // The reference position of recording sample `sample`.
    double at(double sample) const {
        if (sample <= samples_.front()) return positions_.front() + (sample - samples_.front()) * slope();
        if (sample >= samples_.back()) return positions_.back() + (sample - samples_.back()) * slope();
        const std::size_t k = static_cast<std::size_t>(std::upper_bound(samples_.begin(), samples_.end(), sample) -
                                                       samples_.begin());
        const double share = (sample - samples_[k - 1]) / (samples_[k] - samples_[k - 1]);
        return positions_[k - 1] + share * (positions_[k] - positions_[k - 1]);
    }

  private:
    std::vector<double> samples_, positions_;
    double slope_ = 1;
};

double correlation(ByteView samples, std::size_t from, std::size_t count, const std::vector<float>& reference,
                   double position, double slope) {
    double sum = 0;
    for (std::size_t m = 0; m < count; ++m)
        sum += (samples[from + m] - 128.0) * referenceAt(reference, position + static_cast<double>(m) * slope);
    return sum;
}

// Lays the reference over the recording from the guide's sync on, window by
// window, as far as `until`.
Alignment align(ByteView samples, std::uint32_t rate, const DecodedRecord& guide, const Reference& reference,
                std::size_t until) {
    Alignment alignment;
    double slope = referenceRate / rate;
    // The tape's speed from the lead-in's cell, where it is heard before the sync.
    const double nominal = cellSamplesAt(rate == 44100 ? 44100 : 22050);
    std::size_t from = guide.syncPosition > 40 * leadInWindow ? guide.syncPosition - 40 * leadInWindow : 0;
    LeadIn leadIn;
    if (findLeadIn(samples.sub(0, guide.syncPosition), nominal, from, leadIn) && leadIn.cell > 0)
        slope = referenceCell / leadIn.cell;
    alignment.setSlope(slope);
    const std::size_t window = static_cast<std::size_t>(anchorWindow * rate / referenceRate);
    double sample = static_cast<double>(guide.syncPosition), position = reference.syncEnd;
    double reach = firstReach;
    while (static_cast<std::size_t>(sample) + window <= std::min(until, samples.size) &&
           position + static_cast<double>(window) * slope + widestReach + 1 < static_cast<double>(reference.signal.size())) {
        double best = 0, bestShift = 0;
        for (double shift = -reach; shift <= reach; shift += 1) {
            const double sum = correlation(samples, static_cast<std::size_t>(sample), window, reference.signal,
                                           position + shift, slope);
            if (sum > best) best = sum, bestShift = shift;
        }
        alignment.add(sample, position + bestShift);
        slope = alignment.slope();
        sample += static_cast<double>(window);
        position = alignment.lastPosition() + static_cast<double>(window) * slope;
        // The first windows behind the sync still learn the speed.
        reach = alignment.size() < 3 ? widestReach : anchorReach;
    }
    if (alignment.size() == 0) alignment.add(static_cast<double>(guide.syncPosition), reference.syncEnd);
    return alignment;
}

// Sums x x' and x r over the rows of a fit.
struct NormalEquations {
    explicit NormalEquations(std::size_t n) : n(n), m(n * n, 0), v(n, 0) {}
    void add(const double* x, double r) {
        for (std::size_t i = 0; i < n; ++i) {
            v[i] += x[i] * r;
            for (std::size_t k = i; k < n; ++k) m[i * n + k] += x[i] * x[k];
        }
    }
    bool solve(std::vector<double>& out, double ridge = 1e-6) {
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t k = 0; k < i; ++k) m[i * n + k] = m[k * n + i];
        out = v;
        return ::solve(m, out, n, ridge);
    }
    std::size_t n;
    std::vector<double> m, v;
};

// The canceller's loop gain at its worst frequency is at most this.
double loopGain(const std::vector<EchoPath>& echoes) {
    double gain = 0;
    for (const EchoPath& echo : echoes) gain += std::fabs(echo.taps[0]) + std::fabs(echo.taps[1]);
    return gain;
}
}

double LearntEchoes::delaySeconds(std::uint32_t rate) const {
    return empty() ? 0 : static_cast<double>(echoes.front().delay) / rate;
}

double LearntEchoes::strength() const { return empty() ? 0 : std::fabs(echoes.front().taps[0] + echoes.front().taps[1]); }

LearntEchoes learnEchoes(ByteView samples, std::uint32_t rate, const DecodedRecord& guide, std::size_t from) {
    LearntEchoes out;
    if (!foundRecord(guide) || guide.irregularBlocks || guide.syncPosition == 0 || samples.size == 0) return out;
    const Reference reference = referenceOf(guide);
    const std::size_t until = std::min(samples.size, guide.endPosition);
    const Alignment alignment = align(samples, rate, guide, reference, until);

    // The span learnt from: the reference laid over the recording, from its
    // start (the lead-in's first cell) to where it or the reading ends.
    const double slope = alignment.slope();
    if (!(slope > 0)) return out;
    const double leadInStart =
        std::max(static_cast<double>(guide.syncPosition) - reference.syncEnd / slope, static_cast<double>(from));
    const double referenceEnd =
        alignment.lastSample() + (static_cast<double>(reference.signal.size()) - alignment.lastPosition()) / slope;
    const std::size_t learnBegin = static_cast<std::size_t>(std::max(0.0, leadInStart));
    const std::size_t learnEnd = static_cast<std::size_t>(std::min(static_cast<double>(until), std::max(0.0, referenceEnd)));
    if (learnEnd <= learnBegin + rate) return out;
    const int near = std::max(2, static_cast<int>(std::lround(nearTaps * rate / referenceRate)));
    const std::size_t nearCount = static_cast<std::size_t>(2 * near + 1);
    const std::size_t shortest = static_cast<std::size_t>(shortestEcho * rate);
    const std::size_t longest = static_cast<std::size_t>(longestEcho * rate);

    // The reference in the recording's time, over the span learnt from and
    // as far before it as the echoes reach.
    const std::size_t pad = longest + 2 * static_cast<std::size_t>(near) + 4;
    const std::size_t knownBegin = learnBegin > pad ? learnBegin - pad : 0;
    std::vector<float> known(learnEnd + static_cast<std::size_t>(near) + 1 - knownBegin);
    for (std::size_t i = 0; i < known.size(); ++i)
        known[i] = referenceAt(reference.signal, alignment.at(static_cast<double>(knownBegin + i)));
    // Nothing is known outside (an index before knownBegin wraps around beyond the end).
    auto knownAt = [&](std::size_t n) {
        const std::size_t i = n - knownBegin;
        return i < known.size() ? static_cast<double>(known[i]) : 0.0;
    };
    auto received = [&](std::size_t n) { return samples[n] - 128.0; };
    // The direct sound as heard through the near taps `h`.
    std::vector<double> h;
    auto heardAt = [&](const std::vector<double>& taps, std::size_t n) {
        double sum = 0;
        for (int k = -near; k <= near; ++k) sum += taps[static_cast<std::size_t>(k + near)] * knownAt(n - static_cast<std::size_t>(k));
        return sum;
    };

    // Fits the near taps and the echoes' taps together, the echoes on the
    // direct sound as the near taps so far hear it.
    std::vector<EchoPath> echoes;
    auto refit = [&]() {
        const std::vector<double> heard = h;
        const std::size_t count = nearCount + 2 * echoes.size();
        NormalEquations fit(count);
        std::vector<double> x(count);
        for (std::size_t n = learnBegin; n < learnEnd; n += rowStep) {
            for (int k = -near; k <= near; ++k) x[static_cast<std::size_t>(k + near)] = knownAt(n - static_cast<std::size_t>(k));
            std::size_t i = nearCount;
            for (const EchoPath& echo : echoes)
                for (std::size_t t = 0; t < 2; ++t) x[i++] = heardAt(heard, n - echo.delay - t);
            fit.add(x.data(), received(n));
        }
        std::vector<double> solved;
        if (!fit.solve(solved)) return false;
        h.assign(solved.begin(), solved.begin() + static_cast<std::ptrdiff_t>(nearCount));
        for (std::size_t e = 0; e < echoes.size(); ++e)
            echoes[e].taps[0] = solved[nearCount + 2 * e], echoes[e].taps[1] = solved[nearCount + 2 * e + 1];
        return true;
    };
    if (!refit()) return out;

    // Echoes, one after the other: where what the model leaves over
    // correlates most with the direct sound, at delays an echo can have.
    // The search runs on the two signals summed over `step` samples each (at
    // about 11 kHz: the signal's band stays), then at full rate about its find.
    const std::size_t span = learnEnd - learnBegin;
    const std::size_t step = std::max<std::size_t>(1, rate / 11025);
    std::size_t size = 1;
    while (size < (span + longest) / step + 2) size <<= 1;
    std::vector<double> left(span), direct(span);
    for (int round = 0; round < maxEchoes; ++round) {
        double leftPower = 0, directPower = 0, receivedPower = 0;
        for (std::size_t n = learnBegin; n < learnEnd; ++n) {
            const double heard = heardAt(h, n);
            double rest = received(n) - heard;
            for (const EchoPath& echo : echoes)
                for (std::size_t t = 0; t < 2; ++t) rest -= echo.taps[t] * heardAt(h, n - echo.delay - t);
            leftPower += rest * rest, directPower += heard * heard, receivedPower += received(n) * received(n);
            left[n - learnBegin] = rest, direct[n - learnBegin] = heard;
        }
        // Where the known signal explains little of the recording, the reading does not fit it.
        if (round == 0 && (receivedPower <= 0 || 1 - leftPower / receivedPower < explainedShare)) return out;
        const double norm = std::sqrt(leftPower * directPower);
        if (norm <= 0) break;
        // What is left over and the direct sound, packed into one transform.
        std::vector<Complex> packed(size);
        for (std::size_t i = 0; i < span; ++i) packed[i / step] += Complex(left[i], direct[i]);
        fft(packed, false);
        for (std::size_t k = 0; k <= size / 2; ++k) {
            const std::size_t m = (size - k) % size;
            const Complex zk = packed[k], zm = packed[m];
            const Complex leftK = (zk + std::conj(zm)) * 0.5, directK = (zk - std::conj(zm)) * Complex(0, -0.5);
            const Complex leftM = (zm + std::conj(zk)) * 0.5, directM = (zm - std::conj(zk)) * Complex(0, -0.5);
            packed[k] = leftK * std::conj(directK);
            packed[m] = leftM * std::conj(directM);
        }
        fft(packed, true);
        // packed[lag] is now size times the sum of left[i] direct[i - lag] of the summed signals.
        double coarse = 0;
        std::size_t near = 0;
        auto taken = [&](std::size_t delay) {
            for (const EchoPath& echo : echoes)
                if (delay + 8 * step > echo.delay && delay < echo.delay + 8 * step) return true;
            return false;
        };
        for (std::size_t lag = shortest / step; lag <= longest / step; ++lag) {
            const double value = std::fabs(packed[lag].real());
            if (!taken(lag * step) && value > coarse) coarse = value, near = lag * step;
        }
        // At full rate about that lag.
        auto correlation = [&](std::size_t delay) {
            double sum = 0;
            for (std::size_t i = delay; i < span; ++i) sum += left[i] * direct[i - delay];
            return sum / norm;
        };
        double best = 0;
        std::size_t found = 0;
        for (std::size_t delay = near > 2 * step ? near - 2 * step : 1; delay <= near + 2 * step; ++delay) {
            const double value = std::fabs(correlation(delay));
            if (!taken(delay) && value > best) best = value, found = delay;
        }
        if (best < echoCorrelation || found < 1) break;
        // The two taps: the best delay and the better of its neighbours.
        const double sign = correlation(found) > 0 ? 1 : -1;
        EchoPath echo;
        echo.delay = sign * correlation(found - 1) > sign * correlation(found + 1) ? found - 1 : found;
        echoes.push_back(echo);
        if (!refit()) return out;
    }
    if (echoes.empty()) return out;
    const double loop = loopGain(echoes);
    if (loop > maxLoopGain)
        for (EchoPath& echo : echoes)
            for (double& tap : echo.taps) tap *= maxLoopGain / loop;

    const std::size_t lead = static_cast<std::size_t>(leadSeconds * rate);
    out.begin = std::max(from, learnBegin > lead ? learnBegin - lead : 0);
    out.readTo = std::max(until, learnEnd);
    out.echoes = std::move(echoes);
    return out;
}

std::vector<std::uint8_t> cancelEchoes(ByteView samples, const LearntEchoes& learnt, std::size_t end) {
    // What it put out, delayed by each echo, is taken off; it keeps as much
    // of what it put out as the longest echo reaches back.
    const std::size_t begin = learnt.begin;
    end = std::min(end, samples.size);
    if (end <= begin) return {};
    std::size_t longest = 0;
    for (const EchoPath& echo : learnt.echoes) longest = std::max(longest, echo.delay + 1);
    std::size_t ringSize = 1;
    while (ringSize <= longest) ringSize <<= 1;
    std::vector<float> ring(ringSize, 0);
    const std::size_t mask = ringSize - 1;
    std::vector<std::uint8_t> out(end - begin);
    for (std::size_t n = begin; n < end; ++n) {
        double value = samples[n] - 128.0;
        for (const EchoPath& echo : learnt.echoes)
            for (std::size_t t = 0; t < 2; ++t)
                if (n - begin >= echo.delay + t) value -= echo.taps[t] * ring[(n - echo.delay - t) & mask];
        ring[n & mask] = static_cast<float>(value);
        out[n - begin] = static_cast<std::uint8_t>(std::clamp(std::lround(128 + value), 0L, 255L));
    }
    return out;
}
