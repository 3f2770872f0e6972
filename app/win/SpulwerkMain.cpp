// Program entry of Spulwerk.
#include <windows.h>
#include <commctrl.h>

#include "app/win/MainWindow.h"
#include "shell/win/Win32UserInterface.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    installWin32UserInterface(instance);
    int result = 0;
    if (createMainWindow(instance, SW_SHOWNORMAL)) result = runMessageLoop();
    ExitProcess(static_cast<UINT>(result));
}
