#pragma once
// Blocks that failed their checksum, mended where flipping one or two of
// their weakest bits makes the checksum true. A mended block is a guess the
// checksum bears out, not a reading: it is offered as "repariert, unsicher",
// never as read good, until a copy that read it good agrees.
#include <cstdint>
#include <string>
#include <vector>

#include "tape/Decoder.h"

// Bits weaker than this (in soft value) may be flipped; of them the weakest
// repairCandidates are tried, one at a time and in pairs.
constexpr float repairableSoftValue = 1.0f;
constexpr int repairCandidates = 8;

// Mends the faulty blocks of `record`, read to its end with soft values of
// its blocks (the noise-proof reader's): where the block as its soft values
// say (its length byte as the image has it) comes out true with the fewest,
// then the weakest, flips of its candidates, its bytes go into the image (and
// aa where block 1's address changes), the block leaves faultyBlocks and is
// listed in repairedBlocks. A record without such soft values stays as it is.
void repairBlocks(DecodedRecord& record, std::uint32_t rate);

// The blocks of `merged` (copies put together) that no copy read good,
// mended as the first of `copies` that mends it does (repairBlocks on it).
void repairFromCopies(DecodedRecord& merged, const std::vector<const DecodedRecord*>& copies, std::uint32_t rate);

// "Block 3 von 12: repariert, unsicher (Adresse 3217 Bit 5 bei 0:05.3; ...)"
// for each mended block: the bytes by their memory address (or "Blockadresse",
// "Prüfsumme"), the bits from 0 (least significant), and where they lay.
std::vector<std::string> repairedLines(const DecodedRecord& record);
