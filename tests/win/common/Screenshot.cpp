#include "Screenshot.h"

#include "BoxDriver.h"

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {
struct Shot {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;   // 24-bit rows, bottom up, 4-byte aligned
};

BITMAPINFOHEADER bitmapHeader(const Shot& shot) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = shot.width;
    info.biHeight = shot.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    return info;
}

// What the screen shows of `window` right now.
Shot takeShot(HWND window) {
    Shot shot;
    RECT area;
    GetWindowRect(window, &area);
    shot.width = area.right - area.left;
    shot.height = area.bottom - area.top;
    if (shot.width <= 0 || shot.height <= 0) return shot;

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, shot.width, shot.height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, shot.width, shot.height, screen, area.left, area.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = bitmapHeader(shot);
    int stride = (shot.width * 3 + 3) & ~3;
    shot.pixels.resize(static_cast<size_t>(stride) * shot.height);
    GetDIBits(memory, bitmap, 0, shot.height, shot.pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return shot;
}
}

bool saveWindowShot(HWND window, const std::string& path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    // Under Wine what was painted reaches the screen a moment later: wait
    // (two seconds at most) until two pictures 30 ms apart are the same.
    Shot shot = takeShot(window);
    pumpUntil([&] {
        DWORD start = GetTickCount();
        pumpUntil([start] { return GetTickCount() - start >= 30; });
        Shot next = takeShot(window);
        bool same = next.width == shot.width && next.height == shot.height && next.pixels == shot.pixels;
        shot = std::move(next);
        return same;
    }, 2000);
    if (shot.pixels.empty()) return false;

    BITMAPINFOHEADER info = bitmapHeader(shot);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(shot.pixels.size());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::fwrite(&header, sizeof header, 1, file);
    std::fwrite(&info, sizeof info, 1, file);
    std::fwrite(shot.pixels.data(), 1, shot.pixels.size(), file);
    return std::fclose(file) == 0;
}

std::string screenshotFolder() {
    const char* folder = std::getenv("SPULWERK_SCREENSHOTS");
    return folder ? folder : "";
}
