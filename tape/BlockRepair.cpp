#include "tape/BlockRepair.h"

#include <algorithm>
#include <cmath>

#include "shell/HexText.h"
#include "tape/RecordParser.h"
#include "tape/TapeListing.h"
#include "tape/TapeRecord.h"

namespace {
bool hasBlockSoft(const DecodedRecord& record) {
    return !record.irregularBlocks &&
           record.blockSoft.size() == (record.image.size() + 4 * static_cast<std::size_t>(record.blocks)) * 8;
}

// The flips that make block `block` true, fewest then weakest first; empty where none do.
std::vector<std::size_t> mendingFlips(const std::vector<float>& soft, std::size_t count) {
    const std::size_t checksumByte = count + 3;
    std::vector<std::uint8_t> bytes(count + 4, 0);
    for (std::size_t i = 0; i < bytes.size() * 8; ++i)
        bytes[i / 8] = static_cast<std::uint8_t>(bytes[i / 8] << 1 | (soft[i] > 0 ? 1 : 0));
    if (bytes[0] != static_cast<std::uint8_t>(count)) return {};
    unsigned sum = 0;
    for (std::size_t i = 1; i < checksumByte; ++i) sum += bytes[i];
    const int need = (bytes[checksumByte] - static_cast<int>(sum & 0xFF) + 256) % 256;
    // The candidates: the weakest bits behind the length byte, each with what
    // flipping it adds to (checksum - sum).
    std::vector<std::size_t> weak;
    for (std::size_t i = 8; i < soft.size(); ++i)
        if (std::fabs(soft[i]) < repairableSoftValue) weak.push_back(i);
    const std::size_t tried = std::min<std::size_t>(weak.size(), repairCandidates);
    std::partial_sort(weak.begin(), weak.begin() + static_cast<std::ptrdiff_t>(tried), weak.end(),
                      [&soft](std::size_t a, std::size_t b) { return std::fabs(soft[a]) < std::fabs(soft[b]); });
    weak.resize(tried);
    // A flip that changes the sum by `change` closes a gap of `change`; one
    // that changes the checksum byte, a gap of -change.
    auto effect = [&](std::size_t i) {
        const int value = 1 << (7 - static_cast<int>(i % 8));
        const int change = soft[i] > 0 ? -value : value;   // a 1 flipped to 0 takes its value away
        return ((i / 8 == checksumByte ? -change : change) % 256 + 256) % 256;
    };
    for (std::size_t a = 0; a < weak.size(); ++a)
        if (effect(weak[a]) == need) return {weak[a]};
    std::vector<std::size_t> best;
    float weakest = 0;
    for (std::size_t a = 0; a < weak.size(); ++a)
        for (std::size_t b = a + 1; b < weak.size(); ++b) {
            if ((effect(weak[a]) + effect(weak[b])) % 256 != need) continue;
            const float total = std::fabs(soft[weak[a]]) + std::fabs(soft[weak[b]]);
            if (best.empty() || total < weakest) best = {weak[a], weak[b]}, weakest = total;
        }
    return best;
}
}

void repairBlocks(DecodedRecord& record, std::uint32_t rate) {
    if (record.status != DecodeStatus::Ok || record.faultyBlocks.empty() || !hasBlockSoft(record)) return;
    std::vector<int> stillFaulty;
    for (int block : record.faultyBlocks) {
        const std::size_t from = static_cast<std::size_t>(block - 1) * tape::blockSize;
        const std::size_t count = std::min<std::size_t>(tape::blockSize, record.image.size() - from);
        const auto offset = static_cast<std::ptrdiff_t>(blockSoftOffset(block));
        std::vector<float> soft(record.blockSoft.begin() + offset,
                                record.blockSoft.begin() + offset + static_cast<std::ptrdiff_t>((count + 4) * 8));
        const std::vector<std::size_t> flips = mendingFlips(soft, count);
        if (flips.empty()) {
            stillFaulty.push_back(block);
            continue;
        }
        RepairedBlock repaired{block, {}, rate};
        const auto index = static_cast<std::size_t>(block - 1);
        const bool placed = index < record.blockSpans.size();
        const double cell = placed ? static_cast<double>(record.blockSpans[index].end - record.blockSpans[index].begin) /
                                         static_cast<double>(soft.size())
                                   : 0;
        for (std::size_t i : flips) {
            soft[i] = -soft[i];
            record.blockSoft[static_cast<std::size_t>(offset) + i] = soft[i];
            const std::size_t at = placed ? record.blockSpans[index].begin + static_cast<std::size_t>(cell * i) : 0;
            repaired.bits.push_back(RepairedBit{static_cast<int>(i / 8), 7 - static_cast<int>(i % 8), at});
        }
        // The block as mended: its data into the image, its address where it is block 1's.
        std::vector<std::uint8_t> bytes(count + 4, 0);
        for (std::size_t i = 0; i < soft.size(); ++i)
            bytes[i / 8] = static_cast<std::uint8_t>(bytes[i / 8] << 1 | (soft[i] > 0 ? 1 : 0));
        std::copy(bytes.begin() + 3, bytes.begin() + 3 + static_cast<std::ptrdiff_t>(count),
                  record.image.begin() + static_cast<std::ptrdiff_t>(from));
        if (block == 1) {
            record.header.aa = static_cast<std::uint16_t>(bytes[1] | bytes[2] << 8);
            record.header.ea = static_cast<std::uint16_t>(record.header.aa + record.image.size() - 1);
        }
        record.repairedBlocks.push_back(std::move(repaired));
    }
    record.faultyBlocks = stillFaulty;
    record.faulty = static_cast<int>(stillFaulty.size());
}

void repairFromCopies(DecodedRecord& merged, const std::vector<const DecodedRecord*>& copies, std::uint32_t rate) {
    for (const DecodedRecord* copy : copies) {
        if (merged.faultyBlocks.empty()) break;
        if (copy->image.size() != merged.image.size()) continue;
        DecodedRecord mended = *copy;
        repairBlocks(mended, rate);
        for (const RepairedBlock& repaired : mended.repairedBlocks) {
            auto faulty = std::find(merged.faultyBlocks.begin(), merged.faultyBlocks.end(), repaired.block);
            if (faulty == merged.faultyBlocks.end()) continue;
            merged.faultyBlocks.erase(faulty);
            const std::size_t from = static_cast<std::size_t>(repaired.block - 1) * tape::blockSize;
            const std::size_t to = std::min(merged.image.size(), from + tape::blockSize);
            std::copy(mended.image.begin() + static_cast<std::ptrdiff_t>(from),
                      mended.image.begin() + static_cast<std::ptrdiff_t>(to),
                      merged.image.begin() + static_cast<std::ptrdiff_t>(from));
            if (repaired.block == 1) merged.header.aa = mended.header.aa, merged.header.ea = mended.header.ea;
            merged.repairedBlocks.push_back(repaired);
        }
    }
    merged.faulty = static_cast<int>(merged.faultyBlocks.size());
}

std::vector<std::string> repairedLines(const DecodedRecord& record) {
    std::vector<std::string> lines;
    for (const RepairedBlock& repaired : record.repairedBlocks) {
        std::string line = "Block " + std::to_string(repaired.block) + " von " + std::to_string(record.blocks) +
                           ": repariert, unsicher (";
        for (std::size_t i = 0; i < repaired.bits.size(); ++i) {
            const RepairedBit& bit = repaired.bits[i];
            const std::size_t from = static_cast<std::size_t>(repaired.block - 1) * tape::blockSize;
            const int checksumByte = static_cast<int>(std::min<std::size_t>(tape::blockSize, record.image.size() - from)) + 3;
            const std::string where =
                bit.byte <= 2 ? "Blockadresse"
                : bit.byte == checksumByte
                    ? "Prüfsumme"
                    : "Adresse " + formatHex4(static_cast<std::uint16_t>(record.header.aa + from + static_cast<std::size_t>(bit.byte - 3)));
            line += (i > 0 ? "; " : "") + where + " Bit " + std::to_string(bit.bit);
            if (repaired.rate > 0 && bit.at > 0) line += " bei " + tapeTime(bit.at, repaired.rate);
        }
        lines.push_back(line + ")");
    }
    return lines;
}
