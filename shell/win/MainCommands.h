#pragma once
// What the main window's messages turn into: the menu commands and the hooks
// of the emulated screen.
#include <windows.h>

#include "shell/MainWindowRules.h"

void runMainCommand(int command);
void showModeHelp(WindowMode mode);

void mainCommandsOnCreate();    // while the window is being created
void mainCommandsOnStart();     // after the window exists, before it is shown
void mainCommandsOnDestroy();

void screenModeEntered();       // colours again, before the blink timer starts
void screenModeStarted();       // screen reset and cursor, after the timer started
void blinkStep();
void typeCharacter(unsigned char code);
bool mouseForDrawing(UINT message, int x, int y);
void paintScreen(HWND window);
