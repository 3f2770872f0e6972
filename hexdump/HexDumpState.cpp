#include "hexdump/HexDumpState.h"

#include <sys/stat.h>

#include <cstdio>

#include "hexdump/DumpLines.h"
#include "shell/UserInterface.h"

namespace {
// Only what the dump can show is read: never more than maxDumpBytes, so a
// huge file costs no more memory than a small one.
bool readDumpBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG) return false;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    bytes.resize(maxDumpBytes);
    std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    bytes.resize(got);
    return true;
}
}

HexDumpState openHexDumpFile(const std::string& path) {
    HexDumpState state;
    state.path = path;
    state.startAddress = dumpStartAddress(path);
    state.readable = readDumpBytes(path, state.data);
    if (!state.readable) ui().trace("Fehler beim Dateiöffnen");
    return state;
}

std::vector<std::string> hexDumpLines(const HexDumpState& state) {
    if (!state.readable) return {};
    return buildDumpLines(state.data.data(), state.data.size(), state.startAddress, state.showChecksums);
}

void toggleHexDumpMode(HexDumpState& state) { state.showChecksums = !state.showChecksums; }

std::string hexDumpToggleLabel(const HexDumpState& state) {
    return state.showChecksums ? "--> ASCII" : "--> Prüfsumme";
}
