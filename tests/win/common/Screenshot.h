#pragma once
#include <windows.h>

#include <string>

// Writes what the screen shows of `window` (frame included) as a 24-bit BMP file.
bool saveWindowShot(HWND window, const std::string& path);

// The folder named by SPULWERK_SCREENSHOTS, or "" when no screenshots are wanted.
std::string screenshotFolder();
