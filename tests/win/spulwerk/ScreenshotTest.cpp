// Pictures of every window and dialog for a look by eye: `make screenshots`.
// Skipped in the normal test run.
#include <gtest/gtest.h>

#include <windows.h>

#include "common/BoxDriver.h"
#include "chargen/win/CharGenStart.h"
#include "chargen/win/WindowBmp.h"
#include "common/Screenshot.h"
#include "resources/SpulwerkIds.h"
#include "shell/GlobalSettings.h"
#include "app/win/MainWindow.h"
#include "shell/win/ShellDialogs.h"
#include "shell/win/Win32UserInterface.h"

namespace {
struct Screenshots : testing::Test {
    void SetUp() override {
        folder = screenshotFolder();
        if (folder.empty()) GTEST_SKIP() << "SPULWERK_SCREENSHOTS is not set";
        installWin32UserInterface(GetModuleHandleA(nullptr));
        window = createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        if (!window) return;
        SendMessageA(window, WM_CLOSE, 0, 0);
        SendMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(pumpUntilDestroyed(window));
    }
    // Photographs the next dialog that opens, then closes it.
    void shootDialog(BoxDriver& driver, const std::string& name) {
        driver.onDialog = [this, name](HWND dialog) {
            EXPECT_TRUE(saveWindowShot(dialog, folder + "\\" + name + ".bmp"));
            PostMessageA(dialog, WM_CLOSE, 0, 0);
            return true;
        };
    }
    std::string folder;
    HWND window = nullptr;
};
}

TEST_F(Screenshots, StartAndScreenMode) {
    EXPECT_TRUE(saveWindowShot(window, folder + "\\start.bmp"));
    SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    EXPECT_TRUE(saveWindowShot(window, folder + "\\screen-mode.bmp"));
    const std::pair<int, const char*> demos[] = {{CMD_PICTURE1, "screen-picture"},
                                                 {CMD_GREETING, "screen-greeting"},
                                                 {CMD_RANDOM, "screen-random"},
                                                 {CMD_REGISTERS, "screen-registers"}};
    for (const auto& [command, name] : demos) {
        SendMessageA(window, WM_COMMAND, CMD_RESET, 0);
        SendMessageA(window, WM_COMMAND, command, 0);
        UpdateWindow(window);
        EXPECT_TRUE(saveWindowShot(window, folder + "\\" + name + ".bmp"));
    }
    // The banner in the green scheme, with a command typed and answered.
    SendMessageA(window, WM_COMMAND, CMD_BACK, 0);
    globalSettings().colourScheme = 1;
    SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    for (char key : std::string("a 1000 2000 10\r")) SendMessageA(window, WM_CHAR, static_cast<unsigned char>(key), 0);
    UpdateWindow(window);
    EXPECT_TRUE(saveWindowShot(window, folder + "\\screen-green.bmp"));
    globalSettings().colourScheme = 0;
}

TEST_F(Screenshots, Dialogs) {
    BoxDriver driver;
    shootDialog(driver, "preferences");
    showPreferences(window);
    const std::pair<HelpVariant, const char*> variants[] = {{HelpVariant::General, "info-general"},
                                                            {HelpVariant::Designer, "info-designer"},
                                                            {HelpVariant::Converter, "info-converter"},
                                                            {HelpVariant::Screen, "info-screen"}};
    for (const auto& [variant, name] : variants) {
        shootDialog(driver, name);
        showInfo(window, variant);
    }
    shootDialog(driver, "about");
    showAbout(window);
}

// The designer with each template, and each set's overview on its own (scaled
// up by scripts/screenshots for a close look at every character).
TEST_F(Screenshots, DesignerWithEachTemplate) {
    BoxDriver driver;
    driver.onDialog = [this](HWND dialog) {
        if (windowText(dialog) != "BV7-Zeichengenerator-Entwurf") return false;
        for (int number = 1; number <= 5; ++number) {
            SendMessageA(dialog, WM_COMMAND, CMD_ZG_TEMPLATE1 + number - 1, 0);
            std::string suffix = std::to_string(number) + ".bmp";
            EXPECT_TRUE(saveWindowShot(dialog, folder + "\\designer-zg" + suffix));
            EXPECT_TRUE(saveWindowAreaAsBmp(dialog, 55, 40, 331, 331, folder + "\\charset-zg" + suffix));
        }
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    };
    SendMessageA(window, WM_COMMAND, CMD_DESIGNER, 0);
}

// The layout for system fonts taller than 16 pixels.
TEST_F(Screenshots, DesignerLargeFontLayout) {
    BoxDriver driver;
    shootDialog(driver, "designer-large-font");
    openDesigner(window, shell().startDirectory, "ZGDialogG");
}
