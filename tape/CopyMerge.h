#pragma once
// Copies of one program, saved twice on one tape side or read from several
// recordings, put together: each block from a copy that read it good; a block
// that no copy read good from the copies' soft values summed bit by bit, when
// its checksum then comes out true; name and sa by a vote of the copies, bit by
// bit, weighted by how sure each bit was.
#include <cstddef>
#include <vector>

#include "tape/Decoder.h"

// Where a block of the merged program came from, besides a copy (from 1).
constexpr int combinedCopies = 0;   // the copies' soft values summed
constexpr int noGoodCopy = -1;      // faulty: no copy gave it good

// In a vote a copy without soft values (the exact reader's) counts each bit of
// its name and sa with this weight.
constexpr float hardBitWeight = 1.0f;

struct MergedProgram {
    DecodedRecord record;               // the merged reading
    std::vector<std::size_t> copies;    // the indices of its readings, in order
    std::vector<int> blockSources;      // per block: its copy (from 1), combinedCopies or noGoodCopy
};

// Copies are readings read to their end (status Ok) with the same image length
// and block count, the same start address (unless block 1 is faulty in one of
// them) and the same data in every block that both read good: different
// programs at the same addresses stay apart. A reading with a short block
// before its last (irregularBlocks) stays a program of its own, as read. The
// programs come in the order of their first copies; readings not read to their
// end are left out.
std::vector<MergedProgram> mergeCopies(const std::vector<DecodedRecord>& readings);
