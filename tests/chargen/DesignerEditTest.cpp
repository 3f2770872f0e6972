#include <gtest/gtest.h>

#include "chargen/DesignerEdit.h"

TEST(DesignerEdit, TheSixOperationsOnTheRowBytes) {
    const GlyphRows glyph = {0x21, 0x3F, 0x80, 0x01, 0x20, 0x40, 0x00, 0xFF};
    struct Case {
        EditOperation operation;
        GlyphRows result;
    };
    const Case cases[] = {
        {EditOperation::ShiftLeft, {0x10, 0x1F, 0x40, 0x00, 0x10, 0x20, 0x00, 0x7F}},
        {EditOperation::ShiftRight, {0x42, 0x7E, 0x00, 0x02, 0x40, 0x80, 0x00, 0xFE}},
        {EditOperation::ShiftUp, {0x3F, 0x80, 0x01, 0x20, 0x40, 0x00, 0xFF, 0x00}},
        {EditOperation::ShiftDown, {0x00, 0x21, 0x3F, 0x80, 0x01, 0x20, 0x40, 0x00}},
        {EditOperation::Invert, {0xDE, 0xC0, 0x7F, 0xFE, 0xDF, 0xBF, 0xFF, 0x00}},
        {EditOperation::SetAll, {0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F, 0x3F}},
    };
    for (const Case& c : cases) EXPECT_EQ(edited(glyph, c.operation), c.result) << static_cast<int>(c.operation);
    // ">" then "<" keeps rows without bit 7, the rightmost column included; "<" then ">" loses the leftmost.
    const GlyphRows visible = {0x21, 0x3F, 0x20, 0x01, 0, 0, 0, 0x7F};
    EXPECT_EQ(edited(edited(visible, EditOperation::ShiftRight), EditOperation::ShiftLeft), visible);
    EXPECT_EQ(edited(edited(visible, EditOperation::ShiftLeft), EditOperation::ShiftRight),
              (GlyphRows{0x20, 0x3E, 0x20, 0x00, 0, 0, 0, 0x7E}));
}

TEST(DesignerEdit, ClicksLandOnTheCellsOfOverviewAndMagnifier) {
    using Area = ClickTarget::Area;
    struct Case {
        int x, y;
        Area area;
        int code, column, row;
    };
    const Case cases[] = {
        {55, 40, Area::Overview, 0x00, 0, 0},     {79, 69, Area::Overview, 0x00, 0, 0},
        {80, 70, Area::Overview, 0x11, 0, 0},     {380, 60, Area::Overview, 0x0F, 0, 0},
        {382, 378, Area::Overview, 0xFF, 0, 0},   {54, 100, Area::None, 0, 0, 0},
        {383, 100, Area::None, 0, 0, 0},          {100, 379, Area::None, 0, 0, 0},
        {100, 39, Area::None, 0, 0, 0},           {451, 40, Area::Magnifier, 0, 0, 0},
        {450, 40, Area::None, 0, 0, 0},           {469, 57, Area::Magnifier, 0, 0, 0},
        {470, 58, Area::Magnifier, 0, 1, 1},      {568, 197, Area::Magnifier, 0, 5, 7},
        {500, 198, Area::Magnifier, 0, 2, 8},     {500, 199, Area::Magnifier, 0, 2, 8},
        {569, 100, Area::None, 0, 0, 0},          {500, 200, Area::None, 0, 0, 0},
    };
    for (const Case& c : cases) {
        ClickTarget target = mapClick(c.x, c.y);
        std::string at = std::to_string(c.x) + "," + std::to_string(c.y);
        EXPECT_EQ(target.area, c.area) << at;
        if (c.area == Area::Overview) {
            EXPECT_EQ(target.code, c.code) << at;
        } else if (c.area == Area::Magnifier) {
            EXPECT_EQ(std::make_pair(target.column, target.row), std::make_pair(c.column, c.row)) << at;
        }
    }
}

TEST(DesignerEdit, APendingCellChangesOneBitAndRowEightNone) {
    struct Case {
        CellAction action;
        int column, row;
        GlyphRows result;
    };
    const GlyphRows start = {0x01, 0, 0, 0, 0, 0, 0, 0x3F};
    const Case cases[] = {
        {CellAction::Set, 5, 0, {0x21, 0, 0, 0, 0, 0, 0, 0x3F}},
        {CellAction::Clear, 0, 0, {0x00, 0, 0, 0, 0, 0, 0, 0x3F}},
        {CellAction::Clear, 2, 7, {0x01, 0, 0, 0, 0, 0, 0, 0x3B}},
        {CellAction::Set, 3, 8, start},
        {CellAction::None, 3, 1, start},
    };
    for (const Case& c : cases) {
        GlyphRows edit = start;
        PendingCell pending{c.action, c.column, c.row};
        carryOutPendingAction(pending, edit);
        EXPECT_EQ(edit, c.result) << c.column << "," << c.row;
        EXPECT_EQ(pending.action, CellAction::None);
    }
}

TEST(DesignerEdit, ButtonsAndModifiedFlagFollowTheBuffersAndTheTemplateFlag) {
    struct Case {
        bool changed;
        int templateFlag;
        int modifiedBefore;
        bool apply, undo;
        int modifiedAfter;
    };
    const Case cases[] = {
        {false, 0, 1, false, false, 0}, {false, 1, 1, false, false, 0}, {true, 0, 0, true, true, 1},
        {true, 1, 0, false, true, 0},   {true, 1, 1, false, true, 1},
    };
    for (const Case& c : cases) {
        DesignerState state;
        state.reference = {1, 2, 3, 4, 5, 6, 7, 8};
        state.edit = state.reference;
        if (c.changed) state.edit[7] = 9;
        state.modified = c.modifiedBefore;
        ButtonStates buttons = applyButtonRule(state, c.templateFlag);
        EXPECT_EQ(buttons.apply, c.apply);
        EXPECT_EQ(buttons.undo, c.undo);
        EXPECT_EQ(state.modified, c.modifiedAfter);
    }
    EXPECT_EQ(hexFieldText(0x4A), "4Ah");
    EXPECT_EQ(hexFieldText(0x05), "05h");
}
