#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "common/BoxDriver.h"
#include "app/win/MainWindow.h"
#include "resources/SpulwerkIds.h"
#include "shell/GlobalSettings.h"
#include "shell/win/ShellDialogs.h"
#include "shell/win/Win32UserInterface.h"
#include "support/WinTestFiles.h"

namespace {
struct SeenDialog {
    std::string caption;
    int selected = -1;
    int count = 0;
    std::string selectedText;
};

// Reads caption and list state of an info dialog, then closes it.
std::function<bool(HWND)> readInfo(SeenDialog& seen) {
    return [&seen](HWND dialog) {
        seen.caption = windowText(dialog);
        HWND list = GetDlgItem(dialog, IDC_INFO_LIST);
        seen.count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
        seen.selected = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
        char text[512] = {};
        if (seen.selected >= 0) SendMessageA(list, LB_GETTEXT, seen.selected, reinterpret_cast<LPARAM>(text));
        seen.selectedText = text;
        PostMessageA(dialog, WM_COMMAND, IDC_INFO_OK, 0);
        return true;
    };
}

struct ShellDialogsTest : testing::Test {
    void SetUp() override {
        installWin32UserInterface(GetModuleHandleA(nullptr));
        window = createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        SendMessageA(window, WM_CLOSE, 0, 0);
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(pumpUntilDestroyed(window));
    }
    // A real F1 key, typed while the main window has the focus; true once
    // `opened` shows that it arrived.
    testing::AssertionResult pressF1(const std::function<bool()>& opened) {
        SetForegroundWindow(window);
        SetFocus(window);
        if (!pumpUntil([this] { return GetForegroundWindow() == window && GetFocus() == window; }))
            return testing::AssertionFailure() << "the main window does not get the focus";
        keybd_event(VK_F1, 0, 0, 0);
        keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
        if (!pumpUntil(opened)) return testing::AssertionFailure() << "F1 opened nothing within 5 s";
        return testing::AssertionSuccess();
    }
    HWND window = nullptr;
};
}

TEST_F(ShellDialogsTest, F1OpensTheGeneralTextInStartModeAndTheScreenTextInScreenMode) {
    BoxDriver driver;
    SeenDialog seen;
    driver.onDialog = readInfo(seen);
    auto opened = [&seen] { return !seen.caption.empty(); };
    ASSERT_TRUE(pressF1(opened));
    EXPECT_EQ(seen.caption, "Infos zu Spulwerk");
    EXPECT_EQ(seen.selected, seen.count - 1);

    SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    seen = SeenDialog{};
    ASSERT_TRUE(pressF1(opened));
    EXPECT_EQ(seen.caption, "Infos zur Bildschirmarbeit");
    EXPECT_EQ(seen.selectedText, "...") << "the list shows the text's own selection";
}

TEST_F(ShellDialogsTest, PreferencesShowTheSettingsAndKeepColoursOnTheCloseBox) {
    resetGlobalSettings();
    applyColourScheme();
    BoxDriver driver;
    int minimum = 0, maximum = 0, position = 0;
    bool formatChecked = false, formatEnabled = true;
    driver.onDialog = [&](HWND dialog) {
        HWND slider = GetDlgItem(dialog, IDC_TRIGGER);
        minimum = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
        maximum = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
        position = static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0));
        formatChecked = IsDlgButtonChecked(dialog, IDC_FORMAT_STANDARD) == BST_CHECKED;
        formatEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_FORMAT_STANDARD));
        // Choose green, drag the slider to 0x72, then leave by the close box.
        CheckRadioButton(dialog, IDC_SCHEME_WHITE, IDC_SCHEME_GREEN, IDC_SCHEME_GREEN);
        SendMessageA(slider, TBM_SETPOS, TRUE, 0x72);
        SendMessageA(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 0x72), reinterpret_cast<LPARAM>(slider));
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    };
    SendMessageA(window, WM_COMMAND, CMD_PREFERENCES, 0);
    EXPECT_EQ(minimum, 0x70);
    EXPECT_EQ(maximum, 0x7A);
    EXPECT_EQ(position, 0x76);
    EXPECT_TRUE(formatChecked);
    EXPECT_FALSE(formatEnabled);
    EXPECT_EQ(globalSettings().colourScheme, 0) << "the close box does not read the colours";
    EXPECT_EQ(globalSettings().triggerLevel, 0x72) << "a dragged level stays stored";

    // Keys on the slider move the thumb for real (page, line and end steps,
    // each followed by the end-of-track notification) and store nothing.
    std::vector<int> keyedPositions;
    driver.onDialog = [&](HWND dialog) {
        CheckRadioButton(dialog, IDC_SCHEME_WHITE, IDC_SCHEME_GREEN, IDC_SCHEME_GREEN);
        CheckDlgButton(dialog, IDC_INVERSE, BST_CHECKED);
        HWND slider = GetDlgItem(dialog, IDC_TRIGGER);
        for (WPARAM key : {VK_PRIOR, VK_RIGHT, VK_END}) {
            SendMessageA(slider, WM_KEYDOWN, key, 1);
            SendMessageA(slider, WM_KEYUP, key, 0xC0000001);
            keyedPositions.push_back(static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)));
        }
        PostMessageA(dialog, WM_COMMAND, IDC_BACK, 0);
        return true;
    };
    SendMessageA(window, WM_COMMAND, CMD_PREFERENCES, 0);
    EXPECT_EQ(keyedPositions, (std::vector<int>{0x70, 0x71, 0x7A})) << "the keys moved the thumb";
    EXPECT_EQ(globalSettings().triggerLevel, 0x72) << "only dragging the thumb stores the level";
    EXPECT_EQ(globalSettings().colourScheme, 1);
    EXPECT_EQ(globalSettings().inkColour, rgbColour(0x00, 0xFF, 0x00)) << "the scheme is applied";
    EXPECT_EQ(globalSettings().inverse, 1);
    resetGlobalSettings();
    applyColourScheme();
}

// The main window hands itself to the exchange dialog it opens; the
// preferences opened there are the main window's, like those of the menu.
TEST_F(ShellDialogsTest, PreferencesOfTheConverterAreOwnedByTheMainWindow) {
    BoxDriver driver;
    HWND exchangeOwner = nullptr, preferencesOwner = nullptr;
    driver.onDialog = [&](HWND dialog) {
        if (windowText(dialog) == "Programm-/Datenaustausch BV7<->PC") {
            exchangeOwner = GetWindow(dialog, GW_OWNER);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(CMD_SND_PREFERENCES, 0), 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SND_BACK, BN_CLICKED), 0);
        } else {
            preferencesOwner = GetWindow(dialog, GW_OWNER);
            PostMessageA(dialog, WM_COMMAND, IDC_BACK, 0);
        }
        return true;
    };
    SendMessageA(window, WM_COMMAND, CMD_CONVERTER, 0);
    EXPECT_EQ(exchangeOwner, window);
    EXPECT_EQ(preferencesOwner, window);
    ASSERT_EQ(driver.seen.size(), 2u);
}

TEST_F(ShellDialogsTest, Crc16ShowsPathAndChecksumOfTheWholeFile) {
    std::string path = writeTestFile("crc.bin", "123456789");
    struct Scripted : Win32UserInterface {
        std::string chosen;
        bool chooseFile(const Chooser&, FileNameBuffer& buffer) override {
            lstrcpynA(buffer, chosen.c_str(), fileNameBufferSize);
            return true;
        }
    } scripted;
    scripted.chosen = path;
    UserInterface* previous = setUserInterface(&scripted);
    BoxDriver driver;
    driver.answers = {IDOK};
    SendMessageA(window, WM_COMMAND, CMD_CRC16, 0);
    setUserInterface(previous);
    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_TRUE(isBox(driver.seen[0], "CRC-16", path + "\r\n\r\nCRC (SDLC): 29B1", window));
    std::remove(path.c_str());
}

TEST_F(ShellDialogsTest, AboutShowsVersionAndLinks) {
    BoxDriver driver;
    std::string version, mail, download;
    driver.onDialog = [&](HWND dialog) {
        version = windowText(GetDlgItem(dialog, IDC_VERSION));
        mail = windowText(GetDlgItem(dialog, IDC_MAIL_LINK));
        download = windowText(GetDlgItem(dialog, IDC_DOWNLOAD_LINK));
        PostMessageA(dialog, WM_COMMAND, IDC_ABOUT_OK, 0);
        return true;
    };
    SendMessageA(window, WM_COMMAND, CMD_ABOUT, 0);
    EXPECT_EQ(version, "Spulwerk Vers. 0.9e");
    EXPECT_EQ(mail, authorMailAddress);
    EXPECT_EQ(download, "(noch nicht verfügbar!)");
    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_EQ(driver.seen[0].caption, "Autor und Download");
}
