#include "hexdump/win/HexDumpDialog.h"

#include "hexdump/HexDumpState.h"
#include "hexdump/win/ListingPrinter.h"
#include "resources/SpulwerkIds.h"
#include "shell/CommonServices.h"

namespace {
struct HexDumpDialog {
    HexDumpState state;
    HBITMAP printerPicture = nullptr;
    HBITMAP doorPicture = nullptr;
};

// The grey background of the button pictures becomes the button face.
HBITMAP putPicture(HWND dialog, int button, int bitmap) {
    auto picture = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmap),
                                                   IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    SendDlgItemMessageA(dialog, button, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    return picture;
}

void fillList(HWND dialog, const HexDumpState& state) {
    HWND list = GetDlgItem(dialog, IDC_HEX_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : hexDumpLines(state))
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    if (count > 0) SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(count - 1), 0);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void initDialog(HWND dialog, HexDumpDialog& self, const std::string& path) {
    self.printerPicture = putPicture(dialog, IDC_HEX_PRINT, IDB_PRINTER);
    self.doorPicture = putPicture(dialog, IDC_HEX_CLOSE, IDB_DOOR);
    SetWindowTextA(dialog, path.c_str());
    self.state = openHexDumpFile(path);
    SetDlgItemTextA(dialog, IDC_HEX_TOGGLE, hexDumpToggleLabel(self.state).c_str());
    fillList(dialog, self.state);
}

INT_PTR CALLBACK hexDumpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<HexDumpDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            auto* init = reinterpret_cast<std::pair<HexDumpDialog*, const std::string*>*>(lParam);
            SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(init->first));
            initDialog(dialog, *init->first, *init->second);
            return TRUE;
        }
        case WM_COMMAND:
            if (!self) return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_HEX_TOGGLE:
                    toggleHexDumpMode(self->state);
                    SetDlgItemTextA(dialog, IDC_HEX_TOGGLE, hexDumpToggleLabel(self->state).c_str());
                    fillList(dialog, self->state);
                    return TRUE;
                case IDC_HEX_PRINT:
                    // Printing ends the dialog, whether a page came out or not.
                    printListing(dialog, GetAncestor(dialog, GA_ROOTOWNER), GetDlgItem(dialog, IDC_HEX_LIST),
                                 self->state.path, hexDumpListing);
                    EndDialog(dialog, 0);
                    return TRUE;
                case IDC_HEX_CLOSE:
                case IDCANCEL:
                    EndDialog(dialog, 0);
                    return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        case WM_DESTROY:
            if (self) {
                DeleteObject(self->printerPicture);
                DeleteObject(self->doorPicture);
            }
            return FALSE;
    }
    return FALSE;
}
}

void showHexDumpDialog(HWND owner, const std::string& path) {
    HexDumpDialog self;
    std::pair<HexDumpDialog*, const std::string*> init{&self, &path};
    DialogBoxParamA(GetModuleHandleA(nullptr), "Hexdump", owner, hexDumpDialogProc, reinterpret_cast<LPARAM>(&init));
}

void openHexDump(HWND owner) {
    if (std::optional<std::string> path = chooseAnyFile(owner)) showHexDumpDialog(owner, *path);
}
