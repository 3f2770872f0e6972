#pragma once
// The degradation table of `make bench`: which worn recordings come back byte
// for byte, with the first reader alone and with both readers.

// Prints the table; returns the number of target cells that both readers
// together did not read.
int printDegradationTable();
