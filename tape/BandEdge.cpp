#include "tape/BandEdge.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <vector>

namespace {
constexpr double fullTurn = 2 * 3.14159265358979323846;   // 2 pi, a whole circle in radians
constexpr std::size_t segments = 24;        // half-overlapping, about 0.3 s of the lead-in
constexpr double leastBinsPerHertz = 1.0 / 50;
constexpr double usedBandShare = 0.95;      // of half the rate: resamplers roll off at its end
// Lines up to the first one above 16 kHz (the 11th, 17.3 kHz at the
// nominal speed): a lossy codec at a middle rate cuts there, which does not
// hinder reading but tells how the file was made.
constexpr double highestLineHertz = 17500;
// How far each harmonic stands out of its surroundings, 1st, 3rd, 5th, 7th
// (dB): the encoder's own signal 72 66 66 78; sox's gentle lowpass at 4 kHz
// 68 53 39 28; worn (hiss of 30 to 50 % of the peak, lowpass 4 to 6 kHz,
// wow) 28 to 34, 14 to 21, 6 to 11, 6 (at most 14 dB from one to all
// beyond it); a sharp filter at 5 kHz 67 57 6 6, MP3 at 32 kbit/s 58 50 52 6,
// Opus at 16 kbit/s 57 43 33 7 (it fills the band above with noise). An edge:
// a fall by this much to all harmonics beyond, none of which stands out more.
constexpr double edgeDropDecibels = 20;
constexpr double absentLineDecibels = 12;
// The edge itself: the highest bin this far above the median beyond it.
constexpr double edgeAboveFloorDecibels = 10;

// In place, radix 2; `values.size()` a power of two.
void transform(std::vector<std::complex<double>>& values) {
    const std::size_t n = values.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(values[i], values[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> step = std::polar(1.0, -fullTurn / static_cast<double>(length));
        for (std::size_t start = 0; start < n; start += length) {
            std::complex<double> twiddle = 1;
            for (std::size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> odd = values[start + k + length / 2] * twiddle;
                values[start + k + length / 2] = values[start + k] - odd;
                values[start + k] += odd;
                twiddle *= step;
            }
        }
    }
}

// The power in each bin of `length` samples' spectrum for each of a few
// half-overlapping Hann-windowed segments of [from, to), each without its mean.
std::vector<std::vector<double>> segmentSpectra(ByteView samples, std::size_t from, std::size_t to, std::size_t length) {
    std::vector<double> window(length);
    for (std::size_t i = 0; i < length; ++i) window[i] = 0.5 - 0.5 * std::cos(fullTurn * i / length);
    std::vector<std::complex<double>> values(length);
    std::vector<std::vector<double>> spectra;
    for (std::size_t start = from; start + length <= to && spectra.size() < segments; start += length / 2) {
        double mean = 0;
        for (std::size_t i = 0; i < length; ++i) mean += samples[start + i];
        mean /= static_cast<double>(length);
        for (std::size_t i = 0; i < length; ++i) values[i] = (samples[start + i] - mean) * window[i];
        transform(values);
        std::vector<double> power(length / 2);
        for (std::size_t bin = 0; bin < power.size(); ++bin) power[bin] = std::norm(values[bin]);
        spectra.push_back(std::move(power));
    }
    return spectra;
}

double medianOf(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
    return values[values.size() / 2];
}
}

BandEdge findBandEdge(ByteView samples, std::size_t from, std::size_t to, std::uint32_t rate, double cell) {
    BandEdge edge;
    if (rate == 0 || cell <= 0 || to > samples.size || from >= to) return edge;
    std::size_t length = 256;
    while (static_cast<double>(length) < rate * leastBinsPerHertz && length < 8192) length *= 2;
    const std::vector<std::vector<double>> spectra = segmentSpectra(samples, from, to, length);
    if (spectra.empty()) return edge;
    std::vector<double> power(length / 2, 0.0);
    for (const std::vector<double>& spectrum : spectra)
        for (std::size_t bin = 0; bin < power.size(); ++bin) power[bin] += spectrum[bin] / static_cast<double>(spectra.size());
    const double binHertz = static_cast<double>(rate) / static_cast<double>(length);
    const double tone = rate / cell;
    auto binOf = [&](double hertz) { return std::min(power.size(), static_cast<std::size_t>(std::lround(hertz / binHertz))); };

    // How far each odd harmonic stands out of what lies about it: the
    // strongest bin within half the tone of it in each segment (which follows
    // a line that wow moves), against the median of the average there.
    std::vector<double> line;
    const double nyquist = usedBandShare * rate / 2;
    std::size_t top = 0;
    for (int k = 1; k * tone <= highestLineHertz && (k + 0.5) * tone <= nyquist; k += 2) {
        const std::size_t low = binOf((k - 0.5) * tone), high = binOf((k + 0.5) * tone);
        if (high <= low) break;
        top = high;
        double peaks = 0;
        for (const std::vector<double>& spectrum : spectra)
            peaks += *std::max_element(spectrum.begin() + static_cast<long>(low), spectrum.begin() + static_cast<long>(high));
        const double around = medianOf(std::vector<double>(power.begin() + static_cast<long>(low), power.begin() + static_cast<long>(high)));
        line.push_back(10 * std::log10(std::max(peaks / static_cast<double>(spectra.size()), 1e-12) / std::max(around, 1e-12)));
    }
    // The sharpest fall: from one harmonic to the clearest of all beyond it,
    // where none beyond stands out.
    std::size_t below = 0;
    double drop = 0;
    for (std::size_t j = 0; j + 1 < line.size(); ++j) {
        const double beyond = *std::max_element(line.begin() + static_cast<long>(j) + 1, line.end());
        if (line[j] - beyond > drop && beyond <= absentLineDecibels) drop = line[j] - beyond, below = j;
    }
    edge.drop = drop;
    if (drop < edgeDropDecibels) return edge;
    edge.found = true;
    edge.lastHarmonic = static_cast<int>(2 * below + 1);

    // Beyond the first harmonic taken: the floor. Between the last one carried
    // and it, the highest bin well above that floor ends the band (a codec's
    // noise reaches up to its edge; a clean tone has nothing between its harmonics).
    const std::size_t taken = binOf((edge.lastHarmonic + 2) * tone);
    const double floor = medianOf(std::vector<double>(power.begin() + static_cast<long>(taken), power.begin() + static_cast<long>(std::max(top, taken))));
    const double threshold = floor * std::pow(10, edgeAboveFloorDecibels / 10);
    std::size_t bin = std::min(taken, power.size() - 1);
    while (bin > binOf(edge.lastHarmonic * tone) && !(power[bin] > threshold)) --bin;
    edge.hertz = (static_cast<double>(bin) + 0.5) * binHertz;
    return edge;
}
