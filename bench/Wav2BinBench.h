#pragma once
// bv7 wav2bin of a clean 64 KiB program as a user runs it, against a bare loop
// of the same reading over the same samples, side by side.

// Prints the figures and the ratio; returns 0 when the program came back.
// `benchProgram` is this bench, which runs the bare loop as a process of its own.
int printWav2BinRatio(const char* bv7Program, const char* benchProgram);

// The bare loop as a process (bench --leseschleife PROG.wav): the file mapped
// into memory, the samples taken in place and read as wav2bin reads a single
// program, nothing else. 0 when a record was read whole.
int runBareReadingLoop(const char* path);
