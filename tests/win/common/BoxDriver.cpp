#include "BoxDriver.h"

#include <sstream>

namespace {
BoxDriver* active = nullptr;
HHOOK hookHandle = nullptr;

BOOL CALLBACK collectButton(HWND child, LPARAM lParam) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child)) {
        auto* box = reinterpret_cast<SeenBox*>(lParam);
        box->buttons.push_back(windowText(child));
    }
    return TRUE;
}

SeenBox readBox(HWND window) {
    SeenBox box;
    box.window = window;
    box.caption = windowText(window);
    if (HWND text = GetDlgItem(window, 0xFFFF)) box.text = windowText(text);
    box.owner = GetWindow(window, GW_OWNER);
    EnumChildWindows(window, collectButton, reinterpret_cast<LPARAM>(&box));
    return box;
}

// Ends a box nobody planned for by the most cautious of its buttons.
void dismiss(HWND window) {
    for (int button : {IDCANCEL, IDNO, IDOK}) {
        if (HWND control = GetDlgItem(window, button)) {
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(control));
            return;
        }
    }
    PostMessageA(window, WM_CLOSE, 0, 0);
}

std::string joined(const std::vector<std::string>& texts) {
    std::string result;
    for (const std::string& text : texts) result += (result.empty() ? "" : "|") + text;
    return result;
}

// The driver without plans that is active between the tests' own drivers.
struct UnplannedBoxesFail : testing::Environment {
    void SetUp() override { driver = new BoxDriver; }
    void TearDown() override { delete driver; }
    BoxDriver* driver = nullptr;
};
testing::Environment* const unplannedBoxesFail = testing::AddGlobalTestEnvironment(new UnplannedBoxesFail);
}

std::string windowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BoxDriver::BoxDriver() : previous(active) {
    active = this;
    if (!hookHandle) hookHandle = SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId());
}

BoxDriver::~BoxDriver() {
    if (!answers.empty())
        ADD_FAILURE() << answers.size() << " planned answer(s) left over: the boxes they were meant for never came";
    active = previous;
    if (!active && hookHandle) {
        UnhookWindowsHookEx(hookHandle);
        hookHandle = nullptr;
    }
}

LRESULT CALLBACK BoxDriver::hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0 && !GetPropA(window, "BoxDriver")) {
            SetPropA(window, "BoxDriver", reinterpret_cast<HANDLE>(1));
            SetTimer(window, 0xB0C5, 50, answerLater);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK BoxDriver::answerLater(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    // Read the box only now: while it is being activated its text and
    // buttons are not all in place yet.
    SeenBox box = readBox(window);
    if (!active) {
        dismiss(window);
        return;
    }
    active->seen.push_back(box);
    if (active->onDialog && active->onDialog(window)) return;
    if (active->answers.empty()) {
        ADD_FAILURE() << "a box no test planned for: caption \"" << box.caption << "\", text \"" << box.text
                      << "\", buttons " << joined(box.buttons);
        dismiss(window);
        return;
    }
    int answer = active->answers.front();
    active->answers.pop_front();
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, answer)));
}

testing::AssertionResult isBox(const SeenBox& box, const std::string& caption, const std::string& text, HWND owner,
                               const std::vector<std::string>& buttons) {
    std::ostringstream differences;
    if (box.caption != caption) differences << "\n  caption \"" << box.caption << "\", expected \"" << caption << "\"";
    if (box.text != text) differences << "\n  text \"" << box.text << "\", expected \"" << text << "\"";
    if (owner != anyOwner && box.owner != owner)
        differences << "\n  owner " << box.owner << ", expected " << owner;
    if (!buttons.empty() && box.buttons != buttons)
        differences << "\n  buttons " << joined(box.buttons) << ", expected " << joined(buttons);
    if (differences.str().empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the box \"" << box.caption << "\" differs:" << differences.str();
}

bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG message;
    bool held = done();
    while (!held && GetTickCount() - start < milliseconds) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        held = done();
        if (!held) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    return held;
}
