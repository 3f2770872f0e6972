#include <gtest/gtest.h>

#include <windows.h>

#include "common/BoxDriver.h"
#include "shell/CommonServices.h"
#include "shell/win/Win32UserInterface.h"

namespace {
UINT lastStyle = 0;
HWND lastOwner = reinterpret_cast<HWND>(1);

int WINAPI recordingMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
    lastStyle = style;
    lastOwner = owner;
    return MessageBoxA(owner, text, caption, style);
}
}

TEST(StringError, ShowsTheChecksumTextWithTheBlockNumber) {
    installWin32UserInterface(GetModuleHandleA(nullptr));
    win32Interface().messageBox = recordingMessageBox;
    BoxDriver driver;
    driver.answers = {IDOK};
    EXPECT_EQ(showStringError(16019, 7), -1);
    win32Interface().messageBox = MessageBoxA;

    ASSERT_EQ(driver.seen.size(), 1u);
    EXPECT_TRUE(isBox(driver.seen[0], "Fehler", "WAV: Prüfsummenfehler in Block 7", nullptr, {"OK"}));
    EXPECT_EQ(lastStyle, static_cast<UINT>(MB_OK | MB_TASKMODAL));
    EXPECT_EQ(lastOwner, nullptr);
}

TEST(StringError, ComesFromTheResourceStringTableToo) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), 16010, text, sizeof text);
    EXPECT_STREQ(text, "Binärdatei konnte nicht geöffnet werden.");
    LoadStringA(GetModuleHandleA(nullptr), 16019, text, sizeof text);
    EXPECT_STREQ(text, "WAV: Prüfsummenfehler in Block ");
}
