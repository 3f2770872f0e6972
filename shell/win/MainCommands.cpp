#include "shell/win/MainCommands.h"

#include "resources/SpulwerkIds.h"
#include "shell/CommonServices.h"
#include "shell/StringTable.h"
#include "shell/win/MainWindow.h"

namespace {
void notReadyYet() { showStringError(str::notReady); }

void box(const char* text, const char* caption) {
    ui().ask(Message{text, caption, mb::ok, shell().mainWindow});
}
}

void runMainCommand(int command) {
    switch (command) {
        case CMD_QUIT:
            SendMessageA(shell().mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case CMD_SCREEN:
            enterScreenMode();
            break;
        case CMD_BACK:
            returnToStartMode();
            break;
        case CMD_MONITOR:
            box("Momentan ist nur V. 3.1 verfügbar", "Monitorwechsel");
            break;
        case CMD_INFO:
            showModeHelp(WindowMode::Start);
            break;
        case CMD_SCREEN_HELP:
            showModeHelp(WindowMode::Screen);
            break;
        case CMD_PREFERENCES:
        case CMD_HEXDUMP:
        case CMD_CRC16:
        case CMD_CONVERTER:
        case CMD_DESIGNER:
        case CMD_ABOUT:
        case CMD_RESET:
        case CMD_REGISTERS:
        case CMD_RANDOM:
        case CMD_PICTURE1:
        case CMD_GREETING:
        case CMD_INVERT:
        case CMD_FREEHAND:
        case CMD_CLS:
        case CMD_PHOTO:
        case CMD_LOAD_SCREEN:
        case CMD_SAVE_SCREEN:
            notReadyYet();
            break;
        default:
            break;
    }
}

void showModeHelp(WindowMode) { notReadyYet(); }

void mainCommandsOnCreate() {}
void mainCommandsOnStart() {}
void mainCommandsOnDestroy() {}
void screenModeEntered() {}
void screenModeStarted() {}
void blinkStep() {}
void typeCharacter(unsigned char) {}
bool mouseForDrawing(UINT, int, int) { return false; }
void paintScreen(HWND) {}
