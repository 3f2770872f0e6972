#include "screen/ScreenDemos.h"

#include <algorithm>

#include "shell/CommonServices.h"

std::uint32_t ParkMiller::next() {
    constexpr std::int32_t modulus = 2147483647;
    constexpr std::int32_t multiplier = 16807;
    constexpr std::int32_t q = 127773;  // modulus / multiplier
    constexpr std::int32_t r = 2836;    // modulus % multiplier
    std::int32_t value = static_cast<std::int32_t>(seed % static_cast<std::uint32_t>(modulus));
    std::int32_t result = multiplier * (value % q) - r * (value / q);
    if (result < 0) result += modulus;
    seed = static_cast<std::uint32_t>(result);
    return seed;
}

ParkMiller& screenRandom() {
    static ParkMiller random;
    return random;
}

void showRandomPattern(ScreenBuffer& screen, ParkMiller& random) {
    for (auto& cell : screen.cells) cell = static_cast<std::uint8_t>(random.draw(256));
    screen.repaintWanted = true;
}

void showPicture(ScreenBuffer& screen, ByteView picture) {
    std::copy_n(picture.data, std::min<std::size_t>(picture.size, screen.cells.size()), screen.cells.begin());
    screen.repaintWanted = true;
}

void runGreetingProgram(ScreenBuffer& screen, ByteView program) {
    std::size_t position = 0;
    while (position < program.size) {
        std::uint8_t code = program[position];
        if (code == 0x00) {
            ++position;
        } else if (code == 0xDF) {
            std::string text;
            while (++position < program.size) {
                std::uint8_t byte = program[position];
                text += static_cast<char>(byte & 0x7F);
                if (byte & 0x80) break;
            }
            ++position;
            screenWrite(screen, text);
        } else {
            if (code == 0xC3 && position + 2 < program.size && program[position + 1] == 0xFD &&
                program[position + 2] == 0x07)
                screenWrite(screen, screen::prompt);
            break;
        }
    }
    screen.repaintWanted = true;
}

CellHit freehandCell(int x, int y) {
    if (x < 23 || x >= 785 || y < 25 || y >= 525) return {};
    return CellHit{true, (x - 17) / 12, (y - 17) / 16};
}

std::string nextPhotoPath(const std::string& startDirectory) {
    for (int n = 1;; ++n) {
        std::string path = startDirectory + "\\BS_Foto" + std::to_string(n) + ".bmp";
        if (!fileExists(path)) return path;
    }
}
