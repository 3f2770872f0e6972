#pragma once
// The seam between the portable code and the user: message boxes, file
// choosers, status texts and the diagnostic trace. The Windows build fills it
// with MessageBoxA / GetOpenFileNameA / GetSaveFileNameA; tests fill it with
// scripted answers and record every call.
#include <cstddef>
#include <string>
#include <string_view>

// Message box styles and answers, with the values of the Windows API so that
// the Windows seam passes them on unchanged.
namespace mb {
constexpr unsigned ok = 0x0;
constexpr unsigned okCancel = 0x1;
constexpr unsigned yesNoCancel = 0x3;
constexpr unsigned yesNo = 0x4;
constexpr unsigned iconError = 0x10;
constexpr unsigned iconQuestion = 0x20;
constexpr unsigned iconWarning = 0x30;
constexpr unsigned iconInformation = 0x40;
constexpr unsigned taskModal = 0x2000;
constexpr unsigned topmost = 0x40000;
}

enum class Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

// An owner window as the portable code sees it: an opaque handle, null for none.
using WindowRef = void*;

struct Message {
    std::string text;
    std::string caption;
    unsigned style = mb::ok;
    WindowRef owner = nullptr;
};

// The one file-name buffer both choosers share (260 characters, MAX_PATH).
constexpr std::size_t fileNameBufferSize = 260;
using FileNameBuffer = char[fileNameBufferSize];

struct Chooser {
    bool save = false;          // GetSaveFileName instead of GetOpenFileName
    WindowRef owner = nullptr;
    std::string title;
    std::string filter;         // pairs "description\0pattern\0", ending in an extra '\0'
};

struct UserInterface {
    virtual Answer ask(const Message& message) = 0;
    // Offers and returns the name in `buffer`; false on cancel (buffer unchanged).
    virtual bool chooseFile(const Chooser& chooser, FileNameBuffer& buffer) = 0;
    virtual void setStatus(int part, std::string_view text) = 0;
    virtual void trace(std::string_view line) = 0;
    virtual ~UserInterface() = default;
};

// The seam in use. Until one is installed, a silent one answers Cancel/No.
UserInterface& ui();
// Installs `seam` (not owned); null restores the silent one. Returns the previous one.
UserInterface* setUserInterface(UserInterface* seam);
