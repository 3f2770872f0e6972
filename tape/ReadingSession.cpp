#include "tape/ReadingSession.h"

#include <algorithm>
#include <utility>

#include "shell/HexText.h"
#include "shell/LargeBuffer.h"
#include "tape/AudioFormat.h"
#include "tape/BlockRepair.h"
#include "tape/LeadInFinder.h"
#include "tape/SoundFeed.h"
#include "tape/TapeRecord.h"

namespace {
constexpr std::size_t none = static_cast<std::size_t>(-1);
// How far behind the first window in which its tone was heard a record's sync
// may lie: the whole lead-in on a tape a third too slow, and the sync byte.
constexpr double maxLeadInCells = (tape::leadInBytes + 1) * 8 * 1.35;
// The name and the gap behind the sync, at the slowest speed.
constexpr double gapCells = (tape::nameBytes + tape::gapBytes) * 8 * 1.35;
// A lead-in heard this long (more than half of one) is one, sync or not.
constexpr double leadInOnlyCells = tape::leadInBytes * 8 * 0.55;
// What the readers look back at before the sample they start from: the
// windows of leadInBefore before the first sync they may find there.
constexpr std::size_t lookBack = 16 * leadInWindow;
// A file is searched a stretch of this many samples at a time.
constexpr std::size_t searched = std::size_t{1} << 20;
// Deviation from the centre line below which the sound behind a record counts as silent.
constexpr int quietDeviation = 12;
// Live, the noise-proof reader reads the record from its lead-in again; it
// runs only when this much has come since its last run.
constexpr double robustEverySeconds = 0.5;

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

bool diagnosed(HeldDiagnosis diagnose, const DecodedRecord& record) {
    return diagnose == HeldDiagnosis::Every || (diagnose == HeldDiagnosis::NotReadWhole && !readWhole(record));
}
}

std::string liveStatusText(const LiveState& state) {
    switch (state.phase) {
    case LivePhase::WaitingForLeadIn: return "warte auf Vorton";
    case LivePhase::LeadIn: return "Vorton";
    case LivePhase::Loading: {
        // The tape pads the name with spaces; any byte may stand in it.
        std::string name = shownName(state.name);
        while (!name.empty() && name.back() == ' ') name.pop_back();
        return (name.empty() ? std::string() : name + ": ") + "Block " + formatDecimal(std::max(1, state.block));
    }
    case LivePhase::Done: return "fertig";
    }
    return {};
}

std::size_t keptRecord(const std::vector<DecodedRecord>& records) {
    auto read = std::find_if(records.begin(), records.end(),
                             [](const DecodedRecord& record) { return record.status == DecodeStatus::Ok; });
    return read == records.end() ? records.size() - 1 : static_cast<std::size_t>(read - records.begin());
}

SessionRules liveRules(const DecoderSettings& settings) {
    SessionRules rules;
    rules.settings = settings;
    rules.live = true;
    rules.diagnose = HeldDiagnosis::Every;
    return rules;
}

ReadingSession::ReadingSession(std::uint32_t rate, const SessionRules& rules, std::size_t room)
    : rate_(rate), rules_(rules), ahead_(rules.ahead ? rules.ahead : longestRecordSamples(rate)),
      behind_(rules.behind ? rules.behind : rules.live ? 2 * leadInStride : 10 * static_cast<std::size_t>(rate)),
      cell_(cellSamplesAt(rate == 44100 ? 44100 : 22050)), toneStart_(none) {
    rules_.settings.resumeSearch = rules_.everyRecord;
    if (rules_.band && *rules_.band >= 0) rules_.settings.quietBand = *rules_.band;
    if (room) reserveLargeBuffer(buffer_, room);
    if (rules_.everyRecord) {
        // A recording that begins inside a lead-in, or behind it: its sync may
        // lie where no lead-in can be heard before it.
        startReading(0, static_cast<std::size_t>(cell_ * 12) + (windowsBeforeSync + 1) * leadInWindow);
        if (rules_.progress) {
            progressStep_ = std::max<std::size_t>(rules_.total / 200, 1);
            rules_.progress(0, rules_.total);
        }
    } else {
        // The record at the start, its sync wherever it lies; a recording too
        // quiet for a band is read whole, the readers measuring it in all of it.
        startReading(0, none);
        if (rules_.band && *rules_.band < 0) readTo_ = none;
    }
}

ReadingSession::ReadingSession(ByteView whole, std::uint32_t rate, const SessionRules& rules)
    : ReadingSession(rate, rules) {
    whole_ = whole;
    borrowed_ = true;
    ended_ = true;
}

ByteView ReadingSession::view() const {
    return borrowed_ ? whole_ : ByteView(buffer_.data() + offset_, buffer_.size() - offset_);
}

void ReadingSession::waiting() {
    state_.phase = LivePhase::WaitingForLeadIn;
    state_.block = 0;
    state_.name.clear();
}

void ReadingSession::append(const std::uint8_t* samples, std::size_t count) {
    if (!rules_.band) deviation_ += deviationTotal(ByteView(samples, count));
    // What was let go makes room before the buffer grows: it stays at the
    // size of what is held, and each sample moves a few times at most.
    const std::size_t needed = buffer_.size() + count;
    if (needed > buffer_.capacity() && offset_ > 0) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(offset_));
        offset_ = 0;
    }
    if (buffer_.size() + count > buffer_.capacity())
        buffer_.reserve(std::max(buffer_.size() + count, std::min(2 * buffer_.capacity(), ahead_ + behind_ + rate_)));
    buffer_.insert(buffer_.end(), samples, samples + count);
}

void ReadingSession::end() { ended_ = true; }

void ReadingSession::dropBefore(std::size_t position) {
    if (borrowed_ || position <= base_) return;
    const std::size_t count = std::min(position - base_, buffer_.size() - offset_);
    offset_ += count;
    base_ += count;
}

// What lies `behind_` before `need` stays held for the readings that follow.
void ReadingSession::hold(std::size_t need) { dropBefore(need > behind_ ? need - behind_ : 0); }

const LiveState& ReadingSession::update() {
    while (step_ != Step::Finished && state_.phase != LivePhase::Done && advance()) {
    }
    return state_;
}

void ReadingSession::startReading(std::size_t from, std::size_t syncLimit) {
    readFrom_ = from;
    reading_ = rules_.settings;
    reading_.syncLimit = syncLimit;
    readTo_ = (syncLimit != none ? std::max(from, syncLimit) : from) + ahead_;
    robustFrom_ = 0;
}

bool ReadingSession::advance() {
    switch (step_) {
    case Step::AtStart: {
        if (rules_.everyRecord && rules_.band && *rules_.band < 0) {
            finish();
            return true;
        }
        DecodedRecord record;
        if (!decided(record)) return false;
        if (!rules_.everyRecord) {
            keep(std::move(record));
            return true;
        }
        step_ = Step::Search;
        if (isTapeRecord(record)) {
            position_ = std::max(record.endPosition, record.syncPosition + 1);
            from_ = position_;
            at(position_);
            keep(std::move(record));
            return true;
        }
        at(position_);
        waiting();
        return true;
    }
    case Step::Search: {
        // From one lead-in heard to the next: the readers search for the sync
        // only as far as a lead-in reaches, and the search goes on behind the
        // record read (or behind that reach), never inside what was read.
        if (position_ >= rules_.total) {
            finish();
            return true;
        }
        hold(from_);
        if (!rules_.live && !has(from_ + searched)) return false;
        LeadIn found;
        std::size_t searchFrom = local(from_);
        const bool heard = findLeadIn(view(), cell_, searchFrom, found);
        from_ = searchFrom + base_;
        if (!heard) {
            // What the search passed is let go before more comes.
            hold(from_);
            if (ended_) finish();
            return ended_;
        }
        leadInAt_ = found.position + base_;
        at(leadInAt_);
        startReading(std::max(position_, leadInAt_ > leadInStride ? leadInAt_ - leadInStride : 0),
                     leadInAt_ + static_cast<std::size_t>(maxLeadInCells * cell_));
        if (state_.phase != LivePhase::LeadIn) {
            state_.phase = LivePhase::LeadIn;
            state_.block = 0;
            state_.name.clear();
        }
        state_.recordStart = leadInAt_;
        step_ = Step::Read;
        return true;
    }
    case Step::Read: {
        DecodedRecord record;
        if (!decided(record)) return false;
        afterReading(std::move(record));
        return true;
    }
    case Step::ToneEnd: return toneEnded();
    case Step::Take: {
        const DecodedRecord& record = records_.back();
        if (!rules_.live && foundRecord(record) && (rules_.measure || diagnosed(rules_.diagnose, record))) {
            // The head of the pause behind it too.
            const std::size_t start = recordStart(record, rate_, earliest_);
            const std::size_t until =
                record.endPosition + (record.status == DecodeStatus::Ok ? pauseSamples(rate_) : 0);
            if (!has(std::max(until, start + 1))) return false;
        }
        take(record);
        if (record.status == DecodeStatus::Ok) {
            state_.phase = LivePhase::Done;
            state_.recordEnd = record.endPosition;
            ++state_.records;
        } else {
            waiting();
        }
        if (rules_.everyRecord) step_ = Step::Search;
        else finish();
        return true;
    }
    case Step::Finished: return false;
    }
    return false;
}

// Whether the reading from readFrom_ is decided: from a file once the longest
// record is held ahead of it and the record ends a second before what is
// held (the readers of a record end together within a second), or the file
// ended; otherwise what is held ahead grows and it is read again.
bool ReadingSession::decided(DecodedRecord& record) {
    hold(readFrom_ > lookBack ? readFrom_ - lookBack : 0);
    if (rules_.live) return decidedLive(record);
    if (!has(readTo_)) return false;
    record = decodeHeld();
    const bool bounded = reading_.syncLimit != none;
    const bool touched = foundRecord(record) ? record.endPosition + rate_ >= heldEnd() : !bounded;
    if (!touched || ended_) return true;
    readTo_ = heldEnd() + ahead_;
    return false;
}

// Live: decided once the readers see the record end (readGrowingRecord), or
// see nothing where the lead-in's reach has passed, or it has grown longer
// than any record (what the readers make of it is all there is).
bool ReadingSession::decidedLive(DecodedRecord& record) {
    const std::size_t from = std::max(readFrom_, base_);
    if (ended_ || heldEnd() >= from + ahead_) {
        record = decodeHeld();
        if (!ended_ && record.status == DecodeStatus::CutShort) record.status = DecodeStatus::TooLong;
        return true;
    }
    const bool secondDue = heldEnd() >= robustFrom_ + static_cast<std::size_t>(robustEverySeconds * rate_);
    DecoderSettings local = reading_;
    if (local.syncLimit != none) local.syncLimit -= std::min(local.syncLimit, from);
    const GrowingReading growing = readGrowingRecord(view().sub(from - base_), local, rate_, secondDue);
    if (growing.secondRan) robustFrom_ = heldEnd();
    if (growing.verdict == GrowingVerdict::Settled) {
        record = decodeHeld();
        return true;
    }
    for (const DecodedRecord& reading : growing.seen) show(reading);
    const bool nothing = growing.secondRan && std::none_of(growing.seen.begin(), growing.seen.end(), foundRecord);
    if (nothing && reading_.syncLimit != none && heldEnd() >= reading_.syncLimit + rate_ / 2) {
        record = decodeHeld();
        return true;
    }
    return false;
}

DecodedRecord ReadingSession::decodeHeld() {
    DecoderSettings local = reading_;
    const std::size_t base = base_;
    if (local.syncLimit != none) local.syncLimit -= std::min(local.syncLimit, base);
    DecodedRecord record = decodeRecordEitherWay(view(), local, rate_, this->local(readFrom_),
                                                 rules_.everyRecord ? nullptr : rules_.fields, rules_.choice);
    placeAt(record, base);
    return record;
}

void ReadingSession::show(const DecodedRecord& reading) {
    if (!foundRecord(reading)) return;
    state_.phase = LivePhase::Loading;
    state_.block = std::max(state_.block, reading.blocks);
    if (reading.nameRead) state_.name = reading.header.name;
}

// A record read to its end, or given up with its failure, is kept; the
// search goes on behind it.
void ReadingSession::afterReading(DecodedRecord record) {
    if (!foundRecord(record)) {
        // The name and the gap behind a real lead-in sound like it too.
        toneUntil_ = reading_.syncLimit + static_cast<std::size_t>(gapCells * cell_);
        step_ = Step::ToneEnd;
        return;
    }
    step_ = Step::Search;
    const bool tape = isTapeRecord(record);
    position_ = tape ? std::max({record.endPosition, record.syncPosition + 1, position_})
                     : std::max(position_, record.syncPosition + 1);
    toneStart_ = none;
    from_ = std::max(from_, position_);
    at(position_);
    if (tape) keep(std::move(record));
    else waiting();
}

// No sync within the lead-in's reach: where the tone goes on beyond it, the
// search goes on from a little before that reach, where the tone still
// sounds; a lead-in as long as a worn one still is, searched to its end with
// no sync found, is a record that cannot be read: shown, not hidden.
bool ReadingSession::toneEnded() {
    hold(leadInAt_);
    if (!has(toneUntil_ + 2 * leadInWindow)) return false;
    const std::size_t endOfTone = ::leadInEnd(view(), cell_, local(leadInAt_), local(toneUntil_)) + base_;
    step_ = Step::Search;
    if (endOfTone >= toneUntil_) {
        if (toneStart_ == none) toneStart_ = leadInBegin(leadInAt_, position_);
        position_ = std::max(position_, reading_.syncLimit - leadInStride);
        from_ = std::max(from_, position_);
        at(position_);
        return true;
    }
    const std::size_t began = toneStart_ != none ? toneStart_ : leadInBegin(leadInAt_, position_);
    position_ = std::max(position_, reading_.syncLimit);
    toneStart_ = none;
    from_ = std::max(from_, position_);
    at(position_);
    if (endOfTone - began >= static_cast<std::size_t>(leadInOnlyCells * cell_)) {
        DecodedRecord heard;
        heard.status = DecodeStatus::NoSyncBehindLeadIn;
        heard.syncPosition = heard.endPosition = endOfTone;
        heard.toneStart = began;
        heard.filtered = !rules_.choice.exact;
        keep(std::move(heard));
    } else {
        waiting();
    }
    return true;
}

// Where the lead-in tone heard at `from` began, back to `since` at most: half
// of what is held behind first, and only where the tone goes on to that edge
// all of it (samples let go before that are gone: the tone began there).
std::size_t ReadingSession::leadInBegin(std::size_t from, std::size_t since) {
    std::size_t reach = std::max(since, from > behind_ / 2 ? from - behind_ / 2 : 0);
    for (;;) {
        hold(reach);
        const std::size_t begin = ::leadInBegin(view(), cell_, local(from), local(reach)) + base_;
        if (reach == since || begin >= reach + leadInWindow / 8) return begin;
        reach = since;
    }
}

void ReadingSession::keep(DecodedRecord record) {
    if (rules_.repair) repairBlocks(record, rate_);
    if (rules_.live) {
        // Kept to the end of the recording: no soft values (only the merging
        // of copies needs them) and no spare room.
        record.nameSoft = {};
        record.startSoft = {};
        record.blockSoft = {};
        record.image.shrink_to_fit();
    }
    records_.push_back(std::move(record));
    step_ = Step::Take;
}

// What is worked out of each record while its samples are held: its start,
// figures and findings, the noise under its lead-in and the head of the
// pause behind it, for the pause findings of the next.
void ReadingSession::take(const DecodedRecord& record) {
    const std::size_t start = recordStart(record, rate_, earliest_);
    earliest_ = std::max(earliest_, record.endPosition);
    starts_.push_back(start);
    const bool diagnose = diagnosed(rules_.diagnose, record);
    if (!rules_.measure && !diagnose) return;
    if (!foundRecord(record)) {
        // Nothing of it is held: no figures, no findings.
        if (rules_.measure) figures_.push_back(measureSignal(ByteView(), record, 0, rate_));
        if (diagnose) perRecord_.emplace_back();
        // Nor a pause: the one before it and the one behind it are not weighed.
        previous_.reset();
        pause_.clear();
        return;
    }
    const std::size_t base = base_;
    const ByteView samples = view();
    const DecodedRecord local = unplaced(record, base);
    // Live, what lay before the samples held counts from the first of them.
    const std::size_t from = start > base ? start - base : 0;
    if (rules_.measure) figures_.push_back(measureSignal(samples, local, from, rate_));
    if (!diagnose) return;
    perRecord_.push_back(diagnoseHeldRecord(samples, base, rate_, local, from));
    // Live, the sound behind a record has not come yet when it is kept, and
    // the recording as a whole is not shown: its pauses are not weighed.
    if (rules_.live) return;
    const double noise = leadInNoise(samples, rate_, local, from);
    if (previous_ && pauseAfter(rate_, *previous_, record))
        weighPause(ByteView(pause_), pauseFrom_, rate_, *previous_, record, start, previousNoise_, noise, pauses_);
    previous_ = record;
    previous_->image.clear();
    previousNoise_ = noise;
    pause_.clear();
    if (record.status == DecodeStatus::Ok) {
        const ByteView head = samples.sub(record.endPosition - base, pauseSamples(rate_));
        pause_.assign(head.data, head.data + head.size);
        pauseFrom_ = record.endPosition;
    }
}

void ReadingSession::finish() {
    if (records_.empty()) {
        // The one failed attempt, so that the caller can say why.
        const int band = rules_.band ? *rules_.band : quietBandOf(deviation_, total());
        records_.emplace_back().status = band < 0 ? DecodeStatus::TooQuiet : DecodeStatus::NoSync;
    }
    if (starts_.size() < records_.size()) take(records_.back());
    if (rules_.everyRecord && rules_.progress && told_ < rules_.total) rules_.progress(rules_.total, rules_.total);
    step_ = Step::Finished;
}

// Tells the progress of a position only where it moved on by a step (at
// most about 200 calls a side), so that a caller across a thread is not flooded.
void ReadingSession::at(std::size_t done) {
    if (!rules_.progress) return;
    done = std::min(done, rules_.total);
    if (done < told_ + progressStep_) return;
    told_ = done;
    rules_.progress(done, rules_.total);
}

RecordingFindings ReadingSession::recordingFindings(const SourceFacts& source, bool allWhole) {
    RecordingFindings findings;
    findings.whole = sourceFindings(source, allWhole);
    // The head of the pause behind the last record is held, to the recording's end at most.
    if (rules_.diagnose != HeldDiagnosis::None && previous_ && !pause_.empty())
        weighLastPause(ByteView(pause_), pauseFrom_, rate_, *previous_, pauseFrom_ + pause_.size(), previousNoise_,
                       pauses_);
    addPauseFindings(pauses_, findings.whole);
    findings.perRecord = std::move(perRecord_);
    return findings;
}

bool ReadingSession::soundEnded() const {
    if (state_.phase != LivePhase::Done || total() < state_.recordEnd) return false;
    const std::size_t behind = total() - state_.recordEnd;
    if (behind >= 2 * static_cast<std::size_t>(rate_)) return true;
    const std::size_t quarter = rate_ / 4;
    const ByteView held = view();
    if (behind < quarter || held.size < quarter) return false;
    const auto [low, high] = std::minmax_element(held.data + held.size - quarter, held.data + held.size);
    return *high - 128 <= quietDeviation && 128 - *low <= quietDeviation;
}

void ReadingSession::next() {
    if (state_.phase == LivePhase::Done) waiting();
}

std::vector<DecodedRecord> ReadingSession::endRecording() {
    end();
    // A file is read to its end; live, a record read to its end is the last.
    while (update().phase == LivePhase::Done && !rules_.live && !finished()) next();
    return std::move(records_);
}
