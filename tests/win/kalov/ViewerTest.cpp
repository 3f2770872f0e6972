#include <gtest/gtest.h>

#include <windows.h>

#include "common/BoxDriver.h"

TEST(Viewer, HasItsDialogTemplate) {
    EXPECT_NE(FindResourceA(GetModuleHandleA(nullptr), "VIEWER", MAKEINTRESOURCEA(5)), nullptr);
}
