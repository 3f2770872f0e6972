#include "chargen/win/WindowBmp.h"

#include <cstring>
#include <vector>

#include "chargen/BmpFile.h"
#include "shell/FileIo.h"

bool saveWindowAreaAsBmp(HWND window, int x, int y, int width, int height, const std::string& path) {
    if (width <= 0 || height <= 0) return false;
    HDC windowContext = GetDC(window);
    int bitsPerPixel = GetDeviceCaps(windowContext, BITSPIXEL);
    // Palette displays would need a colour table; true colour needs none.
    if (bitsPerPixel <= 8) bitsPerPixel = 24;
    HDC memory = CreateCompatibleDC(windowContext);
    HBITMAP bitmap = CreateCompatibleBitmap(windowContext, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, windowContext, x, y, SRCCOPY);
    SelectObject(memory, old);

    std::array<std::uint8_t, bmp::headerBytes> headers = bmpHeaders(width, height, bitsPerPixel);
    BITMAPINFO info{};
    static_assert(sizeof(BITMAPINFOHEADER) == 40, "info header of 40 bytes");
    std::memcpy(&info.bmiHeader, headers.data() + 14, sizeof(BITMAPINFOHEADER));
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(bmpRowBytes(width, bitsPerPixel)) * height, 0);
    int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);

    DeleteDC(memory);
    DeleteObject(bitmap);
    ReleaseDC(window, windowContext);
    if (rows != height) return false;
    return replaceFile(path, {ByteView(headers.data(), headers.size()), ByteView(pixels)}) == WriteOutcome::Ok;
}
