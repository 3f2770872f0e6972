#pragma once
// A DIB section that shows a PixelBuffer: 32 bits per pixel, top down, kept as
// long as its owner. The designer and the emulated screen draw into their
// buffer, copy the part that changed and show it with one BitBlt.
#include <windows.h>

#include <cstdint>

#include "chargen/GlyphRenderer.h"

// The format of a section's pixels for GDI: 32 bits per pixel, top down.
BITMAPINFO topDownPixels(int width, int height);

class PixelSection {
  public:
    PixelSection() = default;
    ~PixelSection() { release(); }
    PixelSection(const PixelSection&) = delete;
    PixelSection& operator=(const PixelSection&) = delete;

    // Creates the section once, of the buffer's size; false when it cannot be made.
    bool ensure(int width, int height);
    void release();
    // Copies the rectangle (right and bottom exclusive) from `buffer` and shows it
    // at the same place in `context`.
    void show(HDC context, const PixelBuffer& buffer, const RECT& area);

  private:
    HBITMAP bitmap = nullptr;
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
};
