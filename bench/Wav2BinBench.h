#pragma once
// bv7 wav2bin of a clean 64 KiB program as a user runs it, against a bare loop
// of the same reading over the same samples in memory, side by side.

// Prints the figures and the ratio; returns 0 when the program came back.
int printWav2BinRatio(const char* bv7Program);
