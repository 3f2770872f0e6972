#pragma once
// The status bar Spulwerk's windows share: the main window in screen mode,
// the exchange dialog and the designer.
#include <windows.h>

// A status bar with parts ending at 420, 525 and the window edge, id 200.
HWND createStatusBar(HWND parent);
