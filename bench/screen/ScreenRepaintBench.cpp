// How long one full repaint of the emulated screen takes: all 2048 cells of a
// random screen drawn with the 2 kB character set into the pixel buffer the
// screen view blits from.
#include <chrono>
#include <cstdio>
#include <random>

#include "screen/ScreenRenderer.h"

int main() {
    std::mt19937 random(7);
    CharGenImage image;
    for (auto& byte : image.store) byte = static_cast<std::uint8_t>(random());
    ScreenBuffer::Cells cells;
    for (auto& cell : cells) cell = static_cast<std::uint8_t>(random());
    ScreenBuffer screen;
    screenLoadCells(screen, ByteView(cells));
    PixelBuffer buffer(screen::frameRight, screen::frameBottom);
    const ScreenColours colours{rgbColour(0, 255, 0), rgbColour(0, 64, 0)};

    double best = 1e9;
    for (int run = 0; run < 200; ++run) {
        auto start = std::chrono::steady_clock::now();
        renderScreen(buffer, screen, image, colours);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds < best) best = seconds;
    }
    std::printf("Bildschirm neu zeichnen (2048 Zellen, %d x %d Pixel): %.3f ms (Ziel unter 1 ms)%s\n",
                screen::frameRight, screen::frameBottom, best * 1e3, best < 1e-3 ? "" : "  ZU LANGSAM");
    return best < 1e-3 ? 0 : 1;
}
