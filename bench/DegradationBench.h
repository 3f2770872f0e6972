#pragma once
// The degradation table of `make bench`: which worn recordings come back byte
// for byte, with the first reader alone and with both readers.

// Prints the table and the one of two copies; returns the number of target
// cells that both readers together did not read every time.
int printDegradationTable();

// Writes the recording of one cell (the first combination: hiss, hum and
// low-pass) as a WAV file to try `bv7 wav2bin` on; false when it cannot.
bool writeWornExample(const char* path);
