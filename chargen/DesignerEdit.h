#pragma once
// The designer's edit model: the state that lives for the whole program run,
// the six edit operations, where a click lands, the pending cell action of the
// magnifier and the rule that enables the two buttons.
#include <array>
#include <cstdint>
#include <string>

#include "shell/UserInterface.h"

using GlyphRows = std::array<std::uint8_t, 8>;

enum class EditOperation { ShiftLeft, ShiftRight, ShiftUp, ShiftDown, Invert, SetAll };
enum class CellAction { None = 0, Set = 1, Clear = 2 };

// What the dialog does for the flows; the default does nothing (no dialog open).
struct DesignerView {
    virtual void repaintAll() {}
    virtual void repaintMagnifier() {}
    virtual void repaintOverview() {}
    virtual void showHexField(const std::string&) {}
    virtual ~DesignerView() = default;
};

// The edit state of the program run: every opening of the dialog finds it as
// the last one left it.
struct DesignerState {
    int currentCode = 0;
    GlyphRows edit{};          // the character being edited
    GlyphRows reference{};     // as last selected or applied; the source of undo
    int modified = 0;          // edit differs from reference and the image is no template
    std::string firstStatus;   // what the first status field shows
    std::string filePath;      // full path of the pattern file last loaded or saved; applied changes go there
};

// The one state of the program.
DesignerState& designerState();

// A magnifier cell to set or clear: recorded by a click, carried out by the next paint.
struct PendingCell {
    CellAction action = CellAction::None;
    int column = 0;            // 0..5
    int row = 0;               // 0..8; row 8 edits nothing
};

// What one opening of the dialog owns. Each opening makes its own, so none
// meets what an earlier one left behind.
struct DesignerOpening {
    WindowRef owner = nullptr;     // the open dialog, owner of its boxes
    DesignerView* view = nullptr;
    PendingCell pending;
    int photo = 0;                 // 1 while painted for the BMP photo: no selection frame
};

GlyphRows edited(const GlyphRows& rows, EditOperation operation);

// Where a left or right click at client pixel (x, y) lands.
struct ClickTarget {
    enum class Area { None, Overview, Magnifier } area = Area::None;
    int code = 0;      // overview: the clicked character
    int column = 0;    // magnifier: 0..5
    int row = 0;       // magnifier: 0..8
};
ClickTarget mapClick(int x, int y);

// The pending cell action of the paint procedure: sets or clears the bit of
// `edit`, then none is pending.
void carryOutPendingAction(PendingCell& pending, GlyphRows& edit);

// Enabled buttons after a paint, and the modified flag they imply.
struct ButtonStates {
    bool apply = false;   // "Änderung übernehmen"
    bool undo = false;    // "Änderung rückgängig"
};
ButtonStates applyButtonRule(DesignerState& state, int templateFlag);

// The HEX field: two upper-case digits and "h" ("4Ah").
std::string hexFieldText(int code);
