#include "tape/TapeScan.h"

#include <algorithm>

#include "tape/AudioFormat.h"
#include "tape/LeadInFinder.h"
#include "tape/RobustReader.h"
#include "tape/TapeRecord.h"

namespace {
// How far behind the first window in which its tone was heard a record's sync
// may lie: the whole lead-in on a tape a third too slow, and the sync byte.
constexpr double maxLeadInCells = (tape::leadInBytes + 1) * 8 * 1.35;
// The name and the gap behind the sync, at the slowest speed.
constexpr double gapCells = (tape::nameBytes + tape::gapBytes) * 8 * 1.35;
// A lead-in heard this long (more than half of one) is one, sync or not.
constexpr double leadInOnlyCells = tape::leadInBytes * 8 * 0.55;

// Whether a reading is a record the BV7 wrote, not a chance sync pattern in
// hiss, music or data behind some tone: where the samples begin too shortly
// before its sync to hear a lead-in, its first block must read good (or the
// whole record); otherwise it must have reached a block, or follow a lead-in
// heard through and through.
bool isTapeRecord(const DecodedRecord& record) {
    if (!foundRecord(record)) return false;
    if (record.leadIn.heard == 0)
        return record.status == DecodeStatus::Ok || (!record.blockSpans.empty() && !isFaultyBlock(record, 1));
    return !record.blockSpans.empty() || record.leadIn.sure();
}

// Tells `progress` of a position only where it moved on by a step (at most
// about 200 calls a side), so that a caller across a thread is not flooded.
class ProgressSteps {
  public:
    ProgressSteps(const ScanProgress& progress, std::size_t total)
        : progress_(progress), total_(total), step_(std::max<std::size_t>(total / 200, 1)) {
        if (progress_) progress_(0, total_);
    }
    void at(std::size_t done) {
        done = std::min(done, total_);
        if (!progress_ || done < told_ + step_) return;
        told_ = done;
        progress_(done, total_);
    }
    void end() {
        if (progress_ && told_ < total_) progress_(total_, total_);
    }

  private:
    const ScanProgress& progress_;
    std::size_t total_, step_, told_ = 0;
};
}

std::vector<DecodedRecord> readEveryRecord(ByteView samples, DecoderSettings settings, std::uint32_t rate,
                                           const ReadingChoice& choice, const ScanProgress& progress) {
    settings.resumeSearch = true;
    std::vector<DecodedRecord> records;
    ProgressSteps steps(progress, samples.size);
    settings.quietBand = quietBand(samples);
    if (settings.quietBand < 0) {
        records.emplace_back().status = DecodeStatus::TooQuiet;
        steps.end();
        return records;
    }
    const double cell = cellSamplesAt(rate == 44100 ? 44100 : 22050);
    // A recording that begins inside a lead-in, or behind it: its sync may lie
    // where no lead-in can be heard before it.
    DecoderSettings atStart = settings;
    atStart.syncLimit = static_cast<std::size_t>(cell * 12) + (windowsBeforeSync + 1) * leadInWindow;
    DecodedRecord first = decodeRecordEitherWay(samples, atStart, rate, 0, nullptr, choice);
    std::size_t position = 0;
    if (isTapeRecord(first)) {
        position = std::max(first.endPosition, first.syncPosition + 1);
        records.push_back(std::move(first));
    }
    // Then from one lead-in heard to the next: the readers search for the
    // sync only as far as a lead-in reaches, and the search goes on behind
    // the record read (or behind that reach), never inside what was read.
    const std::size_t reach = static_cast<std::size_t>(maxLeadInCells * cell);
    LeadIn leadIn;
    std::size_t from = position;
    // Where a tone that went on beyond one search's reach began (none: no such tone).
    constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t toneStart = none;
    steps.at(position);
    while (position < samples.size && findLeadIn(samples, cell, from, leadIn)) {
        steps.at(leadIn.position);
        const std::size_t start = std::max(position, leadIn.position > leadInStride ? leadIn.position - leadInStride : 0);
        DecoderSettings bounded = settings;
        bounded.syncLimit = leadIn.position + reach;
        DecodedRecord record = decodeRecordEitherWay(samples, bounded, rate, start, nullptr, choice);
        if (!foundRecord(record)) {
            // The name and the gap behind a real lead-in sound like it too.
            const std::size_t until = bounded.syncLimit + static_cast<std::size_t>(gapCells * cell);
            const std::size_t end = leadInEnd(samples, cell, leadIn.position, until);
            if (end >= until) {
                // The tone goes on beyond the reach of this search: search on
                // from a little before that reach, where the tone still sounds.
                if (toneStart == none) toneStart = leadInBegin(samples, cell, leadIn.position, position);
                position = std::max(position, bounded.syncLimit - leadInStride);
                from = std::max(from, position);
                steps.at(position);
                continue;
            }
            // A lead-in as long as a worn one still is, searched to its end
            // with no sync found: a record that cannot be read is shown, not hidden.
            const std::size_t began =
                toneStart != none ? toneStart : leadInBegin(samples, cell, leadIn.position, position);
            if (end - began >= static_cast<std::size_t>(leadInOnlyCells * cell)) {
                DecodedRecord heard;
                heard.status = DecodeStatus::NoSyncBehindLeadIn;
                heard.syncPosition = heard.endPosition = end;
                heard.toneStart = began;
                heard.filtered = !choice.exact;
                records.push_back(std::move(heard));
            }
            position = std::max(position, bounded.syncLimit);
        } else if (!isTapeRecord(record)) {
            position = std::max(position, record.syncPosition + 1);
        } else {
            position = std::max({record.endPosition, record.syncPosition + 1, position});
            records.push_back(std::move(record));
        }
        toneStart = none;
        from = std::max(from, position);
        steps.at(position);
    }
    if (records.empty()) records.emplace_back().status = DecodeStatus::NoSync;
    steps.end();
    return records;
}
