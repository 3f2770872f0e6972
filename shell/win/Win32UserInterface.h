#pragma once
// The seam as the Windows programs fill it: message boxes, the system file
// dialogs, the status bar of the active tool and the debugger trace.
#include <windows.h>

#include "shell/UserInterface.h"

struct Win32UserInterface : UserInterface {
    using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);

    Answer ask(const Message& message) override;
    bool chooseFile(const Chooser& chooser, FileNameBuffer& buffer) override;
    void setStatus(int part, std::string_view text) override;
    void trace(std::string_view line) override;

    // The status bar that receives setStatus; null while no tool shows one.
    // One for the program, whichever instance of the seam is installed.
    static inline HWND statusBar = nullptr;
    // MessageBoxA, or a recorder in tests that wraps it.
    MessageBoxFunction messageBox = MessageBoxA;
};

// Makes `bar` the status target of the seam while it lives and gives the
// target back to the one before: a dialog with its own status bar installs
// it when it opens and restores the previous one when it closes.
class StatusTargetScope {
  public:
    StatusTargetScope() = default;
    ~StatusTargetScope() { restore(); }
    StatusTargetScope(const StatusTargetScope&) = delete;
    StatusTargetScope& operator=(const StatusTargetScope&) = delete;
    void install(HWND bar);
    void restore();

  private:
    bool installed = false;
    HWND previous = nullptr;
};

// The program's instance of the seam (installed by installWin32UserInterface).
Win32UserInterface& win32Interface();

// A tool's status bar as the target of setStatus while the tool is open:
// installed on opening, and the returned previous target installed again on
// closing, so the tool below gets its own bar back.
HWND installStatusTarget(HWND statusBar);
void installWin32UserInterface(HINSTANCE instance);
HINSTANCE programInstance();
