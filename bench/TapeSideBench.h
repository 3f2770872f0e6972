#pragma once
// A whole tape side as owners archive them: 30 minutes with ten programs and
// the hiss between them, two dropouts, two different programs of the same
// name, a program saved twice and a stretch of music. Written as a WAV file
// and read by the built bv7 (list, wav2bin --all, archive of two recordings) as a user runs it: records
// found against the real ones, programs saved, time and peak memory.
#include <string>
#include <vector>

#include "bench/TapeSide.h"

struct BenchSide {
    side::TapeSide tape;
    int realRecords = 0;
    int programs = 0;   // different programs among them (a copy pair is one)
};
BenchSide buildBenchSide();
// The side as the 8-bit mono WAV file bv7 is given (44100 samples per second),
// after `leadingSilence` samples of silence.
bool writeBenchSideWav(const BenchSide& side, const std::string& path, std::size_t leadingSilence = 0);

struct Bv7Run {
    int code = -1;
    double seconds = 0;
    long peakKiB = 0;
    std::string out;
};
// The built bv7 with `args` in `dir`, its output in a file; wall time and peak memory.
Bv7Run runBv7(const char* program, const std::vector<std::string>& args, const std::string& dir);

// Prints the table (Markdown); returns the number of rows that missed their target.
int printTapeSideTable(const char* bv7Program);
