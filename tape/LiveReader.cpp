#include "tape/LiveReader.h"

#include <algorithm>

#include "shell/HexText.h"
#include "tape/AudioFormat.h"
#include "tape/LeadInFinder.h"
#include "tape/ReaderFallback.h"
#include "tape/SampleWindow.h"
#include "tape/TapeListing.h"
#include "tape/TapeRecord.h"

namespace {
// A lead-in lasts about 2.6 s; one heard without a sync this long after it was noise.
constexpr double leadInGiveUpSeconds = 10;
// Deviation from the centre line below which a recording counts as silent.
constexpr int quietDeviation = 12;
// The noise-proof reader reads the record from its lead-in again; it runs
// only when this much has come since its last run.
constexpr double robustEverySeconds = 0.5;
// A record kept to the end of the recording: no soft values (only the
// merging of copies needs them) and no spare room.
void keep(DecodedRecord& record) {
    record.nameSoft = {};
    record.startSoft = {};
    record.blockSoft = {};
    record.image.shrink_to_fit();
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

LiveReader::LiveReader(std::uint32_t rate, const DecoderSettings& settings)
    : rate_(rate), settings_(settings),
      longest_(longestRecordSamples(rate)) {
    settings_.resumeSearch = true;
}

void LiveReader::append(const std::uint8_t* samples, std::size_t count) {
    // Grows as a vector does, but not far beyond the longest record and the
    // second after it that an update may take to notice.
    const std::size_t needed = window_.size() + count;
    if (needed > window_.capacity())
        window_.reserve(std::max(needed, std::min(2 * window_.capacity(), longest_ + rate_)));
    window_.insert(window_.end(), samples, samples + count);
}

// Diagnosed while its samples are held, then kept.
void LiveReader::keepRecord(DecodedRecord record) {
    keep(record);
    SourceFacts source;
    source.fileRate = rate_;
    // Placed and timed from the recording's start, not the window's.
    const DecodedRecord local = unplaced(record, base_);
    std::vector<Finding> findings =
        diagnoseHeldRecord(ByteView(window_), base_, rate_, local, recordStart(local, rate_, 0));
    const std::vector<Finding> whole = sourceFindings(source, readWhole(record));
    findings.insert(findings.end(), whole.begin(), whole.end());
    records_.push_back(std::move(record));
    findings_.push_back(std::move(findings));
}

void LiveReader::dropBefore(std::size_t position) {
    std::size_t count = std::min(position - std::min(position, base_), window_.size());
    window_.erase(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(count));
    base_ += count;
}

bool LiveReader::lookForLeadIn() {
    LeadIn found;
    std::size_t from = scan_ - base_;
    bool heard = findLeadIn(ByteView(window_), 2.0 * halfCellSamplesAt(rate_), from, found);
    scan_ = base_ + from;
    if (!heard) {
        dropBefore(scan_);
        return false;
    }
    state_.phase = LivePhase::LeadIn;
    state_.recordStart = base_ + found.position;
    state_.block = 0;
    state_.name.clear();
    robustFrom_ = 0;
    dropBefore(state_.recordStart);
    return true;
}

void LiveReader::show(const DecodedRecord& reading) {
    if (!foundRecord(reading)) return;
    state_.phase = LivePhase::Loading;
    state_.block = std::max(state_.block, reading.blocks);
    if (reading.nameRead) state_.name = reading.header.name;
}

DecodedRecord LiveReader::readWindow() const {
    DecodedRecord record = settleGrowingRecord(ByteView(window_), settings_, rate_);
    placeAt(record, base_);
    return record;
}

// The record from the lead-in on, read once more as the scan of a side reads
// it: done when read to its end byte, otherwise given up with its failure and
// the search goes on behind what was read.
void LiveReader::settle(bool tooLong) {
    DecodedRecord record = readWindow();
    if (tooLong && record.status == DecodeStatus::CutShort) record.status = DecodeStatus::TooLong;
    std::size_t behind = std::max({record.endPosition, record.syncPosition, state_.recordStart + 1});
    if (!foundRecord(record)) {
        behind = state_.recordStart + 1;
    } else {
        keepRecord(std::move(record));
        if (records_.back().status == DecodeStatus::Ok) {
            state_.phase = LivePhase::Done;
            state_.recordEnd = records_.back().endPosition;
            ++state_.records;
            return;
        }
    }
    state_.phase = LivePhase::WaitingForLeadIn;
    state_.block = 0;
    state_.name.clear();
    scan_ = std::max(scan_, behind);
    dropBefore(scan_);
}

const LiveState& LiveReader::update() {
    if (state_.phase == LivePhase::Done) return state_;
    if (state_.phase == LivePhase::WaitingForLeadIn && !lookForLeadIn()) return state_;
    if (window_.size() >= longest_) {
        // Longer than any record: what the readers make of it is all there is.
        settle(true);
        return state_;
    }
    // The second reader has its say at most every half second of sound.
    const bool secondDue = total() >= robustFrom_ + static_cast<std::size_t>(robustEverySeconds * rate_);
    const GrowingReading growing = readGrowingRecord(ByteView(window_), settings_, rate_, secondDue);
    if (growing.secondRan) robustFrom_ = total();
    if (growing.verdict == GrowingVerdict::Settled) {
        settle(false);
        return state_;
    }
    for (const DecodedRecord& reading : growing.seen) show(reading);
    if (growing.verdict == GrowingVerdict::Reading) return state_;
    if (state_.phase == LivePhase::LeadIn && window_.size() > static_cast<std::size_t>(leadInGiveUpSeconds * rate_)) {
        // Noise that sounded like a lead-in: the search goes on behind it.
        state_.phase = LivePhase::WaitingForLeadIn;
        scan_ = std::max(scan_, state_.recordStart + 1);
        dropBefore(scan_);
    }
    return state_;
}

bool LiveReader::soundEnded() const {
    if (state_.phase != LivePhase::Done || total() < state_.recordEnd) return false;
    std::size_t behind = total() - state_.recordEnd;
    if (behind >= 2 * static_cast<std::size_t>(rate_)) return true;
    std::size_t quarter = rate_ / 4;
    if (behind < quarter) return false;
    auto last = window_.end() - static_cast<std::ptrdiff_t>(quarter);
    auto [low, high] = std::minmax_element(last, window_.end());
    return *high - 128 <= quietDeviation && 128 - *low <= quietDeviation;
}

void LiveReader::next() {
    if (state_.phase != LivePhase::Done) return;
    state_.phase = LivePhase::WaitingForLeadIn;
    state_.block = 0;
    state_.name.clear();
    scan_ = std::max(scan_, state_.recordEnd);
    dropBefore(scan_);
}

std::vector<DecodedRecord> LiveReader::endRecording() {
    if (state_.phase == LivePhase::LeadIn || state_.phase == LivePhase::Loading) {
        DecodedRecord record = readWindow();
        if (foundRecord(record)) keepRecord(std::move(record));
    }
    if (records_.empty()) keepRecord(readWindow());
    return std::move(records_);
}
