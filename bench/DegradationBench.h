#pragma once
// The degradation table of `make bench`: which worn recordings come back byte
// for byte, with the first reader alone and with both readers.
#include <cstdint>
#include <vector>

#include "tape/Decoder.h"

// The program every table of the bench wears: 2 KiB of random bytes.
std::vector<std::uint8_t> benchImage();
const TapeHeader benchHeader{"ABGENUTZT", 0x1000, 0x17FF, 0x1000};

// Whether `record` is the program under `header` byte for byte, every block good.
bool sameRecord(const DecodedRecord& record, const std::vector<std::uint8_t>& image, const TapeHeader& header);

// Prints the table and the one of two copies; returns the number of target
// cells that both readers together did not read every time.
int printDegradationTable();

// Writes the recording of one cell (the first combination: hiss, hum and
// low-pass) as a WAV file to try `bv7 wav2bin` on; false when it cannot.
bool writeWornExample(const char* path);
