#include "tape/RecordingDiagnosis.h"

#include <algorithm>
#include <cmath>

#include "tape/AudioFormat.h"
#include "tape/BandEdge.h"
#include "tape/LevelEnvelope.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeListing.h"
#include "tape/TapeRecord.h"

namespace {
constexpr double centre = 0x80;
constexpr double fullScale = 0x80;
constexpr double pi = 3.14159265358979323846;
constexpr int bitsPerByte = 8;
// The lead-in is measured as the listing measures its noise: without its
// first bytes (a recorder may still be starting) and the last before the sync.
constexpr int skippedLeadInBytes = 8;
constexpr int bytesBeforeSyncLeftOut = 3;
constexpr int leastLeadInCells = 64;

// Thresholds, measured on the encoder's own signal (lead-in peak 80 %, mean
// 0.3 % below the centre, 0.1 % fast, hum 77 dB down, no sample at full scale)
// and on it worn by hiss of half and of the whole peak (peak 91 to 94 %, mean
// within 0.2 %, 0.1 % fast, hum at 50 or 60 Hz 43 dB down or more, none at
// full scale):
constexpr double lowPeakPercent = 20;      // below it the 8 bits leave too few steps
constexpr double clippedPercent = 0.5;     // share of samples at 0 or 255
constexpr double offsetPercent = 5;        // the lead-in's mean off the centre
constexpr double speedNotePercent = 3;     // decks differ by up to 2 %
constexpr double speedWarningPercent = 10; // beyond it the readers' margin ends
// The swing reads 0 on the clean signal, 1.2 % on hiss of half the peak alone
// and 2.7 % on hiss of the whole peak; a swing of 5 % reads as 5.0 %, with
// hiss of half the peak 5.1 %. The readers follow 5 % at 2 Hz, not 10 %.
constexpr double flutterNotePercent = 3.5;
constexpr double flutterWarningPercent = 6;
constexpr double humNoteDecibels = 30;     // hum closer to the signal than this is shown
constexpr double humWarningDecibels = 12;  // and a warning closer than this
constexpr double phoneBandHertz = 4000;    // a band edge below it is a phone call's
// The level over time (LevelEnvelope.h): its 100 ms blocks swing by 0.6 dB
// at most over a record of the encoder's signal, worn or not (hiss up to half
// the peak, dull highs, drift, dips to half, wobble), and a pause's hiss
// climbs by 0.2 dB at most; a compander of 1 s attack swings a record by
// 5 dB (one of 0.3 s by 3 dB), and companders, a level normaliser and a
// compressor with make-up gain raise the hiss of a pause by 7 to 12 dB. The
// hiss of a worn pause lies within 2 dB of the noise under the lead-in; a
// gate puts it 24 dB below or into digital silence. A dip to half the level
// lies 6 dB down, one to 0.3 10.5 dB; a dropout to the hiss 13 to 26 dB.
constexpr double swingNoteDecibels = 3;
constexpr double swingWarningDecibels = 10;   // the quiet stretches within 10 dB of the exact reader's trigger
constexpr double floorRiseDecibels = 4;
constexpr double gateDecibels = 10;
constexpr double dropoutDecibels = 12;
constexpr std::size_t listedDropouts = 5;    // per record; then how many more
constexpr int pauseMarginsPerSecond = 10;    // 100 ms at each end of a pause left out
constexpr int leastPauseBlocks = 3;
// Music between programs crosses the centre 900 to 1900 times a second; the
// hiss of a pause 4300 to 21000 times, pulled up by a compander or not.
constexpr double leastHissCrossings = 3000;
constexpr double roundingNoise = 1.0 / 12;   // of 8-bit samples, in steps squared
constexpr std::size_t pauseSeconds = 3;


// "4", or below 10 with one decimal and a comma: "0,6".
std::string percentText(double value) {
    value = std::fabs(value);
    if (value >= 9.95 || std::fabs(value - std::round(value)) < 0.05) return std::to_string(std::lround(value));
    const long tenths = std::lround(value * 10);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// The power of the tone at `hertz` over the samples [from, to), as the
// squared amplitude over two (Goertzel).
double tonePower(ByteView samples, std::size_t from, std::size_t to, double hertz, std::uint32_t rate, double mean) {
    const double coefficient = 2 * std::cos(2 * pi * hertz / rate);
    double older = 0, old = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double value = samples[i] - mean + coefficient * old - older;
        older = old, old = value;
    }
    const double count = static_cast<double>(to - from);
    const double magnitude = old * old + older * older - coefficient * old * older;
    return 2 * magnitude / (count * count);
}

// The swing of the lead-in's period, in % (the amplitude of a sine of that
// spread). The tone is smoothed over half a cell first, which keeps its
// fundamental and takes most of the hiss; then its rising crossings after it
// fell by half its RMS below the mean, the median period of each run of 16 (a
// crossing added by noise splits one period and leaves the median as it is),
// and the spread of those medians about their mean. 0 where too few runs.
double periodSwing(ByteView samples, std::size_t from, std::size_t to, double mean, double cell) {
    constexpr std::size_t run = 16, leastRuns = 8;
    const std::size_t width = std::max<std::size_t>(1, static_cast<std::size_t>(std::lround(cell / 2)));
    if (to < from + width + 1) return 0;
    std::vector<double> smooth;
    double sum = 0, squares = 0;
    for (std::size_t i = from; i < from + width; ++i) sum += samples[i] - mean;
    for (std::size_t i = from + width; i < to; ++i) {
        smooth.push_back(sum);
        squares += sum * sum;
        sum += samples[i] - samples[i - width];
    }
    const double hysteresis = std::sqrt(squares / smooth.size()) / 2;
    std::vector<double> crossings;
    bool armed = false;
    for (std::size_t i = 1; i < smooth.size(); ++i) {
        const double value = smooth[i], before = smooth[i - 1];
        if (value <= -hysteresis) armed = true;
        if (armed && before < 0 && value >= 0) {
            crossings.push_back(static_cast<double>(i - 1) + -before / (value - before));
            armed = false;
        }
    }
    std::vector<double> medians, periods(run);
    for (std::size_t k = 0; k + run < crossings.size(); k += run) {
        for (std::size_t j = 0; j < run; ++j) periods[j] = crossings[k + j + 1] - crossings[k + j];
        std::nth_element(periods.begin(), periods.begin() + run / 2, periods.end());
        medians.push_back(periods[run / 2]);
    }
    if (medians.size() < leastRuns) return 0;
    double total = 0, totalSquares = 0;
    for (double median : medians) total += median, totalSquares += median * median;
    const double count = static_cast<double>(medians.size()), average = total / count;
    const double spread = std::sqrt(std::max(0.0, totalSquares / count - average * average));
    return 100 * std::sqrt(2.0) * spread / average;
}

Finding finding(FindingKind kind, FindingSeverity severity, double figure, std::size_t where, std::string text) {
    return Finding{kind, severity, figure, where, 0, std::move(text)};
}

// "-0,98".
std::string signedHundredthsText(double value) {
    const long hundredths = std::lround(std::fabs(value) * 100);
    const std::string digits = std::to_string(hundredths % 100);
    return (value < 0 && hundredths ? "-" : "") + std::to_string(hundredths / 100) + "," +
           (digits.size() < 2 ? "0" : "") + digits;
}

// "4,1" kHz of `hertz`.
std::string kilohertzText(double hertz) {
    const long tenths = std::lround(hertz / 100);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10);
}

// Even a phone call's band, which leaves only the lead-in's fundamental,
// still reads under hiss of 90 % of the peak: a note. Where the record did not
// read whole, the band may be why (a low-rate codec smears the bits too): a
// warning, and no word that it still reads.
Finding bandLimitFinding(const BandEdge& edge, std::size_t start, bool whole) {
    const std::string band = "(nichts über " + kilohertzText(edge.hertz) + " kHz)";
    const std::string reads = whole ? " – liest sich noch; " : " – ";
    return finding(FindingKind::BandLimit, whole ? FindingSeverity::Note : FindingSeverity::Warning,
                   std::round(edge.hertz / 100) / 10, start,
                   edge.hertz < phoneBandHertz
                       ? "Nur Telefonband " + band + reads + "direkt per Kabel als WAV aufnehmen, "
                                                             "nicht über Telefon oder Sprach-App"
                       : "Verlustbehaftet komprimiert oder gefiltert " + band + reads +
                             (whole ? "besser " : "") + "als WAV oder FLAC aufnehmen");
}

const char* const gainControlAdvice = " – in der Aufnahme-App bzw. im Betriebssystem ausschalten";
const char* const dropoutAdvice = " – Band oder Tonkopf reinigen, andere Kopie versuchen";

std::string decibelText(double value) { return std::to_string(std::lround(value)) + " dB"; }

// The level over [from, to) of a record: a gain control that makes it swing,
// and its dropouts (the first few, then how many more).
// `offset`: where the samples begin in the recording, for the times named.
void addLevelFindings(ByteView samples, std::uint32_t rate, std::size_t from, std::size_t to, std::size_t offset,
                      std::vector<Finding>& findings) {
    const LevelEnvelope envelope = levelEnvelope(samples, from, to, rate);
    const std::vector<float> blocks = blockLevels(envelope);
    const std::vector<LevelSpan> dropouts = findDropouts(envelope, blocks, dropoutDecibels);
    const LevelSpan swing = levelSwing(envelope, blocks, dropouts);
    if (swing.decibels >= swingNoteDecibels) {
        const bool warn = swing.decibels >= swingWarningDecibels;
        findings.push_back(Finding{FindingKind::GainControl, warn ? FindingSeverity::Warning : FindingSeverity::Note,
                                   swing.decibels, swing.where, swing.length,
                                   "Automatische Aussteuerung erkannt: Pegel schwankt um " +
                                       decibelText(swing.decibels) + gainControlAdvice});
    }
    for (std::size_t i = 0; i < std::min(dropouts.size(), listedDropouts); ++i) {
        const LevelSpan& dropout = dropouts[i];
        const long milliseconds = std::lround(1000.0 * static_cast<double>(dropout.length) / rate);
        findings.push_back(Finding{FindingKind::Dropout, FindingSeverity::Warning, dropout.decibels, dropout.where,
                                   dropout.length,
                                   "Aussetzer bei " + tapeTime(offset + dropout.where, rate) + " (" +
                                       std::to_string(milliseconds) + " ms, " + decibelText(dropout.decibels) +
                                       " tief)" + dropoutAdvice});
    }
    if (dropouts.size() > listedDropouts) {
        const LevelSpan& next = dropouts[listedDropouts];
        const LevelSpan& last = dropouts.back();
        findings.push_back(Finding{FindingKind::Dropout, FindingSeverity::Warning, next.decibels, next.where,
                                   last.where + last.length - next.where,
                                   "Noch " + std::to_string(dropouts.size() - listedDropouts) +
                                       " weitere Aussetzer bis " + tapeTime(offset + last.where, rate) + dropoutAdvice});
    }
}

// The power of the noise under a record's lead-in (its power over one plus
// the listing's signal-to-noise ratio), or 0 where it is too weak to tell.
// How often the samples within [from, to) change sides of the centre, per
// second; samples on it do not count.
double crossingsPerSecond(ByteView samples, std::size_t from, std::size_t to, std::uint32_t rate) {
    std::size_t crossings = 0;
    int side = 0;
    for (std::size_t i = from; i < to; ++i) {
        const int value = samples[i] - 0x80;
        if (value == 0) continue;
        crossings += side != 0 && (value > 0) != (side > 0);
        side = value;
    }
    return to > from ? static_cast<double>(crossings) * rate / static_cast<double>(to - from) : 0;
}

// The lead-in as it is measured, in samples: from `start` without its first
// bytes to the sync without the last bytes before it (empty where too short).
struct LeadInSpan {
    double first, last;
};
LeadInSpan measuredLeadIn(const DecodedRecord& record, std::size_t start, std::uint32_t rate, std::size_t size) {
    const double byte = recordCellLength(record, rate) * bitsPerByte;
    return {static_cast<double>(start) + byte * skippedLeadInBytes,
            static_cast<double>(std::min(record.syncPosition, size)) - byte * bytesBeforeSyncLeftOut};
}

// The power of the last half second of a record's lead-in before its sync,
// 0 where the lead-in is too short.
double leadInPower(ByteView samples, std::uint32_t rate, const DecodedRecord& record, std::size_t start) {
    const LeadInSpan lead = measuredLeadIn(record, start, rate, samples.size);
    const double first = std::max(lead.first, lead.last - rate / 2.0);
    if (lead.last <= first) return 0;
    return medianPower(levelEnvelope(samples, static_cast<std::size_t>(first), static_cast<std::size_t>(lead.last), rate));
}

double noiseUnderLeadIn(ByteView samples, std::uint32_t rate, const DecodedRecord& record, std::size_t start) {
    const SignalFigures figures = measureSignal(samples, record, start, rate);
    if (!figures.noiseKnown || figures.signalToNoise >= maxSignalToNoise) return 0;
    return leadInPower(samples, rate, record, start) / (1 + std::pow(10.0, figures.signalToNoise / 10.0));
}

}

double leadInNoise(ByteView samples, std::uint32_t rate, const DecodedRecord& record, std::size_t start) {
    return noiseUnderLeadIn(samples, rate, record, start);
}

std::optional<std::size_t> pauseAfter(std::uint32_t rate, const DecodedRecord& before, const DecodedRecord& after) {
    // Behind a record not read to its end lies the rest of its signal.
    if (before.status != DecodeStatus::Ok || !foundRecord(after)) return std::nullopt;
    return before.endPosition + rate / pauseMarginsPerSecond;
}

std::size_t pauseSamples(std::uint32_t rate) { return pauseSeconds * rate + 2 * (rate / pauseMarginsPerSecond); }

// A gain control pulls the hiss of a pause up after the signal stops, a
// noise gate puts it far below the noise under the signal. Its first
// seconds, where a gain control lets go and a gate shuts; what a side holds
// later on is left to the next lead-in.
void weighPause(ByteView samples, std::size_t offset, std::uint32_t rate, const DecodedRecord& before,
                const DecodedRecord& after, std::size_t afterStart, double noiseBefore, double noiseAfter,
                PauseFindings& found) {
    const std::size_t margin = rate / pauseMarginsPerSecond;
    const std::optional<std::size_t> pause = pauseAfter(rate, before, after);
    if (!pause) return;
    const std::size_t from = *pause;
    if (afterStart < from + margin) return;
    const std::size_t to = std::min(afterStart - margin, from + pauseSeconds * rate);
    const LevelEnvelope envelope = levelEnvelope(samples, from - offset, to - offset, rate);
    const std::vector<float> blocks = blockLevels(envelope);
    if (blocks.size() < leastPauseBlocks) return;
    const double noise = std::min(noiseBefore, noiseAfter);
    const double floor = medianPower(envelope);
    const double below = noise > 0 ? decibels(noise, floor) : 0;
    if (below >= gateDecibels) {
        if (!found.gate || below > found.gate->figure)
            // Hiss held down to below the 8 bits' rounding is digital
            // silence, which a file made digitally (resampled, through a
            // codec) has too, while its "noise" is what the chain left on
            // the tone: there the line asks rather than tells.
            found.gate = Finding{FindingKind::NoiseGate, FindingSeverity::Note, below, from,
                                 envelope.power.size() * envelope.window,
                                 floor >= roundingNoise
                                     ? "Rauschunterdrückung erkannt: Pausen " + decibelText(below) +
                                           " leiser als das Rauschen im Signal – in der Aufnahme-App bzw. im "
                                           "Betriebssystem ausschalten"
                                     : std::string("Pausen digital still, obwohl das Signal rauscht – "
                                                   "Rauschunterdrückung? Dann in der Aufnahme-App bzw. im "
                                                   "Betriebssystem ausschalten")};
        return;
    }
    // Speech or music is no hiss to watch: its tones cross the centre
    // seldom, where hiss, pulled up by a gain control or not, crosses it
    // thousands of times a second.
    if (crossingsPerSecond(samples, from - offset, to - offset, rate) < leastHissCrossings) return;
    LevelSpan climb = floorRise(envelope, blocks);
    climb.where += offset;
    if (climb.decibels >= floorRiseDecibels && (!found.rise || climb.decibels > found.rise->figure))
        found.rise = Finding{FindingKind::GainControl, FindingSeverity::Note, climb.decibels, climb.where, climb.length,
                             "Automatische Aussteuerung erkannt: Rauschen steigt in der Pause bei " +
                                 tapeTime(from, rate) + " um " + decibelText(climb.decibels) + gainControlAdvice};
}

void addPauseFindings(const PauseFindings& found, std::vector<Finding>& findings) {
    if (found.rise) findings.push_back(*found.rise);
    if (found.gate) findings.push_back(*found.gate);
}

namespace {
// The pauses between records, one finding of each kind from the pause where
// it shows most. The stretches before the first record and after the last
// are left out: there the recorder may not have run yet.
void addPauseFindings(ByteView samples, std::uint32_t rate, const std::vector<DecodedRecord>& records,
                      const std::vector<std::size_t>& starts, std::vector<Finding>& findings) {
    PauseFindings found;
    for (std::size_t r = 1; r < records.size(); ++r) {
        if (!pauseAfter(rate, records[r - 1], records[r])) continue;
        weighPause(samples, 0, rate, records[r - 1], records[r], starts[r],
                   noiseUnderLeadIn(samples, rate, records[r - 1], starts[r - 1]),
                   noiseUnderLeadIn(samples, rate, records[r], starts[r]), found);
    }
    addPauseFindings(found, findings);
}
}

std::vector<Finding> diagnoseRecord(ByteView samples, std::uint32_t rate, const DecodedRecord& record,
                                    std::size_t start) {
    return diagnoseHeldRecord(samples, 0, rate, record, start);
}

std::vector<Finding> diagnoseHeldRecord(ByteView samples, std::size_t heldFrom, std::uint32_t rate,
                                        const DecodedRecord& record, std::size_t start) {
    std::vector<Finding> findings;
    if (!foundRecord(record) || rate == 0) return findings;
    const double cell = recordCellLength(record, rate);
    const auto [first, last] = measuredLeadIn(record, start, rate, samples.size);
    if (last - first < cell * leastLeadInCells) return findings;
    const std::size_t from = static_cast<std::size_t>(std::ceil(first)), to = static_cast<std::size_t>(last);

    double sum = 0, squares = 0;
    int peak = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double value = samples[i] - centre;
        sum += value, squares += value * value;
        peak = std::max(peak, std::abs(samples[i] - 0x80));
    }
    const double count = static_cast<double>(to - from);
    const double mean = sum / count;
    const double power = squares / count - mean * mean;

    const double peakPercent = 100 * peak / fullScale;
    if (peakPercent < lowPeakPercent)
        findings.push_back(finding(FindingKind::LowLevel, FindingSeverity::Warning, peakPercent, start,
                                   "Pegel zu niedrig: Spitze " + percentText(peakPercent) +
                                       " % – Aufnahmepegel erhöhen"));

    // Clipping over the whole record, not only its lead-in.
    const std::size_t end = std::min(record.endPosition, samples.size);
    std::size_t clipped = 0;
    for (std::size_t i = start; i < end; ++i) clipped += samples[i] == 0 || samples[i] == 0xFF;
    const double clippedShare = end > start ? 100.0 * clipped / (end - start) : 0;
    if (clippedShare >= clippedPercent)
        findings.push_back(finding(FindingKind::Clipping, FindingSeverity::Warning, clippedShare, start,
                                   "Übersteuert: " + percentText(clippedShare) +
                                       " % der Abtastwerte am Anschlag – Aufnahmepegel senken"));

    const double offset = 100 * mean / fullScale;
    if (std::fabs(offset) >= offsetPercent)
        findings.push_back(finding(FindingKind::DcOffset, FindingSeverity::Note, offset, start,
                                   "Nullpunkt um " + percentText(offset) + " % nach " +
                                       (offset > 0 ? "oben" : "unten") +
                                       " verschoben (Gleichspannung) – liest sich noch"));

    // Fewer samples per cell than nominal: the tape ran fast.
    const double speed = 100 * (leadInCellSamplesAt(rate) / cell - 1);
    if (std::fabs(speed) >= speedNotePercent) {
        const bool warn = std::fabs(speed) > speedWarningPercent;
        findings.push_back(finding(FindingKind::Speed, warn ? FindingSeverity::Warning : FindingSeverity::Note, speed,
                                   start,
                                   "Band läuft " + percentText(speed) + " % zu " + (speed > 0 ? "schnell" : "langsam") +
                                       (warn ? " – Geschwindigkeit des Rekorders einstellen" : " – liest sich noch")));
    }

    const double swing = periodSwing(samples, from, to, centre + mean, cell);
    if (swing >= flutterNotePercent) {
        const bool warn = swing > flutterWarningPercent;
        findings.push_back(finding(FindingKind::Flutter, warn ? FindingSeverity::Warning : FindingSeverity::Note, swing,
                                   start,
                                   "Gleichlauf schwankt um ±" + percentText(swing) +
                                       " % – Antrieb des Rekorders prüfen (Riemen, Andruckrolle)"));
    }

    // Mains hum: the stronger of 50 and 60 Hz with their second and third harmonics.
    double humPower = 0;
    int humHz = 0;
    for (int mains : {50, 60}) {
        double total = 0;
        for (int harmonic = 1; harmonic <= 3; ++harmonic)
            total += tonePower(samples, from, to, mains * harmonic, rate, centre + mean);
        if (total > humPower) humPower = total, humHz = mains;
    }
    if (humPower > 0 && power > humPower) {
        const double below = 10 * std::log10((power - humPower) / humPower);
        if (below < humNoteDecibels) {
            const bool warn = below < humWarningDecibels;
            findings.push_back(finding(FindingKind::Hum, warn ? FindingSeverity::Warning : FindingSeverity::Note, below,
                                       start,
                                       "Brumm " + std::to_string(humHz) + " Hz, " + std::to_string(std::lround(below)) +
                                           " dB unter dem Signal – Masseschleife?"));
        }
    } else if (humPower > 0) {
        findings.push_back(finding(FindingKind::Hum, FindingSeverity::Warning, 0, start,
                                   "Brumm " + std::to_string(humHz) + " Hz, so laut wie das Signal – Masseschleife?"));
    }

    const BandEdge edge = findBandEdge(samples, from, to, rate, cell);
    if (edge.found)
        findings.push_back(bandLimitFinding(edge, start, readWhole(record)));

    if (record.inverted)
        findings.push_back(finding(FindingKind::Inverted, FindingSeverity::Note, 0, start,
                                   "Polarität umgekehrt aufgenommen – liest sich noch"));
    addLevelFindings(samples, rate, from, end, heldFrom, findings);
    for (Finding& finding : findings)
        if (finding.where) *finding.where += heldFrom;
    return findings;
}

std::vector<std::vector<Finding>> diagnoseRecording(ByteView samples, std::uint32_t rate,
                                                    const std::vector<DecodedRecord>& records) {
    return diagnoseRecording(samples, rate, records, recordStarts(records, rate));
}

std::vector<std::vector<Finding>> diagnoseRecording(ByteView samples, std::uint32_t rate,
                                                    const std::vector<DecodedRecord>& records,
                                                    const std::vector<std::size_t>& starts) {
    std::vector<std::vector<Finding>> findings;
    for (std::size_t i = 0; i < records.size(); ++i)
        findings.push_back(diagnoseRecord(samples, rate, records[i], starts[i]));
    return findings;
}

SourceFacts sourceFactsOf(const WavSamples& wav) {
    SourceFacts facts;
    facts.fileRate = wav.fileRate;
    facts.channels = wav.channels;
    return facts;
}

namespace {
// The readers work at 22050 and 44100. A file at 8000 (only the lead-in's
// fundamental fits) still reads under hiss of 90 % of the peak; below it is untried.
constexpr std::uint32_t lowRateNote = 22050;
constexpr std::uint32_t lowRateWarning = 8000;
// A channel this far below the taken one carries no signal, only hiss or crosstalk.
constexpr double silentChannelDecibels = -20;
// Two channels this alike in level and this opposed cancel when mixed to mono.
constexpr double oppositeCorrelation = -0.5;
constexpr double alikeChannelDecibels = -10;

std::string channelName(std::size_t channel) {
    return channel == 0 ? "im linken Kanal" : channel == 1 ? "im rechten Kanal" : "in Kanal " + std::to_string(channel + 1);
}

}

std::vector<Finding> sourceFindings(const SourceFacts& source, bool allWhole) {
    std::vector<Finding> findings;
    if (source.fileRate > 0 && source.fileRate < lowRateNote) {
        const bool warn = source.fileRate < lowRateWarning || !allWhole;
        findings.push_back(Finding{FindingKind::LowRate, warn ? FindingSeverity::Warning : FindingSeverity::Note,
                                   static_cast<double>(source.fileRate), std::nullopt, 0,
                                   "Abtastrate nur " + std::to_string(source.fileRate) + " Hz" +
                                       (source.fileRate < lowRateWarning ? ", zu niedrig für das Signal" : "") +
                                       " – mit 44,1 kHz aufnehmen" + (warn ? "" : "; liest sich noch")});
    }
    const ChannelFacts& channels = source.channels;
    if (channels.count < 2) return findings;
    if (channels.otherDecibels <= silentChannelDecibels)
        findings.push_back(Finding{FindingKind::OneChannel, FindingSeverity::Note, channels.otherDecibels, std::nullopt, 0,
                                   "Signal nur " + channelName(channels.taken) + " – liest sich; Kabel auf Mono prüfen"});
    else if (channels.otherDecibels > alikeChannelDecibels && channels.correlation <= oppositeCorrelation)
        findings.push_back(Finding{FindingKind::OppositePhase, FindingSeverity::Note, channels.correlation, std::nullopt, 0,
                                   "Kanäle gegenphasig (Korrelation " + signedHundredthsText(channels.correlation) +
                                       ") – zu Mono gemischt löschen sie sich aus; bv7 liest einen Kanal, "
                                       "besser nur einen Kanal aufnehmen oder ein Mono-Kabel nehmen"});
    return findings;
}

RecordingFindings diagnoseWhole(ByteView samples, std::uint32_t rate, const SourceFacts& source,
                                const std::vector<DecodedRecord>& records) {
    return diagnoseWhole(samples, rate, source, records, recordStarts(records, rate));
}

RecordingFindings diagnoseWhole(ByteView samples, std::uint32_t rate, const SourceFacts& source,
                                const std::vector<DecodedRecord>& records, const std::vector<std::size_t>& starts) {
    RecordingFindings findings;
    findings.whole = sourceFindings(source, std::all_of(records.begin(), records.end(), readWhole));
    findings.perRecord = diagnoseRecording(samples, rate, records, starts);
    addPauseFindings(samples, rate, records, starts, findings.whole);
    return findings;
}

std::string findingLine(const Finding& finding) {
    return (finding.severity == FindingSeverity::Warning ? "Warnung: " : "Hinweis: ") + finding.text;
}
