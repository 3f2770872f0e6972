#include "screen/ScreenDemos.h"

#include <string>

void showRandomPattern(ScreenBuffer& screen, ParkMiller& random) {
    ScreenBuffer::Cells pattern;
    for (auto& cell : pattern) cell = static_cast<std::uint8_t>(random.draw(256));
    screenLoadCells(screen, ByteView(pattern));
}

void showPicture(ScreenBuffer& screen, ByteView picture) { screenLoadCells(screen, picture); }

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
}
