#include "tape/RecordParser.h"

#include <algorithm>
#include <bitset>
#include <cmath>
#include <string>

#include "shell/HexText.h"
#include "tape/TapeRecord.h"

namespace {
void setField(HeaderFieldSink* fields, HeaderField field, std::string_view text) {
    if (fields) fields->setField(field, text);
}

void stop(DecodedRecord& record, DecodeStatus status, const ByteSource& source) {
    record.status = status;
    record.endPosition = source.position();
}

// Whether the last byte read is the framing byte `expected`, or may have been.
// Only for bytes that, taken wrongly, make the record fail and never make a
// wrong one look good: the pre-byte (a wrong polarity fails every block), the
// gap and the first block's pre-byte (a block out of step fails its checksum).
bool is(const ByteSource& source, std::uint8_t byte, std::uint8_t expected) {
    return byte == expected || source.mayBe(byte, expected);
}

// The soft values of the last byte read, where the source gives them.
void keepSoft(const ByteSource& source, std::vector<float>& soft) {
    float bits[8];
    if (source.softBits(bits)) soft.insert(soft.end(), bits, bits + 8);
}

bool anyWeak(const std::vector<float>& soft) {
    return std::any_of(soft.begin(), soft.end(), [](float value) { return std::fabs(value) < weakSoftValue; });
}

// The strengths of the last byte read: into `tally` (for the typical
// strength), and into `kept` where given.
void keepStrength(const ByteSource& source, std::vector<float>& tally, std::vector<float>* kept = nullptr) {
    float bits[8];
    if (!source.bitStrengths(bits)) return;
    tally.insert(tally.end(), bits, bits + 8);
    if (kept) kept->insert(kept->end(), bits, bits + 8);
}

float median(std::vector<float> values) {
    if (values.empty()) return 0;
    auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return std::max(0.0f, *middle);
}
}

bool anyRelativelyWeak(const std::vector<float>& strength, float typical) {
    return typical > 0 && std::any_of(strength.begin(), strength.end(),
                                      [typical](float value) { return value < weakStrengthShare * typical; });
}

namespace {
// Whether a bit of `bits` [from, from + count) is weak against the bits read
// around it (strengthNeighbours on either side, itself left out): a level dip
// weakens its neighbours alike, a codec's slip one bit alone.
bool anyWeakAmongNeighbours(const std::vector<float>& bits, std::size_t from, std::size_t count) {
    for (std::size_t i = from; i < from + count && i < bits.size(); ++i) {
        std::vector<float> around;
        for (std::size_t j = i >= strengthNeighbours ? i - strengthNeighbours : 0;
             j <= i + strengthNeighbours && j < bits.size(); ++j)
            if (j != i) around.push_back(bits[j]);
        // The lower median: at the edge of a dip half the neighbours lie in it.
        auto lower = around.begin() + static_cast<std::ptrdiff_t>((around.size() - 1) / 2);
        std::nth_element(around.begin(), lower, around.end());
        if (!around.empty() && anyRelativelyWeak({bits[i]}, std::max(0.0f, *lower))) return true;
    }
    return false;
}

// The median size of soft values (0 where there are none).
float medianSize(const std::vector<float>& soft) {
    std::vector<float> sizes;
    for (float value : soft) sizes.push_back(std::fabs(value));
    return median(sizes);
}
}

bool weakBitsMayCancel(const WeakBit* weak, int count, int checksumByte) {
    if (count > maxWeakBits) return true;
    // Each weak bit, flipped, changes the sum or the checksum by a power of two.
    std::bitset<256> reachable;
    reachable.set(0);
    for (int i = 0; i < count; ++i) {
        if (weak[i].byte == 0) return true;   // the length byte: the whole framing is in doubt
        int change = (weak[i].one ? -1 : 1) * (1 << weak[i].bit);
        if (weak[i].byte == checksumByte) change = -change;
        int step = (change % 256 + 256) % 256;
        if (reachable[(256 - step) % 256]) return true;
        reachable |= (reachable << step) | (reachable >> (256 - step));
    }
    return false;
}

namespace {
// One reading of the record behind the sync; each step reads its part and
// returns the status it ended with (Ok: on to the next part).
class RecordParse {
  public:
    RecordParse(ByteSource& source, DecodedRecord& record, HeaderFieldSink* fields)
        : source_(source), record_(record), fields_(fields) {}

    void run() {
        DecodeStatus status = preByte();
        if (status == DecodeStatus::Ok) status = name();
        if (status == DecodeStatus::Ok) status = gap();
        if (status == DecodeStatus::Ok) status = blocks();
        if (status == DecodeStatus::Ok) status = startAddress();
        judgeStrengths();
        judgeUnconfirmed(status);
        stop(record_, status, source_);
    }

  private:
    bool next(std::uint8_t& byte) { return source_.readByte(byte); }

    // Name and sa against the typical strength of the bits read around them
    // (pre-byte, name, gap and sa: the blocks' bits are guarded by their checksums).
    // Where a source also tells how far its bits stood above the noise, a
    // bit far weaker than its neighbours in hiss is hiss's doing, which the
    // soft values judge: the strengths judge only a record that stands clear of it.
    void judgeStrengths() {
        record_.typicalStrength = median(tally_);
        std::vector<float> soft = record_.nameSoft;
        soft.insert(soft.end(), record_.startSoft.begin(), record_.startSoft.end());
        if (!soft.empty() && medianSize(soft) < clearSoftValue) return;
        record_.nameUnsure = record_.nameUnsure || anyWeakAmongNeighbours(tally_, nameAt_, record_.nameStrength.size());
        record_.startUnsure = record_.startUnsure || anyWeakAmongNeighbours(tally_, startAt_, record_.startStrength.size());
    }

    // The name and sa carry no checksum: that the reader was in step with the
    // record while it read them, only the blocks around them tell. Where it
    // read blocks and not one came back good, or lost the record before the
    // first one, nothing does (an echo can give strong bits of another place).
    void judgeUnconfirmed(DecodeStatus status) {
        const bool anyGood = record_.blockSpans.size() > static_cast<std::size_t>(record_.faulty);
        if (anyGood || (record_.blockSpans.empty() && status != DecodeStatus::NoBlockPreByte)) return;
        record_.nameUnsure = record_.nameUnsure || record_.nameRead;
        record_.startUnsure = record_.startUnsure || status == DecodeStatus::Ok;
    }

    // 0x55, or 0xAA at reversed polarity: every byte behind it is inverted then.
    DecodeStatus preByte() {
        std::uint8_t byte = 0;
        if (!next(byte)) return DecodeStatus::CutShort;
        keepStrength(source_, tally_);
        if (byte != tape::preByte && is(source_, byte, static_cast<std::uint8_t>(~tape::preByte))) record_.inverted = true;
        else if (!is(source_, byte, tape::preByte)) return DecodeStatus::NoPreByte;
        source_.setInverted(record_.inverted);
        return DecodeStatus::Ok;
    }

    // 16 bytes; a zero byte ends the name.
    DecodeStatus name() {
        std::string name;
        bool ended = false;
        for (int i = 0; i < tape::nameBytes; ++i) {
            std::uint8_t byte = 0;
            if (!next(byte)) return DecodeStatus::CutShort;
            keepSoft(source_, record_.nameSoft);
            if (i == 0) nameAt_ = tally_.size();
            keepStrength(source_, tally_, &record_.nameStrength);
            ended = ended || byte == 0;
            if (!ended) name += static_cast<char>(byte);
        }
        record_.header.name = name;
        record_.nameRead = true;
        record_.nameUnsure = anyWeak(record_.nameSoft);
        setField(fields_, HeaderField::Name, name);
        return DecodeStatus::Ok;
    }

    // On to the first control character (skipping what a longer name left),
    // then on to the first byte that is not 0x00, which opens a block.
    DecodeStatus gap() {
        std::uint8_t byte = 0;
        do {
            if (!next(byte)) return DecodeStatus::CutShort;
            keepStrength(source_, tally_);
        } while (byte >= 0x20);
        do {
            if (!next(byte)) return DecodeStatus::CutShort;
            keepStrength(source_, tally_);
        } while (byte != tape::blockPreByte && is(source_, byte, 0x00));
        return is(source_, byte, tape::blockPreByte) ? DecodeStatus::Ok : DecodeStatus::NoBlockPreByte;
    }

    // Block after block up to the end byte.
    DecodeStatus blocks() {
        record_.image.reserve(maxImageBytes);
        record_.blocks = 1;
        for (;;) {
            std::size_t count = 0;
            DecodeStatus status = block(count);
            if (status != DecodeStatus::Ok) return status;
            std::uint8_t byte = 0;
            if (!next(byte)) return DecodeStatus::CutShort;
            // Exactly: a block taken for the end would cut the image short unseen.
            if (byte == tape::endByte) {
                keepStrength(source_, tally_);   // what sa's bits are weighed against
                return DecodeStatus::Ok;
            }
            if (byte != tape::blockPreByte) return DecodeStatus::NoEndByte;
            record_.irregularBlocks = record_.irregularBlocks || count != tape::blockSize;
            ++record_.blocks;
        }
    }

    // Length, address, data and checksum of one block; a block whose checksum
    // fails (or that the source doubts) is read once more where the source can.
    DecodeStatus block(std::size_t& count) {
        std::uint8_t length = 0, low = 0, high = 0, checksum = 0, byte = 0;
        source_.beginBlock();
        const std::size_t blockBegin = source_.position();
        const std::size_t softStart = record_.blockSoft.size();
        for (std::uint8_t* framing : {&length, &low, &high}) {
            if (!next(*framing)) return DecodeStatus::CutShort;
            keepSoft(source_, record_.blockSoft);
        }
        count = length == 0 ? 256 : length;
        if (record_.blocks == 1) record_.header.aa = static_cast<std::uint16_t>(low | high << 8);
        if (record_.image.size() + count > maxImageBytes) return DecodeStatus::TooLong;
        unsigned sum = low + high;
        for (std::size_t i = 0; i < count; ++i) {
            if (!next(byte)) return DecodeStatus::CutShort;
            keepSoft(source_, record_.blockSoft);
            record_.image.push_back(byte);
            sum += byte;
        }
        if (!next(checksum)) return DecodeStatus::CutShort;
        keepSoft(source_, record_.blockSoft);
        record_.blockSpans.push_back(BlockSpan{blockBegin, source_.position()});
        bool good = checksum == static_cast<std::uint8_t>(sum) && !source_.doubtsBlock();
        if (!good) good = reread(length, count, softStart);
        if (!good) {
            ++record_.faulty;
            record_.faultyBlocks.push_back(record_.blocks);
        }
        return DecodeStatus::Ok;
    }

    // Length, address, data and checksum once more; taken when the length is
    // the same and the checksum now comes out true, undoubted.
    bool reread(std::uint8_t length, std::size_t count, std::size_t softStart) {
        std::uint8_t again[tape::blockSize + 4];
        for (int attempt = 0; source_.rereadBlock(again, count + 4, attempt); ++attempt) {
            if (again[0] != length) continue;
            unsigned sumAgain = again[1] + again[2];
            for (std::size_t i = 0; i < count; ++i) sumAgain += again[3 + i];
            if (again[count + 3] != static_cast<std::uint8_t>(sumAgain) || source_.doubtsBlock()) continue;
            std::copy(again + 3, again + 3 + count, record_.image.end() - static_cast<std::ptrdiff_t>(count));
            if (record_.blocks == 1) record_.header.aa = static_cast<std::uint16_t>(again[1] | again[2] << 8);
            // The soft values are the reread's too.
            float soft[(tape::blockSize + 4) * 8];
            if (record_.blockSoft.size() == softStart + (count + 4) * 8 && source_.rereadSoftBits(soft, count + 4))
                std::copy(soft, soft + (count + 4) * 8, record_.blockSoft.begin() + static_cast<std::ptrdiff_t>(softStart));
            return true;
        }
        return false;
    }

    // sa, low byte first; with it the header is complete.
    DecodeStatus startAddress() {
        std::uint8_t low = 0, high = 0;
        for (std::uint8_t* half : {&low, &high}) {
            if (!next(*half)) return DecodeStatus::CutShort;
            keepSoft(source_, record_.startSoft);
            if (half == &low) startAt_ = tally_.size();
            keepStrength(source_, tally_, &record_.startStrength);
        }
        record_.startUnsure = anyWeak(record_.startSoft);
        record_.header.sa = static_cast<std::uint16_t>(low | high << 8);
        record_.header.ea = static_cast<std::uint16_t>(record_.header.aa + record_.image.size() - 1);
        setField(fields_, HeaderField::Aa, formatHex4(record_.header.aa));
        setField(fields_, HeaderField::Ea, formatHex4(record_.header.ea));
        setField(fields_, HeaderField::Sa, formatHex4(record_.header.sa));
        return DecodeStatus::Ok;
    }

    ByteSource& source_;
    DecodedRecord& record_;
    HeaderFieldSink* fields_;
    std::vector<float> tally_;   // the strengths of the bits outside the blocks, in order
    std::size_t nameAt_ = 0, startAt_ = 0;   // where the name's and sa's bits begin in it
};
}

void parseRecord(ByteSource& source, DecodedRecord& record, HeaderFieldSink* fields) {
    RecordParse(source, record, fields).run();
}
