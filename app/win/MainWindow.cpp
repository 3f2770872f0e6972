#include "app/win/MainWindow.h"

#include <commctrl.h>
#include <intrin.h>

#include "app/win/MainCommands.h"
#include "resources/SpulwerkIds.h"
#include "screen/win/ScreenView.h"
#include "shell/CommonServices.h"
#include "shell/RandomGenerator.h"
#include "shell/StringTable.h"
#include "shell/win/StatusBar.h"
#include "shell/win/Win32UserInterface.h"
#include "sound/TempWav.h"

namespace {
ShellState state;

// The window's own handles, which nobody else uses.
struct WindowParts {
    HINSTANCE instance = nullptr;
    unsigned screenHeight = 0;
    HMENU currentMenu = nullptr;
    HWND splashControl = nullptr;
    HBITMAP splashBitmap = nullptr;
    HWND statusBar = nullptr;               // screen mode's, while it is shown
    HWND previousStatusTarget = nullptr;
    UINT_PTR blinkTimer = 0;
} parts;

void placeCentred(int width, int height) {
    Placement at = centredPlacement(state.screenWidth, parts.screenHeight, width, height);
    MoveWindow(state.mainWindow, at.x, at.y, width, height, TRUE);
}

void attachMenu(int menuId) {
    parts.currentMenu = LoadMenuA(parts.instance, MAKEINTRESOURCEA(menuId));
    SetMenu(state.mainWindow, parts.currentMenu);
}

void showSplash() {
    parts.splashBitmap = static_cast<HBITMAP>(
        LoadImageA(parts.instance, MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    SendMessageA(parts.splashControl, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(parts.splashBitmap));
}

void onCreate() {
    programRandom().seedFromCounter(__rdtsc());
    mainCommandsOnCreate();
    state.mode = WindowMode::Start;
}

void onDestroy() {
    mainCommandsOnDestroy();
    screenViewEnd();
    removeTempWav();
    PostQuitMessage(0);
}
}

ShellState& shell() { return state; }

void enterScreenMode() {
    state.mode = WindowMode::Screen;
    SendMessageA(parts.splashControl, STM_SETIMAGE, IMAGE_BITMAP, 0);
    // Without its picture the control keeps its size and frame; it would lie
    // over the emulated screen.
    ShowWindow(parts.splashControl, SW_HIDE);
    attachMenu(IDM_SCREEN);
    if (state.screenWidth <= mainwindow::narrowScreen) showStringError(str::lowResolution);
    placeCentred(mainwindow::screenWidth, mainwindow::screenHeight);
    InvalidateRect(state.mainWindow, nullptr, TRUE);
    // One status bar while in screen mode; it goes again on the return.
    parts.statusBar = createStatusBar(state.mainWindow);
    parts.previousStatusTarget = installStatusTarget(parts.statusBar);
    SetWindowTextA(state.mainWindow, mainwindow::screenTitle);
    screenModeEntered();
    parts.blinkTimer = SetTimer(state.mainWindow, 1, mainwindow::blinkMilliseconds, nullptr);
    screenViewEntered(state.mainWindow);
}

void returnToStartMode() {
    KillTimer(state.mainWindow, parts.blinkTimer);
    installStatusTarget(parts.previousStatusTarget);
    DestroyWindow(parts.statusBar);
    parts.statusBar = nullptr;
    attachMenu(IDM_START);
    placeCentred(mainwindow::startWidth, mainwindow::startHeight);
    InvalidateRect(state.mainWindow, nullptr, TRUE);
    showSplash();
    ShowWindow(parts.splashControl, SW_SHOW);
    state.mode = WindowMode::Start;
    SetWindowTextA(state.mainWindow, mainwindow::returnTitle);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            state.mainWindow = window;
            onCreate();
            break;
        case WM_COMMAND:
            runMainCommand(LOWORD(wParam));
            return 0;
        case WM_HELP:
            showModeHelp(state.mode);
            return TRUE;
        case WM_TIMER:
            if (state.mode == WindowMode::Screen) screenViewBlink(window);
            return 0;
        case WM_CHAR:
            // Both modes: in start mode the screen is not shown and is reset on the next entry.
            screenViewCharacter(window, static_cast<unsigned char>(wParam & 0xFF));
            return 0;
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            if (state.mode == WindowMode::Screen &&
                screenViewMouse(window, message, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))))
                return 0;
            break;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            EndPaint(window, &paint);
            if (state.mode == WindowMode::Screen) screenViewPaint(window);
            return 0;
        }
        case WM_CLOSE:
            if (state.mode == WindowMode::Screen) {
                returnToStartMode();
                return 0;
            }
            if (!mayEndWithTempRecording(window)) return 0;
            break;
        case WM_DESTROY:
            onDestroy();
            return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND createMainWindow(HINSTANCE instance, int showCommand) {
    parts.instance = instance;
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = mainwindow::className;
    RegisterClassExA(&windowClass);

    state.screenWidth = static_cast<unsigned>(GetSystemMetrics(SM_CXSCREEN));
    parts.screenHeight = static_cast<unsigned>(GetSystemMetrics(SM_CYSCREEN));
    Placement at = centredPlacement(state.screenWidth, parts.screenHeight, mainwindow::startWidth,
                                    mainwindow::startHeight);
    HWND window = CreateWindowExA(0, mainwindow::className, mainwindow::startTitle, WS_SYSMENU, at.x, at.y,
                                  mainwindow::startWidth, mainwindow::startHeight, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return nullptr;
    attachMenu(IDM_START);
    parts.splashControl = CreateWindowExA(WS_EX_STATICEDGE, "STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP, 0,
                                          0, 0, 0, window, reinterpret_cast<HMENU>(IDC_SPLASH), instance, nullptr);
    showSplash();

    char directory[256] = {};
    GetCurrentDirectoryA(sizeof directory, directory);
    state.startDirectory = directory;
    placeTempWavIn(state.startDirectory);
    mainCommandsOnStart();

    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}

int runMessageLoop() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
