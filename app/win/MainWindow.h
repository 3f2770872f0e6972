#pragma once
// The one top-level window of Spulwerk, in start mode or screen mode.
#include <windows.h>

#include <string>

#include "app/MainWindowRules.h"

struct ShellState {
    HINSTANCE instance = nullptr;
    LPSTR commandLine = nullptr;
    unsigned screenWidth = 0;
    unsigned screenHeight = 0;
    HWND mainWindow = nullptr;
    HMENU currentMenu = nullptr;
    HWND splashControl = nullptr;
    HBITMAP splashBitmap = nullptr;
    HWND statusBar = nullptr;               // screen mode's, while it is shown
    HWND previousStatusTarget = nullptr;
    UINT_PTR blinkTimer = 0;
    WindowMode mode = WindowMode::Start;
    std::string startDirectory;
};

ShellState& shell();

// Registers "BV7_Class", creates the main window in start mode and shows it.
// Returns the window, or null when it could not be created.
HWND createMainWindow(HINSTANCE instance, int showCommand);

// The message loop; returns the quit message's wParam.
int runMessageLoop();

// Mode changes, in the order the window goes through them.
void enterScreenMode();
void returnToStartMode();

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
