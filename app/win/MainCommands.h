#pragma once
// What the main window's menu commands turn into; screen mode's own messages
// go to screen/win/ScreenView.
#include <windows.h>

#include "app/MainWindowRules.h"

void runMainCommand(int command);
void showModeHelp(WindowMode mode);

void mainCommandsOnCreate();    // while the window is being created
void mainCommandsOnStart();     // after the window exists, before it is shown
void mainCommandsOnDestroy();

void screenModeEntered();       // colours again, before the blink timer starts
