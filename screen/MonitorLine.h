#pragma once
// The command line of the BV7 monitor on the emulated screen: typed keys become
// screen text, Enter reads the line back from the cells and answers it. Only
// the arithmetic command "A" is carried out; the other letters of the monitor
// are known but not realised. Answers go to the screen and to part 0 of the
// status bar.
#include <cstdint>
#include <string>

#include "screen/ScreenBuffer.h"

// A key other than Enter: letters with their case swapped (the BV7 keyboard
// gives capitals unshifted), then written at the cursor. Code 0 writes nothing
// and leaves the cell under the cursor as it is.
void typeCharacter(ScreenBuffer& screen, std::uint8_t code);

// Enter: executes the line the cursor stands in and writes a new prompt.
void executeLine(ScreenBuffer& screen);

// "# r" of the demo menu: a register display with fixed values.
void showRegisterDemo(ScreenBuffer& screen);

// The answer of "A" to its three arguments:
// "DSPL dd   SUM ssss   DIF dddd   DEC n".
std::string arithmeticLine(std::uint32_t a1, std::uint32_t a2, std::uint32_t a3);
