#include "Screenshot.h"

#include "BoxDriver.h"
#include "chargen/BmpFile.h"
#include "shell/FileIo.h"

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace {
struct Shot {
    int width = 0, height = 0;
    std::vector<unsigned char> pixels;   // 24-bit rows, bottom up, 4-byte aligned
};

// The info header of the file, as GetDIBits wants it.
BITMAPINFOHEADER bitmapHeader(const Shot& shot) {
    BITMAPINFOHEADER info{};
    std::array<std::uint8_t, bmp::headerBytes> headers = bmpHeaders(shot.width, shot.height, 24);
    std::memcpy(&info, headers.data() + 14, sizeof info);
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
    shot.pixels.resize(static_cast<size_t>(bmpRowBytes(shot.width, 24)) * shot.height);
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

    std::array<std::uint8_t, bmp::headerBytes> headers = bmpHeaders(shot.width, shot.height, 24);
    return writeFile(path, {ByteView(headers.data(), headers.size()), ByteView(shot.pixels)}) == WriteOutcome::Ok;
}

std::string screenshotFolder() {
    const char* folder = std::getenv("SPULWERK_SCREENSHOTS");
    return folder ? folder : "";
}
