#pragma once
// Screen mode of the main window: the emulated BV7 screen drawn from a DIB
// section kept for the whole run, the cursor timer, keys, mouse drawing and
// the commands of the screen-mode menus. The main window forwards its
// messages here; the screen's state lives in screen/.
#include <windows.h>

#include <string>

// On every entry into screen mode, after the blink timer started: cursor
// blinking, screen reset with banner and prompt.
void screenViewEntered(HWND window);
void screenViewPaint(HWND window);
void screenViewBlink(HWND window);
// WM_CHAR: Enter executes the line, every other code is typed.
void screenViewCharacter(HWND window, unsigned code);
// Mouse messages while freehand drawing is on; false when not taken.
bool screenViewMouse(HWND window, UINT message, int x, int y);
// A command of the screen-mode menus; false when it is not one of them.
bool runScreenCommand(HWND window, int command, const std::string& startDirectory);
// At the end of the program: the DIB section goes.
void screenViewEnd();
