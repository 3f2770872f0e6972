#include "tape/RecordingDiagnosis.h"

#include <algorithm>
#include <cmath>

#include "tape/AudioFormat.h"
#include "tape/BandEdge.h"
#include "tape/Equaliser.h"
#include "tape/LevelEnvelope.h"
#include "tape/ReaderFallback.h"
#include "tape/RobustReader.h"
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
// No reader follows a tape half as fast again: a cell that far off was
// measured on a reading out of step (an echo's), not on the tape's speed.
constexpr double speedMeasuredPercent = 50;
// The swing is the bit clock's, locked onto the lead-in (followLeadInClock):
// a swing of 5 % under hiss of half the peak reads about 5 %, one of 8 % at
// 0.5 Hz about 8 %; a phone call's smeared crossings, which the tone's own
// periods took for ±6 to ±10 %, leave the clock steady. The readers follow
// 5 % at 2 Hz, not 10 %.
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
constexpr double gateFallDecibels = 6;   // ffmpeg's agate: 21 dB; a narrow band's steady hiss: 0
constexpr double dropoutDecibels = 12;
constexpr std::size_t listedDropouts = 5;    // per record; then how many more
constexpr int pauseMarginsPerSecond = 10;    // 100 ms at each end of a pause left out
constexpr int leastPauseBlocks = 3;
// Music between programs crosses the centre 900 to 1900 times a second; the
// hiss of a pause 4300 to 21000 times, pulled up by a compander or not.
constexpr double leastHissCrossings = 3000;
constexpr double roundingNoise = 1.0 / 12;   // of 8-bit samples, in steps squared
constexpr std::size_t pauseSeconds = 3;
constexpr std::size_t afterLastSeconds = 1;
// An echo: the signal's level going on behind a record's end within 20 dB
// of it for 30 ms or more (looked at for 400 ms).
constexpr double echoTailDecibels = 20;
constexpr long leastEchoMilliseconds = 30;
constexpr std::size_t echoLookMilliseconds = 400;


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

// A fast gain control, which stood at its loudest over the quiet before a
// record, lets the lead-in set in too loud and takes its level back within
// tens of milliseconds; a tape's lead-in keeps one level from its first cell
// (a late start or a dull head begin it low, a codec as it is). Looked for
// within 100 ms of the record's start, as the tone rises from 6 dB or more
// below its level 50 to 300 ms later; the first 10 ms from there are weighed.
constexpr double pullUpDecibels = 1.5;   // a compander of 10 ms attack: 2 to 6 dB; lead-ins of
                                         // tapes worn, dull, dipping, resampled or coded: 0.4 at most
constexpr std::size_t onsetSearchWindows = 40, pullUpWindows = 4;
constexpr std::size_t settledFromWindows = 20, settledToWindows = 120;

std::optional<Finding> startPulledUp(ByteView samples, std::uint32_t rate, std::size_t start, std::size_t offset) {
    const std::size_t window = envelopeWindow(rate);
    const std::size_t from = start > onsetSearchWindows * window ? start - onsetSearchWindows * window : 0;
    const LevelEnvelope envelope =
        levelEnvelope(samples, from, start + (onsetSearchWindows + settledToWindows) * window, rate);
    const std::vector<float>& power = envelope.power;
    for (std::size_t onset = 2; onset < 2 * onsetSearchWindows && onset + settledToWindows < power.size(); ++onset) {
        std::vector<float> settled(power.begin() + static_cast<std::ptrdiff_t>(onset + settledFromWindows),
                                   power.begin() + static_cast<std::ptrdiff_t>(onset + settledToWindows));
        auto middle = settled.begin() + static_cast<std::ptrdiff_t>(settled.size() / 2);
        std::nth_element(settled.begin(), middle, settled.end());
        const double level = *middle;
        if (level <= 0 || decibels(power[onset], level) < -3) continue;
        // A rise from the quiet, the window across the tone's first cell between them or not.
        if (decibels(std::min(power[onset - 1], power[onset - 2]), level) > -6) return std::nullopt;
        double pulled = 0;
        for (std::size_t w = onset; w < onset + pullUpWindows; ++w) pulled += power[w];
        const double above = decibels(pulled / pullUpWindows, level);
        if (above < pullUpDecibels) return std::nullopt;
        const std::size_t where = envelope.begin(onset);
        return Finding{FindingKind::GainControl, FindingSeverity::Note, above, where, pullUpWindows * window,
                       "Automatische Aussteuerung erkannt: Vorton setzt bei " + tapeTime(offset + where, rate) +
                           " um " + decibelText(above) + " zu laut ein" + gainControlAdvice};
    }
    return std::nullopt;
}

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

// A room's echo: the signal sounds on after the record ends (a phone on the
// table beside the speaker hears the room). Behind a record read to its end,
// the windows right after it that stay within echoTailDecibels of the
// record's level: a cable or a tape stops within a few milliseconds (a
// filter's ringing), an echo of 150 ms at half the level for its length.
void addEchoFinding(ByteView samples, std::uint32_t rate, const DecodedRecord& record, std::vector<Finding>& findings) {
    if (record.status != DecodeStatus::Ok) return;
    const std::size_t end = record.endPosition, before = rate / 2, after = rate * echoLookMilliseconds / 1000;
    if (end < before || end + after > samples.size) return;
    const LevelEnvelope level = levelEnvelope(samples, end - before, end, rate);
    const double reference = medianPower(level);
    if (reference <= 0) return;
    const LevelEnvelope tail = levelEnvelope(samples, end, end + after, rate);
    const double threshold = reference * std::pow(10.0, -echoTailDecibels / 10);
    std::size_t windows = 0;
    while (windows < tail.power.size() && tail.power[windows] >= threshold) ++windows;
    const long milliseconds = std::lround(1000.0 * static_cast<double>(windows * tail.window) / rate);
    if (milliseconds < leastEchoMilliseconds) return;
    const bool whole = readWhole(record);
    // Behind a record with faulty blocks a level that never falls may be the
    // rest of the record itself, its end byte misread.
    if (!whole && windows == tail.power.size()) return;
    findings.push_back(Finding{FindingKind::Echo, whole ? FindingSeverity::Note : FindingSeverity::Warning,
                               static_cast<double>(milliseconds), end, windows * tail.window,
                               "Nachhall: das Signal klingt nach dem Ende noch " + std::to_string(milliseconds) +
                                   " ms nach (Raumecho)" + (whole ? " – liest sich noch; " : " – ") +
                                   "per Kabel aufnehmen, nicht mit dem Telefon vor dem Lautsprecher"});
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

namespace {
// A gain control pulls the hiss of a pause up after the signal stops, a
// noise gate puts it far below the noise under the signal. The stretch
// [from, until) of the recording (`samples` holding it from `offset` on);
// its first seconds, where a gain control lets go and a gate shuts; what a
// side holds later on is left to the next lead-in. Behind the last record
// (`last`) only its first second: the recorder still runs there, and a gate
// shuts or a gain control lets go right as the signal ends. What follows
// may be anything.
void weighStretch(ByteView samples, std::size_t offset, std::uint32_t rate, std::size_t from, std::size_t until,
                  bool last, double noise, PauseFindings& found) {
    const std::size_t margin = rate / pauseMarginsPerSecond;
    if (until < from + margin) return;
    const std::size_t to = std::min(until - margin, from + (last ? afterLastSeconds : pauseSeconds) * rate);
    const LevelEnvelope envelope = levelEnvelope(samples, from - offset, to - offset, rate);
    const std::vector<float> blocks = blockLevels(envelope);
    if (blocks.size() < leastPauseBlocks) return;
    const double floor = medianPower(envelope);
    const double below = noise > 0 ? decibels(noise, floor) : 0;
    // Digital silence behind the last record may as well be a file that
    // ends in silence: there only hiss held down, not taken away, counts.
    if (last && floor < roundingNoise) return;
    // Behind the last record a gate shows as it shuts: the floor falls
    // within the pause's first blocks (its release). A file resampled to
    // a narrow band keeps less hiss in its pauses than the listing
    // measures under the tone (which takes the resampler's distortion
    // for noise), but keeps it steady.
    const bool shuts = !last || decibels(blocks.front(), *std::min_element(blocks.begin() + 1, blocks.end())) >=
                                    gateFallDecibels;
    if (below >= gateDecibels && shuts) {
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
}

void weighPause(ByteView samples, std::size_t offset, std::uint32_t rate, const DecodedRecord& before,
                const DecodedRecord& after, std::size_t afterStart, double noiseBefore, double noiseAfter,
                PauseFindings& found) {
    const std::optional<std::size_t> pause = pauseAfter(rate, before, after);
    if (pause) weighStretch(samples, offset, rate, *pause, afterStart, false, std::min(noiseBefore, noiseAfter), found);
}

void weighLastPause(ByteView samples, std::size_t offset, std::uint32_t rate, const DecodedRecord& last,
                    std::size_t until, double noise, PauseFindings& found) {
    // Behind a record not read to its end lies the rest of its signal.
    if (last.status != DecodeStatus::Ok) return;
    weighStretch(samples, offset, rate, last.endPosition + rate / pauseMarginsPerSecond, until, true, noise, found);
}

void addPauseFindings(const PauseFindings& found, std::vector<Finding>& findings) {
    if (found.rise) findings.push_back(*found.rise);
    if (found.gate) findings.push_back(*found.gate);
}

namespace {
// The pauses between records and the second behind the last, one finding of
// each kind from the pause where it shows most. The stretch before the first
// record is left out: there the recorder may not have run yet.
void addPauseFindings(ByteView samples, std::uint32_t rate, const std::vector<DecodedRecord>& records,
                      const std::vector<std::size_t>& starts, std::vector<Finding>& findings) {
    PauseFindings found;
    for (std::size_t r = 1; r < records.size(); ++r) {
        if (!pauseAfter(rate, records[r - 1], records[r])) continue;
        weighPause(samples, 0, rate, records[r - 1], records[r], starts[r],
                   noiseUnderLeadIn(samples, rate, records[r - 1], starts[r - 1]),
                   noiseUnderLeadIn(samples, rate, records[r], starts[r]), found);
    }
    if (!records.empty())
        weighLastPause(samples, 0, rate, records.back(), samples.size,
                       noiseUnderLeadIn(samples, rate, records.back(), starts.back()), found);
    addPauseFindings(found, findings);
}
}

namespace {
// A record not read whole may not show its end: there the echo is told from
// what the equaliser learns of the record's known signal (Equaliser.h), which
// finds the room's echo and none on a codec's, a phone call's or a worn
// tape's recording (0.01 of the level at most). The level an echo of
// strength a beats against swings by up to 20 log10((1 + a) / (1 - a)) dB: a
// swing within that is the echo's doing, not a gain control's.
constexpr double learntEchoShare = 0.1;
constexpr double learntEchoSeconds = 0.02;

void addLearntEchoFinding(ByteView samples, std::uint32_t rate, const DecodedRecord& record, std::size_t start,
                          std::vector<Finding>& findings) {
    // A dropout spoils a block or two of a record read to its end; an echo
    // that hides the end, or half the blocks, is worth the learning.
    if (readWhole(record) || (record.status == DecodeStatus::Ok && 2 * record.faulty <= record.blocks)) return;
    for (const Finding& finding : findings)
        if (finding.kind == FindingKind::Echo) return;
    const LearntEchoes learnt = learnEchoes(samples, rate, record, start);
    const double share = learnt.strength(), seconds = learnt.empty() ? 0 : learnt.delaySeconds(rate);
    if (share < learntEchoShare || seconds < learntEchoSeconds) return;
    const double beat = share < 1 ? 20 * std::log10((1 + share) / (1 - share)) : 1e9;
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [beat](const Finding& finding) {
                                      return finding.kind == FindingKind::GainControl && finding.figure <= beat;
                                  }),
                   findings.end());
    const long milliseconds = std::lround(1000 * seconds), percent = std::lround(100 * share);
    findings.push_back(finding(FindingKind::Echo, FindingSeverity::Warning, static_cast<double>(milliseconds), start,
                               "Raumecho: das Signal kommt " + std::to_string(milliseconds) + " ms später mit " +
                                   std::to_string(percent) +
                                   " % des Pegels noch einmal – per Kabel aufnehmen, nicht mit dem Telefon vor "
                                   "dem Lautsprecher"));
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
    if (std::fabs(speed) >= speedNotePercent && std::fabs(speed) < speedMeasuredPercent) {
        const bool warn = std::fabs(speed) > speedWarningPercent;
        findings.push_back(finding(FindingKind::Speed, warn ? FindingSeverity::Warning : FindingSeverity::Note, speed,
                                   start,
                                   "Band läuft " + percentText(speed) + " % zu " + (speed > 0 ? "schnell" : "langsam") +
                                       (warn ? " – Geschwindigkeit des Rekorders einstellen" : " – liest sich noch")));
    }

    // Wow only from a bit clock that locked onto the lead-in.
    const LeadInClock clock = followLeadInClock(samples, rate, from, to, cell);
    const double swing = clock.locked ? clock.swingPercent : 0;
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
    const bool swings = std::any_of(findings.begin(), findings.end(),
                                    [](const Finding& found) { return found.kind == FindingKind::GainControl; });
    if (!swings)
        if (const std::optional<Finding> pulled = startPulledUp(samples, rate, start, heldFrom)) findings.push_back(*pulled);
    addEchoFinding(samples, rate, record, findings);
    addLearntEchoFinding(samples, rate, record, start, findings);
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
    facts.codec = wav.codec;
    facts.container = wav.container;
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

// The lossy codec the file's container names. A phone call's (GSM, AMR)
// keeps only the band of speech; any other throws away what a listener would
// not miss, and a bit of the signal with it.
Finding codecFinding(const SourceFacts& source, bool allWhole) {
    const bool call = source.codec == "GSM 6.10" || source.codec.rfind("AMR", 0) == 0;
    // "MP3", not "MP3 in MP3": a bare stream of the codec's frames is its own container.
    const bool bare = source.container.empty() || source.container == source.codec;
    const std::string named = source.codec + (bare ? "" : " in " + source.container);
    const std::string reads = allWhole ? " – liest sich noch; " : " – ";
    return Finding{FindingKind::Codec, allWhole ? FindingSeverity::Note : FindingSeverity::Warning, 0, std::nullopt, 0,
                   call ? "Telefon-Codec " + named + reads + "per Kabel als WAV aufnehmen, nicht über ein Telefonat"
                        : "Verlustbehaftet komprimiert (" + named + ")" + reads + (allWhole ? "besser " : "") +
                              "als WAV aufnehmen"};
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
    if (!source.codec.empty()) findings.push_back(codecFinding(source, allWhole));
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
