#include "tape/TapeScan.h"

#include <algorithm>

#include "tape/RobustReader.h"

namespace {
// Where the two readers place the same sync, they differ by far less than
// these samples (two bytes at the slowest speed).
constexpr std::size_t syncMargin = 800;
}

std::vector<DecodedRecord> readEveryRecord(ByteView samples, DecoderSettings settings, std::uint32_t rate,
                                           const ReadingChoice& choice) {
    settings.resumeSearch = true;
    std::vector<DecodedRecord> records;
    std::size_t position = 0;
    for (;;) {
        DecodedRecord record = decodeRecordEitherWay(samples, settings, rate, position, nullptr, choice);
        // The first reader skips a worn record whose sync it cannot see and
        // reads the next clean one: the second looks for one in between.
        if (foundRecord(record) && !choice.exact && record.syncPosition > position + syncMargin) {
            DecodedRecord earlier = decodeRecordFiltered(samples, rate, position, nullptr, record.syncPosition - syncMargin);
            if (foundRecord(earlier)) record = std::move(earlier);
        }
        if (!foundRecord(record)) {
            if (records.empty()) records.push_back(std::move(record));
            break;
        }
        // On behind what was read; a reading that stopped at once still moves on.
        position = std::max({record.endPosition, record.syncPosition, position + 1});
        records.push_back(std::move(record));
        if (position >= samples.size) break;
    }
    return records;
}
