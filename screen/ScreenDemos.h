#pragma once
// The three demos of the screen-mode menus: the random pattern, the stored
// picture and the stored greeting program. All changes go through the
// screen's own operations.
#include "screen/ScreenBuffer.h"
#include "shell/ByteReader.h"
#include "shell/RandomGenerator.h"

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
