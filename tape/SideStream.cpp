#include "tape/SideStream.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "shell/LargeBuffer.h"
#include "tape/ReadingSession.h"
#include "tape/SoundFeed.h"

namespace {
// How the session reads for `options`, the samples held ahead of each reading `ahead`.
SessionRules rulesFor(const ReadingOptions& options, std::uint32_t rate, std::size_t ahead) {
    SessionRules rules;
    rules.settings = decoderSettingsAt(rate, options.triggerLevel);
    rules.choice = readingChoiceFor(options);
    rules.everyRecord = options.everyRecord;
    rules.ahead = ahead;
    rules.repair = options.repair;
    rules.measure = options.measure;
    // Every record's findings are worked out as it is read where they may be
    // shown; whether they are, the readings decide at the end. The record at
    // the start is diagnosed where it is shown.
    if (options.findings == FindingsWanted::OfEveryRecord || options.diagnoseEvery)
        rules.diagnose = HeldDiagnosis::Every;
    else if (options.findings == FindingsWanted::OfRecordsNotReadWhole)
        rules.diagnose = options.everyRecord ? HeldDiagnosis::Every : HeldDiagnosis::NotReadWhole;
    if (options.everyRecord) rules.progress = options.progress;
    else rules.fields = options.fields;
    return rules;
}
}

SideReading readSideStream(SoundSource& source, const ReadingOptions& options, const std::string& file,
                           SourceFacts* seen) {
    const std::uint32_t rate = readerRateFor(source.rate());
    // What the readers hold at once: the longest record ahead, ten seconds
    // behind, and a chunk or two.
    const std::size_t ahead = options.heldAhead ? options.heldAhead : longestRecordSamples(rate);
    const std::size_t holding = ahead + 11 * rate + (1 << 20);
    const std::uint64_t stated = source.frames() * rate / std::max<std::uint32_t>(source.rate(), 1) + 1;
    SessionRules rules = rulesFor(options, rate, ahead);
    SourceFacts facts;
    facts.fileRate = source.rate();
    facts.codec = source.codec();
    facts.container = source.container();
    std::vector<std::uint8_t> whole;
    std::unique_ptr<ReadingSession> session;
    ByteView samples;
    if (source.channels() == 1 && source.frames() > 0 && stated <= holding) {
        // A recording of one channel that fits is held whole at once: the
        // quiet band is that of the samples held, without a pass of its own.
        SoundFeed feed(source, 0);
        reserveLargeBuffer(whole, static_cast<std::size_t>(stated));
        while (feed.next(samples)) whole.insert(whole.end(), samples.data, samples.data + samples.size);
        rules.band = quietBandOf(deviationTotal(ByteView(whole)), whole.size());
        rules.total = whole.size();
        session = std::make_unique<ReadingSession>(ByteView(whole), rate, rules);
    } else {
        // The first pass finds the channel and the quiet band; the second
        // feeds the session until it has read what it reads.
        const SoundSummary summary = summariseSound(source);
        facts.channels = summary.channels;
        rules.band = summary.band;
        rules.total = static_cast<std::size_t>(summary.samples);
        session = std::make_unique<ReadingSession>(rate, rules, std::min<std::size_t>(rules.total, holding));
        SoundFeed feed(source, summary.channels.taken);
        while (!session->finished() && feed.next(samples)) {
            session->append(samples.data, samples.size);
            while (session->update().phase == LivePhase::Done) session->next();
        }
    }
    if (seen) *seen = facts;
    std::vector<DecodedRecord> readings = session->endRecording();
    const bool diagnosed = diagnosisShown(options, readings);
    RecordingFindings findings =
        session->recordingFindings(facts, std::all_of(readings.begin(), readings.end(), readWhole));
    if (!diagnosed) findings = RecordingFindings();
    std::vector<SignalFigures> figures = session->figures();
    return assembleSide(std::move(readings), session->starts(), std::move(figures), diagnosed, std::move(findings),
                        rate, rules.total, options, file);
}
