#include <windows.h>
#include <shellapi.h>

#include <string>

#include "resources/SpulwerkIds.h"
#include "shell/win/ShellDialogs.h"
#include "shell/win/Win32UserInterface.h"

const char* const programVersion = "Spulwerk Vers. 0.9e";
const char* const authorMailAddress = "spulwerk@example.org";
const char* const downloadAddress = "https://spulwerk.example.org/download/";

namespace {
// ---- info dialog ----------------------------------------------------------

INT_PTR CALLBACK infoDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const auto* text = reinterpret_cast<const HelpText*>(lParam);
            SetWindowTextA(dialog, text->caption.c_str());
            HWND list = GetDlgItem(dialog, IDC_INFO_LIST);
            for (const std::string& line : text->lines)
                SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(text->selected), 0);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_INFO_OK || LOWORD(wParam) == IDCANCEL) SendMessageA(dialog, WM_CLOSE, 0, 0);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
    }
    return FALSE;
}

// ---- About dialog and its two links ---------------------------------------

struct AboutState {
    HWND dialog = nullptr;
    HWND mailLink = nullptr;
    HWND downloadLink = nullptr;
    WNDPROC staticProc = nullptr;
    HCURSOR hand = nullptr;
    HFONT underlined = nullptr;   // made once from the links' own font
    bool hovered = false;
} about;

void openAddress(const std::string& address) {
    ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

LRESULT CALLBACK linkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CTLCOLORSTATIC: {
            HDC context = reinterpret_cast<HDC>(wParam);
            if (!about.underlined) {
                LOGFONTA font{};
                GetObjectA(reinterpret_cast<HFONT>(SendMessageA(link, WM_GETFONT, 0, 0)), sizeof font, &font);
                font.lfUnderline = TRUE;
                about.underlined = CreateFontIndirectA(&font);
            }
            SelectObject(context, about.underlined);
            SetTextColor(context, about.hovered ? RGB(0, 0, 0) : RGB(0, 0, 255));
            SetBkMode(context, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        case WM_MOUSEMOVE: {
            if (GetActiveWindow() != about.dialog) break;
            POINT cursor;
            GetCursorPos(&cursor);
            RECT area;
            GetWindowRect(link, &area);
            if (PtInRect(&area, cursor)) {
                if (!GetCapture()) {
                    SetCapture(link);
                    about.hovered = true;
                    InvalidateRect(link, nullptr, TRUE);
                    UpdateWindow(link);
                    SetCursor(about.hand);
                }
            } else if (GetCapture()) {
                ReleaseCapture();
                about.hovered = false;
                InvalidateRect(link, nullptr, TRUE);
                UpdateWindow(link);
            }
            break;
        }
        case WM_LBUTTONUP:
            if (link == about.mailLink)
                openAddress(std::string("mailto:") + authorMailAddress + "?subject=" + programVersion);
            else
                openAddress(downloadAddress);
            about.hovered = false;
            InvalidateRect(link, nullptr, TRUE);
            UpdateWindow(link);
            break;
    }
    return CallWindowProcA(about.staticProc, link, message, wParam, lParam);
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            about.dialog = dialog;
            about.mailLink = GetDlgItem(dialog, IDC_MAIL_LINK);
            about.downloadLink = GetDlgItem(dialog, IDC_DOWNLOAD_LINK);
            about.hand = static_cast<HCURSOR>(LoadImageA(nullptr, MAKEINTRESOURCEA(32649), IMAGE_CURSOR, 0, 0,
                                                         LR_SHARED | LR_DEFAULTSIZE));  // IDC_HAND
            about.hovered = false;
            about.staticProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(about.mailLink, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc)));
            SetWindowLongPtrA(about.downloadLink, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(linkProc));
            SetDlgItemTextA(dialog, IDC_VERSION, programVersion);
            SetDlgItemTextA(dialog, IDC_MAIL_LINK, authorMailAddress);
            SetDlgItemTextA(dialog, IDC_DOWNLOAD_LINK, "(noch nicht verfügbar!)");
            SetFocus(GetDlgItem(dialog, IDC_ABOUT_OK));
            return FALSE;   // the focus is set
        case WM_CTLCOLORSTATIC:
            return static_cast<INT_PTR>(
                SendMessageA(reinterpret_cast<HWND>(lParam), WM_CTLCOLORSTATIC, wParam, lParam));
        case WM_COMMAND:
            if (LOWORD(wParam) == IDC_ABOUT_OK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        case WM_DESTROY:
            if (about.underlined) DeleteObject(about.underlined);
            about.underlined = nullptr;
            return FALSE;
    }
    return FALSE;
}
}

void showInfo(HWND owner, HelpVariant variant) {
    HelpText text = helpText(variant);
    DialogBoxParamA(programInstance(), "Infodialog", owner, infoDialogProc, reinterpret_cast<LPARAM>(&text));
}

void showAbout(HWND owner) {
    DialogBoxParamA(programInstance(), "Autor", owner, aboutDialogProc, 0);
}
