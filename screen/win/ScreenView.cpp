#include "screen/win/ScreenView.h"

#include "chargen/CharGenImage.h"
#include "chargen/win/PixelSection.h"
#include "chargen/win/WindowBmp.h"
#include "resources/SpulwerkIds.h"
#include "screen/MonitorLine.h"
#include "screen/ScreenDemos.h"
#include "screen/ScreenFiles.h"
#include "screen/ScreenGeometry.h"
#include "screen/ScreenRenderer.h"
#include "shell/GlobalSettings.h"
#include "shell/HexText.h"
#include "shell/UserInterface.h"
#include "shell/win/ProgramResource.h"

namespace {
struct ScreenView {
    PixelBuffer canvas{screen::frameRight, screen::frameBottom};
    PixelSection section;    // kept for the whole run
    bool freehand = false;   // once switched on, on for the rest of the run
};

ScreenView& view() {
    static ScreenView self;
    return self;
}

const RECT screenRect{screen::frameLeft, screen::frameTop, screen::frameRight, screen::frameBottom};

void repaintIfWanted(HWND window) {
    if (takeRepaintRequest(theScreen())) InvalidateRect(window, &screenRect, FALSE);
}

ByteView resourceData(const char* name) { return programResource(name, MAKEINTRESOURCEA(10)); }   // RT_RCDATA

// Draws the cells into the section and shows the screen rectangle with one blit.
void drawScreen(HWND window) {
    ScreenView& self = view();
    if (!self.section.ensure(screen::frameRight, screen::frameBottom)) return;
    renderScreen(self.canvas, theScreen(), charGenImage(), screenColours(globalSettings()));
    HDC context = GetDC(window);
    self.section.show(context, self.canvas, screenRect);
    ReleaseDC(window, context);
}

void takePhoto(HWND window, const std::string& startDirectory) {
    ScreenBuffer& screen = theScreen();
    std::string path = nextPhotoPath(startDirectory);
    setCursorBlink(screen, false);
    drawScreen(window);
    // The box names the file only when it was written.
    if (saveWindowAreaAsBmp(window, 8, 8, 790, 538, path))
        ui().ask(Message{path, "Bildschirmansicht wurde als BMP gespeichert:", mb::ok, window});
    else
        ui().ask(Message{path, "Das Bild konnte nicht gespeichert werden:", mb::ok | mb::iconError, window});
    setCursorBlink(screen, true);
}
}

void screenViewEntered(HWND window) {
    ScreenBuffer& screen = theScreen();
    startCursorBlink(screen);
    screenReset(screen);
    repaintIfWanted(window);
}

void screenViewPaint(HWND window) {
    takeRepaintRequest(theScreen());
    drawScreen(window);
}

void screenViewBlink(HWND window) {
    cursorBlinkStep(theScreen());
    repaintIfWanted(window);
}

void screenViewCharacter(HWND window, unsigned code) {
    if (code == '\r')
        executeLine(theScreen());
    else
        typeCharacter(theScreen(), static_cast<std::uint8_t>(code));
    repaintIfWanted(window);
}

bool screenViewMouse(HWND window, UINT message, int x, int y) {
    if (!view().freehand) return false;
    CellHit hit = freehandCell(x, y);
    if (!hit.hit) return true;
    if (message == WM_MOUSEMOVE) {
        ui().setStatus(1, formatDecimal(hit.column) + "/" + formatDecimal(hit.row));
    } else {
        screenPutCell(theScreen(), hit.column, hit.row, message == WM_LBUTTONDOWN ? '*' : ' ');
    }
    repaintIfWanted(window);
    return true;
}

bool runScreenCommand(HWND window, int command, const std::string& startDirectory) {
    ScreenBuffer& screen = theScreen();
    switch (command) {
        case CMD_RESET: screenReset(screen); break;
        case CMD_CLS: screenClear(screen); break;
        case CMD_REGISTERS: showRegisterDemo(screen); break;
        case CMD_GREETING: runGreetingProgram(screen, resourceData("Prog1")); break;
        case CMD_RANDOM: showRandomPattern(screen, programRandom()); break;
        case CMD_PICTURE1: showPicture(screen, resourceData("Bild1")); break;
        case CMD_FREEHAND:
            ui().ask(Message{"LMB=Zeichen setzen, RMB=Zeichen löschen", "'Zeichnen' ist aktiviert", mb::ok, nullptr});
            view().freehand = true;
            break;
        case CMD_PHOTO: takePhoto(window, startDirectory); break;
        case CMD_LOAD_SCREEN: loadScreenFile(screen, window); break;
        case CMD_SAVE_SCREEN: saveScreenFile(screen, window); break;
        default: return false;
    }
    repaintIfWanted(window);
    return true;
}

void screenViewEnd() { view().section.release(); }
