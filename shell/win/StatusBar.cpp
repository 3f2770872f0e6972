#include "shell/win/StatusBar.h"

#include <commctrl.h>

#include "resources/SpulwerkIds.h"

HWND createStatusBar(HWND parent) {
    HWND bar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | 0x10, "", parent, IDC_STATUSBAR);
    int rightEdges[] = {420, 525, -1};
    SendMessageA(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(rightEdges));
    return bar;
}
