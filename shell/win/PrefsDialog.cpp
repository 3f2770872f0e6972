#include <windows.h>
#include <commctrl.h>

#include "resources/SpulwerkIds.h"
#include "shell/GlobalSettings.h"
#include "shell/win/ShellDialogs.h"
#include "shell/win/Win32UserInterface.h"

namespace {
void showSettings(HWND dialog) {
    const GlobalSettings& settings = globalSettings();
    // The format is shown, not chosen: only the standard format is written.
    CheckDlgButton(dialog, settings.wavOutputFormat == 0 ? IDC_FORMAT_STANDARD : IDC_FORMAT_TURBO, BST_CHECKED);
    EnableWindow(GetDlgItem(dialog, IDC_FORMAT_STANDARD), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_FORMAT_TURBO), FALSE);
    CheckDlgButton(dialog, settings.colourScheme == 0 ? IDC_SCHEME_WHITE : IDC_SCHEME_GREEN, BST_CHECKED);
    if (settings.inverse == 1) CheckDlgButton(dialog, IDC_INVERSE, BST_CHECKED);
    HWND slider = GetDlgItem(dialog, IDC_TRIGGER);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(minTriggerLevel, maxTriggerLevel));
    SendMessageA(slider, TBM_SETPOS, TRUE, settings.triggerLevel);
}

void takeColours(HWND dialog) {
    GlobalSettings& settings = globalSettings();
    settings.colourScheme = IsDlgButtonChecked(dialog, IDC_SCHEME_GREEN) == BST_CHECKED ? 1 : 0;
    applyColourScheme();
    settings.inverse = IsDlgButtonChecked(dialog, IDC_INVERSE) == BST_CHECKED ? 1 : 0;
}

INT_PTR CALLBACK prefsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            showSettings(dialog);
            return TRUE;
        case WM_HSCROLL:
            // Only dragging the thumb stores the level; the other notifications change nothing.
            if (LOWORD(wParam) == TB_THUMBTRACK && reinterpret_cast<HWND>(lParam) == GetDlgItem(dialog, IDC_TRIGGER)) {
                LRESULT position = SendMessageA(reinterpret_cast<HWND>(lParam), TBM_GETPOS, 0, 0);
                globalSettings().triggerLevel = static_cast<std::uint8_t>(position);
            }
            return TRUE;
        case WM_HELP:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_BACK) {
                takeColours(dialog);
                EndDialog(dialog, 0);
            }
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}
}

void showPreferences(HWND owner) {
    DialogBoxParamA(programInstance(), "PrefsDialog", owner, prefsDialogProc, 0);
}
