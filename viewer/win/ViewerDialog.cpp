#include "viewer/win/ViewerDialog.h"

namespace {
INT_PTR CALLBACK viewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}
}

int runViewer(HINSTANCE instance) {
    DialogBoxParamA(instance, "VIEWER", nullptr, viewerDialogProc, 0);
    return 0;
}
