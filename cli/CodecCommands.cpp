// bv7 bin2wav and bv7 wav2bin: the encoder and the decoder of the exchange dialog.
#include "cli/Commands.h"

#include "cli/BinInput.h"
#include "cli/RecordingConversion.h"

#include "shell/CommonServices.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/BinRecording.h"

using namespace cli;

namespace {

namespace {
const char* const bin2wavUsage =
    "Aufruf: bv7 bin2wav EIN.BIN [-o AUS.wav] [--name NAME] [--aa HEX] [--sa HEX] [--force]\n"
    "Schreibt die BIN-Datei als BV7-Kassettensignal (44,1 kHz, 8 Bit mono) in eine WAV-Datei.\n"
    "Programmname und Adressen kommen aus dem Dateinamen \"Programmname_AA_EA_SA.BIN\";\n"
    "--name, --aa und --sa (4 HEX-Ziffern, groß) ersetzen sie.\n"
    "Ohne -o entsteht Programmname.wav neben der BIN-Datei, mit -o ORDNER dort;\n"
    "\"-o -\" schreibt auf die Standardausgabe, \"-\" als EIN.BIN liest die\n"
    "Standardeingabe. Eine vorhandene Datei bleibt erhalten, außer mit --force.\n";

const char* const wav2binUsage =
    "Aufruf: bv7 wav2bin EIN.wav [-o AUS.BIN] [--keep-faulty] [--repair] [--all] [--exact] [--force]\n"
    "                    [--labels MARKEN.txt]\n"
    "       bv7 wav2bin --merge EIN.wav [WEITERE.wav ...] [--keep-faulty] [--repair] [--exact] [--force]\n"
    "                    [--labels MARKEN.txt]\n"
    "Liest eine BV7-Aufnahme und schreibt das Programm als BIN-Datei\n"
    "\"Programmname_AA_EA_SA.BIN\" neben die WAV-Datei (oder nach -o; nennt -o einen\n"
    "Ordner, kommen die Programme dorthin, auch mit --all und --merge).\n"
    "Die Aufnahme darf auch FLAC, Ogg Vorbis, AIFF oder W64 sein; \"-\" liest sie von der\n"
    "Standardeingabe (das Programm landet dann im aktuellen Verzeichnis), \"-o -\"\n"
    "schreibt es auf die Standardausgabe. Verschiedene Programme gleichen Namens in\n"
    "einem Lauf bekommen \"-2\", \"-3\" ... hinter der SA (\"Programmname_AA_EA_SA-2.BIN\");\n"
    "gleiche Kopien eines Programms werden einmal gespeichert.\n"
    "Wo der genaue Leser scheitert, liest ein zweiter mit Störfilter (Rauschen, Brumm,\n"
    "dumpfe Höhen, Pegeleinbrüche, Gleichlauf); der Bericht sagt es dann. Zu einer\n"
    "Aufnahme, die nicht ganz gelesen wurde, sagt er auch, was beim Aufnehmen auffiel\n"
    "(wie bv7 check).\n"
    "  --keep-faulty  auch bei Prüfsummenfehlern schreiben (mit Warnung), mit den\n"
    "                 besten Blöcken beider Leser\n"
    "  --repair       Blöcke mit Prüfsummenfehler reparieren, wo ein oder zwei ihrer\n"
    "                 schwächsten Bits umgedreht die Prüfsumme stimmen lassen; das\n"
    "                 Programm wird gespeichert, aber als \"repariert, unsicher\"\n"
    "                 gemeldet (mit --merge erst, was keine Kopie gut las)\n"
    "  --all          alle Aufnahmen der Datei nacheinander, jede unter eigenem Namen;\n"
    "                 hinter einer unlesbaren geht die Suche weiter\n"
    "  --merge        alle Aufnahmen aller Dateien lesen und Kopien eines Programms\n"
    "                 (gleicher Name, gleiche Adressen und Blockzahl) blockweise\n"
    "                 zusammensetzen; weicht ein Block mit Prüfsummenfehler weit\n"
    "                 vom gut gelesenen ab, sind es verschiedene Programme\n"
    "  --exact        nur der genaue Leser, ohne Störfilter\n"
    "  --force        Dateien überschreiben, die vor dem Lauf schon da waren\n"
    "  --labels DATEI Textmarken für Audacity: je Aufnahme, je Block und wo das\n"
    "                 Lesen abbrach (wie bv7 list); mit --merge und mehreren Aufnahmen\n"
    "                 je Aufnahme eine Datei: MARKEN-1.txt, MARKEN-2.txt ...\n";
// A hex address option; false after the message "Eingabe HEX-Adresse fehlerhaft.".
bool addressOption(const Arguments& arguments, const char* option, std::uint16_t& address) {
    const std::string* text = arguments.value(option);
    if (!text) return true;
    int value = parseHexAddress(*text);
    if (value < 0) {
        showStringError(str::badHexAddress);
        return false;
    }
    address = static_cast<std::uint16_t>(value);
    return true;
}


}
// The header of the record: `header` holds what the BIN file's name gave
// (`named`), replaced by --name, --aa and --sa (all three needed without a
// name of the scheme). False when the command ends here, `code` then set.
bool applyHeaderOptions(const Arguments& arguments, bool named, TapeHeader& header, CommandIo& io, int& code) {
    code = exitUsage;
    if (!named && (!arguments.value("--name") || !arguments.value("--aa") || !arguments.value("--sa"))) {
        usageError(io,
                   "Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben.\n"
                   "Du musst jetzt noch Programmname sowie Adressen anpassen (--name, --aa, --sa).",
                   "");
        return false;
    }
    header.name = fromTerminal(arguments.value("--name") ? *arguments.value("--name") : header.name);
    if (!addressOption(arguments, "--aa", header.aa) || !addressOption(arguments, "--sa", header.sa)) return false;
    // A cut name is written all the same: a warning, not an error.
    printWarnings(normaliseProgramName(header.name), io.err);
    return true;
}
}

int bin2wavCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {"-o", "--name", "--aa", "--sa"}, {"--force", "--help"}, bin2wavUsage, arguments, io,
                          code))
        return code;
    if (arguments.positionals().size() != 1) return usageError(io, "Genau eine BIN-Datei angeben.", bin2wavUsage);
    const std::string& input = arguments.positionals()[0];
    TapeHeader fromName;
    const bool named = parseBinFileName(input, fromName);
    TapeHeader header = named ? fromName : TapeHeader{};
    if (!applyHeaderOptions(arguments, named, header, io, code)) return code;

    // -o naming a folder: the WAV goes there under its own name.
    const std::string* given = arguments.value("-o");
    const std::string folder = given ? folderNamed(*given) : directoryOf(input);
    std::string output = given && folder.empty() ? *given : folder + toTerminal(wavNameFor(header.name));
    bool force = arguments.has("--force");
    if (!mayWrite(output, force, io.err)) return exitFailed;
    std::vector<std::uint8_t> image, file;
    if (!readBinImage(input, header.aa, image, io.err)) return exitFailed;
    // With --aa the name's addresses are replaced, its EA with them.
    if (named && !arguments.value("--aa")) warnOfNamedEa(fromName, image.size(), input, io.err);
    if (!recordWavBytes(image, header, file, io.err)) return exitFailed;
    if (!writeNewFile(output, file.data(), file.size(), force, io.err)) return exitFailed;
    // On standard output the WAV goes alone; what happened goes to the error stream.
    (isStandardStream(output) ? io.err : io.out) << "WAV-Daten erfolgreich geschrieben: " << output << "\n";
    return exitOk;
}

namespace {
// The options of wav2bin; false with `problem` set for a combination that
// cannot be.
bool wav2binOptions(const Arguments& arguments, ConversionOptions& options, std::string& problem) {
    options.exact = arguments.has("--exact");
    options.keepFaulty = arguments.has("--keep-faulty");
    options.repair = arguments.has("--repair");
    options.force = arguments.has("--force");
    options.all = arguments.has("--all");
    options.merge = arguments.has("--merge");
    options.output = arguments.value("-o");
    takeOutputFolder(options);
    options.labels = arguments.value("--labels");
    const std::size_t inputs = arguments.positionals().size();
    const bool labelsStandard = options.labels && isStandardStream(*options.labels);
    if (options.merge) {
        if (options.output) problem = "-o geht nicht mit --merge: jedes Programm bekommt seinen eigenen Namen; -o ORDNER legt sie dort ab.";
        else if (inputs == 0) problem = "Mindestens eine WAV-Datei angeben.";
        else if (labelsStandard && inputs > 1) problem = "--labels - geht mit --merge nur bei einer Aufnahme.";
    } else if (inputs != 1) {
        problem = "Genau eine WAV-Datei angeben.";
    } else if (options.all && options.output) {
        problem = "-o geht nicht mit --all: jede Aufnahme bekommt ihren eigenen Namen; -o ORDNER legt sie dort ab.";
    } else if (labelsStandard && options.output && isStandardStream(*options.output)) {
        problem = "-o - und --labels - gehen nicht zusammen.";
    }
    return problem.empty();
}
}

int wav2binCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {"-o", "--labels"}, {"--keep-faulty", "--repair", "--all", "--exact", "--force", "--help", "--merge"},
                          wav2binUsage, arguments, io, code))
        return code;
    ConversionOptions options;
    std::string problem;
    if (!wav2binOptions(arguments, options, problem)) return usageError(io, problem, wav2binUsage);
    return convertRecordings(arguments.positionals(), options, io);
}
