#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "../viewer/KaloSample.h"
#include "common/BoxDriver.h"
#include "resources/KalovIds.h"
#include "shell/win/Win32UserInterface.h"
#include "support/WinTestFiles.h"
#include "viewer/TextExport.h"
#include "viewer/win/ViewerDialog.h"

namespace {
const char* const viewerCaption = "KALO*4 Quelltext-Dateibetrachter";

std::string bytesOf(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// "10 LD A,[" and "20 ; 0": an umlaut code and a zero to be translated.
std::string sampleSource() {
    return bytesOf(KaloSample().line(10, "LD\x01" "A,[").line(20, "; 0\x03").line(30, "").finish());
}

struct ListState {
    std::vector<std::string> lines;
    bool umlChecked = false;
    bool oemChecked = false;
    std::string fileName;
    COLORREF text = CLR_INVALID;
    COLORREF background = CLR_INVALID;
};

ListState readViewer(HWND dialog) {
    ListState state;
    HWND list = GetDlgItem(dialog, IDC_LISTING);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        char text[4200] = {};
        SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        state.lines.push_back(text);
    }
    state.umlChecked = IsDlgButtonChecked(dialog, IDC_UML) == BST_CHECKED;
    state.oemChecked = IsDlgButtonChecked(dialog, IDC_OEM) == BST_CHECKED;
    state.fileName = windowText(GetDlgItem(dialog, IDC_FILE_NAME));
    HDC context = CreateCompatibleDC(nullptr);
    SendMessageA(dialog, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(list));
    state.text = GetTextColor(context);
    state.background = GetBkColor(context);
    DeleteDC(context);
    return state;
}

// Runs the viewer; `act` is called once on the open dialog, which is closed afterwards.
void runViewerWith(const ViewerStart& start, BoxDriver& driver, const std::function<void(HWND)>& act) {
    driver.onDialog = [&act](HWND dialog) {
        if (windowText(dialog) != viewerCaption) return false;
        act(dialog);
        PostMessageA(dialog, WM_COMMAND, IDC_QUIT, 0);
        return true;
    };
    runViewerDialog(GetModuleHandleA(nullptr), start);
}

struct ViewerTest : testing::Test {
    void SetUp() override {
        installWin32UserInterface(GetModuleHandleA(nullptr));
        char previous[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, previous);
        startDirectory = previous;
        folder = testFilePath("kalov-test");
        CreateDirectoryA(folder.c_str(), nullptr);
        SetCurrentDirectoryA(folder.c_str());
        DeleteFileA("KALOV.INI");
        std::ofstream("PROG.ASM", std::ios::binary) << sampleSource();
    }
    void TearDown() override {
        DeleteFileA("KALOV.INI");
        DeleteFileA("PROG.ASM");
        DeleteFileA("PROG.TXT");
        DeleteFileA("JUNK.BIN");
        SetCurrentDirectoryA(startDirectory.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    std::string startDirectory;
    std::string folder;
};
}

TEST_F(ViewerTest, OpensTheArgumentAsGivenAndShowsItsFilePart) {
    ViewerStart bare = prepareViewer("kalov.exe PROG.ASM");
    EXPECT_EQ(bare.file.name, "PROG.ASM");
    EXPECT_EQ(bare.workingDirectory + "\\", folder + "\\");

    // A file of the same name in another folder: the one named is shown, not
    // the one in the working directory.
    std::string other = folder + "\\andere Ablage";
    CreateDirectoryA(other.c_str(), nullptr);
    std::string otherFile = other + "\\PROG.ASM";
    std::ofstream(otherFile, std::ios::binary) << bytesOf(KaloSample().line(1, "NOP").finish());
    ViewerStart withPath = prepareViewer(("\"C:\\Program Files\\kalov.exe\" \"" + otherFile + "\"").c_str());
    EXPECT_EQ(withPath.file.name, "PROG.ASM");

    BoxDriver driver;
    ListState seen;
    runViewerWith(withPath, driver, [&seen](HWND dialog) { seen = readViewer(dialog); });
    DeleteFileA(otherFile.c_str());
    RemoveDirectoryA(other.c_str());
    EXPECT_EQ(seen.fileName, "PROG.ASM");
    ASSERT_EQ(seen.lines.size(), 1u);
    EXPECT_EQ(seen.lines[0], "0001 NOP");
    EXPECT_EQ(driver.seen.size(), 1u) << "no box besides the viewer itself";
}

TEST_F(ViewerTest, WithoutIniListsBlackOnWhiteWithUmlautsAndOemShowsTheRawCodes) {
    ViewerStart start = prepareViewer("kalov.exe PROG.ASM");
    BoxDriver driver;
    ListState uml, oem;
    runViewerWith(start, driver, [&](HWND dialog) {
        uml = readViewer(dialog);
        SendMessageA(GetDlgItem(dialog, IDC_OEM), BM_CLICK, 0, 0);
        oem = readViewer(dialog);
    });
    EXPECT_TRUE(uml.umlChecked);
    EXPECT_EQ(uml.text, RGB(0, 0, 0));
    EXPECT_EQ(uml.background, RGB(255, 255, 255));
    ASSERT_EQ(uml.lines.size(), 3u);
    EXPECT_EQ(uml.lines[0], "0010 LD A,\xC4");
    EXPECT_EQ(uml.lines[1], "0020 ; \xD8   ");
    EXPECT_EQ(uml.lines[2], "0030 ");
    EXPECT_TRUE(oem.oemChecked);
    ASSERT_EQ(oem.lines.size(), 3u);
    EXPECT_EQ(oem.lines[0], "0010 LD A,[");
    EXPECT_EQ(oem.lines[1], "0020 ; 0   ");
}

TEST_F(ViewerTest, AnIniWithOnlyUmlZeroGivesBlackOnBlackAndOem) {
    std::ofstream("KALOV.INI") << "[Prefs]\r\nUML=0\r\n";
    ViewerStart start = prepareViewer("kalov.exe PROG.ASM");
    BoxDriver driver;
    ListState seen;
    runViewerWith(start, driver, [&seen](HWND dialog) { seen = readViewer(dialog); });
    EXPECT_TRUE(seen.oemChecked);
    EXPECT_FALSE(seen.umlChecked);
    EXPECT_EQ(seen.text, RGB(0, 0, 0));
    EXPECT_EQ(seen.background, RGB(0, 0, 0));
    EXPECT_EQ(seen.lines[0], "0010 LD A,[");
}

TEST_F(ViewerTest, SavesTheListingAsWindows1252TextWithCrLf) {
    struct Scripted : Win32UserInterface {
        std::string offered;
        bool chooseFile(const Chooser&, FileNameBuffer& buffer) override {
            offered = buffer;
            lstrcpynA(buffer, "PROG.TXT", fileNameBufferSize);
            return true;
        }
    } scripted;
    UserInterface* previous = setUserInterface(&scripted);
    ViewerStart start = prepareViewer("kalov.exe PROG.ASM");
    BoxDriver driver;
    driver.answers = {IDOK};
    runViewerWith(start, driver, [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDC_SAVE_TEXT, 0); });
    setUserInterface(previous);

    EXPECT_EQ(scripted.offered, "PROG.TXT");
    std::ifstream saved("PROG.TXT", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, "0010 LD A,\xC4\r\n0020 ; \xD8\r\n0030\r\n");
    ASSERT_EQ(driver.seen.size(), 2u);
    EXPECT_TRUE(isBox(driver.seen[1], "Listing wurde als ASCII-Text gespeichert", "PROG.TXT"));
}

// scripts/run-tests names a folder holding a PROG.ASM of its own making; the
// viewer saves it as PROG.TXT there, and the script compares that file with
// what `bv7 kalo -o` writes for the same source.
TEST(KalovText, SavesTheSourceTheTestRunProvides) {
    const char* folder = std::getenv("SPULWERK_KALO_COMPARE");
    if (!folder) GTEST_SKIP() << "SPULWERK_KALO_COMPARE is not set (scripts/run-tests sets it)";
    installWin32UserInterface(GetModuleHandleA(nullptr));
    char previousDirectory[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previousDirectory);
    ASSERT_TRUE(SetCurrentDirectoryA(folder)) << folder;
    struct Scripted : Win32UserInterface {
        bool chooseFile(const Chooser&, FileNameBuffer& buffer) override {
            lstrcpynA(buffer, "PROG.TXT", fileNameBufferSize);
            return true;
        }
    } scripted;
    UserInterface* previous = setUserInterface(&scripted);
    BoxDriver driver;
    driver.answers = {IDOK};
    runViewerWith(prepareViewer("kalov.exe PROG.ASM"), driver,
                  [](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDC_SAVE_TEXT, 0); });
    setUserInterface(previous);
    SetCurrentDirectoryA(previousDirectory);
    ASSERT_EQ(driver.seen.size(), 2u);
    EXPECT_TRUE(isBox(driver.seen[1], "Listing wurde als ASCII-Text gespeichert", "PROG.TXT"));
}

TEST_F(ViewerTest, AFileThatIsNoSourceAsksThenSaysSo) {
    std::ofstream("JUNK.BIN", std::ios::binary) << std::string("\x34\x12 no source here", 17);
    ViewerStart start = prepareViewer("kalov.exe JUNK.BIN");
    BoxDriver driver;
    driver.answers = {IDNO, IDOK};   // both boxes come while the viewer is still being set up
    ListState seen;
    runViewerWith(start, driver, [&seen](HWND dialog) { seen = readViewer(dialog); });
    ASSERT_EQ(driver.seen.size(), 3u);
    for (int box : {0, 1}) {
        EXPECT_EQ(driver.seen[box].caption, "Fehler!");
        EXPECT_EQ(driver.seen[box].owner, nullptr);
    }
    EXPECT_EQ(driver.seen[0].buttons.size(), 2u) << "the question";
    EXPECT_EQ(seen.fileName, "(keine Datei geladen)");
    EXPECT_TRUE(seen.lines.empty());
}

TEST_F(ViewerTest, ReadsTheIniOfAWorkingDirectoryOf256CharactersOrMore) {
    // Two nested folders, long enough together that the working directory
    // reaches 256 characters.
    std::string deep = folder;
    std::vector<std::string> created;
    while (deep.size() < 256) {
        deep += "\\" + std::string(std::min<std::size_t>(120, 257 - deep.size()), 'k');
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
        created.push_back(deep);
    }
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    std::ofstream("KALOV.INI") << "[Prefs]\r\nUML=0\r\n";
    ViewerStart start = prepareViewer("kalov.exe PROG.ASM");
    DeleteFileA("KALOV.INI");
    SetCurrentDirectoryA(folder.c_str());
    for (auto made = created.rbegin(); made != created.rend(); ++made) RemoveDirectoryA(made->c_str());

    EXPECT_GE(start.workingDirectory.size(), 256u);
    EXPECT_EQ(start.workingDirectory, deep);
    EXPECT_FALSE(start.settings.umlautMode) << "UML=0 of the INI in " << deep;
    EXPECT_EQ(start.settings.backgroundColour, 0u);
}

TEST_F(ViewerTest, AfterSavingIntoAnotherFolderTheModeSwitchStillShowsTheFile) {
    // The real save chooser makes the chosen folder the working directory; the
    // folder holds another PROG.ASM that must not be shown instead.
    const std::string other = folder + "\\Texte";
    CreateDirectoryA(other.c_str(), nullptr);
    const std::string otherSource = other + "\\PROG.ASM";
    std::ofstream(otherSource, std::ios::binary) << bytesOf(KaloSample().line(1, "NOP").finish());
    struct Scripted : Win32UserInterface {
        std::string folder;
        bool chooseFile(const Chooser&, FileNameBuffer& buffer) override {
            lstrcpynA(buffer, (folder + "\\PROG.TXT").c_str(), fileNameBufferSize);
            return SetCurrentDirectoryA(folder.c_str()) != FALSE;
        }
    } scripted;
    scripted.folder = other;
    UserInterface* previous = setUserInterface(&scripted);
    ViewerStart start = prepareViewer("kalov.exe PROG.ASM");
    BoxDriver driver;
    driver.answers = {IDOK};   // "Listing wurde als ASCII-Text gespeichert"
    ListState oem;
    runViewerWith(start, driver, [&oem](HWND dialog) {
        SendMessageA(dialog, WM_COMMAND, IDC_SAVE_TEXT, 0);
        SendMessageA(GetDlgItem(dialog, IDC_OEM), BM_CLICK, 0, 0);
        oem = readViewer(dialog);
    });
    setUserInterface(previous);
    SetCurrentDirectoryA(folder.c_str());
    DeleteFileA((other + "\\PROG.TXT").c_str());
    DeleteFileA(otherSource.c_str());
    RemoveDirectoryA(other.c_str());

    ASSERT_EQ(driver.seen.size(), 2u) << "the viewer and the saved box, no error";
    EXPECT_EQ(driver.seen[1].caption, "Listing wurde als ASCII-Text gespeichert");
    EXPECT_EQ(oem.fileName, "PROG.ASM");
    ASSERT_EQ(oem.lines.size(), 3u);
    EXPECT_EQ(oem.lines[0], "0010 LD A,[");
}

TEST_F(ViewerTest, FreesTheButtonBitmapsWhenTheDialogEnds) {
    ViewerStart start = prepareViewer("kalov.exe PROG.ASM");
    BoxDriver driver;
    std::vector<HGDIOBJ> bitmaps;
    runViewerWith(start, driver, [&bitmaps](HWND dialog) {
        for (int id : {IDC_LOAD, IDC_SAVE_TEXT, IDC_PRINT, IDC_QUIT})
            bitmaps.push_back(reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(dialog, id, BM_GETIMAGE, IMAGE_BITMAP, 0)));
        for (HGDIOBJ bitmap : bitmaps) EXPECT_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
    });
    ASSERT_EQ(bitmaps.size(), 4u);
    for (HGDIOBJ bitmap : bitmaps) EXPECT_EQ(GetObjectType(bitmap), 0u) << "bitmap still alive";
}
