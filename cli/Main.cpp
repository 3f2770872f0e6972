// bv7: the cassette codec and the file tools of Spulwerk on the command line.
#include <cstring>
#include <iostream>

#ifdef _WIN32
#include <windows.h>
#endif

#include "cli/Commands.h"
#include "shell/GlobalSettings.h"
#include "shell/Version.h"

namespace {
struct Command {
    const char* name;
    CommandFunction run;
    const char* summary;
};

// One line per command.
const Command commands[] = {
    {"bin2wav", bin2wavCommand, "BIN-Datei als BV7-Kassettensignal in eine WAV-Datei schreiben"},
    {"wav2bin", wav2binCommand, "BV7-Aufnahme (WAV) in BIN-Dateien wandeln"},
    {"list", listCommand, "Aufnahmen einer WAV-Datei mit Startzeit, Blöcken und Pegel zeigen"},
    {"archive", archiveCommand, "Kassettenseite archivieren: Master, Programme, Zustand, Herkunft"},
    {"check", checkCommand, "Aufnahme prüfen: Pegel, Übersteuerung, Geschwindigkeit, Brumm, mit Rat"},
    {"crc", crcCommand, "CRC (SDLC) von Dateien zeigen"},
    {"hexdump", hexdumpCommand, "HEX-Dump einer Datei zeigen"},
    {"kalo", kaloCommand, "KALO*4-Quelldatei als Listing zeigen oder als Text speichern"},
    {"record", recordCommand, "vom BV7 aufnehmen (Tonserver), mitlesen und als BIN-Datei speichern"},
    {"play", playCommand, "BIN- oder WAV-Datei über den Tonserver an den BV7 ausgeben"},
    {"devices", devicesCommand, "Aus- und Eingabegeräte des Tonservers zeigen"},
};

void printUsage(std::ostream& out) {
    out << "Aufruf: bv7 BEFEHL [OPTIONEN] DATEI...\n\nBefehle:\n";
    for (const Command& command : commands) {
        std::string name = command.name;
        name.resize(10, ' ');
        out << "  " << name << command.summary << "\n";
    }
    out << "\n\"bv7 help BEFEHL\" oder \"bv7 BEFEHL --help\" zeigt die Optionen eines Befehls,\n"
           "\"bv7 --version\" die Version.\n"
           "Rückgabewert: 0 Erfolg, 1 Eingabe nicht wandelbar, 2 Aufruf fehlerhaft.\n";
}

const Command* findCommand(const char* name) {
    for (const Command& command : commands)
        if (std::strcmp(name, command.name) == 0) return &command;
    return nullptr;
}

int unknownCommand(const char* name) {
    std::cerr << "Unbekannter Befehl: " << name << "\n\n";
    printUsage(std::cerr);
    return cli::exitUsage;
}
}

int main(int argc, char** argv) {
#ifdef _WIN32
    // The texts are Windows-1252; a German console starts in the OEM code page.
    SetConsoleOutputCP(1252);
#endif
    resetGlobalSettings();
    cli::TerminalInterface terminal(std::cerr);
    cli::CommandIo io{std::cout, std::cerr};
    if (argc < 2) {
        printUsage(std::cerr);
        return cli::exitUsage;
    }
    const bool help = std::strcmp(argv[1], "help") == 0;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || (help && argc == 2)) {
        printUsage(std::cout);
        return cli::exitOk;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::cout << "bv7 (Spulwerk) " << spulwerkVersion << "\n";
        return cli::exitOk;
    }
    if (help) {
        if (argc > 3) {
            std::cerr << "Aufruf: bv7 help [BEFEHL]\n";
            return cli::exitUsage;
        }
        const Command* command = findCommand(argv[2]);
        return command ? command->run(CommandArgs{"--help"}, io) : unknownCommand(argv[2]);
    }
    if (const Command* command = findCommand(argv[1])) return command->run(CommandArgs(argv + 2, argv + argc), io);
    return unknownCommand(argv[1]);
}
