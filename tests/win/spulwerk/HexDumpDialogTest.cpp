#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/BoxDriver.h"
#include "common/Screenshot.h"
#include "hexdump/HexDumpState.h"
#include "hexdump/win/HexDumpDialog.h"
#include "resources/SpulwerkIds.h"
#include "shell/CommonServices.h"
#include "shell/win/Win32UserInterface.h"

namespace {
std::string tempFile(const std::string& name, std::size_t size) {
    char folder[MAX_PATH] = {};
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) bytes += static_cast<char>(0x30 + i % 0x50);
    DWORD written = 0;
    if (size) WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::vector<std::string> listLines(HWND list) {
    std::vector<std::string> lines;
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = {};
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        lines.push_back(text);
    }
    return lines;
}

// What the dialog showed when it opened and after the mode button.
struct Seen {
    std::string caption, label, toggledLabel, fontName;
    std::vector<std::string> lines, toggledLines;
    LRESULT selected = -1;
    bool pictures = false;
};

struct HexDumpDialogTest : testing::Test {
    void SetUp() override { installWin32UserInterface(GetModuleHandleA(nullptr)); }
    // Looks at the next dialog, presses the mode button, looks again, then
    // presses `finish`. Boxes after it are answered from the driver's queue.
    void inspectThenPress(BoxDriver& driver, Seen& seen, int finish) {
        auto done = std::make_shared<bool>(false);
        driver.onDialog = [&seen, finish, done](HWND dialog) {
            if (*done) return false;
            *done = true;
            HWND list = GetDlgItem(dialog, IDC_HEX_LIST);
            seen.caption = windowText(dialog);
            seen.label = windowText(GetDlgItem(dialog, IDC_HEX_TOGGLE));
            seen.lines = listLines(list);
            seen.selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
            seen.pictures = SendDlgItemMessageA(dialog, IDC_HEX_PRINT, BM_GETIMAGE, IMAGE_BITMAP, 0) &&
                            SendDlgItemMessageA(dialog, IDC_HEX_CLOSE, BM_GETIMAGE, IMAGE_BITMAP, 0);
            LOGFONTA font{};
            GetObjectA(reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)), sizeof font, &font);
            seen.fontName = font.lfFaceName;
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HEX_TOGGLE, BN_CLICKED), 0);
            seen.toggledLabel = windowText(GetDlgItem(dialog, IDC_HEX_TOGGLE));
            seen.toggledLines = listLines(list);
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(finish, BN_CLICKED), 0);
            return true;
        };
    }
};
}

TEST_F(HexDumpDialogTest, ShowsTheFileWithChecksumsAndTogglesToAscii) {
    std::string path = tempFile("TEST_1000_1010_1000.BIN", 17);
    BoxDriver driver;
    Seen seen;
    inspectThenPress(driver, seen, IDC_HEX_CLOSE);
    showHexDumpDialog(nullptr, path);

    // The list and the button show the lines and labels of the file's dump state, in both modes.
    HexDumpState state = openHexDumpFile(path);
    EXPECT_EQ(seen.caption, path);
    EXPECT_TRUE(seen.pictures);
    EXPECT_STRCASEEQ(seen.fontName.c_str(), "Courier New");
    EXPECT_EQ(seen.label, hexDumpToggleLabel(state));
    ASSERT_EQ(seen.lines.size(), 4u);
    EXPECT_EQ(seen.lines, hexDumpLines(state));
    EXPECT_EQ(seen.selected, 3) << "the checksum line";
    toggleHexDumpMode(state);
    EXPECT_EQ(seen.toggledLabel, hexDumpToggleLabel(state));
    EXPECT_EQ(seen.toggledLines, hexDumpLines(state));
    EXPECT_NE(seen.toggledLines, seen.lines);
    EXPECT_EQ(driver.seen.size(), 1u);   // the dialog itself, no box
    DeleteFileA(path.c_str());
}

TEST_F(HexDumpDialogTest, PrintingAnEmptyListComplainsToTheMainWindowAndCloses) {
    HWND mainWindow = CreateWindowExA(0, "STATIC", "Hauptfenster", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                      nullptr, nullptr, nullptr, nullptr);
    BoxDriver driver;
    Seen seen;
    inspectThenPress(driver, seen, IDC_HEX_PRINT);
    driver.answers = {IDOK};
    showHexDumpDialog(mainWindow, "C:\\gibt es nicht\\x.bin");
    ASSERT_EQ(driver.seen.size(), 2u);
    EXPECT_TRUE(isBox(driver.seen[1], "Fehler!", "Nichts da zum Drucken :-)", mainWindow));
    DestroyWindow(mainWindow);
}

TEST_F(HexDumpDialogTest, OpensWhatTheChooserPicksWithAnEmptyProposal) {
    std::string path = tempFile("gewaehlt.bin", 3);
    offerFileName("alter Name");
    BoxDriver driver;
    std::string offered = "-";
    Seen seen;
    int dialogs = 0;
    // The chooser comes first: note its proposal, type the path and confirm.
    // Then the dump itself, closed at once.
    driver.onDialog = [&](HWND dialog) {
        if (++dialogs == 1) {
            offered = windowText(GetDlgItem(dialog, 0x047C));   // the file name field (cmb13)
            SetDlgItemTextA(dialog, 0x047C, path.c_str());
            PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            return true;
        }
        seen.caption = windowText(dialog);
        seen.lines = listLines(GetDlgItem(dialog, IDC_HEX_LIST));
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    };
    openHexDump(nullptr);
    EXPECT_EQ(dialogs, 2);
    ASSERT_GE(driver.seen.size(), 1u);
    EXPECT_EQ(driver.seen[0].caption, "Wähle eine Datei:");
    EXPECT_EQ(offered, "");
    EXPECT_STRCASEEQ(seen.caption.c_str(), path.c_str());
    EXPECT_EQ(seen.lines.size(), 3u);
    DeleteFileA(path.c_str());
}

TEST(ScreenshotsHexDump, ChecksumsAndAscii) {
    std::string folder = screenshotFolder();
    if (folder.empty()) GTEST_SKIP() << "SPULWERK_SCREENSHOTS is not set";
    std::string path = tempFile("GRÜSSE_1800_1A3F_1800.BIN", 0x240);
    BoxDriver driver;
    driver.onDialog = [&](HWND dialog) {
        SetCursorPos(0, 0);
        EXPECT_TRUE(saveWindowShot(dialog, folder + "\\hexdump.bmp"));
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HEX_TOGGLE, BN_CLICKED), 0);
        EXPECT_TRUE(saveWindowShot(dialog, folder + "\\hexdump-ascii.bmp"));
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    };
    showHexDumpDialog(nullptr, path);
    DeleteFileA(path.c_str());
}
