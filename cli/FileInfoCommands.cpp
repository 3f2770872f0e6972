// bv7 crc and bv7 hexdump: the checksum and the dump of the "CRC16..." and
// "HEX-Dump..." tools.
#include "cli/Commands.h"

#include "shell/Crc16.h"
#include "hexdump/DumpLines.h"
#include "shell/CommonServices.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"

using namespace cli;

namespace {
const char* const crcUsage =
    "Aufruf: bv7 crc DATEI...\n"
    "Zeigt für jede Datei \"CRC (SDLC): \" mit der CRC-16 aller Bytes, dann den Dateinamen.\n";
const char* const hexdumpUsage =
    "Aufruf: bv7 hexdump DATEI [--ascii]\n"
    "Zeigt die ersten 65535 Bytes als HEX-Dump mit Prüfsumme je Zeile (--ascii: mit Zeichen)\n"
    "und die CRC (SDLC). Adressen ab AA, wenn der Name \"Programmname_AA_EA_SA.BIN\" lautet, sonst ab 0.\n";

bool parseOrExplain(const CommandArgs& args, std::initializer_list<const char*> flags, const char* usage,
                    Arguments& arguments, CommandIo& io, int& exitCode) {
    std::string problem;
    if (!arguments.parse(args, {}, flags, problem)) {
        io.err << problem << "\n" << usage;
        exitCode = exitUsage;
        return false;
    }
    if (arguments.has("--help")) {
        io.out << usage;
        exitCode = exitOk;
        return false;
    }
    return true;
}
}

int crcCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int exitCode = exitOk;
    if (!parseOrExplain(args, {"--help"}, crcUsage, arguments, io, exitCode)) return exitCode;
    if (arguments.positionals().empty()) {
        io.err << crcUsage;
        return exitUsage;
    }
    for (const std::string& path : arguments.positionals()) {
        std::vector<std::uint8_t> bytes;
        if (!readInput(path, bytes, loadString(str::cannotOpenBinary), io.err)) {
            exitCode = exitFailed;
            continue;
        }
        io.out << "CRC (SDLC): " << formatHex4(crc16Sdlc(bytes.data(), bytes.size())) << "  " << path << "\n";
    }
    return exitCode;
}

int hexdumpCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int exitCode = exitOk;
    if (!parseOrExplain(args, {"--ascii", "--help"}, hexdumpUsage, arguments, io, exitCode)) return exitCode;
    if (arguments.positionals().size() != 1) {
        io.err << hexdumpUsage;
        return exitUsage;
    }
    const std::string& path = arguments.positionals()[0];
    std::vector<std::uint8_t> bytes;
    // One byte more than the dump shows tells whether the file goes on.
    if (!readInput(path, bytes, loadString(str::cannotOpenBinary), io.err, maxDumpBytes + 1)) return exitFailed;
    for (const std::string& line :
         buildDumpLines(bytes.data(), bytes.size(), dumpStartAddress(path), !arguments.has("--ascii")))
        io.out << line << "\n";
    if (bytes.size() > maxDumpBytes) io.err << dumpCutWarning(isStandardStream(path) ? "Standardeingabe" : path) << "\n";
    return exitOk;
}
