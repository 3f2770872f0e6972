#pragma once
// WAV to BIN: finds the sync in 8-bit samples, reads the record byte by byte
// and recovers name, addresses and image, and words the report on it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/LeadInFinder.h"
#include "tape/TapeHeader.h"

// The header fields of a record, told to whoever shows them as soon as each
// is read: the name as read, the addresses as four hex digits.
enum class HeaderField { Name, Aa, Ea, Sa };
struct HeaderFieldSink {
    virtual void setField(HeaderField field, std::string_view text) = 0;
    virtual ~HeaderFieldSink() = default;
};

struct DecoderSettings {
    int threshold = 20;                 // T: 20 at 44100, 10 at 22050 (stretchThresholdAt)
    std::uint8_t triggerLevel = 0x76;   // the byte reader's level
    // Let the sync search go on behind a candidate whose pattern does not fit
    // (for reading a whole tape side); off, the attempt ends there.
    bool resumeSearch = false;
    // The quiet band of the level analysis where the caller knows it already
    // (quietBand of the same samples); below 0 the reader measures it.
    int quietBand = -1;
    // The sync search ends at this sample (for the noise-proof reader of a
    // fallback too): a record must begin before it.
    std::size_t syncLimit = static_cast<std::size_t>(-1);
};

// The settings for samples at `rate`: its threshold and `triggerLevel`.
DecoderSettings decoderSettingsAt(std::uint32_t rate, std::uint8_t triggerLevel);

// Half of the mean deviation from the centre line, the band the sync search
// skips as quiet; -1 when the samples are too quiet (all on the centre line).
int quietBand(ByteView samples);
// The same in parts, for samples that come a stretch at a time: the sum of
// their deviations from the centre line, and the band of `count` samples
// whose deviations sum to `total` (-1 where too quiet).
std::uint64_t deviationTotal(ByteView samples);
int quietBandOf(std::uint64_t total, std::uint64_t count);

// NoSyncBehindLeadIn: a tape side's scan heard a lead-in long enough to be one,
// but neither reader found a sync behind it (a record that cannot be read).
enum class DecodeStatus { Ok, TooQuiet, NoSync, NoPreByte, NoBlockPreByte, NoEndByte, CutShort, TooLong, NoSyncBehindLeadIn };

// The string id shown for a status (0 for Ok).
int decodeStatusMessage(DecodeStatus status);

constexpr std::size_t maxImageBytes = 65536;

// Where one block lay in the samples: from its length byte to behind its checksum.
struct BlockSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// A block mended by flipping a few of its weakest bits (BlockRepair.h):
// each bit's byte counted from the block's length byte (3: the first data
// byte), its place (0: least significant) and the sample it lay at.
struct RepairedBit {
    int byte = 0;
    int bit = 0;
    std::size_t at = 0;
};
struct RepairedBlock {
    int block = 0;                      // from 1
    std::vector<RepairedBit> bits;
    std::uint32_t rate = 0;             // of the samples `at` counts in
};

struct DecodedRecord {
    DecodeStatus status = DecodeStatus::NoSync;
    TapeHeader header;                  // name: the 16 bytes read, up to a zero byte
    std::vector<std::uint8_t> image;    // the data bytes of all blocks, in order
    int blocks = 0;
    int faulty = 0;
    std::vector<int> faultyBlocks;      // numbers of the blocks with a wrong checksum, from 1
    // Blocks whose checksum came out true only by flipping bits (never
    // faulty at once): mended, but unsure.
    std::vector<RepairedBlock> repairedBlocks;
    bool inverted = false;              // the pre-byte read as 0xAA
    bool nameRead = false;
    std::size_t syncPosition = 0;       // the first sample behind the sync (0: no sync found)
    // How much of a lead-in was heard before the sync, where the search asked
    // for one (LeadInFinder.h; a search that did not ask takes it as heard).
    LeadInBefore leadIn{windowsBeforeSync, windowsBeforeSync};
    std::size_t endPosition = 0;        // the sample after the last one read
    bool filtered = false;              // read by the noise-proof reader (RobustReader.h)
    bool equalised = false;             // read from the samples with the echoes taken out (Equaliser.h)
    std::vector<BlockSpan> blockSpans;  // each block read up to its checksum, in order
    // The reader's soft values, where it gives them (ByteSource::softBits;
    // empty otherwise), bit by bit, most significant first: the 16 name bytes,
    // the two bytes of sa, and each block's length, address, data and checksum
    // bytes (blockSoftOffset), block after block. Name and sa have no checksum:
    // a weak bit in them makes them unsure.
    std::vector<float> nameSoft, startSoft, blockSoft;
    // How strongly the signal bore out each bit of the name and of sa (both
    // readers, ByteSource::bitStrengths; negative: it spoke against the bit),
    // and the median strength of the bits from the pre-byte to the first
    // block, of the end byte and of sa (0: not known). A bit far weaker than
    // the bits around it makes name or sa unsure too (RecordParser.h).
    std::vector<float> nameStrength, startStrength;
    float typicalStrength = 0;
    bool nameUnsure = false;
    bool startUnsure = false;
    // A block before the last held fewer than 256 bytes: block k's bytes then
    // do not begin at 256 (k - 1), and blocks are not matched by number.
    bool irregularBlocks = false;
    // Where the lead-in tone began, where a scan followed a tone with no sync
    // behind it (NoSyncBehindLeadIn) from its beginning.
    std::optional<std::size_t> toneStart;
};

// Where block `block` (from 1) begins in DecodedRecord::blockSoft: every block
// before it holds 256 data bytes.
constexpr std::size_t blockSoftOffset(int block) { return static_cast<std::size_t>(block - 1) * (256 + 4) * 8; }

// The report lines for an unsure name and sa.
constexpr const char* nameUnsureLine = "Programmname unsicher gelesen, bitte prüfen";
constexpr const char* startUnsureLine = "Startadresse unsicher gelesen, bitte prüfen";

// Whether block `block` (from 1) of the reading failed its checksum.
bool isFaultyBlock(const DecodedRecord& record, int block);

// Decodes the first record found from sample `start` on. Pure: no messages; the
// fields are written to `fields` (may be null) as soon as they are known.
DecodedRecord decodeRecord(ByteView samples, const DecoderSettings& settings, std::size_t start = 0,
                           HeaderFieldSink* fields = nullptr);

// "Programmname:\t..." of the question whether to save, and "Blöcke gelesen:\t..."
// of the report on faulty blocks.
std::string decodeReportText(const DecodedRecord& record);
// The lines of that report, without line breaks: name (as given), blocks,
// length and CRC; then the notes (second reader, unsure name or sa).
std::vector<std::string> readingLines(const DecodedRecord& record, std::string_view name);
std::vector<std::string> readingNotes(const DecodedRecord& record);
std::string faultyReportText(const DecodedRecord& record);
