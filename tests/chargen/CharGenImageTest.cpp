#include <sys/stat.h>

#include "shell/FileIo.h"
#include "tests/chargen/CharGenTestSupport.h"

using CharGenImageTest = CharGenFixture;

TEST_F(CharGenImageTest, PatternFilesOfAnySizeLoadAsTheirSizeAllowsAndNeverBeyondTheStore) {
    struct Case {
        std::size_t fileSize;
        bool force;
        std::uint32_t imageSize;
    };
    const Case cases[] = {
        {0, false, 0},       {1, false, 0},       {1023, false, 0},       {1024, false, 1024},
        {2048, false, 2048}, {3000, false, 0},    {1 << 20, false, 0},    {0, true, 0},
        {1, true, 1},        {500, true, 500},    {1023, true, 1023},     {3000, true, 2048},
        {1 << 20, true, 2048},
    };
    for (const Case& c : cases) {
        std::string path = fileWith("p.bin", counting(c.fileSize));
        charGenImage().store.fill(0xEE);
        EXPECT_TRUE(loadPatternFile(path, c.force));
        const CharGenImage& image = charGenImage();
        std::string label = std::to_string(c.fileSize) + (c.force ? " forced" : " exact");
        EXPECT_EQ(image.size, c.imageSize) << label;
        std::vector<std::uint8_t> expected = counting(c.imageSize);
        expected.resize(chargen::storeBytes, 0);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), image.store.begin())) << label;
    }
    EXPECT_TRUE(user.statuses.empty());
}

TEST_F(CharGenImageTest, AFileThatCannotBeOpenedLeavesTheImage) {
    EXPECT_EQ(probePatternFile(fileWith("k.bin", counting(1023))), std::optional<std::uint64_t>(1023));
    std::string unreadable = fileWith("gesperrt.bin", counting(1024));
    for (const std::string& path : {dir + "missing.bin", dir, unreadable}) {
        std::optional<UnreadableFile> locked;
        if (path == unreadable) locked.emplace(path);
        if (locked) {
            ASSERT_TRUE(locked->holds());
        }
        charGenImage().store.fill(0x55);
        charGenImage().size = 2048;
        EXPECT_FALSE(probePatternFile(path)) << path;
        EXPECT_FALSE(loadPatternFile(path, true)) << path;
        EXPECT_EQ(charGenImage().size, 2048u) << path;
        EXPECT_EQ(charGenImage().store[100], 0x55) << path;
    }
    EXPECT_TRUE(user.statuses.empty()) << "what the user sees is the designer's business";
}

TEST_F(CharGenImageTest, SavingAsksBeforeReplacingAndReportsEachOutcome) {
    struct Case {
        bool exists;
        bool ask;
        std::deque<Answer> answers;
        SaveResult result;
        std::vector<std::string> boxes;
        bool replaced;
    };
    const std::string question = "Fehler: Datei existiert bereits, überschreiben?";
    const Case cases[] = {
        {false, true, {}, SaveResult::Written, {}, true},
        {true, false, {}, SaveResult::Written, {}, true},
        {true, true, {Answer::Yes}, SaveResult::Written, {question}, true},
        {true, true, {Answer::No}, SaveResult::AnotherName, {question, "Fehler: Bitte anderen Dateinamen wählen."}, false},
        {true, true, {Answer::Cancel}, SaveResult::Cancelled, {question, "Fehler: Schreiben wurde abgebrochen."}, false},
    };
    charGenImage().store = {};
    std::vector<std::uint8_t> image = counting(500);
    std::copy(image.begin(), image.end(), charGenImage().store.begin());
    charGenImage().size = 500;
    for (const Case& c : cases) {
        std::string path = dir + "save.bin";
        std::remove(path.c_str());
        if (c.exists) writeFile(path, {9, 9});
        user.messages.clear();
        user.statuses.clear();
        user.answers = c.answers;
        EXPECT_EQ(savePatternFile(path, c.ask, nullptr), c.result);
        EXPECT_EQ(texts(), c.boxes);
        EXPECT_EQ(readFile(path), c.replaced ? image : (std::vector<std::uint8_t>{9, 9}));
    }
    EXPECT_TRUE(user.statuses.empty());
}

TEST_F(CharGenImageTest, AFileThatCannotBeWrittenWholeIsNotReportedWrittenAndTheOldOneStays) {
    charGenImage().size = 1024;
    struct Case {
        const char* what;
        std::string name;
        const char* inTheWay;   // what stands where the new file goes beside (or at the name itself)
        std::string keeps;      // the old file that still holds its bytes afterwards
    };
    const Case cases[] = {
        {"no such folder", "no/such/folder.bin", "", ""},
        {"the new file cannot be created", "a.bin", "folder", "a.bin"},
        {"the old file cannot be replaced", "c.bin", "full folder", "c.bin/alt.bin"},
    };
    for (const Case& c : cases) {
        std::string path = dir + c.name;
        std::string inTheWay = c.inTheWay;
        if (inTheWay == "folder") {
            fileWith(c.name, {1, 2, 3});
            ASSERT_EQ(mkdir(replacementName(path).c_str(), 0700), 0);
        } else if (inTheWay == "full folder") {
            ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
            fileWith(c.keeps, {1, 2, 3});
        }
        EXPECT_EQ(savePatternFile(path, false, nullptr), SaveResult::CannotCreate) << c.what;
        if (!c.keeps.empty()) {
            EXPECT_EQ(readFile(dir + c.keeps), (std::vector<std::uint8_t>{1, 2, 3})) << c.what;
        }
    }
    EXPECT_TRUE(user.statuses.empty());
}

TEST_F(CharGenImageTest, ImageSizeFollowsTheUpperKilobyte) {
    struct Case {
        std::size_t offset;
        std::uint32_t size;
    };
    for (const Case& c : {Case{0, 1024}, Case{1023, 1024}, Case{1024, 2048}, Case{2047, 2048}, Case{2048, 1024}}) {
        charGenImage().store = {};
        charGenImage().store[c.offset] = 0x40;
        recomputeImageSize();
        EXPECT_EQ(charGenImage().size, c.size) << c.offset;
    }
}
