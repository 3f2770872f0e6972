#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>

#include "shell/FileIo.h"
#include "support/TestFiles.h"

namespace {
std::string freshDir(const std::string& name) { return freshTestDir("fileio-" + name); }
}

TEST(FileIo, ReadsOnlyRegularFilesAndAtMostWhatIsAsked) {
    std::string dir = freshDir("read");
    writeFile(dir + "five", {1, 2, 3, 4, 5});
    ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::uint64_t maxBytes;
        ReadOutcome outcome;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {dir + "five", wholeFile, ReadOutcome::Ok, {1, 2, 3, 4, 5}},
        {dir + "five", 3, ReadOutcome::Ok, {1, 2, 3}},
        {dir + "five", 0, ReadOutcome::Ok, {}},
        {dir + "missing", wholeFile, ReadOutcome::CannotOpen, {}},
        {"", wholeFile, ReadOutcome::CannotOpen, {}},
        {dir, wholeFile, ReadOutcome::NotRegularFile, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = {9};
        EXPECT_EQ(readFile(c.path, bytes, c.maxBytes), c.outcome) << c.path;
        EXPECT_EQ(bytes, c.bytes) << c.path;
    }
    // Opening a named pipe would wait for a writer: read it in a child that must end by itself.
    pid_t child = fork();
    if (child == 0) {
        std::vector<std::uint8_t> bytes;
        _exit(readFile(dir + "pipe", bytes) == ReadOutcome::NotRegularFile ? 0 : 1);
    }
    int status = -1;
    for (int i = 0; i < 500 && waitpid(child, &status, WNOHANG) == 0; ++i) usleep(10000);
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << "reading a named pipe did not return";
    } else {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

// A file of many chunks, large enough for the room of large pages: every
// byte in its place, whole, cut in the middle of a chunk, and as a stream,
// whose room grows as it is read.
TEST(FileIo, ReadsALargeFileByteForByte) {
    std::string dir = freshDir("large");
    std::vector<std::uint8_t> pattern((5 << 20) + 3);
    for (std::size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<std::uint8_t>(i * 7 + (i >> 16));
    writeFile(dir + "large", pattern);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(readFile(dir + "large", bytes), ReadOutcome::Ok);
    EXPECT_TRUE(bytes == pattern);
    const std::size_t cut = (3 << 20) + 12345;
    ASSERT_EQ(readFile(dir + "large", bytes, cut), ReadOutcome::Ok);
    EXPECT_TRUE(bytes == std::vector<std::uint8_t>(pattern.begin(), pattern.begin() + cut));
    std::FILE* stream = std::fopen((dir + "large").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(readStream(stream, bytes), ReadOutcome::Ok);
    std::fclose(stream);
    EXPECT_TRUE(bytes == pattern);
}

TEST(FileIo, WritesWholeOrReportsWhyNot) {
    std::string dir = freshDir("write");
    const std::uint8_t bytes[] = {'a', 'b', 'c'};
    EXPECT_EQ(writeFile(dir + "new", bytes, 3), WriteOutcome::Ok);
    EXPECT_EQ(writeFile(dir + "parts", {ByteView(bytes, 1), ByteView(), ByteView(bytes + 1, 2)}), WriteOutcome::Ok);
    EXPECT_EQ(appendFile(dir + "parts", bytes, 2), WriteOutcome::Ok);
    EXPECT_EQ(readFile(dir + "new"), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    EXPECT_EQ(readFile(dir + "parts"), (std::vector<std::uint8_t>{'a', 'b', 'c', 'a', 'b'}));
    EXPECT_EQ(writeFile(dir + "no/such/dir", bytes, 3), WriteOutcome::CannotCreate);
    EXPECT_EQ(appendFile(dir + "no/such/dir", bytes, 3), WriteOutcome::CannotCreate);
    // A growing file: each append is in the file at once, a header is set
    // again in place, and an existing file is never taken over.
    {
        GrowingFile growing;
        EXPECT_EQ(growing.create(dir + "new"), WriteOutcome::CannotCreate);
        ASSERT_EQ(growing.create(dir + "growing"), WriteOutcome::Ok);
        EXPECT_EQ(growing.append(bytes, 3), WriteOutcome::Ok);
        EXPECT_EQ(readFile(dir + "growing"), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
        EXPECT_EQ(growing.writeAt(1, bytes, 1), WriteOutcome::Ok);
        EXPECT_EQ(growing.append(bytes + 2, 1), WriteOutcome::Ok);
    }
    EXPECT_EQ(readFile(dir + "growing"), (std::vector<std::uint8_t>{'a', 'a', 'c', 'c'}));
    EXPECT_EQ(readFile(dir + "new"), (std::vector<std::uint8_t>{'a', 'b', 'c'}));
    struct stat info {};
    if (stat("/dev/full", &info) == 0) {   // a disk that is full
        EXPECT_EQ(writeFile("/dev/full", bytes, 3), WriteOutcome::ShortWrite);
        EXPECT_EQ(stat("/dev/full", &info), 0) << "only regular files are removed after a short write";
    }
}

TEST(FileIo, ReplacesAFileOnlyByACompleteOne) {
    std::string dir = freshDir("replace");
    writeFile(dir + "take", {1, 2});
    writeFile(dir + "take.neu", {5});   // another program's file
    const std::uint8_t bytes[] = {7, 8, 9};
    EXPECT_EQ(replaceFile(dir + "take", {ByteView(bytes, 3)}), WriteOutcome::Ok);
    EXPECT_EQ(readFile(dir + "take"), (std::vector<std::uint8_t>{7, 8, 9}));
    EXPECT_EQ(readFile(dir + "take.neu"), std::vector<std::uint8_t>{5});
    std::string beside = replacementName(dir + "take");
    struct stat info {};
    EXPECT_NE(stat(beside.c_str(), &info), 0) << "nothing left beside it";
    // A file already there under the new file's name is not overwritten; the old one stays as well.
    writeFile(beside, {6});
    EXPECT_EQ(replaceFile(dir + "take", {ByteView(bytes, 1)}), WriteOutcome::CannotCreate);
    EXPECT_EQ(readFile(dir + "take"), (std::vector<std::uint8_t>{7, 8, 9}));
    EXPECT_EQ(readFile(beside), std::vector<std::uint8_t>{6});
    // A move that fails (a folder in the way) takes the new file away again.
    ASSERT_EQ(mkdir((dir + "folder").c_str(), 0700), 0);
    EXPECT_EQ(replaceFile(dir + "folder", {ByteView(bytes, 1)}), WriteOutcome::CannotReplace);
    EXPECT_NE(stat(replacementName(dir + "folder").c_str(), &info), 0);
}

// The new file sits beside the old one, carries this process's id, and fits
// wherever the old one fits, up to the choosers' 259 characters.
TEST(FileIo, TheNewFileBesideFitsWhereTheOldOneFits) {
    std::string dir = freshDir("limit");
    ASSERT_LT(dir.size(), 150u);
    const std::uint8_t bytes[] = {4};
    for (std::size_t length : {dir.size() + 4, std::size_t{240}, std::size_t{250}, longestPath}) {
        std::string path = dir + std::string(length - dir.size(), 'n');
        writeFile(path, {1});
        std::string beside = replacementName(path);
        SCOPED_TRACE(beside);
        EXPECT_LE(beside.size(), longestPath);
        EXPECT_EQ(beside.substr(0, dir.size()), dir);
        EXPECT_EQ(beside.find_first_of('/', dir.size()), std::string::npos) << "the same folder";
        EXPECT_NE(beside.find("." + std::to_string(getpid()) + ".neu"), std::string::npos);
        EXPECT_EQ(replaceFile(path, {ByteView(bytes, 1)}), WriteOutcome::Ok);
        EXPECT_EQ(readFile(path), std::vector<std::uint8_t>{4});
    }
}

// A name as long as a file system takes, given without a folder: the new
// file's name beside it is no longer.
TEST(FileIo, TheNewFileBesideFitsTheLongestName) {
    std::string dir = freshDir("name");
    std::string name(longestName, 'n');
    EXPECT_LE(fileNamePart(replacementName(name)).size(), longestName);
    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    const std::uint8_t bytes[] = {4};
    EXPECT_EQ(replaceFile(name, {ByteView(bytes, 1)}), WriteOutcome::Ok);
    EXPECT_EQ(chdir(previous), 0);
    std::free(previous);
    EXPECT_EQ(readFile(dir + name), std::vector<std::uint8_t>{4});
}

// The target is replaced in one step, or nothing changes at all.
TEST(FileIo, MovesReplacingOrLeavesBothAsTheyWere) {
    std::string dir = freshDir("move");
    enum class Target { None, File, EmptyFolder };
    struct Case {
        bool source;
        Target target;
        bool moved;
    };
    const Case cases[] = {
        {true, Target::None, true},
        {true, Target::File, true},
        {false, Target::File, false},
        {true, Target::EmptyFolder, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        std::string from = dir + "from" + std::to_string(n), to = dir + "to" + std::to_string(n++);
        if (c.source) writeFile(from, {1});
        if (c.target == Target::File) writeFile(to, {2});
        if (c.target == Target::EmptyFolder) {
            ASSERT_EQ(mkdir(to.c_str(), 0700), 0);
        }
        SCOPED_TRACE(to);
        EXPECT_EQ(moveReplacing(from, to), c.moved);
        struct stat info {};
        if (c.moved) {
            EXPECT_EQ(readFile(to), std::vector<std::uint8_t>{1});
            EXPECT_NE(stat(from.c_str(), &info), 0);
            continue;
        }
        EXPECT_EQ(readFile(from), c.source ? std::vector<std::uint8_t>{1} : std::vector<std::uint8_t>{});
        if (c.target == Target::File) {
            EXPECT_EQ(readFile(to), std::vector<std::uint8_t>{2});
        } else {
            EXPECT_TRUE(stat(to.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) << "the folder stays";
        }
    }
}

TEST(FileIo, NameHelpers) {
    struct Case {
        const char* name;
        const char* filePart;
        bool isWav;
        const char* asTxt;
    };
    const Case cases[] = {
        {"C:\\bv7\\PROG.WAV", "PROG.WAV", true, "C:\\bv7\\PROG.TXT"},
        {"dir/aufnahme.wav", "aufnahme.wav", true, "dir/aufnahme.TXT"},
        {"dir.x/noext", "noext", false, "dir.x/noext.TXT"},
        {"a.b.c", "a.b.c", false, "a.b.TXT"},
        {"wav", "wav", false, "wav.TXT"},
        {"", "", false, ".TXT"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fileNamePart(c.name), c.filePart) << c.name;
        EXPECT_EQ(hasExtension(c.name, ".wav"), c.isWav) << c.name;
        EXPECT_EQ(replaceExtension(c.name, ".TXT"), c.asTxt) << c.name;
    }
}
