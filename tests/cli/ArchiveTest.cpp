#include <gtest/gtest.h>

#include <cstdlib>

#include "support/CommandRun.h"
#include "support/RandomImage.h"
#include "support/RecordSignal.h"
#include "support/TestFiles.h"
#include "support/WavBuilder.h"
#include "tape/FlacMaster.h"
#include "tape/SideArchive.h"
#include "tape/WavFile.h"

namespace {
using Samples = std::vector<std::uint8_t>;
struct Program {
    TapeHeader header;
    Samples image;
};

// A side of `records` at 44100, 8-bit mono, with a pause behind each.
std::string writeSide(const std::string& path, const std::vector<Samples>& records) {
    Samples samples(8000, 0x80);
    for (const Samples& record : records) {
        samples.insert(samples.end(), record.begin(), record.end());
        samples.insert(samples.end(), 8000, 0x80);
    }
    writeFile(path, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                     static_cast<std::uint32_t>(samples.size())));
    return path;
}

SideArchive readIndex(const std::string& dir) {
    const auto bytes = readFile(dir + "index.json");
    SideArchive archive;
    std::string problem;
    EXPECT_TRUE(parseArchiveIndex(std::string(bytes.begin(), bytes.end()), archive, problem)) << problem;
    return archive;
}

// The entry of `program`, its BIN in `folder` holding its image.
const ArchiveProgram* find(const SideArchive& archive, const Program& program, const std::string& folder) {
    for (const ArchiveProgram& entry : archive.programs)
        if (entry.header.name == program.header.name && entry.header.sa == program.header.sa &&
            (entry.file.empty() || readFile(folder + entry.file) == program.image))
            return &entry;
    return nullptr;
}
}

// Two recordings of a side: ALPHA faulty in block 2 in one and in block 3 in
// the other, SAME whole in both, another SAME (same header, another block 2)
// whole in one only, DELTA faulty in block 1 in both. A third recording with
// DELTA and ALPHA whole is added later.
TEST(Archive, TwoRecordingsThenAThird) {
    const std::string dir = freshTestDir("archive");
    const std::string folder = dir + "seite/";
    const Program alpha{{"ALPHA", 0x1000, 0x1211, 0x1000}, randomImage(530, 1)};
    const Program same{{"SAME", 0x2000, 0x210D, 0x2000}, randomImage(270, 2)};
    Program other = same;
    for (std::size_t i = 256; i < 270; ++i) other.image[i] ^= 0x5A;
    const Program delta{{"DELTA", 0x3000, 0x310D, 0x3000}, randomImage(270, 3)};
    auto signal = [](const Program& program, int faulty = 0) { return recordSignal(program.image, program.header, faulty); };
    const std::string first = writeSide(dir + "eins.wav", {signal(alpha, 2), signal(same), signal(other), signal(delta, 1)});
    const std::string second =
        writeSide(dir + "zwei.wav", {signal(alpha, 3), signal(same), signal(other, 1), signal(delta, 1)});

    CommandOutcome made = runCommand(archiveCommand, {first, second, "-o", folder});
    EXPECT_EQ(made.code, 1) << made.out << made.err;   // DELTA could not be saved
    SideArchive archive = readIndex(folder);
    ASSERT_EQ(archive.recordings.size(), 2u);
    ASSERT_EQ(archive.programs.size(), 4u) << made.out;
    struct Expected { const Program* program; ArchiveStatus status; const char* file; };
    for (const Expected& expected : {Expected{&alpha, ArchiveStatus::Whole, "ALPHA_1000_1211_1000.BIN"},
                                     Expected{&same, ArchiveStatus::Verified, "SAME_2000_210D_2000.BIN"},
                                     Expected{&other, ArchiveStatus::Whole, "SAME_2000_210D_2000-2.BIN"},
                                     Expected{&delta, ArchiveStatus::Faulty, ""}}) {
        SCOPED_TRACE(expected.file);
        const ArchiveProgram* entry = find(archive, *expected.program, folder);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->status, expected.status);
        EXPECT_EQ(entry->file, expected.file);
        EXPECT_EQ(entry->readings.size(), 2u);
    }
    // ALPHA's blocks: 1 and 3 from the first recording, 2 from the second.
    EXPECT_EQ(find(archive, alpha, folder)->blockSources, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(find(archive, delta, folder)->blockSources[0], blockFromNone);

    const auto index = readFile(folder + "index.json");
    const std::string json(index.begin(), index.end());
    EXPECT_NE(json.find("\"aa\": \"1000\", \"ea\": \"1211\", \"sa\": \"1000\", \"file\": \"ALPHA_1000_1211_1000.BIN\""),
              std::string::npos);
    EXPECT_NE(json.find("\"source\": \"" + first + "\""), std::string::npos);
    EXPECT_NE(made.out.find("DELTA 3000 310D 3000 (fehlerhaft): " + first + " bei "), std::string::npos) << made.out;

    // The masters hold the samples of the recordings, as they were.
    for (std::size_t i = 0; i < 2; ++i) {
        std::vector<std::uint8_t> back;
        ASSERT_TRUE(flacToWav(ByteView(readFile(folder + archive.recordings[i].file)), back));
        const auto input = readFile(i == 0 ? first : second);
        PcmView original, master;
        ASSERT_TRUE(pcmOfWav(ByteView(input), original) && pcmOfWav(ByteView(back), master));
        EXPECT_EQ(std::vector<std::uint8_t>(master.sound.data, master.sound.data + master.sound.size),
                  std::vector<std::uint8_t>(original.sound.data, original.sound.data + original.sound.size));
    }
    EXPECT_EQ(std::system(("cd '" + folder + "' && sha256sum --quiet -c SHA256SUMS").c_str()), 0);

    // The third recording: DELTA whole now, nothing saved before changed.
    const auto sameBefore = readFile(folder + "SAME_2000_210D_2000.BIN");
    const std::string third = writeSide(dir + "drei.wav", {signal(delta), signal(alpha)});
    CommandOutcome added = runCommand(archiveCommand, {third, "-o", folder});
    EXPECT_EQ(added.code, 0) << added.out << added.err;
    archive = readIndex(folder);
    EXPECT_EQ(archive.recordings.size(), 3u);
    ASSERT_EQ(archive.programs.size(), 4u) << added.out;
    const ArchiveProgram* now = find(archive, delta, folder);
    ASSERT_NE(now, nullptr);
    EXPECT_EQ(now->status, ArchiveStatus::Whole);
    EXPECT_EQ(now->file, "DELTA_3000_310D_3000.BIN");
    EXPECT_EQ(find(archive, alpha, folder)->readings.size(), 3u);
    EXPECT_EQ(readFile(folder + "SAME_2000_210D_2000.BIN"), sameBefore);
    EXPECT_EQ(std::system(("cd '" + folder + "' && sha256sum --quiet -c SHA256SUMS").c_str()), 0);

    // The same recording again adds nothing.
    CommandOutcome again = runCommand(archiveCommand, {third, "-o", folder});
    EXPECT_NE(again.err.find("schon im Archiv"), std::string::npos) << again.err;
    EXPECT_EQ(readIndex(folder).recordings.size(), 3u);
}
