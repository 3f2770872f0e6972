#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

#include "common/BoxDriver.h"
#include "resources/SpulwerkIds.h"
#include "shell/CommonServices.h"
#include "app/win/MainWindow.h"
#include "shell/win/Win32UserInterface.h"
#include "sound/TempWav.h"

namespace {
struct MainWindowTest : testing::Test {
    void SetUp() override {
        installWin32UserInterface(GetModuleHandleA(nullptr));
        window = createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        setRecordingLeftInTempWav(false);
        if (IsWindow(window)) {
            SendMessageA(window, WM_CLOSE, 0, 0);
            SendMessageA(window, WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(pumpUntilDestroyed(window));
    }
    SIZE size() const {
        RECT rect;
        GetWindowRect(window, &rect);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }
    std::string menuText(HMENU menu, int position) const {
        char text[128] = {};
        GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
        return text;
    }
    HWND window = nullptr;
};

std::vector<std::string> menuTexts(HMENU menu) {
    std::vector<std::string> texts;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        if (GetMenuItemID(menu, i) == 0 && text[0] == '\0') continue;  // separator
        texts.push_back(text);
    }
    return texts;
}
}

TEST_F(MainWindowTest, OpensInStartModeWithClassTitleSizeAndMenu) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "BV7_Class");
    EXPECT_EQ(windowText(window), "Spulwerk Vers. 0.9e");
    SIZE start = size();
    EXPECT_EQ(start.cx, 385);
    EXPECT_EQ(start.cy, 210);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, static_cast<LONG>(GetSystemMetrics(SM_CXSCREEN) / 2 - 385 / 2));
    LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));

    HMENU menu = GetMenu(window);
    EXPECT_EQ(menuTexts(menu),
              (std::vector<std::string>{"&Datei", "&Konverter", "&ZG-Entwurf", "&Bildschirm", "&Hilfe"}));
    EXPECT_EQ(menuTexts(GetSubMenu(menu, 0)),
              (std::vector<std::string>{"Voreinstellungen", "HEX-Dump...", "CRC16...", "Beenden"}));
    EXPECT_EQ(menuTexts(GetSubMenu(menu, 4)), (std::vector<std::string>{"Info", "über..."}));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 0), 0), static_cast<UINT>(CMD_PREFERENCES));
    EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(CMD_CONVERTER));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 4), 2), static_cast<UINT>(CMD_ABOUT));

    HWND splash = GetDlgItem(window, IDC_SPLASH);
    ASSERT_NE(splash, nullptr);
    EXPECT_NE(SendMessageA(splash, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

TEST_F(MainWindowTest, QuitsByBeendenAndRemovesTempWav) {
    std::string tempWav = tempWavPath();
    std::FILE* file = std::fopen(tempWav.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    char elsewhere[MAX_PATH];
    GetTempPathA(MAX_PATH, elsewhere);
    SetCurrentDirectoryA(elsewhere);   // as a file chooser may do
    PostMessageA(window, WM_COMMAND, CMD_QUIT, 0);
    pumpUntilDestroyed(window);
    SetCurrentDirectoryA(shell().startDirectory.c_str());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(fileExists(tempWav));
}

TEST_F(MainWindowTest, AnUnsavedRecordingIsAskedForBeforeTheProgramEnds) {
    std::FILE* file = std::fopen(tempWavPath().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("Aufnahme", file);
    std::fclose(file);
    setRecordingLeftInTempWav(true);
    BoxDriver driver;
    driver.answers = {IDCANCEL, IDNO};
    SendMessageA(window, WM_COMMAND, CMD_QUIT, 0);
    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_EQ(driver.seen[0].caption, "Anfrage");
    EXPECT_EQ(driver.seen[0].owner, window);
    EXPECT_EQ(driver.seen[0].buttons.size(), 3u);
    EXPECT_TRUE(IsWindow(window)) << "Abbrechen stays";
    EXPECT_TRUE(fileExists(tempWavPath()));

    PostMessageA(window, WM_COMMAND, CMD_QUIT, 0);
    pumpUntilDestroyed(window);
    EXPECT_EQ(driver.seen.size(), 2u);
    EXPECT_FALSE(IsWindow(window)) << "Nein gives the recording up";
    EXPECT_FALSE(fileExists(tempWavPath()));
}

TEST_F(MainWindowTest, CloseBoxInScreenModeReturnsToStartModeAndASecondCloseEnds) {
    SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    EXPECT_EQ(shell().mode, WindowMode::Screen);
    EXPECT_EQ(windowText(window), "Bildschirmarbeit");
    EXPECT_EQ(size().cx, 810);
    EXPECT_EQ(size().cy, 610);
    EXPECT_EQ(menuTexts(GetMenu(window)),
              (std::vector<std::string>{"&Demo", "&Grafik", "&Bildschirminhalt", "&Hilfe"}));
    EXPECT_NE(GetDlgItem(window, IDC_STATUSBAR), nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, IDC_SPLASH)));

    SendMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, IDC_SPLASH)));
    EXPECT_NE(SendMessageA(GetDlgItem(window, IDC_SPLASH), STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(shell().mode, WindowMode::Start);
    EXPECT_EQ(windowText(window), "Spulwerk");
    EXPECT_EQ(size().cx, 385);
    EXPECT_EQ(menuTexts(GetMenu(window)).front(), "&Datei");

    SendMessageA(window, WM_CLOSE, 0, 0);
    pumpUntilDestroyed(window);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, MonitorVersionBoxChangesNothing) {
    SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    BoxDriver driver;
    driver.answers = {IDOK};
    SendMessageA(window, WM_COMMAND, CMD_MONITOR, 0);
    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_TRUE(isBox(driver.seen[0], "Monitorwechsel", "Momentan ist nur V. 3.1 verfügbar", window));
    EXPECT_EQ(shell().mode, WindowMode::Screen);
}

TEST_F(MainWindowTest, NarrowScreensGetTheResolutionWarningOnEachEntry) {
    unsigned realWidth = shell().screenWidth;
    shell().screenWidth = 800;
    BoxDriver driver;
    driver.answers = {IDOK, IDOK};
    for (int entry = 0; entry < 2; ++entry) {
        SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
        EXPECT_EQ(shell().mode, WindowMode::Screen) << "the mode changes anyway";
        SendMessageA(window, WM_COMMAND, CMD_BACK, 0);
    }
    shell().screenWidth = realWidth;
    ASSERT_EQ(driver.seen.size(), 2u);
    EXPECT_TRUE(isBox(driver.seen[0], "Fehler",
                      "Du hast keine genügend hohe Bildschirmauflösung (>800x600) eingestellt, es wird nicht alles "
                      "sichtbar sein!"));
    SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    EXPECT_EQ(driver.seen.size(), 2u) << "no warning on a wider screen";
}
