#pragma once
// A whole tape side as owners archive them: 30 minutes with ten programs and
// the hiss between them, two dropouts, two different programs of the same
// name, a program saved twice and a stretch of music. Written as a WAV file
// and read by the built bv7 (list, wav2bin --all) as a user runs it: records
// found against the real ones, programs saved, time and peak memory.

// Prints the table (Markdown); returns the number of rows that missed their target.
int printTapeSideTable(const char* bv7Program);
