#pragma once
// The one top-level window of Spulwerk, in start mode or screen mode.
#include <windows.h>

#include <string>

#include "app/MainWindowRules.h"

// What the commands and the tools ask of the main window.
struct ShellState {
    unsigned screenWidth = 0;               // decides the resolution warning of screen mode
    HWND mainWindow = nullptr;
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
