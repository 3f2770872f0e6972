#pragma once
// The record behind the sync, byte by byte: pre-byte, name, gap, blocks, end
// byte and `sa`. Both readers hand their bytes to this one parser, so they
// agree on header, block checksums and report.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tape/Decoder.h"

// Where the parser takes its bytes from: one of the readers, placed just
// behind the sync byte.
struct ByteSource {
    // The next byte, most significant bit first, inverted when asked to; false
    // when the samples end first.
    virtual bool readByte(std::uint8_t& byte) = 0;
    virtual void setInverted(bool inverted) = 0;
    // The sample after the last one read.
    virtual std::size_t position() const = 0;
    // beginBlock: called before the length byte of each block. doubtsBlock:
    // called once the checksum is read; true when the source doubts the block
    // even where its checksum is true (some bits were so weak that flipping
    // them would leave the checksum true). By default a source never doubts.
    virtual void beginBlock() {}
    virtual bool doubtsBlock() { return false; }
    // Where a block's checksum came out wrong or the block is doubted: reads
    // the `count` bytes since beginBlock() once more in another way (the
    // `attempt`-th, from 0) into `bytes` (without moving on); false when the
    // source has no such way. The block
    // counts as good when the length is the same and the checksum true, and
    // the source does not doubt it. By default a source cannot.
    virtual bool rereadBlock(std::uint8_t* bytes, std::size_t count, int attempt) {
        (void)bytes, (void)count, (void)attempt;
        return false;
    }
    // Whether the last byte read, `byte`, may have been `expected`: they
    // differ only in bits the source doubts. By default a byte is what it is.
    virtual bool mayBe(std::uint8_t byte, std::uint8_t expected) const {
        (void)byte, (void)expected;
        return false;
    }
    // The soft values of the last byte's 8 bits, most significant first, as
    // the byte was given (inverted where asked): the sign is the bit (positive:
    // 1), the size how far the bit stood above the noise (below weakSoftValue
    // it is weak). rereadSoftBits: the same for the `count` bytes of the last
    // rereadBlock(). False when the source has none (the default).
    virtual bool softBits(float* soft) const {
        (void)soft;
        return false;
    }
    virtual bool rereadSoftBits(float* soft, std::size_t count) const {
        (void)soft, (void)count;
        return false;
    }
    // How strongly the signal bore out each of the last byte's 8 bits, most
    // significant first, in the source's own measure (the same for every bit
    // of a record): negative where it spoke against the bit as given. Both
    // readers give it; false when the source cannot tell (the default).
    virtual bool bitStrengths(float* strength) const {
        (void)strength;
        return false;
    }
    virtual ~ByteSource() = default;
};

// A bit whose soft value is smaller than this in size may have been read wrong.
constexpr float weakSoftValue = 0.35f;

// A bit of name or sa borne out by less than this share of the median
// strength of the strengthNeighbours bits read on either side of it may have
// been read wrong, whichever reader read it: a codec or a gain control can
// leave one bit that weak where hiss is far off. Where the reader gives soft
// values, only in a record whose name and sa stand clearSoftValue above the
// noise (in the median): in hiss the soft values judge.
constexpr float weakStrengthShare = 0.35f;
constexpr std::size_t strengthNeighbours = 4;
constexpr float clearSoftValue = 8.0f;

// Whether any of `strength` lies below weakStrengthShare of `typical` (none
// where the typical strength is unknown, 0).
bool anyRelativelyWeak(const std::vector<float>& strength, float typical);

// A weak bit of a block: its byte counted from the length byte, its place (0:
// least significant) and its value as read.
struct WeakBit {
    int byte;
    int bit;
    bool one;
};

// More weak bits than this in one block make it doubtful as a whole; a reader
// keeps at most this many of them.
constexpr int maxWeakBits = 24;

// Whether a block whose checksum came out true may still be wrong: it has more
// than maxWeakBits weak bits (`count`; `weak` holds the first of them), its
// length byte holds a weak bit, or some of its weak bits, flipped, would change
// the sum (address, data) and the checksum byte (at `checksumByte`) alike
// modulo 256.
bool weakBitsMayCancel(const WeakBit* weak, int count, int checksumByte);

// Reads the record from the pre-byte on into `record` (status, header, image,
// blocks, faulty blocks, end position, and where the source gives them the
// soft values and the unsure flags of name and sa); writes the header fields to `fields`
// (may be null) as soon as each is known.
void parseRecord(ByteSource& source, DecodedRecord& record, HeaderFieldSink* fields);
