#pragma once
// What the "Hexdump" dialog shows: the first 65535 bytes of one file, read
// once when the dialog opens, listed with checksums or with ASCII.
#include <cstdint>
#include <string>
#include <vector>

struct HexDumpState {
    std::string path;                  // the file, also caption and print title
    std::vector<std::uint8_t> data;    // at most maxDumpBytes
    bool readable = false;             // false: the file could not be opened
    std::uint16_t startAddress = 0;    // AA of a BIN file name, else 0
    bool showChecksums = true;
};

// Reads the file named `path`. When it cannot be opened, "Fehler beim
// Dateiöffnen" goes to the trace and the state lists nothing.
HexDumpState openHexDumpFile(const std::string& path);

// The dialog's lines: nothing for an unreadable file; for a file of 0 bytes
// the blank line and "CRC (SDLC) = FFFF" alone.
std::vector<std::string> hexDumpLines(const HexDumpState& state);

// The mode button: flips the mode and names the other one, "--> ASCII" while
// checksums are shown, "--> Prüfsumme" while ASCII is shown.
void toggleHexDumpMode(HexDumpState& state);
std::string hexDumpToggleLabel(const HexDumpState& state);
