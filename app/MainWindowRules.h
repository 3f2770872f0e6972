#pragma once
// The rules of the main window that need no window: placement, the two modes'
// sizes and titles.
#include <cstdint>

namespace mainwindow {
constexpr int startWidth = 385;
constexpr int startHeight = 210;
constexpr int screenWidth = 810;
constexpr int screenHeight = 610;
constexpr const char* className = "BV7_Class";
constexpr const char* startTitle = "Spulwerk Vers. 0.9e";
constexpr const char* returnTitle = "Spulwerk";
constexpr const char* screenTitle = "Bildschirmarbeit";
constexpr unsigned blinkMilliseconds = 500;
// Screens this wide or narrower get the resolution warning on entering screen mode.
constexpr unsigned narrowScreen = 800;
}

enum class WindowMode { Start = 0, Screen = 1 };

struct Placement {
    int x = 0;
    int y = 0;
};

// x = screen/2 - w/2, each halving in unsigned arithmetic (385/2 = 192).
Placement centredPlacement(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t width,
                           std::uint32_t height);
