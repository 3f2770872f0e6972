#include "tape/TapeScan.h"

#include <algorithm>

#include "tape/AudioFormat.h"
#include "tape/LeadInFinder.h"
#include "tape/RobustReader.h"
#include "tape/SampleWindow.h"
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

// The readers on a window of the recording: each call holds what it reads
// (with what the readers look back at before it, and the longest record
// ahead) and places the results from the recording's start. Where a reading
// runs into the window's end before the recording's, it is read again with
// more ahead, so that it is the one the whole recording gives.
// What the readers look back at before the sample they start from: the
// windows of leadInBefore before the first sync they may find there.
constexpr std::size_t lookBack = 16 * leadInWindow;

class WindowedReaders {
  public:
    WindowedReaders(SampleWindow& window, std::uint32_t rate, std::size_t ahead)
        : window_(window), rate_(rate), ahead_(ahead ? ahead : longestRecordSamples(rate)), behind_(10 * rate) {}

    DecodedRecord decode(const DecoderSettings& settings, std::size_t start, HeaderFieldSink* fields,
                         const ReadingChoice& choice) {
        const bool bounded = settings.syncLimit != static_cast<std::size_t>(-1);
        std::size_t to = (bounded ? std::max(start, settings.syncLimit) : start) + ahead_;
        for (;;) {
            hold(start > lookBack ? start - lookBack : 0, to);
            DecoderSettings local = settings;
            const std::size_t base = window_.base();
            if (bounded) local.syncLimit -= std::min(local.syncLimit, base);
            DecodedRecord record = decodeRecordEitherWay(window_.view(), local, rate_, start - base, fields, choice);
            placeAt(record, base);
            // The readers of a record end together within a second.
            const bool touched = foundRecord(record) ? record.endPosition + rate_ >= window_.end() : !bounded;
            if (!touched || window_.ended()) return record;
            to = window_.end() + ahead_;
        }
    }

    bool findLeadIn(double cell, std::size_t& from, LeadIn& found) {
        // The search holds a stretch at a time: between records the window stays small.
        constexpr std::size_t searched = std::size_t{1} << 20;
        for (;;) {
            hold(from, from + searched);
            std::size_t local = from - window_.base();
            const bool heard = ::findLeadIn(window_.view(), cell, local, found);
            from = local + window_.base();
            if (heard) {
                found.position += window_.base();
                return true;
            }
            if (window_.ended()) return false;
        }
    }

    std::size_t leadInBegin(double cell, std::size_t from, std::size_t since) {
        std::size_t reach = std::max(since, from > behind_ / 2 ? from - behind_ / 2 : 0);
        for (;;) {
            hold(reach, from + 2 * leadInWindow);
            const std::size_t base = window_.base();
            const std::size_t begin = ::leadInBegin(window_.view(), cell, from - base, reach - base) + base;
            // Where the tone went on to the edge of what was held, it may go on before.
            if (reach == since || begin >= reach + leadInWindow / 8) return begin;
            reach = since;
        }
    }

    std::size_t leadInEnd(double cell, std::size_t from, std::size_t until) {
        hold(from, until + 2 * leadInWindow);
        const std::size_t base = window_.base();
        return ::leadInEnd(window_.view(), cell, from - base, until - base) + base;
    }

  private:
    // Holds [need, to): where `need` was let go already, the window reads it
    // again (seldom: a tone that went on for long); otherwise what lies
    // `behind_` before it stays held for the readings that follow.
    void hold(std::size_t need, std::size_t to) {
        if (need < window_.base()) {
            window_.hold(need, to);
            return;
        }
        window_.hold(std::max(window_.base(), need > behind_ ? need - behind_ : 0), to);
    }

    SampleWindow& window_;
    std::uint32_t rate_;
    std::size_t ahead_, behind_;
};
}

std::vector<DecodedRecord> readEveryRecord(ByteView samples, DecoderSettings settings, std::uint32_t rate,
                                           const ReadingChoice& choice, const ScanProgress& progress) {
    WholeSamples whole(samples);
    return scanSide(whole, samples.size, quietBand(samples), settings, rate, choice, progress);
}

std::vector<DecodedRecord> scanSide(SampleWindow& window, std::size_t total, int band, DecoderSettings settings,
                                    std::uint32_t rate, const ReadingChoice& choice, const ScanProgress& progress,
                                    const RecordRead& read, std::size_t ahead) {
    settings.resumeSearch = true;
    std::vector<DecodedRecord> records;
    ProgressSteps steps(progress, total);
    settings.quietBand = band;
    if (settings.quietBand < 0) {
        records.emplace_back().status = DecodeStatus::TooQuiet;
        steps.end();
        return records;
    }
    WindowedReaders readers(window, rate, ahead);
    auto keep = [&](DecodedRecord record) {
        records.push_back(std::move(record));
        if (read) read(records.back());
    };
    const double cell = cellSamplesAt(rate == 44100 ? 44100 : 22050);
    // A recording that begins inside a lead-in, or behind it: its sync may lie
    // where no lead-in can be heard before it.
    DecoderSettings atStart = settings;
    atStart.syncLimit = static_cast<std::size_t>(cell * 12) + (windowsBeforeSync + 1) * leadInWindow;
    DecodedRecord first = readers.decode(atStart, 0, nullptr, choice);
    std::size_t position = 0;
    if (isTapeRecord(first)) {
        position = std::max(first.endPosition, first.syncPosition + 1);
        keep(std::move(first));
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
    while (position < total && readers.findLeadIn(cell, from, leadIn)) {
        steps.at(leadIn.position);
        const std::size_t start = std::max(position, leadIn.position > leadInStride ? leadIn.position - leadInStride : 0);
        DecoderSettings bounded = settings;
        bounded.syncLimit = leadIn.position + reach;
        DecodedRecord record = readers.decode(bounded, start, nullptr, choice);
        if (!foundRecord(record)) {
            // The name and the gap behind a real lead-in sound like it too.
            const std::size_t until = bounded.syncLimit + static_cast<std::size_t>(gapCells * cell);
            const std::size_t end = readers.leadInEnd(cell, leadIn.position, until);
            if (end >= until) {
                // The tone goes on beyond the reach of this search: search on
                // from a little before that reach, where the tone still sounds.
                if (toneStart == none) toneStart = readers.leadInBegin(cell, leadIn.position, position);
                position = std::max(position, bounded.syncLimit - leadInStride);
                from = std::max(from, position);
                steps.at(position);
                continue;
            }
            // A lead-in as long as a worn one still is, searched to its end
            // with no sync found: a record that cannot be read is shown, not hidden.
            const std::size_t began = toneStart != none ? toneStart : readers.leadInBegin(cell, leadIn.position, position);
            if (end - began >= static_cast<std::size_t>(leadInOnlyCells * cell)) {
                DecodedRecord heard;
                heard.status = DecodeStatus::NoSyncBehindLeadIn;
                heard.syncPosition = heard.endPosition = end;
                heard.toneStart = began;
                heard.filtered = !choice.exact;
                keep(std::move(heard));
            }
            position = std::max(position, bounded.syncLimit);
        } else if (!isTapeRecord(record)) {
            position = std::max(position, record.syncPosition + 1);
        } else {
            position = std::max({record.endPosition, record.syncPosition + 1, position});
            keep(std::move(record));
        }
        toneStart = none;
        from = std::max(from, position);
        steps.at(position);
    }
    if (records.empty()) records.emplace_back().status = DecodeStatus::NoSync;
    steps.end();
    return records;
}

DecodedRecord readFirstRecord(SampleWindow& window, const DecoderSettings& settings, std::uint32_t rate,
                              HeaderFieldSink* fields, const ReadingChoice& choice, std::size_t ahead) {
    WindowedReaders readers(window, rate, ahead);
    return readers.decode(settings, 0, fields, choice);
}
