#include "viewer/win/ViewerDialog.h"

#include <commctrl.h>

#include <string>

#include "resources/KalovIds.h"
#include "shell/CommonServices.h"
#include "shell/win/Win32UserInterface.h"
#include "viewer/SourceDecoder.h"
#include "viewer/TextExport.h"
#include "viewer/win/ViewerPrint.h"

namespace {
struct ViewerState {
    HWND dialog = nullptr;
    KalovFile file;
    KalovSettings settings;
    HBRUSH background = nullptr;
    SourceListing listing;
} viewer;

const char* const chooserTitle = "KALO*4-Viewer: Zu betrachtende Datei auswählen:";

const std::string& sourceFilter() {
    static const std::string filter =
        makeFilter({"BIN- und ASM-Dateien (*.BIN, *.ASM)", "*.BIN;*.ASM", "BIN-Dateien (*.BIN)", "*.BIN",
                    "ASM-Dateien (*.ASM)", "*.ASM", "alle Dateien, (*.*)", "*.*"});
    return filter;
}

void error(const char* text, WindowRef owner) { ui().ask(Message{text, "Fehler!", mb::ok, owner}); }

void showFileName(const std::string& name) { SetDlgItemTextA(viewer.dialog, IDC_FILE_NAME, name.c_str()); }

// Decodes the current file into the list; the file is opened by its name
// relative to the working directory.
void decode() {
    HWND list = GetDlgItem(viewer.dialog, IDC_LISTING);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    viewer.listing.clear();
    DecodeResult result = decodeSourceFile(viewer.file.name, viewer.settings.umlautMode, viewer.listing);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (const std::string& line : viewer.listing)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    if (result == DecodeResult::Failed) {
        error("Keine KALO*4-Datei, hier nicht darstellbar.", nullptr);
        showFileName(std::string(noFileLoaded));
    }
}

void load() {
    if (!chooseOpenFile(nullptr, chooserTitle, sourceFilter())) return;
    viewer.file = kalovFile(sharedFileName());
    viewer.file.path = viewer.file.name;
    showFileName(viewer.file.name);
    decode();
}

void addTooltips(HWND dialog) {
    HWND tip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_BALLOON,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                               programInstance(), nullptr);
    SetWindowPos(tip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const std::pair<int, const char*> tools[] = {
        {IDC_LOAD, "KALO*4-Quelltext laden"}, {IDC_SAVE_TEXT, "Speichern als ASCII-Text"},
        {IDC_PRINT, "Drucken"},               {IDC_QUIT, "Programm beenden"},
        {IDC_UML, "BV7-Umlaut-Codes"},        {IDC_OEM, "Standard-Umlaut-Codes"}};
    for (const auto& [id, text] : tools) {
        TOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = dialog;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, id));
        tool.lpszText = const_cast<char*>(text);
        SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void setButtonBitmap(HWND dialog, int id, int bitmap) {
    HANDLE picture = LoadImageA(programInstance(), MAKEINTRESOURCEA(bitmap), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    SendDlgItemMessageA(dialog, id, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
}

INT_PTR CALLBACK viewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            viewer.dialog = dialog;
            showFileName(viewer.file.name);
            setButtonBitmap(dialog, IDC_LOAD, IDB_OPEN);
            setButtonBitmap(dialog, IDC_SAVE_TEXT, IDB_SAVE_TEXT);
            setButtonBitmap(dialog, IDC_PRINT, IDB_PRINTER);
            setButtonBitmap(dialog, IDC_QUIT, IDB_DOOR);
            CheckDlgButton(dialog, viewer.settings.umlautMode ? IDC_UML : IDC_OEM, BST_CHECKED);
            addTooltips(dialog);
            decode();
            return TRUE;
        case WM_CTLCOLORLISTBOX:
            if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_LISTING)) return FALSE;
            SetTextColor(reinterpret_cast<HDC>(wParam), viewer.settings.textColour);
            SetBkColor(reinterpret_cast<HDC>(wParam), viewer.settings.backgroundColour);
            return reinterpret_cast<INT_PTR>(viewer.background);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_LOAD: load(); break;
                case IDC_SAVE_TEXT: saveListingAsText(viewer.listing, viewer.file.name, dialog); break;
                case IDC_PRINT: printViewerListing(dialog, viewer.listing, viewer.file.name); break;
                case IDC_QUIT: SendMessageA(dialog, WM_CLOSE, 0, 0); break;
                case IDC_UML:
                    viewer.settings.umlautMode = true;
                    decode();
                    break;
                case IDC_OEM:
                    viewer.settings.umlautMode = false;
                    decode();
                    break;
            }
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        case WM_DESTROY:
            viewer.dialog = nullptr;
            return FALSE;
    }
    return FALSE;
}
}

ViewerStart prepareViewer(const char* commandLine) {
    ViewerStart start;
    std::optional<std::string> argument = firstArgument(commandLine ? commandLine : "");
    if (!argument) {
        clearSharedFileName();
        if (chooseOpenFile(nullptr, chooserTitle, sourceFilter())) argument = std::string(sharedFileName());
    }
    char directory[256] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    start.workingDirectory = directory;
    start.file = argument ? kalovFile(*argument) : noKalovFile();
    // Only the file part counts; it is opened in the working directory.
    start.file.path = start.file.name;

    std::string ini = kalovIniPath(start.workingDirectory);
    if (fileExists(ini)) {
        auto read = [&ini](const char* key) {
            return GetPrivateProfileIntA(kalovIniSection, key, kalovIniMissingKey, ini.c_str());
        };
        start.settings = kalovSettingsFromIni(read(kalovIniTextColourKey), read(kalovIniBackgroundKey),
                                              read(kalovIniUmlautKey));
    } else {
        start.settings = defaultKalovSettings();
    }
    return start;
}

void runViewerDialog(HINSTANCE instance, const ViewerStart& start) {
    viewer = ViewerState{};
    viewer.file = start.file;
    viewer.settings = start.settings;
    viewer.background = CreateSolidBrush(viewer.settings.backgroundColour);
    DialogBoxParamA(instance, "VIEWER", nullptr, viewerDialogProc, 0);
    DeleteObject(viewer.background);
    viewer.background = nullptr;
}

int runViewer(HINSTANCE instance) {
    runViewerDialog(instance, prepareViewer(GetCommandLineA()));
    return 0;
}

HWND viewerDialog() { return viewer.dialog; }
