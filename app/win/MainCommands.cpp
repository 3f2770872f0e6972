#include "app/win/MainCommands.h"

#include "app/win/MainWindow.h"
#include "chargen/win/CharGenStart.h"
#include "hexdump/win/HexDumpDialog.h"
#include "resources/SpulwerkIds.h"
#include "screen/win/ScreenView.h"
#include "shell/CommonServices.h"
#include "shell/Crc16.h"
#include "shell/GlobalSettings.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "shell/win/ShellDialogs.h"
#include "shell/win/Win32UserInterface.h"
#include "sound/win/ExchangeDialog.h"

namespace {
HWND mainWindow() { return shell().mainWindow; }

void box(const char* text, const char* caption) { ui().ask(Message{text, caption, mb::ok, mainWindow()}); }

void showFileCrc() {
    std::optional<std::string> chosen = chooseAnyFile(mainWindow());
    if (!chosen) return;
    const std::string path = *chosen;
    auto image = loadWholeFile(path);
    if (!image) return;
    std::uint16_t crc = crc16Sdlc(image->data.data(), image->data.size());
    std::string text = path + "\r\n" + "\r\n" + "CRC (SDLC): " + formatHex4(crc);
    ui().ask(Message{text, "CRC-16", mb::ok, mainWindow()});
}

void toggleInverse() {
    GlobalSettings& settings = globalSettings();
    settings.inverse = settings.inverse ? 0 : 1;
    InvalidateRect(mainWindow(), nullptr, FALSE);
}
}

void runMainCommand(int command) {
    switch (command) {
        case CMD_PREFERENCES: showPreferences(mainWindow()); break;
        case CMD_CRC16: showFileCrc(); break;
        case CMD_QUIT: SendMessageA(mainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0); break;
        case CMD_SCREEN: enterScreenMode(); break;
        case CMD_BACK: returnToStartMode(); break;
        case CMD_INFO: showInfo(mainWindow(), HelpVariant::General); break;
        case CMD_ABOUT: showAbout(mainWindow()); break;
        case CMD_SCREEN_HELP: showInfo(mainWindow(), HelpVariant::Screen); break;
        case CMD_MONITOR: box("Momentan ist nur V. 3.1 verfügbar", "Monitorwechsel"); break;
        case CMD_INVERT: toggleInverse(); break;
        case CMD_HEXDUMP: openHexDump(mainWindow()); break;
        case CMD_DESIGNER: openDesigner(mainWindow(), shell().startDirectory); break;
        case CMD_CONVERTER: showExchangeDialog(mainWindow()); break;
        default: runScreenCommand(mainWindow(), command, shell().startDirectory); break;
    }
}

void showModeHelp(WindowMode mode) {
    showInfo(mainWindow(), mode == WindowMode::Screen ? HelpVariant::Screen : HelpVariant::General);
}

void mainCommandsOnCreate() {
    applyColourScheme();
    startCharGenImage();
}

void mainCommandsOnStart() { resetGlobalSettings(); }

void mainCommandsOnDestroy() { endCharGenImage(); }

void screenModeEntered() { applyColourScheme(); }
