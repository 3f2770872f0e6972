#include "app/MainWindowRules.h"

Placement centredPlacement(std::uint32_t screenWidth, std::uint32_t screenHeight, std::uint32_t width,
                           std::uint32_t height) {
    Placement placement;
    placement.x = static_cast<int>(screenWidth / 2) - static_cast<int>(width / 2);
    placement.y = static_cast<int>(screenHeight / 2) - static_cast<int>(height / 2);
    return placement;
}
