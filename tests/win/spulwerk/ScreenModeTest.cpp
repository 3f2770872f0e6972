#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <iterator>

#include "chargen/CharGenImage.h"
#include "chargen/win/PixelSection.h"
#include "common/BoxDriver.h"
#include "resources/SpulwerkIds.h"
#include "screen/ScreenRenderer.h"
#include "shell/GlobalSettings.h"
#include "app/win/MainWindow.h"
#include "shell/win/Win32UserInterface.h"
#include "support/WinTestFiles.h"
#include "tests/support/ScreenRows.h"

namespace {
struct ScreenModeTest : testing::Test {
    void SetUp() override {
        installWin32UserInterface(GetModuleHandleA(nullptr));
        window = createMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL);
        ASSERT_NE(window, nullptr);
        SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
        SetForegroundWindow(window);
    }
    void TearDown() override {
        if (IsWindow(window)) {
            SendMessageA(window, WM_CLOSE, 0, 0);
            SendMessageA(window, WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(pumpUntilDestroyed(window));
    }
    void type(const std::string& keys) {
        for (char key : keys) SendMessageA(window, WM_CHAR, static_cast<unsigned char>(key), 0);
    }
    std::string statusText(int part) {
        char text[256] = {};
        SendMessageA(GetDlgItem(window, IDC_STATUSBAR), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    // The window's pixels of the screen rectangle, as the display shows them.
    std::vector<std::uint32_t> shownPixels() {
        const int width = screen::frameRight, height = screen::frameBottom;
        HDC context = GetDC(window);
        HDC memory = CreateCompatibleDC(context);
        HBITMAP bitmap = CreateCompatibleBitmap(context, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, context, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        BITMAPINFO info = topDownPixels(width, height);
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
        GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(window, context);
        return pixels;
    }
    HWND window = nullptr;
};
}

TEST_F(ScreenModeTest, TypedCommandIsAnsweredOnScreenAndStatusBarInBothModes) {
    EXPECT_EQ(rowText(theScreen(), 1), "      BV 7   U 880 - MONITOR  V 3.1");
    type("a 1000 2000 10\r");
    EXPECT_EQ(rowText(theScreen(), 3), " # A 1000 2000 10");
    EXPECT_NE(rowText(theScreen(), 4), "") << "the command was answered";
    EXPECT_EQ(statusText(0), "Kommando: --A 1000 2000 10--");
    EXPECT_EQ(theScreen().row(), 5);
    EXPECT_EQ(theScreen().column(), 3);

    // In start mode the keys still reach the screen that is not shown.
    SendMessageA(window, WM_COMMAND, CMD_BACK, 0);
    type("a 1 1\r");
    EXPECT_EQ(rowText(theScreen(), 5), " # A 1 1");
    EXPECT_EQ(theScreen().row(), 7);
    SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    EXPECT_EQ(rowText(theScreen(), 5), "") << "reset on entry";
}

TEST_F(ScreenModeTest, TheWindowShowsWhatTheRendererDraws) {
    // Colours whose red and blue differ, so that the two cannot be mixed up unnoticed.
    globalSettings().inkColour = rgbColour(200, 10, 50);
    globalSettings().paperColour = rgbColour(0, 64, 128);
    SendMessageA(window, WM_COMMAND, CMD_PICTURE1, 0);
    type("A");
    // The blink timer may change the cursor cell between the two readings: compare
    // against the cells as they are when the window is read, twice at most.
    bool same = false;
    for (int attempt = 0; attempt < 2 && !same; ++attempt) {
        UpdateWindow(window);
        std::vector<std::uint32_t> shown = shownPixels();
        PixelBuffer expected(screen::frameRight, screen::frameBottom);
        renderScreen(expected, theScreen(), charGenImage(), screenColours(globalSettings()));
        same = true;
        for (int y = screen::frameTop; y < screen::frameBottom && same; ++y)
            for (int x = screen::frameLeft; x < screen::frameRight && same; ++x) {
                RgbColour colour = expected.at(x, y);
                std::uint32_t asShown = (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
                if ((shown[static_cast<std::size_t>(y) * screen::frameRight + x] & 0xFFFFFF) != asShown) same = false;
            }
    }
    EXPECT_TRUE(same);
    EXPECT_EQ(theScreen().at(0, 0), 0xD8) << "the picture's top-left corner";
    applyColourScheme();
}

TEST_F(ScreenModeTest, ReturnAndReentryKeepOneStatusBar) {
    for (int entry = 0; entry < 3; ++entry) {
        SendMessageA(window, WM_COMMAND, CMD_BACK, 0);
        SendMessageA(window, WM_COMMAND, CMD_SCREEN, 0);
    }
    int bars = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[64] = {};
        GetClassNameA(child, className, sizeof className);
        if (lstrcmpiA(className, STATUSCLASSNAMEA) == 0) ++bars;
    }
    EXPECT_EQ(bars, 1);
}

TEST_F(ScreenModeTest, FreehandPhotoAndScreenFile) {
    BoxDriver driver;
    std::string photo = shell().startDirectory + "\\BS_Foto1.bmp";
    std::remove(photo.c_str());
    bool steadyWhileOpen = false;
    driver.answers = {IDOK};   // "'Zeichnen' ist aktiviert"
    SendMessageA(window, WM_COMMAND, CMD_FREEHAND, 0);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(29, 25));   // column 1, row 0
    auto drawn = theScreen().cells();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(785, 25));  // outside: nothing
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 525));
    EXPECT_EQ(theScreen().cells(), drawn);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(784, 524));
    EXPECT_EQ(theScreen().at(1, 0), '*');
    EXPECT_EQ(statusText(1), "63/31");
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(29, 25));
    EXPECT_EQ(theScreen().at(1, 0), ' ');

    driver.onDialog = [&](HWND box) {
        steadyWhileOpen = !theScreen().blinkOn();
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
    };
    SendMessageA(window, WM_COMMAND, CMD_PHOTO, 0);
    driver.onDialog = nullptr;
    ASSERT_EQ(driver.seen.size(), 2u);
    EXPECT_TRUE(isBox(driver.seen[1], "Bildschirmansicht wurde als BMP gespeichert:", photo, window));
    EXPECT_TRUE(steadyWhileOpen);
    EXPECT_TRUE(theScreen().blinkOn());
    std::ifstream in(photo, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    std::remove(photo.c_str());
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[18] | bytes[19] << 8, 790);
    EXPECT_EQ(bytes[22] | bytes[23] << 8, 538);

    // A screen saved and loaded again holds the same cells.
    struct Scripted : Win32UserInterface {
        std::string name;
        bool chooseFile(const Chooser&, FileNameBuffer& buffer) override {
            lstrcpynA(buffer, name.c_str(), fileNameBufferSize);
            return true;
        }
    } scripted;
    scripted.name = testFilePath("bild");
    std::remove((scripted.name + ".bsk").c_str());
    UserInterface* previous = setUserInterface(&scripted);
    auto saved = theScreen().cells();
    SendMessageA(window, WM_COMMAND, CMD_SAVE_SCREEN, 0);
    SendMessageA(window, WM_COMMAND, CMD_CLS, 0);
    scripted.name += ".bsk";
    SendMessageA(window, WM_COMMAND, CMD_LOAD_SCREEN, 0);
    setUserInterface(previous);
    std::remove(scripted.name.c_str());
    EXPECT_EQ(theScreen().cells(), saved);
}
