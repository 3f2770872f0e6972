#pragma once
#include <windows.h>

#include <string>

// Writes the rectangle (x, y, width, height) of the window's client area, as
// the display shows it now, to `path` as an uncompressed BMP (24 bits per
// pixel on displays of 8 bits or fewer). An existing file is replaced only by
// a complete one. False when the pixels could not be read or the file not
// written whole.
bool saveWindowAreaAsBmp(HWND window, int x, int y, int width, int height, const std::string& path);
