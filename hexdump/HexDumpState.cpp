#include "hexdump/HexDumpState.h"

#include "hexdump/DumpLines.h"
#include "shell/FileIo.h"
#include "shell/UserInterface.h"

HexDumpState openHexDumpFile(const std::string& path) {
    HexDumpState state;
    state.path = path;
    state.startAddress = dumpStartAddress(path);
    // Only what the dump can show is read, so a huge file costs no more than a small one.
    state.readable = readFile(path, state.data, maxDumpBytes) == ReadOutcome::Ok;
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
