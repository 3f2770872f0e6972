#include "tape/SideStream.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "tape/ReaderFallback.h"
#include "tape/SampleWindow.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"

namespace {
// What is worked out of each record while its samples are held: its start,
// figures and findings, the noise under its lead-in and the head of the
// pause behind it, for the pause findings of the next.
class HeldRecords {
  public:
    HeldRecords(SampleWindow& window, std::uint32_t rate, bool measure, bool diagnose)
        : window_(window), rate_(rate), measure_(measure), diagnose_(diagnose) {}

    void take(const DecodedRecord& record) {
        const std::size_t start = recordStart(record, rate_, earliest_);
        earliest_ = std::max(earliest_, record.endPosition);
        starts_.push_back(start);
        if (!measure_ && !diagnose_) return;
        if (!foundRecord(record)) {
            // Nothing of it is held: no figures, no findings.
            if (measure_) figures_.push_back(measureSignal(ByteView(), record, 0, rate_));
            if (diagnose_) findings_.perRecord.emplace_back();
            // Nor a pause: the one before it and the one behind it are not weighed.
            previous_.reset();
            pause_.clear();
            return;
        }
        const bool pause = record.status == DecodeStatus::Ok;
        const std::size_t end = record.endPosition + (pause ? pauseSamples(rate_) : 0);
        window_.hold(std::min(window_.base(), start), std::max(end, start + 1));
        const std::size_t base = window_.base();
        const ByteView samples = window_.view();
        const DecodedRecord local = unplaced(record, base);
        if (measure_) figures_.push_back(measureSignal(samples, local, start - base, rate_));
        if (!diagnose_) return;
        findings_.perRecord.push_back(diagnoseHeldRecord(samples, base, rate_, local, start - base));
        const double noise = leadInNoise(samples, rate_, local, start - base);
        if (previous_ && pauseAfter(rate_, *previous_, record))
            weighPause(ByteView(pause_), pauseFrom_, rate_, *previous_, record, start, previousNoise_, noise, pauses_);
        previous_ = record;
        previous_->image.clear();
        previousNoise_ = noise;
        pause_.clear();
        if (pause) {
            const ByteView head = samples.sub(record.endPosition - base, pauseSamples(rate_));
            pause_.assign(head.data, head.data + head.size);
            pauseFrom_ = record.endPosition;
        }
    }

    const std::vector<std::size_t>& starts() const { return starts_; }
    std::vector<SignalFigures> figures() { return std::move(figures_); }
    RecordingFindings findings(const SourceFacts& source, const std::vector<DecodedRecord>& readings) {
        findings_.whole = sourceFindings(source, std::all_of(readings.begin(), readings.end(), readWhole));
        // The head of the pause behind the last record is held, to the recording's end at most.
        if (diagnose_ && previous_ && !pause_.empty())
            weighLastPause(ByteView(pause_), pauseFrom_, rate_, *previous_, pauseFrom_ + pause_.size(), previousNoise_,
                           pauses_);
        addPauseFindings(pauses_, findings_.whole);
        return std::move(findings_);
    }

  private:
    SampleWindow& window_;
    std::uint32_t rate_;
    bool measure_, diagnose_;
    std::size_t earliest_ = 0;
    std::vector<std::size_t> starts_;
    std::vector<SignalFigures> figures_;
    RecordingFindings findings_;
    PauseFindings pauses_;
    std::optional<DecodedRecord> previous_;
    double previousNoise_ = 0;
    std::vector<std::uint8_t> pause_;
    std::size_t pauseFrom_ = 0;
};
}

SideReading readSideStream(SoundSource& source, const ReadingOptions& options, const std::string& file,
                           SourceFacts* seen) {
    const std::uint32_t rate = readerRateFor(source.rate());
    // What the readers hold at once: the longest record ahead, ten seconds
    // behind, and a chunk or two.
    const std::size_t ahead = options.heldAhead ? options.heldAhead : longestRecordSamples(rate);
    const std::size_t holding = ahead + 11 * rate + (1 << 20);
    const std::uint64_t stated = source.frames() * rate / std::max<std::uint32_t>(source.rate(), 1) + 1;
    std::unique_ptr<StreamWindow> window;
    SoundSummary summary;
    if (source.channels() == 1 && source.frames() > 0 && stated <= holding) {
        // A recording of one channel that fits is held whole at once: the
        // summary is that of the samples held, without a pass of its own.
        window = std::make_unique<StreamWindow>(source, 0, static_cast<std::size_t>(stated));
        window->hold(0, static_cast<std::size_t>(-1));
        const ByteView samples = window->view();
        summary.rate = rate;
        summary.samples = samples.size;
        summary.band = quietBandOf(deviationTotal(samples), samples.size);
    } else {
        summary = summariseSound(source);
        window = std::make_unique<StreamWindow>(source, summary.channels.taken,
                                                static_cast<std::size_t>(std::min<std::uint64_t>(summary.samples, holding)));
    }
    SourceFacts facts;
    facts.fileRate = source.rate();
    facts.codec = source.codec();
    facts.container = source.container();
    facts.channels = summary.channels;
    if (seen) *seen = facts;
    const auto total = static_cast<std::size_t>(summary.samples);
    DecoderSettings settings = decoderSettingsAt(rate, options.triggerLevel);
    const ReadingChoice choice = readingChoiceFor(options);

    // Every record's findings are worked out as it is read where they may be
    // shown; whether they are, the readings decide at the end.
    const bool mayDiagnose = options.findings != FindingsWanted::None || options.diagnoseEvery;
    std::vector<DecodedRecord> readings;
    if (options.everyRecord) {
        HeldRecords held(*window, rate, options.measure, mayDiagnose);
        readings = scanSide(*window, total, summary.band, settings, rate, choice, options.progress,
                            [&held](const DecodedRecord& record) { held.take(record); }, options.heldAhead);
        // The failed attempt where none was found was not held.
        if (held.starts().size() < readings.size()) held.take(readings.back());
        repairWhereAsked(readings, options, rate);
        const bool diagnosed = diagnosisShown(options, readings);
        RecordingFindings findings;
        if (diagnosed) findings = held.findings(facts, readings);
        const std::vector<std::size_t> starts = held.starts();
        return assembleSide(std::move(readings), starts, held.figures(), diagnosed, std::move(findings), rate, total,
                            options, file);
    }
    // The record at the start: the readers measure the quiet band of what
    // they see, which for a recording too quiet to have one is all of it.
    if (summary.band < 0) window->hold(0, static_cast<std::size_t>(-1));
    else settings.quietBand = summary.band;
    readings.push_back(readFirstRecord(*window, settings, rate, options.fields, choice, options.heldAhead));
    repairWhereAsked(readings, options, rate);
    const bool diagnosed = diagnosisShown(options, readings);
    HeldRecords held(*window, rate, options.measure, diagnosed);
    held.take(readings.front());
    RecordingFindings findings;
    if (diagnosed) findings = held.findings(facts, readings);
    const std::vector<std::size_t> starts = held.starts();
    return assembleSide(std::move(readings), starts, held.figures(), diagnosed, std::move(findings), rate, total,
                        options, file);
}
