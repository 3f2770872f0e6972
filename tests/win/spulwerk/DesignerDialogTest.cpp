#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>

#include "chargen/CharGenImage.h"
#include "chargen/DesignerEdit.h"
#include "common/BoxDriver.h"
#include "resources/SpulwerkIds.h"
#include "shell/FileIo.h"
#include "shell/GlobalSettings.h"
#include "app/win/MainWindow.h"
#include "shell/win/Win32UserInterface.h"
#include "support/WinTestFiles.h"

namespace {
const char* const designerTitle = "BV7-Zeichengenerator-Entwurf";
const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);

// The real seam, except that the file chooser takes its names from a list.
struct ScriptedChooser : Win32UserInterface {
    std::deque<std::string> names;
    bool chooseFile(const Chooser&, FileNameBuffer& buffer) override {
        if (names.empty()) return false;
        lstrcpynA(buffer, names.front().c_str(), fileNameBufferSize);
        names.pop_front();
        return true;
    }
};

std::string statusText(HWND dialog, int part) {
    char text[512] = {};
    SendMessageA(GetDlgItem(dialog, IDC_STATUSBAR), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

// The colour the dialog shows at client pixel (x, y), once it has painted.
COLORREF pixel(HWND dialog, int x, int y) {
    UpdateWindow(dialog);
    HDC context = GetDC(dialog);
    COLORREF colour = GetPixel(context, x, y);
    ReleaseDC(dialog, context);
    return colour;
}

void leftClick(HWND dialog, int x, int y) { SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void rightClick(HWND dialog, int x, int y) { SendMessageA(dialog, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)); }
void press(HWND dialog, int id) { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
bool enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

struct DesignerDialogTest : testing::Test {
    void SetUp() override {
        installWin32UserInterface(GetModuleHandleA(nullptr));
        previous = setUserInterface(&user);
        resetGlobalSettings();
        window = createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        setUserInterface(previous);
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(pumpUntilDestroyed(window));
        resetGlobalSettings();
        applyColourScheme();
    }
    // Opens the designer from the menu, runs `steps` in it and closes it.
    void inDesigner(const std::function<void(HWND)>& steps) {
        bool opened = false;
        driver.onDialog = [&](HWND dialog) {
            if (windowText(dialog) != designerTitle) return false;
            opened = true;
            steps(dialog);
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            return true;
        };
        SendMessageA(window, WM_COMMAND, CMD_DESIGNER, 0);
        driver.onDialog = nullptr;
        EXPECT_TRUE(opened);
    }
    // A 1 kB pattern file loaded through "aus Datei laden"; its path.
    std::string loadFile(HWND dialog, const std::string& name) {
        std::string path = writeTestFile(name, std::string(1024, '\0'));
        user.names = {path};
        press(dialog, CMD_ZG_LOAD);
        return path;
    }
    ScriptedChooser user;
    UserInterface* previous = nullptr;
    BoxDriver driver;
    HWND window = nullptr;
};
}

TEST_F(DesignerDialogTest, OpensWithItsMenuStatusBarAndTheStartImageThatALockedFileLeavesAsItWas) {
    EXPECT_EQ(charGenImage().name, "Vorlage_ZG3") << "loaded as the main window was created";
    EXPECT_EQ(charGenImage().size, 2048u);
    EXPECT_EQ(charGenImage().templateFlag, 1);
    inDesigner([&](HWND dialog) {
        HMENU menu = GetMenu(dialog);
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(CMD_ZG_PREFERENCES));
        char text[64] = {};
        GetMenuStringA(GetSubMenu(menu, 1), CMD_ZG_TEMPLATE3, text, sizeof text, MF_BYCOMMAND);
        EXPECT_STREQ(text, "2k-Erweitert nach ...");
        EXPECT_EQ(statusText(dialog, 0), "Vorlage_ZG3");
        UpdateWindow(dialog);
        EXPECT_EQ(statusText(dialog, 1), "2048");
        EXPECT_FALSE(enabled(dialog, IDC_ZG_APPLY));
        EXPECT_FALSE(enabled(dialog, IDC_ZG_UNDO));
        RECT expected = {300, 165, 80, 15};   // x, y, width, height in dialog units
        MapDialogRect(dialog, &expected);
        RECT apply;
        GetWindowRect(GetDlgItem(dialog, IDC_ZG_APPLY), &apply);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&apply), 2);
        EXPECT_EQ(apply.left, expected.left);
        EXPECT_EQ(apply.top, expected.top);
        EXPECT_EQ(apply.right - apply.left, expected.right);
        EXPECT_EQ(apply.bottom - apply.top, expected.bottom);
        // The overview shows the image: "A" (0x41) has its top row 0x0E, pixels 1..3.
        int x0 = 60 + 20 * 1, y0 = 50 + 20 * 4;
        EXPECT_EQ(pixel(dialog, x0 + 2 + 2 * 1, y0), white);
        EXPECT_EQ(pixel(dialog, x0 + 2, y0), black);

        // A pattern file that another program holds open without sharing is not loaded.
        std::string path = writeTestFile("gesperrt.bin", std::string(1024, '\0'));
        HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        user.names = {path};
        press(dialog, CMD_ZG_LOAD);
        CloseHandle(lock);
        std::remove(path.c_str());
        EXPECT_EQ(statusText(dialog, 0), "Fehler");
        EXPECT_EQ(charGenImage().name, "Vorlage_ZG3");
        EXPECT_EQ(charGenImage().size, 2048u);
        EXPECT_EQ(charGenImage().templateFlag, 1);
        EXPECT_EQ(pixel(dialog, x0 + 2 + 2 * 1, y0), white) << "the overview still shows the image";
    });
}

TEST_F(DesignerDialogTest, ClicksAtTheCellsChangeTheirBitsAndTheMagnifierShowsThem) {
    globalSettings().colourScheme = 1;
    globalSettings().inverse = 1;
    const COLORREF set = RGB(0, 64, 0), clear = RGB(0, 255, 0);
    inDesigner([&](HWND dialog) {
        press(dialog, CMD_ZG_TEMPLATE1);
        leftClick(dialog, 60 + 20 * 1 + 19, 50 + 20 * 4 + 19);   // 'A', at the corner of its cell
        EXPECT_EQ(designerState().currentCode, 0x41);
        EXPECT_EQ(windowText(GetDlgItem(dialog, IDC_ZG_HEX)), "41h");
        GlyphRows a = designerState().edit;
        EXPECT_EQ(pixel(dialog, 460 + 20 * 1, 50), set) << "row 0 of 'A' has pixel 1";
        EXPECT_EQ(pixel(dialog, 460, 50), clear);

        rightClick(dialog, 451 + 20, 40);          // clears pixel 1 of row 0
        UpdateWindow(dialog);
        leftClick(dialog, 568, 197);               // would set pixel 5 of row 7 ...
        leftClick(dialog, 451, 57);                // ... but only the last click before a paint counts: pixel 0
        EXPECT_EQ(pixel(dialog, 460, 50), set);
        leftClick(dialog, 500, 199);               // row 8: nothing
        UpdateWindow(dialog);
        GlyphRows expected = a;
        expected[0] = static_cast<std::uint8_t>((a[0] & ~0x02) | 0x01);
        EXPECT_EQ(designerState().edit, expected);
        EXPECT_EQ(pixel(dialog, 460 + 20, 50), clear);
        EXPECT_EQ(pixel(dialog, 410, 50), set) << "preview of pixel 0 of row 0";
        EXPECT_EQ(pixel(dialog, 460 + 100, 50 + 140), clear);
        EXPECT_FALSE(enabled(dialog, IDC_ZG_APPLY)) << "a template is not written";
        EXPECT_TRUE(enabled(dialog, IDC_ZG_UNDO));

        leftClick(dialog, 65, 55);                 // another character: no question for a template
        EXPECT_EQ(designerState().currentCode, 0);
    });
    EXPECT_TRUE(driver.seen.size() == 1) << "only the designer itself";
}

TEST_F(DesignerDialogTest, AClickThatNoPaintCarriedOutEndsWithItsOpening) {
    GlyphRows before{};
    inDesigner([&](HWND dialog) {
        press(dialog, CMD_ZG_TEMPLATE1);
        leftClick(dialog, 60 + 20 * 1, 50 + 20 * 4);   // 'A'
        UpdateWindow(dialog);
        before = designerState().edit;
        leftClick(dialog, 451, 40);                    // pending: pixel 0 of row 0, closed before a paint
    });
    inDesigner([&](HWND dialog) {
        UpdateWindow(dialog);
        EXPECT_EQ(designerState().edit, before) << "the next opening's first paint edits nothing";
        EXPECT_FALSE(enabled(dialog, IDC_ZG_UNDO));
    });
}

TEST_F(DesignerDialogTest, AnAppliedCharacterIsInTheImageAndItsFileAndQuestionsCarryTheirCaptions) {
    std::string path;
    driver.answers = {IDNO, IDCANCEL, IDNO};
    inDesigner([&](HWND dialog) {
        path = loadFile(dialog, "muster.bin");
        EXPECT_EQ(statusText(dialog, 0), path);
        EXPECT_EQ(charGenImage().name, "muster.bin");
        leftClick(dialog, 60 + 20 * 2, 50 + 20 * 4);   // 0x42
        press(dialog, IDC_ZG_ALL);
        UpdateWindow(dialog);
        EXPECT_TRUE(enabled(dialog, IDC_ZG_APPLY));
        press(dialog, IDC_ZG_APPLY);
        UpdateWindow(dialog);
        EXPECT_FALSE(enabled(dialog, IDC_ZG_APPLY));
        press(dialog, IDC_ZG_INVERT);
        UpdateWindow(dialog);
        leftClick(dialog, 60, 50);                     // "Anfrage", No
        EXPECT_EQ(designerState().currentCode, 0);
        press(dialog, IDC_ZG_ALL);
        UpdateWindow(dialog);
        SendMessageA(dialog, WM_CLOSE, 0, 0);          // "Beenden?", Cancel: stays open
        EXPECT_TRUE(IsWindow(dialog));
    });                                                // "Beenden?", No
    ASSERT_EQ(driver.seen.size(), 4u);
    const std::string question = "Aktuelles Zeichen wurde geändert, erst speichern?";
    EXPECT_TRUE(isBox(driver.seen[1], "Anfrage", question, driver.seen[0].window));
    EXPECT_TRUE(isBox(driver.seen[2], "Beenden?", question));
    EXPECT_TRUE(isBox(driver.seen[3], "Beenden?", question));
    const std::uint8_t* applied = charGenImage().character(0x42);
    EXPECT_EQ(std::vector<std::uint8_t>(applied, applied + 8), std::vector<std::uint8_t>(8, 0x3F))
        << "the screen draws from this store";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    unsigned char bytes[2048] = {};
    std::size_t count = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    EXPECT_EQ(count, 1024u);
    EXPECT_EQ(bytes[0x42 * 8 + 7], 0x3F);
    std::remove(path.c_str());
}

TEST_F(DesignerDialogTest, ThePhotoIsA390By375BmpWithoutTheFrameAndAFailureIsReported) {
    std::string photo = shell().startDirectory + "\\Vorlage_ZG3.bmp";
    std::remove(photo.c_str());
    driver.answers = {IDOK, IDOK};
    inDesigner([&](HWND dialog) {
        press(dialog, CMD_ZG_PHOTO);
        // Where the new file cannot be written, the old one stays and the user hears of it.
        CreateDirectoryA(replacementName(photo).c_str(), nullptr);
        press(dialog, CMD_ZG_PHOTO);
        RemoveDirectoryA(replacementName(photo).c_str());
    });
    ASSERT_EQ(driver.seen.size(), 3u);
    EXPECT_TRUE(isBox(driver.seen[1], "Zeichensatz wurde als BMP gespeichert:", photo));
    EXPECT_TRUE(isBox(driver.seen[2], "Fehler", "Das Bild konnte nicht gespeichert werden:\r" + photo));
    std::FILE* file = std::fopen(photo.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    std::vector<unsigned char> bytes(2000000);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    std::remove(photo.c_str());
    ASSERT_GE(bytes.size(), 54u);
    auto at32 = [&](int offset) { return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | bytes[offset + 3] << 24; };
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(at32(18), 390);
    EXPECT_EQ(at32(22), 375);
    int bits = bytes[28] | bytes[29] << 8;
    int rowBytes = (390 * bits / 8 + 3) / 4 * 4;
    EXPECT_EQ(bytes.size(), 54u + static_cast<std::size_t>(rowBytes) * 375);
    // The frame around code 0 would run through (58, 47); the photo leaves it out. Rows are stored bottom up.
    auto colourAt = [&](int x, int y) {
        std::size_t at = 54 + static_cast<std::size_t>(374 - y) * rowBytes + x * (bits / 8);
        return RGB(bytes[at + 2], bytes[at + 1], bytes[at]);
    };
    EXPECT_EQ(colourAt(58, 47), black);
    EXPECT_EQ(colourAt(55, 40), white) << "the outline of the overview";
}
