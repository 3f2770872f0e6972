#include <gtest/gtest.h>

#include "tape/SideArchive.h"

namespace {
// A side with one record read to its end, whole or with block 2 faulty.
SideReading sideWith(const TapeHeader& header, int faultyBlock, bool nameUnsure) {
    SideReading side;
    side.rate = 44100;
    side.samples = 441000;
    ReadRecord record;
    record.reading.status = DecodeStatus::Ok;
    record.reading.header = header;
    record.reading.image.assign(300, 0x42);
    record.reading.blocks = 2;
    if (faultyBlock) record.reading.faulty = 1, record.reading.faultyBlocks = {faultyBlock};
    record.reading.nameUnsure = nameUnsure;
    record.whole = faultyBlock == 0;
    record.start = 44100;
    side.records.push_back(record);
    return side;
}
}

// A name on weak bits is "unsure" even when both readings agree; what the
// index says comes back as it was written.
TEST(SideArchive, UnsureNameAndTheIndexReadBack) {
    const TapeHeader header{"WACKEL", 0x1000, 0x112B, 0x1000};
    const std::vector<ArchiveRecording> recordings = {{"a.flac", "a.wav", "aa", 10, {"Warnung: \"laut\""}},
                                                      {"b.flac", "b.wav", "bb", 10, {}}};
    const SideArchive archive =
        buildArchive({sideWith(header, 0, true), sideWith(header, 0, true)}, recordings, SideArchive());
    ASSERT_EQ(archive.programs.size(), 1u);
    EXPECT_EQ(archive.programs[0].status, ArchiveStatus::Unsure);
    EXPECT_EQ(archive.programs[0].file, "WACKEL_1000_112B_1000.BIN");

    SideArchive back;
    std::string problem;
    ASSERT_TRUE(parseArchiveIndex(archiveIndexJson(archive), back, problem)) << problem;
    EXPECT_EQ(archiveIndexJson(back), archiveIndexJson(archive));
    EXPECT_FALSE(parseArchiveIndex("{\"recordings\": [], \"programs\": [{\"aa\": \"10000\"}]}", back, problem));
}
