#include "BoxDriver.h"

#include <map>

namespace {
BoxDriver* active = nullptr;
std::map<HWND, int> pendingAnswers;

BOOL CALLBACK collectButton(HWND child, LPARAM lParam) {
    char className[32] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child)) {
        auto* box = reinterpret_cast<SeenBox*>(lParam);
        box->buttons.push_back(windowText(child));
    }
    return TRUE;
}
}

std::string windowText(HWND window) {
    char text[4096] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BoxDriver::BoxDriver() {
    active = this;
    handle = SetWindowsHookExA(WH_CBT, hook, nullptr, GetCurrentThreadId());
}

BoxDriver::~BoxDriver() {
    UnhookWindowsHookEx(handle);
    active = nullptr;
}

LRESULT CALLBACK BoxDriver::hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && active) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0 && !pendingAnswers.count(window) && !GetPropA(window, "BoxDriver")) {
            SetPropA(window, "BoxDriver", reinterpret_cast<HANDLE>(1));
            int answer = 0;
            if (!active->answers.empty()) {
                answer = active->answers.front();
                active->answers.pop_front();
            }
            pendingAnswers[window] = answer;
            SetTimer(window, 0xB0C5, 50, answerLater);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK BoxDriver::answerLater(HWND window, UINT, UINT_PTR timer, DWORD) {
    KillTimer(window, timer);
    // Read the box only now: while it is being activated its text and
    // buttons are not all in place yet.
    if (active) {
        SeenBox box;
        box.window = window;
        box.caption = windowText(window);
        if (HWND text = GetDlgItem(window, 0xFFFF)) box.text = windowText(text);
        box.owner = GetWindow(window, GW_OWNER);
        EnumChildWindows(window, collectButton, reinterpret_cast<LPARAM>(&box));
        active->seen.push_back(box);
    }
    int answer = pendingAnswers[window];
    pendingAnswers.erase(window);
    if (answer == 0 && active && active->onDialog && active->onDialog(window)) return;
    if (answer == 0) answer = GetDlgItem(window, IDOK) ? IDOK : IDCANCEL;
    HWND button = GetDlgItem(window, answer);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void pumpUntilDestroyed(HWND window, DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG message;
    while (IsWindow(window) && GetTickCount() - start < milliseconds) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void pumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
}
