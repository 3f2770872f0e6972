// The designer dialog: translates its messages into the edit model and the
// flows of chargen/, and shows what the glyph renderer draws with one blit.
#include <windows.h>
#include <windowsx.h>

#include "chargen/Designer.h"
#include "chargen/GlyphRenderer.h"
#include "chargen/win/CharGenStart.h"
#include "chargen/win/PixelSection.h"
#include "chargen/win/WindowBmp.h"
#include "resources/SpulwerkIds.h"
#include "shell/GlobalSettings.h"
#include "shell/HexText.h"
#include "shell/win/ShellDialogs.h"
#include "shell/win/StatusBar.h"
#include "shell/win/Win32UserInterface.h"

namespace {
constexpr RECT toRect(designer::Area area) { return RECT{area.left, area.top, area.right, area.bottom}; }
constexpr RECT overviewRect = toRect(designer::overviewArea);
constexpr RECT magnifierRect = toRect(designer::magnifierRegion);
// What the canvas holds: the rest of the magnifier region (the HEX field) stays the dialog's.
constexpr RECT drawnRects[] = {overviewRect, toRect(designer::gridArea), toRect(designer::previewArea)};

// The state of one opening, reached through DWLP_USER; `opening` is what the
// flows of chargen/ see of it. What outlives the opening is in
// designerState() and charGenImage().
struct DesignerDialog final : DesignerView {
    HWND dialog = nullptr;
    HWND previousStatusTarget = nullptr;
    std::string startDirectory;
    DesignerColours colours;
    PixelBuffer canvas{designer::canvasWidth, designer::canvasHeight};
    PixelSection section;          // the canvas as the display takes it
    DesignerOpening opening;

    void repaintAll() override { InvalidateRect(dialog, nullptr, TRUE); }
    void repaintMagnifier() override { InvalidateRect(dialog, &magnifierRect, FALSE); }
    void repaintOverview() override { InvalidateRect(dialog, &overviewRect, FALSE); }
    void showHexField(const std::string& text) override { SetDlgItemTextA(dialog, IDC_ZG_HEX, text.c_str()); }
};

// "in Datei speichern unter..." only while there is an image to save.
void updateSaveItem(HWND dialog) {
    EnableMenuItem(GetMenu(dialog), CMD_ZG_SAVE_AS, charGenImage().size != 0 ? MF_ENABLED : MF_GRAYED);
}

void onOpen(HWND dialog, DesignerDialog& self) {
    self.dialog = dialog;
    SetMenu(dialog, LoadMenuA(programInstance(), MAKEINTRESOURCEA(IDM_DESIGNER)));
    self.previousStatusTarget = installStatusTarget(createStatusBar(dialog));
    self.colours = designerColours(globalSettings());
    EnableWindow(GetDlgItem(dialog, IDC_ZG_APPLY), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_ZG_UNDO), FALSE);
    self.opening.owner = dialog;
    self.opening.view = &self;
    designerOpened(self.opening);
    updateSaveItem(dialog);
    self.section.ensure(designer::canvasWidth, designer::canvasHeight);
}

void onClose(DesignerDialog& self) {
    installStatusTarget(self.previousStatusTarget);
    designerClosed();
    self.section.release();
}

void paint(DesignerDialog& self) {
    PAINTSTRUCT paintInfo;
    HDC context = BeginPaint(self.dialog, &paintInfo);
    const CharGenImage& image = charGenImage();
    DesignerState& state = designerState();
    if (image.size != 0 && self.section.ensure(designer::canvasWidth, designer::canvasHeight)) {
        if (self.opening.pending.action == CellAction::None)
            ui().setStatus(1, formatDecimal(static_cast<int>(image.size)));
        carryOutPendingAction(self.opening.pending, state.edit);
        ButtonStates buttons = applyButtonRule(state, image.templateFlag);
        EnableWindow(GetDlgItem(self.dialog, IDC_ZG_APPLY), buttons.apply);
        EnableWindow(GetDlgItem(self.dialog, IDC_ZG_UNDO), buttons.undo);

        drawDesigner(self.canvas, image, state, self.colours, self.opening.photo == 1);
        for (const RECT& area : drawnRects) self.section.show(context, self.canvas, area);
    }
    EndPaint(self.dialog, &paintInfo);
}

void click(DesignerDialog& self, CellAction action, LPARAM position) {
    if (charGenImage().size == 0) return;
    ClickTarget target = mapClick(GET_X_LPARAM(position), GET_Y_LPARAM(position));
    if (target.area == ClickTarget::Area::Overview && action == CellAction::Set) {
        clickOverviewCharacter(target.code);
    } else if (target.area == ClickTarget::Area::Magnifier) {
        self.opening.pending = PendingCell{action, target.column, target.row};
        self.repaintMagnifier();
    }
}

void edit(DesignerDialog& self, EditOperation operation) {
    DesignerState& state = designerState();
    state.edit = edited(state.edit, operation);
    self.repaintMagnifier();
}

// "&Foto": the overview without the frame, written before the box names the
// file, so the box tells the truth and no box lies over the picture.
void takePhoto(DesignerDialog& self) {
    std::string path = photoPath(self.startDirectory);
    self.opening.photo = 1;
    RedrawWindow(self.dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    bool saved = saveWindowAreaAsBmp(self.dialog, 0, 0, designer::photoArea.right, designer::photoArea.bottom, path);
    self.opening.photo = 0;
    self.repaintAll();
    if (saved)
        designerBox(path, "Zeichensatz wurde als BMP gespeichert:");
    else
        designerBox("Das Bild konnte nicht gespeichert werden:\r" + path);
}

void command(DesignerDialog& self, int id) {
    HWND dialog = self.dialog;
    switch (id) {
        case CMD_ZG_TEMPLATE1:
        case CMD_ZG_TEMPLATE2:
        case CMD_ZG_TEMPLATE3:
        case CMD_ZG_TEMPLATE4:
        case CMD_ZG_TEMPLATE5: loadTemplate(builtInTemplates[id - CMD_ZG_TEMPLATE1].name, true); break;
        case CMD_ZG_PREFERENCES:
            showPreferences(dialog);
            self.colours = designerColours(globalSettings());
            self.repaintAll();
            break;
        case CMD_ZG_LOAD: runLoadFlow(); break;
        case CMD_ZG_SAVE_AS: runSaveAsFlow(self.startDirectory); break;
        case CMD_ZG_PHOTO: takePhoto(self); break;
        case CMD_ZG_HELP: showInfo(GetWindow(dialog, GW_OWNER), HelpVariant::Designer); break;
        case IDC_ZG_BACK: SendMessageA(dialog, WM_CLOSE, 0, 0); break;
        case IDC_ZG_EDITOR_HELP:
            designerBox(
                "Mausklick links\t= Feld setzen\rMausklick rechts\t= Feld rücksetzen\r<, >, ^, v\t\t= schieben\r"
                "I\t\t= Invertieren\rA\t\t= alles setzen",
                "Editor");
            break;
        case IDC_ZG_APPLY: applyCharacter(); break;
        case IDC_ZG_UNDO:
            designerState().edit = designerState().reference;
            self.repaintMagnifier();
            break;
        case IDC_ZG_LEFT: edit(self, EditOperation::ShiftLeft); break;
        case IDC_ZG_RIGHT: edit(self, EditOperation::ShiftRight); break;
        case IDC_ZG_UP: edit(self, EditOperation::ShiftUp); break;
        case IDC_ZG_DOWN: edit(self, EditOperation::ShiftDown); break;
        case IDC_ZG_INVERT: edit(self, EditOperation::Invert); break;
        case IDC_ZG_ALL: edit(self, EditOperation::SetAll); break;
        default: return;
    }
    if (IsWindow(dialog)) updateSaveItem(dialog);
}

INT_PTR CALLBACK designerDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<DesignerDialog*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<DesignerDialog*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        onOpen(dialog, *self);
        return TRUE;
    }
    if (!self) return FALSE;
    switch (message) {
        case WM_PAINT: paint(*self); return TRUE;
        case WM_LBUTTONDOWN: click(*self, CellAction::Set, lParam); return TRUE;
        case WM_RBUTTONDOWN: click(*self, CellAction::Clear, lParam); return TRUE;
        case WM_COMMAND: command(*self, LOWORD(wParam)); return TRUE;
        case WM_HELP: showInfo(GetWindow(dialog, GW_OWNER), HelpVariant::Designer); return TRUE;
        case WM_CLOSE:
            if (designerMayClose()) EndDialog(dialog, 0);
            return TRUE;
        case WM_DESTROY: onClose(*self); return FALSE;
    }
    return FALSE;
}
}

void openDesigner(HWND owner, const std::string& startDirectory, const char* layout) {
    DesignerDialog self;
    self.startDirectory = startDirectory;
    DialogBoxParamA(programInstance(), layout, owner, designerDialogProc,
                    reinterpret_cast<LPARAM>(&self));
}
