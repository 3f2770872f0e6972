#pragma once
// What the demo menus and the mouse do to the screen: the random pattern, the
// stored picture, the stored greeting program, freehand drawing and the name of
// the next screen photo. All changes go through the screen's own operations.
#include <cstdint>
#include <string>

#include "screen/ScreenBuffer.h"
#include "shell/ByteReader.h"

// The minimal standard generator (multiplier 16807, modulus 2^31 - 1) by Schrage's method.
class ParkMiller {
  public:
    // Seeds from a time-stamp counter reading: (low 32 bits >> 2) + 1.
    void seedFromCounter(std::uint64_t counter) { seed = (static_cast<std::uint32_t>(counter) >> 2) + 1; }
    void setSeed(std::uint32_t value) { seed = value; }
    std::uint32_t state() const { return seed; }
    std::uint32_t next();
    // Advances the generator and returns seed mod n (n > 0).
    std::uint32_t draw(std::uint32_t n) { return next() % n; }

  private:
    std::uint32_t seed = 1;
};

// The generator of the random pattern; seeded when the main window is created.
ParkMiller& screenRandom();

// "&Zufallsmuster": every cell a draw for 256, row by row; the cursor stays.
void showRandomPattern(ScreenBuffer& screen, ParkMiller& random);

// "Grafik &1": the stored picture (2048 bytes in the screen-file layout) into
// the cells; a shorter one fills only what it has. The cursor stays.
void showPicture(ScreenBuffer& screen, ByteView picture);

// "Gruß-Proggi": runs the stored BV7 program with the three instructions it
// uses: DF (print the text after it up to the byte with bit 7 set), 00 (no
// operation) and C3 FD 07 (back to the monitor: a new prompt). Anything else,
// and the end of the program, stop it.
void runGreetingProgram(ScreenBuffer& screen, ByteView program);

// The cell a mouse position in the client area hits, rounded as MulDiv rounds.
struct CellHit {
    bool hit = false;
    int column = 0;
    int row = 0;
};
CellHit freehandCell(int x, int y);

// The name of the next screen photo: startDirectory + "\BS_Foto" + n + ".bmp"
// with the smallest n from 1 on whose file does not exist.
std::string nextPhotoPath(const std::string& startDirectory);
