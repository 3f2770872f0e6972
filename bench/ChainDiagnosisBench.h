#pragma once
// Faults of recording chains (gain control, noise suppression, lossy codecs,
// low rates, channels, speed, offset, hum, level, clipping, dropouts) made
// with sox, ffmpeg or the degrader from the bench's program, clean and worn,
// read back as `bv7 check` reads a file: what the diagnosis finds, what else
// it finds, and whether the program still reads. Then the cost of the
// diagnosis of a 30-minute side next to `bv7 list` of it.

// Prints the tables (Markdown); returns the number of findings on the
// recordings without a fault.
int printChainDiagnosisTable(const char* bv7Program);
