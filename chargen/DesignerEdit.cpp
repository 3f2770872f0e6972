#include "chargen/DesignerEdit.h"

#include "chargen/CharGenImage.h"
#include "chargen/DesignerLayout.h"
#include "shell/HexText.h"

namespace {
DesignerState state;

int floorDiv(int value, int divisor) { return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor); }
int limited(int value, int low, int high) { return value < low ? low : value > high ? high : value; }
}

DesignerState& designerState() { return state; }

GlyphRows edited(const GlyphRows& rows, EditOperation operation) {
    GlyphRows result{};
    for (int i = 0; i < 8; ++i) {
        std::uint8_t row = rows[i];
        switch (operation) {
            case EditOperation::ShiftLeft: result[i] = static_cast<std::uint8_t>(row >> 1); break;
            case EditOperation::ShiftRight: result[i] = static_cast<std::uint8_t>(row << 1); break;
            case EditOperation::ShiftUp: result[i] = i < 7 ? rows[i + 1] : 0; break;
            case EditOperation::ShiftDown: result[i] = i > 0 ? rows[i - 1] : 0; break;
            case EditOperation::Invert: result[i] = static_cast<std::uint8_t>(~row); break;
            case EditOperation::SetAll: result[i] = 0x3F; break;
        }
    }
    return result;
}

ClickTarget mapClick(int x, int y) {
    using namespace designer;
    ClickTarget target;
    if (overviewClicks.contains(x, y)) {
        int column = limited(floorDiv(x - overviewOrigin.x, pitch), 0, overviewColumns - 1);
        int row = limited(floorDiv(y - overviewOrigin.y, pitch), 0, overviewRows - 1);
        target.area = ClickTarget::Area::Overview;
        target.code = row * overviewColumns + column;
    } else if (magnifierClicks.contains(x, y)) {
        target.area = ClickTarget::Area::Magnifier;
        target.column = (x - clickCellOrigin.x) / pitch;
        target.row = (y - clickCellOrigin.y) / pitch;
    }
    return target;
}

void carryOutPendingAction(PendingCell& pending, GlyphRows& edit) {
    if (pending.action != CellAction::None && pending.row >= 0 && pending.row < chargen::characterRows &&
        pending.column >= 0 && pending.column < chargen::characterColumns) {
        std::uint8_t bit = static_cast<std::uint8_t>(1u << pending.column);
        std::uint8_t& row = edit[pending.row];
        row = pending.action == CellAction::Set ? static_cast<std::uint8_t>(row | bit)
                                                : static_cast<std::uint8_t>(row & ~bit);
    }
    pending.action = CellAction::None;
}

ButtonStates applyButtonRule(DesignerState& designer, int templateFlag) {
    ButtonStates buttons;
    if (designer.edit == designer.reference) {
        designer.modified = 0;
        return buttons;
    }
    buttons.undo = true;
    if (templateFlag == 0) {
        designer.modified = 1;
        buttons.apply = true;
    }
    return buttons;
}

std::string hexFieldText(int code) { return formatHex4(code).substr(2) + "h"; }
