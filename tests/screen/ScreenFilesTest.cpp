#include <gtest/gtest.h>

#include "screen/ScreenFiles.h"
#include "support/RecordingInterface.h"
#include "support/TestFiles.h"
#include "tests/support/ScreenRows.h"

TEST(ScreenFiles, SavesAndLoadsExactlyTheCells) {
    std::string dir = freshTestDir("screenfiles");
    RecordingInterface seam;
    ScreenBuffer screen;
    screenReset(screen);
    seam.chosenFiles = {dir + "bild"};
    ASSERT_TRUE(saveScreenFile(screen, nullptr));
    EXPECT_EQ(readFile(dir + "bild.bsk"), std::vector<std::uint8_t>(screen.cells().begin(), screen.cells().end()));
    EXPECT_EQ(seam.statuses.back(), std::make_pair(0, dir + "bild.bsk"));

    struct Case {
        const char* what;
        std::vector<std::uint8_t> file;
        bool loads;
    };
    const Case cases[] = {
        {"2048 bytes", std::vector<std::uint8_t>(2048, 'Z'), true},
        {"2047 bytes", std::vector<std::uint8_t>(2047, 'Y'), false},
        {"2049 bytes", std::vector<std::uint8_t>(2049, 'Y'), false},
        {"empty", {}, false},
    };
    for (const Case& c : cases) {
        ScreenBuffer loaded;
        placeCursor(loaded, 9, 0);
        writeFile(dir + "in.bsk", c.file);
        seam.messages.clear();
        seam.chosenFiles = {dir + "in.bsk"};
        EXPECT_EQ(loadScreenFile(loaded, nullptr), c.loads) << c.what;
        EXPECT_EQ(loaded.cells()[100], c.loads ? 'Z' : 0) << c.what;
        EXPECT_EQ(loaded.column(), 9) << c.what;
        EXPECT_EQ(seam.messages.size(), c.loads ? 0u : 1u) << c.what;
    }
    EXPECT_EQ(seam.messages.back().text, "Kann Bildschirmdatei nicht öffnen.");

    // A screen that cannot be written is reported, not passed over, and its name is not shown.
    seam.messages.clear();
    seam.statuses.clear();
    seam.chosenFiles = {dir + "fehlt/bild.BSK"};
    EXPECT_FALSE(saveScreenFile(screen, nullptr));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Bildschirmdatei konnte nicht geschrieben werden.");
    EXPECT_TRUE(seam.statuses.empty());
}

TEST(ScreenFiles, PhotoTakesTheFirstFreeNumber) {
    std::string dir = freshTestDir("photos");
    writeFile(dir + "\\BS_Foto2.bmp", {1});
    EXPECT_EQ(nextPhotoPath(dir), dir + "\\BS_Foto1.bmp");
    writeFile(dir + "\\BS_Foto1.bmp", {1});
    EXPECT_EQ(nextPhotoPath(dir), dir + "\\BS_Foto3.bmp");
}

