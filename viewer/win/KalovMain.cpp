// Program entry of kalov.
#include <windows.h>
#include <commctrl.h>

#include "shell/win/Win32UserInterface.h"
#include "viewer/win/ViewerDialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    InitCommonControls();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    installWin32UserInterface(instance);
    ExitProcess(static_cast<UINT>(runViewer(instance)));
}
