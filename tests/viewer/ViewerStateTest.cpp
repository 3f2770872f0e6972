#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "support/RecordingInterface.h"
#include "viewer/KaloSample.h"
#include "viewer/ViewerState.h"

using namespace std::literals;

namespace {
namespace fs = std::filesystem;

struct SourceFolder {
    fs::path path = fs::temp_directory_path() / ("kalo-viewer-" + std::to_string(::getpid()));
    SourceFolder() { fs::create_directories(path); }
    ~SourceFolder() { fs::remove_all(path); }
    std::string write(const char* name, const std::vector<std::uint8_t>& bytes) const {
        std::string file = (path / name).string();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return file;
    }
};
}

TEST(ViewerState, StartsWithTheArgumentOrTheChooser) {
    RecordingInterface seam;
    EXPECT_EQ(startFile("kalov.exe C:\\BV7\\PROG.ASM").name, "PROG.ASM");
    EXPECT_TRUE(seam.choosers.empty());

    seam.chosenFiles = {"C:\\BV7\\QUELLE.BIN"};
    KalovFile chosen = startFile("kalov.exe \"");
    EXPECT_EQ(chosen.path, "C:\\BV7\\QUELLE.BIN");
    EXPECT_EQ(chosen.name, "QUELLE.BIN");
    ASSERT_EQ(seam.choosers.size(), 1u);
    EXPECT_FALSE(seam.choosers[0].save);
    EXPECT_EQ(seam.choosers[0].owner, nullptr);
    EXPECT_EQ(seam.choosers[0].title, "KALO*4-Viewer: Zu betrachtende Datei auswählen:");
    EXPECT_EQ(seam.choosers[0].filter,
              "BIN- und ASM-Dateien (*.BIN, *.ASM)\0*.BIN;*.ASM\0BIN-Dateien (*.BIN)\0*.BIN\0"
              "ASM-Dateien (*.ASM)\0*.ASM\0alle Dateien, (*.*)\0*.*\0\0"s);

    seam.chosenFiles = {""};
    EXPECT_EQ(startFile("kalov.exe").name, "(keine Datei geladen)");
}

TEST(ViewerState, LoadsSwitchesModesAndReportsFailures) {
    SourceFolder folder;
    const std::string good = folder.write("PROG.ASM", KaloSample().line(10, "[0]").finish());
    std::vector<std::uint8_t> broken = KaloSample().line(10, "A").line(20, "B").finish();
    broken.resize(broken.size() - 3);
    const std::string cut = folder.write("CUT.BIN", broken);

    RecordingInterface seam;
    ViewerState state;
    EXPECT_EQ(loadViewerFile(state, noKalovFile()), DecodeResult::NoFile);
    EXPECT_TRUE(state.listing.empty());
    EXPECT_EQ(state.fieldText, "(keine Datei geladen)");

    EXPECT_EQ(loadViewerFile(state, kalovFile(good)), DecodeResult::Decoded);
    EXPECT_EQ(state.fieldText, "PROG.ASM");
    EXPECT_EQ(state.listing, SourceListing{"0010 \xC4\xD8\xDC"});
    EXPECT_EQ(setViewerUmlautMode(state, false), DecodeResult::Decoded);
    EXPECT_EQ(state.listing, SourceListing{"0010 [0]"});
    EXPECT_TRUE(seam.messages.empty());

    // Not plausible, tried anyway: the partial listing stays, the error follows.
    seam.answers = {Answer::Yes};
    EXPECT_EQ(loadViewerFile(state, kalovFile(cut)), DecodeResult::Failed);
    EXPECT_EQ(state.listing, (SourceListing{"0010 A", "0020 "}));
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[1].text, "Keine KALO*4-Datei, hier nicht darstellbar.");
    EXPECT_EQ(seam.messages[1].caption, "Fehler!");
    EXPECT_EQ(seam.messages[1].owner, nullptr);
    EXPECT_EQ(state.fieldText, "(keine Datei geladen)");
    EXPECT_EQ(state.file.name, "CUT.BIN") << "the file stays for the next mode switch";

    seam.messages.clear();
    EXPECT_EQ(loadViewerFile(state, kalovFile(folder.path.string() + "/FEHLT.ASM")), DecodeResult::NotOpened);
    ASSERT_EQ(seam.messages.size(), 1u) << "only the open error, no decoding error";
    EXPECT_EQ(seam.messages[0].text, "Dateiöffnen schlug fehl");
    EXPECT_EQ(state.fieldText, "FEHLT.ASM");
}
