#include "tape/LiveReader.h"

#include <algorithm>

#include "shell/HexText.h"
#include "tape/AudioFormat.h"
#include "tape/LeadInFinder.h"
#include "tape/RobustReader.h"

namespace {
// A lead-in lasts about 2.6 s; one heard without a sync this long after it was noise.
constexpr double leadInGiveUpSeconds = 10;
// Deviation from the centre line below which a recording counts as silent.
constexpr int quietDeviation = 12;
// The noise-proof reader reads the record from its lead-in again; it runs
// only when this much has come since its last run.
constexpr double robustEverySeconds = 0.5;

ByteView tail(ByteView samples, std::size_t from) {
    from = std::min(from, samples.size);
    return ByteView(samples.data + from, samples.size - from);
}
}

std::string liveStatusText(const LiveState& state) {
    switch (state.phase) {
    case LivePhase::WaitingForLeadIn: return "warte auf Vorton";
    case LivePhase::LeadIn: return "Vorton";
    case LivePhase::Loading: return "SPIEL: Block " + formatDecimal(std::max(1, state.block));
    case LivePhase::Done: return "fertig";
    }
    return {};
}

LiveReader::LiveReader(std::uint32_t rate, const DecoderSettings& settings) : rate_(rate), settings_(settings) {
    settings_.resumeSearch = true;
}

void LiveReader::finish(const DecodedRecord& record) {
    state_.phase = LivePhase::Done;
    state_.recordEnd = state_.recordStart + record.endPosition;
    ++state_.records;
}

const LiveState& LiveReader::update(ByteView samples) {
    if (state_.phase == LivePhase::Done) return state_;
    if (state_.phase == LivePhase::WaitingForLeadIn) {
        LeadIn found;
        if (!findLeadIn(samples, 2.0 * halfCellSamplesAt(rate_), scan_, found)) return state_;
        state_.phase = LivePhase::LeadIn;
        state_.recordStart = found.position;
        state_.block = 0;
        robustFrom_ = 0;
    }
    ByteView record = tail(samples, state_.recordStart);
    // Read to its end byte is the end of the record, faulty blocks or not:
    // which blocks are good is for the reading of the whole recording to say.
    DecodedRecord exact = decodeRecord(record, settings_);
    if (exact.status == DecodeStatus::Ok) {
        finish(exact);
        return state_;
    }
    const bool exactFollows = exact.status == DecodeStatus::CutShort && exact.faulty == 0;
    if (exactFollows) {
        state_.phase = LivePhase::Loading;
        state_.block = exact.blocks;
        return state_;
    }
    // The first reader has lost the record or finds none yet: the second one
    // reads it, at most every half second of sound.
    if (samples.size >= robustFrom_ + static_cast<std::size_t>(robustEverySeconds * rate_)) {
        robustFrom_ = samples.size;
        DecodedRecord robust = decodeRecordFiltered(record, rate_);
        if (robust.status == DecodeStatus::Ok) {
            finish(robust);
            return state_;
        }
        if (robust.status == DecodeStatus::CutShort && robust.syncPosition > 0) {
            state_.phase = LivePhase::Loading;
            state_.block = std::max(robust.blocks, state_.block);
            return state_;
        }
    }
    if (state_.phase == LivePhase::LeadIn && record.size > static_cast<std::size_t>(leadInGiveUpSeconds * rate_)) {
        // Noise that sounded like a lead-in: the search goes on behind it.
        state_.phase = LivePhase::WaitingForLeadIn;
        scan_ = std::max(scan_, state_.recordStart + 1);
    }
    return state_;
}

bool LiveReader::soundEnded(ByteView samples) const {
    if (state_.phase != LivePhase::Done || samples.size < state_.recordEnd) return false;
    std::size_t behind = samples.size - state_.recordEnd;
    if (behind >= 2 * static_cast<std::size_t>(rate_)) return true;
    std::size_t quarter = rate_ / 4;
    if (behind < quarter) return false;
    const std::uint8_t* last = samples.data + samples.size - quarter;
    auto [low, high] = std::minmax_element(last, last + quarter);
    return *high - 128 <= quietDeviation && 128 - *low <= quietDeviation;
}

void LiveReader::next() {
    if (state_.phase != LivePhase::Done) return;
    scan_ = state_.recordEnd;
    state_.phase = LivePhase::WaitingForLeadIn;
    state_.block = 0;
}

