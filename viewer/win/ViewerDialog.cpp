#include "viewer/win/ViewerDialog.h"

#include <commctrl.h>

#include <string>

#include "resources/KalovIds.h"
#include "shell/CommonServices.h"
#include "shell/win/Win32UserInterface.h"
#include "viewer/SourceDecoder.h"
#include "viewer/TextExport.h"
#include "viewer/ViewerState.h"
#include "viewer/win/ViewerPrint.h"

namespace {
struct ViewerWindow {
    HWND dialog = nullptr;
    HBRUSH background = nullptr;
    ViewerState state;
} viewer;

// The button bitmaps: given to the buttons at WM_INITDIALOG, freed at WM_DESTROY
// (a button does not free the picture it was handed).
const std::pair<int, int> buttonBitmaps[] = {
    {IDC_LOAD, IDB_OPEN}, {IDC_SAVE_TEXT, IDB_SAVE_TEXT}, {IDC_PRINT, IDB_PRINTER}, {IDC_QUIT, IDB_DOOR}};

// The working directory, however long it is ("" if it cannot be read).
std::string currentDirectory() {
    DWORD size = GetCurrentDirectoryA(0, nullptr);
    std::string directory(size, '\0');
    DWORD length = size ? GetCurrentDirectoryA(size, directory.data()) : 0;
    directory.resize(length < size ? length : 0);
    return directory;
}

// The dialog shows what the state holds after each step.
void showState() {
    HWND dialog = viewer.dialog;
    SetDlgItemTextA(dialog, IDC_FILE_NAME, viewer.state.fieldText.c_str());
    HWND list = GetDlgItem(dialog, IDC_LISTING);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& line : viewer.state.listing)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    bool uml = viewer.state.settings.umlautMode;
    CheckRadioButton(dialog, IDC_UML, IDC_OEM, uml ? IDC_UML : IDC_OEM);
}

// The short (8.3) form of `path`, or `path` itself when there is none.
std::string shortPath(const std::string& path) {
    DWORD size = GetShortPathNameA(path.c_str(), nullptr, 0);
    std::string shortened(size, '\0');
    DWORD length = size ? GetShortPathNameA(path.c_str(), shortened.data(), size) : 0;
    if (length == 0 || length >= size) return path;
    shortened.resize(length);
    return shortened;
}

// "KALOV.INI" in the working directory. The file and profile calls stop short
// of MAX_PATH characters; a longer path goes through the directory's short form.
std::string iniPath(const std::string& workingDirectory) {
    std::string ini = kalovIniPath(workingDirectory);
    return ini.size() < MAX_PATH ? ini : kalovIniPath(shortPath(workingDirectory));
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

void setButtonBitmaps(HWND dialog) {
    for (const auto& [id, bitmap] : buttonBitmaps) {
        HANDLE picture =
            LoadImageA(programInstance(), MAKEINTRESOURCEA(bitmap), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
        SendDlgItemMessageA(dialog, id, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture));
    }
}

void freeButtonBitmaps(HWND dialog) {
    for (const auto& [id, bitmap] : buttonBitmaps) {
        LRESULT picture = SendDlgItemMessageA(dialog, id, BM_SETIMAGE, IMAGE_BITMAP, 0);
        if (picture) DeleteObject(reinterpret_cast<HGDIOBJ>(picture));
    }
}

INT_PTR CALLBACK viewerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            viewer.dialog = dialog;
            SetDlgItemTextA(dialog, IDC_FILE_NAME, viewer.state.file.name.c_str());
            setButtonBitmaps(dialog);
            CheckDlgButton(dialog, viewer.state.settings.umlautMode ? IDC_UML : IDC_OEM, BST_CHECKED);
            addTooltips(dialog);
            loadViewerFile(viewer.state, viewer.state.file);
            showState();
            return TRUE;
        case WM_CTLCOLORLISTBOX:
            if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_LISTING)) return FALSE;
            SetTextColor(reinterpret_cast<HDC>(wParam), viewer.state.settings.textColour);
            SetBkColor(reinterpret_cast<HDC>(wParam), viewer.state.settings.backgroundColour);
            return reinterpret_cast<INT_PTR>(viewer.background);
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_LOAD:
                    if (std::optional<KalovFile> chosen = chooseSourceFile()) {
                        loadViewerFile(viewer.state, anchoredKalovFile(*chosen, currentDirectory()));
                        showState();
                    }
                    break;
                case IDC_SAVE_TEXT: saveListingAsText(viewer.state.listing, viewer.state.file.name, dialog); break;
                case IDC_PRINT: printViewerListing(dialog, viewer.state.listing, viewer.state.file.name); break;
                case IDC_QUIT: SendMessageA(dialog, WM_CLOSE, 0, 0); break;
                case IDC_UML:
                case IDC_OEM:
                    setViewerUmlautMode(viewer.state, LOWORD(wParam) == IDC_UML);
                    showState();
                    break;
            }
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, 0);
            return TRUE;
        case WM_DESTROY:
            freeButtonBitmaps(dialog);
            viewer.dialog = nullptr;
            return FALSE;
    }
    return FALSE;
}
}

ViewerStart prepareViewer(const char* commandLine) {
    ViewerStart start;
    start.file = startFile(commandLine ? commandLine : "");
    start.workingDirectory = currentDirectory();
    // Opened by its full path from now on: the save chooser changes the working directory.
    start.file = anchoredKalovFile(start.file, start.workingDirectory);

    std::string ini = iniPath(start.workingDirectory);
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
    viewer = ViewerWindow{};
    viewer.state.file = start.file;
    viewer.state.settings = start.settings;
    viewer.background = CreateSolidBrush(viewer.state.settings.backgroundColour);
    DialogBoxParamA(instance, "VIEWER", nullptr, viewerDialogProc, 0);
    DeleteObject(viewer.background);
    viewer.background = nullptr;
}

int runViewer(HINSTANCE instance) {
    runViewerDialog(instance, prepareViewer(GetCommandLineA()));
    return 0;
}

HWND viewerDialog() { return viewer.dialog; }
