#include "chargen/win/PixelSection.h"

#include <algorithm>

BITMAPINFO topDownPixels(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

bool PixelSection::ensure(int sectionWidth, int sectionHeight) {
    if (bitmap) return true;
    BITMAPINFO info = topDownPixels(sectionWidth, sectionHeight);
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    bits = static_cast<std::uint32_t*>(pixels);
    width = sectionWidth;
    height = sectionHeight;
    return bitmap != nullptr;
}

void PixelSection::release() {
    if (bitmap) DeleteObject(bitmap);
    bitmap = nullptr;
    bits = nullptr;
}

void PixelSection::show(HDC context, const PixelBuffer& buffer, const RECT& area) {
    if (!bitmap) return;
    int right = std::min({static_cast<int>(area.right), width, buffer.width});
    int bottom = std::min({static_cast<int>(area.bottom), height, buffer.height});
    // 0x00BBGGRR to the section's 0x00RRGGBB.
    for (int y = std::max(0, static_cast<int>(area.top)); y < bottom; ++y) {
        const RgbColour* from = buffer.pixels.data() + static_cast<std::size_t>(y) * buffer.width;
        std::uint32_t* to = bits + static_cast<std::size_t>(y) * width;
        for (int x = std::max(0, static_cast<int>(area.left)); x < right; ++x)
            to[x] = (from[x] & 0xFF) << 16 | (from[x] & 0xFF00) | (from[x] >> 16 & 0xFF);
    }
    GdiFlush();
    HDC memory = CreateCompatibleDC(context);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(context, area.left, area.top, area.right - area.left, area.bottom - area.top, memory, area.left, area.top,
           SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}
