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

void parseRecord(ByteSource& source, DecodedRecord& record, HeaderFieldSink* fields) {
    std::uint8_t byte = 0;
    if (!source.readByte(byte)) return stop(record, DecodeStatus::CutShort, source);
    if (byte != tape::preByte && is(source, byte, static_cast<std::uint8_t>(~tape::preByte))) record.inverted = true;
    else if (!is(source, byte, tape::preByte)) return stop(record, DecodeStatus::NoPreByte, source);
    source.setInverted(record.inverted);

    // The name: 16 bytes; a zero byte ends it.
    std::string name;
    bool ended = false;
    for (int i = 0; i < tape::nameBytes; ++i) {
        if (!source.readByte(byte)) return stop(record, DecodeStatus::CutShort, source);
        keepSoft(source, record.nameSoft);
        ended = ended || byte == 0;
        if (!ended) name += static_cast<char>(byte);
    }
    record.header.name = name;
    record.nameRead = true;
    record.nameUnsure = anyWeak(record.nameSoft);
    setField(fields, HeaderField::Name, name);

    // The gap: on to the first control character (skipping what a longer name
    // left), then on to the first byte that is not 0x00, which opens a block.
    do {
        if (!source.readByte(byte)) return stop(record, DecodeStatus::CutShort, source);
    } while (byte >= 0x20);
    do {
        if (!source.readByte(byte)) return stop(record, DecodeStatus::CutShort, source);
    } while (byte != tape::blockPreByte && is(source, byte, 0x00));
    if (!is(source, byte, tape::blockPreByte)) return stop(record, DecodeStatus::NoBlockPreByte, source);

    record.image.reserve(maxImageBytes);
    record.blocks = 1;
    for (;;) {
        std::uint8_t length = 0, low = 0, high = 0, checksum = 0;
        source.beginBlock();
        const std::size_t blockBegin = source.position();
        const std::size_t softStart = record.blockSoft.size();
        for (std::uint8_t* framing : {&length, &low, &high}) {
            if (!source.readByte(*framing)) return stop(record, DecodeStatus::CutShort, source);
            keepSoft(source, record.blockSoft);
        }
        std::size_t count = length == 0 ? 256 : length;
        if (record.blocks == 1) record.header.aa = static_cast<std::uint16_t>(low | high << 8);
        if (record.image.size() + count > maxImageBytes) return stop(record, DecodeStatus::TooLong, source);
        unsigned sum = low + high;
        for (std::size_t i = 0; i < count; ++i) {
            if (!source.readByte(byte)) return stop(record, DecodeStatus::CutShort, source);
            keepSoft(source, record.blockSoft);
            record.image.push_back(byte);
            sum += byte;
        }
        if (!source.readByte(checksum)) return stop(record, DecodeStatus::CutShort, source);
        keepSoft(source, record.blockSoft);
        record.blockSpans.push_back(BlockSpan{blockBegin, source.position()});
        bool good = checksum == static_cast<std::uint8_t>(sum) && !source.doubtsBlock();
        if (!good) {
            // Length, address, data and checksum once more; taken when the
            // length is the same and the checksum now comes out true, undoubted.
            std::uint8_t again[tape::blockSize + 4];
            for (int attempt = 0; !good && source.rereadBlock(again, count + 4, attempt); ++attempt) {
                if (again[0] != length) continue;
                unsigned sumAgain = again[1] + again[2];
                for (std::size_t i = 0; i < count; ++i) sumAgain += again[3 + i];
                if (again[count + 3] != static_cast<std::uint8_t>(sumAgain) || source.doubtsBlock()) continue;
                std::copy(again + 3, again + 3 + count, record.image.end() - static_cast<std::ptrdiff_t>(count));
                if (record.blocks == 1) record.header.aa = static_cast<std::uint16_t>(again[1] | again[2] << 8);
                // The soft values are the reread's too.
                float soft[(tape::blockSize + 4) * 8];
                if (record.blockSoft.size() == softStart + (count + 4) * 8 && source.rereadSoftBits(soft, count + 4))
                    std::copy(soft, soft + (count + 4) * 8, record.blockSoft.begin() + static_cast<std::ptrdiff_t>(softStart));
                good = true;
            }
        }
        if (!good) {
            ++record.faulty;
            record.faultyBlocks.push_back(record.blocks);
        }
        if (!source.readByte(byte)) return stop(record, DecodeStatus::CutShort, source);
        // Exactly: a block taken for the end would cut the image short unseen.
        if (byte == tape::endByte) break;
        if (byte != tape::blockPreByte) return stop(record, DecodeStatus::NoEndByte, source);
        record.irregularBlocks = record.irregularBlocks || count != tape::blockSize;
        ++record.blocks;
    }

    std::uint8_t low = 0, high = 0;
    for (std::uint8_t* half : {&low, &high}) {
        if (!source.readByte(*half)) return stop(record, DecodeStatus::CutShort, source);
        keepSoft(source, record.startSoft);
    }
    record.startUnsure = anyWeak(record.startSoft);
    record.header.sa = static_cast<std::uint16_t>(low | high << 8);
    record.header.ea = static_cast<std::uint16_t>(record.header.aa + record.image.size() - 1);
    setField(fields, HeaderField::Aa, formatHex4(record.header.aa));
    setField(fields, HeaderField::Ea, formatHex4(record.header.ea));
    setField(fields, HeaderField::Sa, formatHex4(record.header.sa));
    stop(record, DecodeStatus::Ok, source);
}
