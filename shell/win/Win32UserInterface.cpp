#include "shell/win/Win32UserInterface.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstddef>
#include <string>

namespace {
Win32UserInterface theInterface;
HINSTANCE theInstance = nullptr;

// The structure size without the extension fields of newer systems: up to
// lpTemplateName (76 bytes in a 32-bit program).
constexpr DWORD openFileNameSize = offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR);
}

Answer Win32UserInterface::ask(const Message& message) {
    int result = messageBox(static_cast<HWND>(message.owner), message.text.c_str(), message.caption.c_str(),
                            message.style);
    switch (result) {
        case IDYES: return Answer::Yes;
        case IDNO: return Answer::No;
        case IDOK: return Answer::Ok;
        default: return Answer::Cancel;
    }
}

bool Win32UserInterface::chooseFile(const Chooser& chooser, FileNameBuffer& buffer) {
    OPENFILENAMEA dialog{};
    static_assert(sizeof(OPENFILENAMEA) >= openFileNameSize, "OPENFILENAMEA too small");
    dialog.lStructSize = openFileNameSize;
    dialog.hwndOwner = static_cast<HWND>(chooser.owner);
    dialog.hInstance = theInstance;
    dialog.lpstrFilter = chooser.filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer;
    dialog.nMaxFile = fileNameBufferSize;
    dialog.lpstrTitle = chooser.title.c_str();
    if (chooser.save) {
        dialog.Flags = OFN_EXPLORER | OFN_LONGNAMES;
        return GetSaveFileNameA(&dialog) != 0;
    }
    dialog.Flags = OFN_EXPLORER | OFN_LONGNAMES | OFN_FILEMUSTEXIST;
    return GetOpenFileNameA(&dialog) != 0;
}

void Win32UserInterface::setStatus(int part, std::string_view text) {
    if (!statusBar) return;
    std::string copy(text);
    SendMessageA(statusBar, SB_SETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(copy.c_str()));
}

void Win32UserInterface::trace(std::string_view line) {
    std::string copy(line);
    copy += "\n";
    OutputDebugStringA(copy.c_str());
}

void StatusTargetScope::install(HWND bar) {
    HWND before = installStatusTarget(bar);
    if (!installed) previous = before;
    installed = true;
}

void StatusTargetScope::restore() {
    if (!installed) return;
    installStatusTarget(previous);
    installed = false;
}

Win32UserInterface& win32Interface() { return theInterface; }

HWND installStatusTarget(HWND bar) {
    HWND previous = Win32UserInterface::statusBar;
    Win32UserInterface::statusBar = bar;
    return previous;
}

void installWin32UserInterface(HINSTANCE instance) {
    theInstance = instance;
    setUserInterface(&theInterface);
}

HINSTANCE programInstance() { return theInstance; }
