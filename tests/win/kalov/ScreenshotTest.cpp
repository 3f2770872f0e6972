// A picture of kalov with a listing for a look by eye: `make screenshots`.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>

#include "../viewer/KaloSample.h"
#include "common/BoxDriver.h"
#include "common/Screenshot.h"
#include "shell/win/Win32UserInterface.h"
#include "support/WinTestFiles.h"
#include "viewer/win/ViewerDialog.h"

TEST(Screenshots, ViewerWithUmlauts) {
    std::string folder = screenshotFolder();
    if (folder.empty()) GTEST_SKIP() << "SPULWERK_SCREENSHOTS is not set";
    installWin32UserInterface(GetModuleHandleA(nullptr));
    KaloSample sample;
    const char* lines[] = {";\x05" "Gr\x7D\x7E" "e vom BV7",  ";\x05" "Z\x7Bhler bis 10",
                           "\x06ORG\x03" "1000H",          "START:\x01LD\x03" "A,0",
                           "LOOP:\x02INC\x03" "A",        "\x06" "CP\x04" "10",
                           "\x06JR\x04NZ,LOOP",            "\x06RST\x03" "38H",
                           ";\x05" "F\x7D" "r sp\x7B" "ter: \x5B" "nderungen",
                           "\x06" "END"};
    unsigned number = 10;
    for (const char* line : lines) {
        sample.line(number, line);
        number += 10;
    }
    std::vector<std::uint8_t> bytes = sample.finish();
    std::string path = writeTestFile("GRUSS.ASM", std::string(bytes.begin(), bytes.end()));
    char folderOfFile[MAX_PATH];
    GetTempPathA(MAX_PATH, folderOfFile);
    SetCurrentDirectoryA(folderOfFile);
    ViewerStart start = prepareViewer("kalov.exe GRUSS.ASM");
    BoxDriver driver;
    driver.onDialog = [&folder](HWND dialog) {
        EXPECT_EQ(windowText(GetDlgItem(dialog, 1002)), "GRUSS.ASM");
        EXPECT_TRUE(saveWindowShot(dialog, folder + "\\kalov.bmp"));
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    };
    runViewerDialog(GetModuleHandleA(nullptr), start);
    DeleteFileA(path.c_str());
}
