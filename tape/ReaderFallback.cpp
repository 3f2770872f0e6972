#include "tape/ReaderFallback.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tape/Equaliser.h"
#include "tape/RobustReader.h"
#include "tape/TapeRecord.h"

namespace {
// Holds the second reader's fields until its result is taken.
struct HeldFields : HeaderFieldSink {
    std::vector<std::pair<HeaderField, std::string>> fields;
    void setField(HeaderField field, std::string_view text) override { fields.emplace_back(field, std::string(text)); }
    void passTo(HeaderFieldSink* sink) const {
        if (sink)
            for (const auto& field : fields) sink->setField(field.first, field.second);
    }
};
}

bool readWhole(const DecodedRecord& record) { return record.status == DecodeStatus::Ok && record.faulty == 0; }

bool readSure(const DecodedRecord& record) {
    return readWhole(record) && !record.nameUnsure && !record.startUnsure && record.repairedBlocks.empty();
}

std::string notSureReason(const DecodedRecord& record) {
    if (!readWhole(record)) return "fehlerhafte Blöcke";
    if (!record.repairedBlocks.empty()) return "Blöcke nur repariert, unsicher";
    if (record.nameUnsure && record.startUnsure) return "Programmname und Startadresse unsicher gelesen";
    if (record.nameUnsure) return "Programmname unsicher gelesen";
    if (record.startUnsure) return "Startadresse unsicher gelesen";
    return "";
}

bool foundRecord(const DecodedRecord& record) {
    return record.status != DecodeStatus::NoSync && record.status != DecodeStatus::TooQuiet;
}

DecodedRecord mergeBestBlocks(const DecodedRecord& first, const DecodedRecord& second) {
    const bool firstRead = first.status == DecodeStatus::Ok, secondRead = second.status == DecodeStatus::Ok;
    if (!secondRead) return first;
    if (!firstRead) return second;
    const DecodedRecord& base = second.faulty < first.faulty ? second : first;
    const DecodedRecord& other = &base == &first ? second : first;
    if (base.blocks != other.blocks || base.image.size() != other.image.size() || base.irregularBlocks ||
        other.irregularBlocks)
        return base;
    DecodedRecord merged = base;
    merged.faultyBlocks.clear();
    for (int block : base.faultyBlocks) {
        if (isFaultyBlock(other, block)) {
            merged.faultyBlocks.push_back(block);
            continue;
        }
        // Block k (from 1) holds the image bytes from 256 (k - 1) on.
        std::size_t from = static_cast<std::size_t>(block - 1) * tape::blockSize;
        std::size_t to = std::min(merged.image.size(), from + tape::blockSize);
        std::copy(other.image.begin() + static_cast<std::ptrdiff_t>(from),
                  other.image.begin() + static_cast<std::ptrdiff_t>(to),
                  merged.image.begin() + static_cast<std::ptrdiff_t>(from));
        // Block 1 holds the start address: the other reading's goes along.
        if (block == 1) merged.header.aa = other.header.aa, merged.header.ea = other.header.ea;
        merged.filtered = merged.filtered || other.filtered;
    }
    merged.faulty = static_cast<int>(merged.faultyBlocks.size());
    // Only the second reader gives soft values: they go along for merging copies.
    if (merged.blockSoft.empty()) merged.blockSoft = other.blockSoft;
    return merged;
}

namespace {
// The second reader on the record the first one read from `start`.
DecodedRecord secondReading(ByteView samples, const DecoderSettings& settings, std::uint32_t rate, std::size_t start,
                            const DecodedRecord& first, HeaderFieldSink* fields) {
    // Where the first reader read a name, it was in a real record: the second
    // must read that one (or one before it), not one further on.
    std::size_t limit = std::min(first.nameRead ? first.endPosition : static_cast<std::size_t>(-1), settings.syncLimit);
    return decodeRecordFiltered(samples, rate, start, fields, limit);
}

// Where the two readers place the same sync, they differ by far less than
// these samples (two bytes at the slowest speed).
constexpr std::size_t syncMargin = 800;

// The bytes of a name as read: up to its zero byte, the rest unknown (0).
std::vector<std::uint8_t> nameBytesOf(const DecodedRecord& record) {
    std::vector<std::uint8_t> bytes(tape::nameBytes, 0);
    std::copy_n(record.header.name.begin(), std::min<std::size_t>(record.header.name.size(), bytes.size()), bytes.begin());
    return bytes;
}

// Whether `taken`'s bytes differ from `other`'s in a bit (of the first `known`
// bytes) that `taken` read more weakly, each against its typical strength.
bool weakerWhereTheyDiffer(const std::vector<std::uint8_t>& taken, const std::vector<std::uint8_t>& other,
                           std::size_t known, const DecodedRecord& takenReading, const std::vector<float>& takenStrength,
                           const DecodedRecord& otherReading, const std::vector<float>& otherStrength) {
    if (takenStrength.size() < known * 8 || otherStrength.size() < known * 8 || takenReading.typicalStrength <= 0 ||
        otherReading.typicalStrength <= 0)
        return false;
    for (std::size_t bit = 0; bit < known * 8; ++bit) {
        const int mask = 0x80 >> (bit % 8);
        if (((taken[bit / 8] ^ other[bit / 8]) & mask) == 0) continue;
        if (takenStrength[bit] / takenReading.typicalStrength <= otherStrength[bit] / otherReading.typicalStrength)
            return true;
    }
    return false;
}

// Marks `taken` unsure in name or sa where `other`, the other reader's
// reading of the same record to its end, read a bit of it otherwise and more
// strongly. A reading that lost the record on the way (out of step in a dip)
// may have read strong bits of another place: it does not count.
void flagDisagreement(DecodedRecord& taken, const DecodedRecord& other) {
    if (other.status != DecodeStatus::Ok) return;
    if (taken.nameRead && other.nameRead) {
        const std::vector<std::uint8_t> a = nameBytesOf(taken), b = nameBytesOf(other);
        // Behind a zero byte a name's bytes were not kept.
        const std::size_t known = std::min(std::min(taken.header.name.size(), other.header.name.size()) + 1, a.size());
        taken.nameUnsure = taken.nameUnsure ||
                           weakerWhereTheyDiffer(a, b, known, taken, taken.nameStrength, other, other.nameStrength);
    }
    if (taken.status == DecodeStatus::Ok) {
        const std::vector<std::uint8_t> a{static_cast<std::uint8_t>(taken.header.sa & 0xFF),
                                          static_cast<std::uint8_t>(taken.header.sa >> 8)};
        const std::vector<std::uint8_t> b{static_cast<std::uint8_t>(other.header.sa & 0xFF),
                                          static_cast<std::uint8_t>(other.header.sa >> 8)};
        taken.startUnsure = taken.startUnsure ||
                            weakerWhereTheyDiffer(a, b, 2, taken, taken.startStrength, other, other.startStrength);
    }
}
}

namespace {
DecodedRecord readBothWays(ByteView samples, const DecoderSettings& settings, std::uint32_t rate, std::size_t start,
                           HeaderFieldSink* fields, const ReadingChoice& choice) {
    DecodedRecord first = decodeRecord(samples, settings, start, fields);
    if (choice.exact || readSure(first)) return first;
    HeldFields held;
    DecodedRecord second = secondReading(samples, settings, rate, start, first, &held);
    if (readWhole(first) && !readSure(second)) {
        flagDisagreement(first, second);
        return first;
    }
    if (readWhole(second)) {
        flagDisagreement(second, first);
        held.passTo(fields);
        return second;
    }
    // Where only the second reader found the record, its reading says more
    // (the blocks it read, where it stopped) than "no sync", and shows where
    // the next record may begin.
    if (!foundRecord(first) && foundRecord(second)) {
        held.passTo(fields);
        return second;
    }
    if (choice.keepBestBlocks) return mergeBestBlocks(first, second);
    // Where the first reader lost the record, the second one's reading says
    // more: to its end with the faulty blocks named, or at least further.
    if (foundRecord(second) && first.status != DecodeStatus::Ok &&
        (second.status == DecodeStatus::Ok || second.blockSpans.size() > first.blockSpans.size())) {
        held.passTo(fields);
        return second;
    }
    return first;
}

int goodBlocks(const DecodedRecord& record) { return static_cast<int>(record.blockSpans.size()) - record.faulty; }

// Whether the reading of the equalised samples is to be taken instead of `other`.
bool betterReading(const DecodedRecord& equalised, const DecodedRecord& other) {
    if (!foundRecord(equalised)) return false;
    if (readWhole(equalised)) return !readWhole(other);
    const int gained = goodBlocks(equalised) - goodBlocks(other);
    return gained > 0 || (gained == 0 && equalised.status == DecodeStatus::Ok && other.status != DecodeStatus::Ok);
}

// The equalised samples reach this far behind the guide's reading at first,
// and four times as far again each time the reading runs into their end.
constexpr double tailSeconds = 3;

// Both readers on the samples of the record `guide` read, with the echoes
// learnt from it taken out; positions as in `samples`, the fields held in
// `held`. NoSync where nothing was learnt.
DecodedRecord equalisedReading(ByteView samples, const DecoderSettings& settings, std::uint32_t rate,
                               std::size_t start, const DecodedRecord& guide, HeldFields& held,
                               const ReadingChoice& choice) {
    const LearntEchoes learnt = learnEchoes(samples, rate, guide, start);
    if (learnt.empty()) return DecodedRecord{};
    DecoderSettings inWindow = settings;
    inWindow.quietBand = -1;
    // The same record: its sync where the guide found it.
    const std::size_t limit = std::min(settings.syncLimit, guide.syncPosition + syncMargin);
    inWindow.syncLimit = limit > learnt.begin ? limit - learnt.begin : 0;
    ReadingChoice once = choice;
    once.equalise = false;
    DecodedRecord record;
    for (std::size_t tail = static_cast<std::size_t>(tailSeconds * rate);; tail *= 4) {
        const std::size_t end = std::min(samples.size, learnt.readTo + tail);
        const std::vector<std::uint8_t> equalised = cancelEchoes(samples, learnt, end);
        held.fields.clear();
        record = readBothWays(ByteView(equalised), inWindow, rate, 0, &held, once);
        if (record.status != DecodeStatus::CutShort || end >= samples.size) break;
    }
    record.equalised = true;
    record.syncPosition += learnt.begin;
    record.endPosition += learnt.begin;
    for (BlockSpan& block : record.blockSpans) block.begin += learnt.begin, block.end += learnt.begin;
    if (record.toneStart) *record.toneStart += learnt.begin;
    return record;
}

// Rounds of learning: each from the better reading the one before gave.
constexpr int equaliserRounds = 2;
}

DecodedRecord decodeRecordEitherWay(ByteView samples, const DecoderSettings& settings, std::uint32_t rate,
                                    std::size_t start, HeaderFieldSink* fields, const ReadingChoice& choice) {
    DecodedRecord record = readBothWays(samples, settings, rate, start, fields, choice);
    if (choice.exact || !choice.equalise) return record;
    for (int round = 0; round < equaliserRounds && !readWhole(record) && foundRecord(record); ++round) {
        HeldFields held;
        DecodedRecord equalised = equalisedReading(samples, settings, rate, start, record, held, choice);
        if (!betterReading(equalised, record)) break;
        held.passTo(fields);
        const bool bothToEnd = equalised.status == DecodeStatus::Ok && record.status == DecodeStatus::Ok;
        record = choice.keepBestBlocks && bothToEnd ? mergeBestBlocks(equalised, record) : std::move(equalised);
        record.equalised = true;
    }
    return record;
}

GrowingReading readGrowingRecord(ByteView samples, const DecoderSettings& settings, std::uint32_t rate,
                                 bool secondDue) {
    GrowingReading growing;
    DecodedRecord first = decodeRecord(samples, settings);
    if (first.status == DecodeStatus::CutShort && first.faulty == 0) {
        growing.seen.push_back(std::move(first));
        return growing;
    }
    growing.verdict = GrowingVerdict::Open;
    if (readWhole(first)) {
        growing.verdict = GrowingVerdict::Settled;
        return growing;
    }
    if (!secondDue) return growing;
    growing.secondRan = true;
    DecodedRecord second = secondReading(samples, settings, rate, 0, first, nullptr);
    const bool reading = first.status == DecodeStatus::CutShort || second.status == DecodeStatus::CutShort;
    if (readWhole(second) || (!reading && (foundRecord(first) || foundRecord(second)))) {
        growing.verdict = GrowingVerdict::Settled;
        return growing;
    }
    growing.seen.push_back(std::move(first));
    growing.seen.push_back(std::move(second));
    return growing;
}
