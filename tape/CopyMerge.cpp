#include "tape/CopyMerge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "tape/RecordParser.h"
#include "tape/TapeRecord.h"

namespace {
std::size_t blockStart(int block) { return static_cast<std::size_t>(block - 1) * tape::blockSize; }

std::size_t blockLength(const DecodedRecord& reading, int block) {
    return std::min<std::size_t>(tape::blockSize, reading.image.size() - blockStart(block));
}

bool hasSoftBlock(const DecodedRecord& reading) {
    return reading.blockSoft.size() == (reading.image.size() + 4 * static_cast<std::size_t>(reading.blocks)) * 8;
}

// A copy's votes on `count` bytes: its soft values, or where it has none its
// bytes as read, each bit with hardBitWeight (`known` bytes of them; the rest
// unknown, weight 0), but a bit far weaker than the copy's typical strength
// (`strength` where given) with a weak one.
std::vector<float> bitVotes(const std::vector<float>& soft, const std::uint8_t* bytes, std::size_t known, std::size_t count,
                            const std::vector<float>& strength = {}, float typical = 0) {
    if (soft.size() == count * 8) return soft;
    std::vector<float> bits(count * 8, 0.0f);
    for (std::size_t i = 0; i < known; ++i)
        for (std::size_t bit = 0; bit < 8; ++bit) {
            const bool weak = strength.size() == count * 8 && anyRelativelyWeak({strength[i * 8 + bit]}, typical);
            const float weight = weak ? weakSoftValue / 2 : hardBitWeight;
            bits[i * 8 + bit] = (bytes[i] >> (7 - bit) & 1) ? weight : -weight;
        }
    return bits;
}

// A copy's votes on its name, sa and aa (the address of block 1), bit by bit.
struct HeaderVotes {
    std::vector<float> name, start, address;
};

HeaderVotes headerVotes(const DecodedRecord& copy) {
    // The name was read up to a zero byte, which ended it.
    std::uint8_t name[tape::nameBytes] = {};
    const std::size_t length = std::min<std::size_t>(copy.header.name.size(), tape::nameBytes);
    std::copy(copy.header.name.begin(), copy.header.name.begin() + static_cast<std::ptrdiff_t>(length), name);
    const std::size_t known = std::min<std::size_t>(length + 1, tape::nameBytes);
    const std::uint8_t start[2] = {static_cast<std::uint8_t>(copy.header.sa & 0xFF),
                                   static_cast<std::uint8_t>(copy.header.sa >> 8)};
    const std::uint8_t address[2] = {static_cast<std::uint8_t>(copy.header.aa & 0xFF),
                                     static_cast<std::uint8_t>(copy.header.aa >> 8)};
    HeaderVotes votes{bitVotes(copy.nameSoft, name, known, tape::nameBytes, copy.nameStrength, copy.typicalStrength),
                      bitVotes(copy.startSoft, start, 2, 2, copy.startStrength, copy.typicalStrength), {}};
    // A good block 1 vouches for its address; in a faulty one only its sure bits do.
    std::vector<float> blockAddress;
    if (isFaultyBlock(copy, 1) && hasSoftBlock(copy))
        blockAddress.assign(copy.blockSoft.begin() + 8, copy.blockSoft.begin() + 24);
    votes.address = bitVotes(blockAddress, address, 2, 2);
    return votes;
}

// Whether two copies' votes may be on one value: no bit read surely by both differs.
bool mayAgree(const std::vector<float>& a, const std::vector<float>& b) {
    for (std::size_t i = 0; i < a.size(); ++i)
        if ((a[i] > 0) != (b[i] > 0) && std::fabs(a[i]) >= weakSoftValue && std::fabs(b[i]) >= weakSoftValue)
            return false;
    return true;
}

// Name, aa and sa the same but for weak bits, the same length and block count.
bool sameFrame(const DecodedRecord& a, const DecodedRecord& b) {
    if (a.image.size() != b.image.size() || a.blocks != b.blocks) return false;
    const HeaderVotes first = headerVotes(a), second = headerVotes(b);
    return mayAgree(first.name, second.name) && mayAgree(first.start, second.start) &&
           mayAgree(first.address, second.address);
}

// The data bytes of `faulty`'s block `block` that differ from `good`'s in a
// bit it read surely (without soft values every bit counts as sure): a read
// error, where there are few of them; a block of another program, where there
// are more than strayBytesAllowed.
std::size_t surelyOtherBytes(const DecodedRecord& faulty, const DecodedRecord& good, int block) {
    const std::size_t from = blockStart(block), count = blockLength(faulty, block);
    const bool soft = hasSoftBlock(faulty);
    std::size_t other = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const int differ = faulty.image[from + i] ^ good.image[from + i];
        bool sure = differ != 0 && !soft;
        for (int bit = 0; bit < 8 && soft && !sure; ++bit)
            sure = (differ >> (7 - bit) & 1) &&
                   std::fabs(faulty.blockSoft[blockSoftOffset(block) + (3 + i) * 8 + static_cast<std::size_t>(bit)]) >=
                       weakSoftValue;
        other += sure ? 1 : 0;
    }
    return other;
}

// A faulty block is mostly read right: a click or a dropout spoils a few of
// its bytes, not an eighth of them.
std::size_t strayBytesAllowed(std::size_t count) { return std::max<std::size_t>(2, count / 8); }

// Whether `faulty`'s block `block` surely came with another checksum than
// `good`'s address and data give (its checksum byte read surely in every bit;
// only soft values tell): the block of another program, however few of its
// bytes differ.
bool surelyOtherChecksum(const DecodedRecord& faulty, const DecodedRecord& good, int block) {
    if (!hasSoftBlock(faulty)) return false;
    const std::size_t from = blockStart(block), count = blockLength(faulty, block);
    const auto address = static_cast<std::uint16_t>(good.header.aa + from);
    unsigned sum = (address & 0xFF) + (address >> 8);
    for (std::size_t i = 0; i < count; ++i) sum += good.image[from + i];
    unsigned read = 0;
    for (std::size_t bit = 0; bit < 8; ++bit) {
        const float soft = faulty.blockSoft[blockSoftOffset(block) + (count + 3) * 8 + bit];
        if (std::fabs(soft) < weakSoftValue) return false;
        read = read << 1 | (soft > 0 ? 1 : 0);
    }
    return read != (sum & 0xFF);
}

// The first block whose contents make `a` and `b` different programs: both
// read it good and it differs, or one read it faulty and it differs surely
// beyond a read error, or its checksum surely belongs to other data; 0 where
// there is none.
int otherContentBlock(const DecodedRecord& a, const DecodedRecord& b) {
    for (int block = 1; block <= a.blocks; ++block) {
        const bool faultyA = isFaultyBlock(a, block), faultyB = isFaultyBlock(b, block);
        if (faultyA && faultyB) continue;
        const auto from = static_cast<std::ptrdiff_t>(blockStart(block));
        const auto to = from + static_cast<std::ptrdiff_t>(blockLength(a, block));
        if (!faultyA && !faultyB) {
            if (!std::equal(a.image.begin() + from, a.image.begin() + to, b.image.begin() + from)) return block;
            continue;
        }
        const DecodedRecord& faulty = faultyA ? a : b;
        const DecodedRecord& good = faultyA ? b : a;
        if (surelyOtherBytes(faulty, good, block) > strayBytesAllowed(blockLength(a, block)) ||
            surelyOtherChecksum(faulty, good, block))
            return block;
    }
    return 0;
}

bool isCopy(const DecodedRecord& a, const DecodedRecord& b) { return sameFrame(a, b) && otherContentBlock(a, b) == 0; }

// The bytes the summed votes say; where they cancel out, the first copy's bit.
// `unsure` when a bit's sum is weak.
std::vector<std::uint8_t> decide(const std::vector<float>& sums, const std::vector<float>& first, bool& unsure) {
    std::vector<std::uint8_t> bytes(sums.size() / 8, 0);
    unsure = false;
    for (std::size_t i = 0; i < sums.size(); ++i) {
        bool one = sums[i] > 0 || (sums[i] == 0 && first[i] > 0);
        bytes[i / 8] = static_cast<std::uint8_t>(bytes[i / 8] << 1 | (one ? 1 : 0));
        unsure = unsure || std::fabs(sums[i]) < weakSoftValue;
    }
    return bytes;
}

// Name and sa of the copies, voted bit by bit.
void voteHeader(const std::vector<const DecodedRecord*>& copies, DecodedRecord& merged) {
    std::vector<float> nameSums(tape::nameBytes * 8, 0.0f), startSums(16, 0.0f), firstName, firstStart;
    for (const DecodedRecord* copy : copies) {
        const HeaderVotes votes = headerVotes(*copy);
        for (std::size_t i = 0; i < nameSums.size(); ++i) nameSums[i] += votes.name[i];
        for (std::size_t i = 0; i < startSums.size(); ++i) startSums[i] += votes.start[i];
        if (firstName.empty()) firstName = votes.name, firstStart = votes.start;
    }
    std::vector<std::uint8_t> name = decide(nameSums, firstName, merged.nameUnsure);
    auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
    merged.header.name.assign(name.begin(), end);
    std::vector<std::uint8_t> start = decide(startSums, firstStart, merged.startUnsure);
    merged.header.sa = static_cast<std::uint16_t>(start[0] | start[1] << 8);
    merged.nameSoft = nameSums;
    merged.startSoft = startSums;
}

// Block `block` (length, address, data, checksum) from the soft values of the
// copies summed; true with `bytes` when its length is `count`, its checksum
// true and its weak bits cannot cancel out in the checksum.
bool combineBlock(const std::vector<const DecodedRecord*>& copies, int block, std::size_t count,
                  std::vector<std::uint8_t>& bytes) {
    const std::size_t bits = (count + 4) * 8, offset = blockSoftOffset(block);
    std::vector<float> sums(bits, 0.0f);
    for (const DecodedRecord* copy : copies)
        for (std::size_t i = 0; i < bits; ++i) sums[i] += copy->blockSoft[offset + i];
    bool unsure = false;
    bytes = decide(sums, sums, unsure);
    // Summed over n copies the noise grows as the root of n, the bits as n.
    const float weak = weakSoftValue * std::sqrt(static_cast<float>(copies.size()));
    WeakBit weakBits[maxWeakBits];
    int weakCount = 0;
    for (std::size_t i = 0; i < bits; ++i) {
        if (std::fabs(sums[i]) >= weak) continue;
        if (weakCount < maxWeakBits)
            weakBits[weakCount] = {static_cast<int>(i / 8), 7 - static_cast<int>(i % 8), sums[i] > 0};
        ++weakCount;
    }
    unsigned sum = bytes[1] + bytes[2];
    for (std::size_t i = 0; i < count; ++i) sum += bytes[3 + i];
    return bytes[0] == static_cast<std::uint8_t>(count) && bytes[count + 3] == static_cast<std::uint8_t>(sum) &&
           !weakBitsMayCancel(weakBits, weakCount, static_cast<int>(count) + 3);
}

MergedProgram mergeGroup(const std::vector<DecodedRecord>& readings, const std::vector<std::size_t>& group) {
    MergedProgram program;
    program.copies = group;
    std::vector<const DecodedRecord*> copies, softCopies;
    for (std::size_t index : group) {
        copies.push_back(&readings[index]);
        if (hasSoftBlock(readings[index])) softCopies.push_back(&readings[index]);
    }
    DecodedRecord& merged = program.record;
    merged = *copies.front();
    merged.blockSoft.clear();
    merged.faultyBlocks.clear();
    merged.filtered = false;
    for (int block = 1; block <= merged.blocks; ++block) {
        const std::size_t from = blockStart(block), count = blockLength(merged, block);
        auto into = merged.image.begin() + static_cast<std::ptrdiff_t>(from);
        int source = noGoodCopy;
        for (std::size_t c = 0; c < copies.size() && source == noGoodCopy; ++c) {
            if (isFaultyBlock(*copies[c], block)) continue;
            source = static_cast<int>(c) + 1;
            const auto& image = copies[c]->image;
            std::copy(image.begin() + static_cast<std::ptrdiff_t>(from),
                      image.begin() + static_cast<std::ptrdiff_t>(from + count), into);
            if (block == 1) merged.header.aa = copies[c]->header.aa;
            merged.filtered = merged.filtered || copies[c]->filtered;
        }
        std::vector<std::uint8_t> bytes;
        if (source == noGoodCopy && softCopies.size() >= 2) {
            // Also where it fails, the sum is the better guess of the bytes.
            if (combineBlock(softCopies, block, count, bytes)) {
                source = combinedCopies;
                merged.filtered = true;
                if (block == 1) merged.header.aa = static_cast<std::uint16_t>(bytes[1] | bytes[2] << 8);
            }
            std::copy(bytes.begin() + 3, bytes.begin() + 3 + static_cast<std::ptrdiff_t>(count), into);
        }
        if (source == noGoodCopy) merged.faultyBlocks.push_back(block);
        program.blockSources.push_back(source);
    }
    merged.faulty = static_cast<int>(merged.faultyBlocks.size());
    merged.header.ea = static_cast<std::uint16_t>(merged.header.aa + merged.image.size() - 1);
    voteHeader(copies, merged);
    return program;
}
}

std::vector<MergedProgram> mergeCopies(const std::vector<DecodedRecord>& readings) {
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < readings.size(); ++i) {
        if (readings[i].status != DecodeStatus::Ok) continue;
        auto fits = [&](const std::vector<std::size_t>& group) {
            return std::all_of(group.begin(), group.end(), [&](std::size_t member) {
                return !readings[member].irregularBlocks && !readings[i].irregularBlocks &&
                       isCopy(readings[member], readings[i]);
            });
        };
        auto group = std::find_if(groups.begin(), groups.end(), fits);
        if (group == groups.end()) groups.push_back({i});
        else group->push_back(i);
    }
    std::vector<MergedProgram> programs;
    for (const auto& group : groups) {
        const DecodedRecord& first = readings[group.front()];
        MergedProgram program;
        if (!first.irregularBlocks) {
            program = mergeGroup(readings, group);
        } else {
            program.record = first;
            program.copies = group;
            for (int block = 1; block <= first.blocks; ++block)
                program.blockSources.push_back(isFaultyBlock(first, block) ? noGoodCopy : 1);
        }
        // Told apart from an earlier one of the same name, addresses and length by a block's contents.
        for (std::size_t earlier = 0; earlier < programs.size() && program.otherBlock == 0; ++earlier) {
            const DecodedRecord& other = readings[programs[earlier].copies.front()];
            if (!sameFrame(other, first)) continue;
            program.otherBlock = otherContentBlock(other, first);
            if (program.otherBlock != 0) program.sameFrameAs = static_cast<int>(earlier);
        }
        programs.push_back(std::move(program));
    }
    return programs;
}
