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

// A copy without soft values (the exact reader's) counts each bit of its name,
// aa and sa as a sure bit, as sure as the noise-proof reader's surest.
constexpr float hardBitWeight = 100.0f;

struct MergedProgram {
    DecodedRecord record;               // the merged reading
    std::vector<std::size_t> copies;    // the indices of its readings, in order
    std::vector<int> blockSources;      // per block: its copy (from 1), combinedCopies or noGoodCopy
    // An earlier program with the same name, addresses and length, told apart
    // from this one by the contents of block `otherBlock` (else -1 and 0).
    int sameFrameAs = -1;
    int otherBlock = 0;
};

// Copies are readings read to their end (status Ok) with the same image length
// and block count, the same name, aa and sa, where only bits that one of them
// read weakly may differ (in a faulty block 1 the address bits are as sure as
// their soft values say), the same data in every block that both read good,
// and in a block that one read faulty no more than a read error's few bytes
// that differ in bits it read surely, and no checksum read surely that the
// other's data do not give: different programs stay apart, also where each
// failed a block the other read good. A reading with a short block
// before its last (irregularBlocks) stays a program of its own, as read. The
// programs come in the order of their first copies; readings not read to their
// end are left out.
std::vector<MergedProgram> mergeCopies(const std::vector<DecodedRecord>& readings);
