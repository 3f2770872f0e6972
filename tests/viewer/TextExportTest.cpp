#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include <unistd.h>

#include "shell/CommonServices.h"
#include "support/RecordingInterface.h"
#include "viewer/KaloSample.h"
#include "viewer/TextExport.h"

namespace {
namespace fs = std::filesystem;

std::string bytesText(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

struct TempFolder {
    fs::path path = fs::temp_directory_path() / ("kalo-export-" + std::to_string(::getpid()));
    TempFolder() { fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path); }
    std::string file(const char* name) const { return (path / name).string(); }
};
}

TEST(TextExport, ProposesTheTextFileName) {
    struct Case {
        const char* source;
        const char* proposal;
    } cases[] = {
        {"PROG.ASM", "PROG.TXT"}, {"PROG.BIN", "PROG.TXT"}, {"prog.asm", "prog.TXT"},
        {"PROG", "PROG.TXT"},     {"A.S", "A.TXT"},         {"ALT.PROG.BIN", "ALT.PROG.TXT"},
        {"AB", "AB.TXT"},         {"", ".TXT"},             {"C:\\V1.0\\PROG", "C:\\V1.0\\PROG.TXT"},
    };
    for (const Case& c : cases) EXPECT_EQ(proposeTextFileName(c.source), c.proposal) << c.source;
}

TEST(TextExport, WritesLinesWithCrLfAndWithoutTrailingBlanks) {
    struct Case {
        SourceListing lines;
        std::string bytes;
    } cases[] = {
        {{}, ""},
        {{"0010 "}, "0010\r\n"},
        {{"0010 NOP   \t ", "0020 \tLD A,1 ;x\t"}, "0010 NOP\r\n0020 \tLD A,1 ;x\r\n"},
        {{"0030 Z\xC4HLER \xD8"}, "0030 Z\xC4HLER \xD8\r\n"},
        {{"     "}, "\r\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(bytesText(listingTextBytes(c.lines)), c.bytes);
}

TEST(TextExport, SavesTheListingAfterTheUsualQuestions) {
    TempFolder folder;
    const std::string target = folder.file("PROG.TXT");
    SourceListing listing;
    const auto sample = KaloSample().line(10, "[A]   ").line(20, "").finish();
    ASSERT_EQ(decodeSourceData(sample.data(), sample.size(), true, listing), DecodeStop::EndBound);
    WindowRef dialog = reinterpret_cast<WindowRef>(0x1234);

    RecordingInterface seam;
    EXPECT_EQ(saveListingAsText({}, "PROG.ASM", dialog), TextSaveResult::NothingToSave);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Nichts da zum Sichern :-)");
    EXPECT_EQ(seam.messages[0].caption, "Fehler!");
    EXPECT_EQ(seam.messages[0].owner, dialog);
    EXPECT_TRUE(seam.choosers.empty());

    seam.messages.clear();
    seam.chosenFiles = {""};
    EXPECT_EQ(saveListingAsText(listing, "PROG.ASM", dialog), TextSaveResult::Cancelled);
    ASSERT_EQ(seam.choosers.size(), 1u);
    EXPECT_TRUE(seam.choosers[0].save);
    EXPECT_EQ(seam.choosers[0].title, "Speichern als ASCII-Text");
    EXPECT_EQ(seam.choosers[0].filter, makeFilter({"Textdateien (*.TXT)", "*.txt"}));
    EXPECT_EQ(seam.choosers[0].owner, dialog);
    EXPECT_EQ(seam.offered[0], "PROG.TXT");
    EXPECT_TRUE(seam.messages.empty());

    seam.chosenFiles = {target};
    EXPECT_EQ(saveListingAsText(listing, "PROG.ASM", dialog), TextSaveResult::Written);
    EXPECT_EQ(readFile(target), "0010 \xC4" "A\xDC\r\n0020\r\n");
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, target);
    EXPECT_EQ(seam.messages[0].caption, "Listing wurde als ASCII-Text gespeichert");
    EXPECT_EQ(seam.messages[0].owner, dialog);

    // An existing file: No keeps it as it was, Yes replaces it.
    const SourceListing other{"0001 NEU"};
    seam.messages.clear();
    seam.chosenFiles = {target};
    seam.answers = {Answer::No};
    EXPECT_EQ(saveListingAsText(other, "PROG.ASM", dialog), TextSaveResult::NotOverwritten);
    EXPECT_EQ(readFile(target), "0010 \xC4" "A\xDC\r\n0020\r\n");
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Datei schon vorhanden, überschreiben?");
    EXPECT_EQ(seam.messages[0].caption, "Fehler!");
    EXPECT_EQ(seam.messages[0].style & 0xF, mb::yesNo);

    seam.chosenFiles = {target};
    seam.answers = {Answer::Yes};
    EXPECT_EQ(saveListingAsText(other, "PROG.ASM", dialog), TextSaveResult::Written);
    EXPECT_EQ(readFile(target), "0001 NEU\r\n");

    seam.messages.clear();
    seam.chosenFiles = {folder.file("FEHLT/PROG.TXT")};
    EXPECT_EQ(saveListingAsText(other, "PROG.ASM", dialog), TextSaveResult::CannotCreate);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Dateierzeugung schlug fehl");
    EXPECT_EQ(seam.messages[0].owner, nullptr);
}
