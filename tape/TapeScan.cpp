#include "tape/TapeScan.h"

#include "tape/ReadingSession.h"

std::vector<DecodedRecord> readEveryRecord(ByteView samples, DecoderSettings settings, std::uint32_t rate,
                                           const ReadingChoice& choice, const ScanProgress& progress) {
    SessionRules rules;
    rules.settings = settings;
    rules.choice = choice;
    rules.band = quietBand(samples);
    rules.total = samples.size;
    rules.progress = progress;
    ReadingSession session(samples, rate, rules);
    return session.endRecording();
}
