// bv7 bin2wav and bv7 wav2bin: the encoder and the decoder of the exchange dialog.
#include "cli/Commands.h"

#include "cli/LabelFile.h"
#include "cli/RecordSaving.h"
#include "cli/RecordingInput.h"

#include "shell/CommonServices.h"
#include "shell/GlobalSettings.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/AudioFormat.h"
#include "tape/BinFileName.h"
#include "tape/CopyMerge.h"
#include "tape/Decoder.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeScan.h"
#include "tape/WavFile.h"

using namespace cli;

namespace {
const char* const bin2wavUsage =
    "Aufruf: bv7 bin2wav EIN.BIN [-o AUS.wav] [--name NAME] [--aa HEX] [--sa HEX] [--force]\n"
    "Schreibt die BIN-Datei als BV7-Kassettensignal (44,1 kHz, 8 Bit mono) in eine WAV-Datei.\n"
    "Programmname und Adressen kommen aus dem Dateinamen \"Programmname_AA_EA_SA.BIN\";\n"
    "--name, --aa und --sa (4 HEX-Ziffern, groß) ersetzen sie.\n"
    "Ohne -o entsteht Programmname.wav neben der BIN-Datei; \"-o -\" schreibt auf die\n"
    "Standardausgabe, \"-\" als EIN.BIN liest die Standardeingabe. Eine vorhandene\n"
    "Datei bleibt erhalten, außer mit --force.\n";

const char* const wav2binUsage =
    "Aufruf: bv7 wav2bin EIN.wav [-o AUS.BIN] [--keep-faulty] [--all] [--exact] [--force]\n"
    "                    [--labels MARKEN.txt]\n"
    "       bv7 wav2bin --merge EIN.wav [WEITERE.wav ...] [--keep-faulty] [--exact] [--force]\n"
    "                    [--labels MARKEN.txt]\n"
    "Liest eine BV7-Aufnahme und schreibt das Programm als BIN-Datei\n"
    "\"Programmname_AA_EA_SA.BIN\" neben die WAV-Datei (oder nach -o).\n"
    "Die Aufnahme darf auch FLAC, Ogg Vorbis, AIFF oder W64 sein; \"-\" liest sie von der\n"
    "Standardeingabe (das Programm landet dann im aktuellen Verzeichnis), \"-o -\"\n"
    "schreibt es auf die Standardausgabe. Verschiedene Programme gleichen Namens in\n"
    "einem Lauf bekommen \"-2\", \"-3\" ... hinter der SA (\"Programmname_AA_EA_SA-2.BIN\");\n"
    "gleiche Kopien eines Programms werden einmal gespeichert.\n"
    "Wo der genaue Leser scheitert, liest ein zweiter mit Störfilter (Rauschen, Brumm,\n"
    "dumpfe Höhen, Pegeleinbrüche, Gleichlauf); der Bericht sagt es dann.\n"
    "  --keep-faulty  auch bei Prüfsummenfehlern schreiben (mit Warnung), mit den\n"
    "                 besten Blöcken beider Leser\n"
    "  --all          alle Aufnahmen der Datei nacheinander, jede unter eigenem Namen;\n"
    "                 hinter einer unlesbaren geht die Suche weiter\n"
    "  --merge        alle Aufnahmen aller Dateien lesen und Kopien eines Programms\n"
    "                 (gleicher Name, gleiche Adressen und Blockzahl) blockweise\n"
    "                 zusammensetzen\n"
    "  --exact        nur der genaue Leser, ohne Störfilter\n"
    "  --force        Dateien überschreiben, die vor dem Lauf schon da waren\n"
    "  --labels DATEI Textmarken für Audacity: je Aufnahme, je Block und wo das\n"
    "                 Lesen abbrach (wie bv7 list); mit --merge und mehreren Aufnahmen\n"
    "                 je Aufnahme eine Datei: MARKEN-1.txt, MARKEN-2.txt ...\n";

int usageError(CommandIo& io, const std::string& problem, const char* usage) {
    if (!problem.empty()) io.err << problem << "\n";
    io.err << usage;
    return exitUsage;
}

// A hex address option; false after the message "Eingabe HEX-Adresse fehlerhaft.".
bool addressOption(const Arguments& arguments, const char* option, std::uint16_t& address) {
    const std::string* text = arguments.value(option);
    if (!text) return true;
    int value = parseHexAddress(*text, true);
    if (value < 0) return false;
    address = static_cast<std::uint16_t>(value);
    return true;
}

std::string wavNameFor(const std::string& name) {
    std::string file = name.empty() ? std::string("proggi") : toTerminal(name);
    sanitiseFileName(file);
    return file + ".wav";
}

// The EA of a file name "Name_AA_EA_SA.BIN" that its length contradicts.
// The tape carries no EA, the receiver counts the bytes: the file's length
// decides, and the user is told.
void warnOfNamedEa(const TapeHeader& named, std::size_t size, const std::string& input, std::ostream& err) {
    const std::uint64_t ea = std::uint64_t{named.aa} + size - 1;
    if (ea == named.ea) return;
    err << "Warnung: Der Dateiname nennt EA " << formatHex4(named.ea) << ", die Datei (" << size << " Bytes ab AA "
        << formatHex4(named.aa) << ") endet aber bei EA " << formatHex4(static_cast<std::uint32_t>(ea))
        << "; die Aufnahme hat EA " << formatHex4(static_cast<std::uint32_t>(ea)) << ". (" << input << ")\n";
}

}

int bin2wavCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    std::string problem;
    if (!arguments.parse(args, {"-o", "--name", "--aa", "--sa"}, {"--force", "--help"}, problem))
        return usageError(io, problem, bin2wavUsage);
    if (arguments.has("--help")) {
        io.out << bin2wavUsage;
        return exitOk;
    }
    if (arguments.positionals().size() != 1) return usageError(io, "Genau eine BIN-Datei angeben.", bin2wavUsage);
    const std::string& input = arguments.positionals()[0];

    TapeHeader header;
    bool named = parseBinFileName(input, header);
    if (!named) {
        if (!arguments.value("--name") || !arguments.value("--aa") || !arguments.value("--sa"))
            return usageError(io,
                              "Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben.\n"
                              "Du musst jetzt noch Programmname sowie Adressen anpassen (--name, --aa, --sa).",
                              "");
        header = TapeHeader{};
    }
    const TapeHeader fromName = header;
    header.name = fromTerminal(arguments.value("--name") ? *arguments.value("--name") : header.name);
    if (!addressOption(arguments, "--aa", header.aa) || !addressOption(arguments, "--sa", header.sa))
        return exitUsage;
    {
        // A cut name is written all the same: a warning, not an error.
        WarningInterface warnings(io.err);
        normaliseProgramName(header.name);
    }

    std::string output = arguments.value("-o") ? *arguments.value("-o") : directoryOf(input) + wavNameFor(header.name);
    bool force = arguments.has("--force");
    if (!mayWrite(output, force, io.err)) return exitFailed;
    std::vector<std::uint8_t> image;
    if (!readInput(input, image, loadString(str::cannotOpenBinary), io.err)) return exitFailed;
    if (image.empty()) {
        // Its tape would hold no data block, and no reader could take it back.
        io.err << "Fehler: Die BIN-Datei ist leer, daraus entsteht keine lesbare Aufnahme. (" << input << ")\n";
        return exitFailed;
    }
    if (!fitsAddressSpace(image, header.aa, input, io.err)) return exitFailed;
    // With --aa the name's addresses are replaced, its EA with them.
    if (named && !arguments.value("--aa")) warnOfNamedEa(fromName, image.size(), input, io.err);

    selectSampleRate(44100);
    std::vector<std::uint8_t> samples = encodeRecordSamples(image, header, currentHalfCellSamples());
    if (samples.size() > maxWavSampleCount) {
        io.err << "WAV-Daten konnten nicht berechnet werden\n";
        return exitFailed;
    }
    std::vector<std::uint8_t> file =
        makeWavFileBytes(currentAudioFormat(), samples.data(), static_cast<std::uint32_t>(samples.size()));
    if (!writeNewFile(output, file.data(), file.size(), force, io.err)) return exitFailed;
    // On standard output the WAV goes alone; what happened goes to the error stream.
    (isStandardStream(output) ? io.err : io.out) << "WAV-Daten erfolgreich geschrieben: " << output << "\n";
    return exitOk;
}

namespace {
// "Block 3" or "Blöcke 1-3".
std::string blockRange(int first, int last) {
    return first == last ? "Block " + std::to_string(first)
                         : "Blöcke " + std::to_string(first) + "-" + std::to_string(last);
}

// Which copy each block came from, a line for each run of blocks from the same.
void printBlockSources(const MergedProgram& program, std::ostream& out) {
    const std::vector<int>& sources = program.blockSources;
    for (std::size_t first = 0, last = 0; first < sources.size(); first = last) {
        while (last < sources.size() && sources[last] == sources[first]) ++last;
        out << blockRange(static_cast<int>(first) + 1, static_cast<int>(last)) << ":\t";
        if (sources[first] == combinedCopies) out << "bitweise aus den Kopien zusammengesetzt\n";
        else if (sources[first] == noGoodCopy) out << "in keiner Kopie gut gelesen\n";
        else out << "aus Kopie " << sources[first] << "\n";
    }
}

// The label file of the `index`-th of `count` recordings: `path` itself for
// one, else "-1", "-2" ... before its extension (MARKEN-2.txt).
std::string labelPathFor(const std::string& path, std::size_t index, std::size_t count) {
    if (count == 1 || isStandardStream(path)) return path;
    std::size_t slash = path.find_last_of("/\\"), dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
    return path.substr(0, dot) + "-" + std::to_string(index + 1) + path.substr(dot);
}

// wav2bin --merge: every record of every recording; the copies of a program
// put together, and each program saved under its own name.
int mergeRecordings(const Arguments& arguments, CommandIo& io) {
    ReadingChoice choice;
    choice.exact = arguments.has("--exact");
    choice.keepBestBlocks = true;   // a copy brings every block it read good
    SavingChoice saving;
    saving.keepFaulty = arguments.has("--keep-faulty");
    saving.force = arguments.has("--force");
    saving.merged = true;

    const std::vector<std::string>& inputs = arguments.positionals();
    const std::string* labels = arguments.value("--labels");
    if (labels && isStandardStream(*labels) && inputs.size() > 1)
        return usageError(io, "--labels - geht mit --merge nur bei einer Aufnahme.", wav2binUsage);
    if (labels)
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (!mayWrite(labelPathFor(*labels, i, inputs.size()), arguments.has("--force"), io.err)) return exitFailed;
    // With the labels on standard output, the report goes to the error stream.
    CommandIo reportIo{labels && isStandardStream(*labels) ? io.err : io.out, io.err};
    std::vector<DecodedRecord> readings;
    std::vector<std::string> origins, directories;
    int failures = 0, found = 0;
    for (std::size_t inputIndex = 0; inputIndex < inputs.size(); ++inputIndex) {
        const std::string& input = inputs[inputIndex];
        RecordingInput recording;
        if (!readRecording(input, recording, io.err)) {
            ++failures;
            continue;
        }
        const WavSamples& wav = recording.wav;
        int number = 0;
        std::vector<DecodedRecord> records = readEveryRecord(wav.samples, recording.settings, wav.rate, choice);
        if (labels) {
            const std::string path = labelPathFor(*labels, inputIndex, inputs.size());
            if (!writeLabelFile(path, records, wav.rate, arguments.has("--force"), io.err)) ++failures;
            else if (inputs.size() > 1) reportIo.out << "Textmarken zu " << input << ": " << path << "\n";
        }
        for (DecodedRecord& record : records) {
            std::string origin = (inputs.size() > 1 ? input + ", " : std::string()) + "Aufnahme " + std::to_string(++number);
            if (foundRecord(record)) ++found;
            if (record.status != DecodeStatus::Ok) {
                reportIo.out << origin << ":\n";
                reportUnread(record, input, wav.rate, io.err);
                ++failures;
                continue;
            }
            readings.push_back(std::move(record));
            origins.push_back(origin);
            directories.push_back(directoryOf(input));
        }
    }

    std::vector<MergedProgram> programs = mergeCopies(readings);
    RunSaving saved(saving, reportIo);
    int number = 0;
    for (const MergedProgram& program : programs) {
        reportIo.out << "\nProgramm " << ++number << ": " << program.copies.size()
               << (program.copies.size() == 1 ? " Kopie (" : " Kopien (");
        for (std::size_t i = 0; i < program.copies.size(); ++i)
            reportIo.out << (i > 0 ? "; " : "") << origins[program.copies[i]];
        reportIo.out << ")\n";
        printRecord(program.record, reportIo);
        printBlockSources(program, reportIo.out);
        std::string target = directories[program.copies.front()] + binNameFor(program.record.header);
        if (!saved.save(program.record, target, "Programm " + std::to_string(number))) ++failures;
    }
    reportIo.out << "\n";
    // Every reading beyond the first of its program was a copy.
    const int copies = static_cast<int>(readings.size() - programs.size()) + saved.copies();
    printSummary(reportIo.out, found, static_cast<int>(readings.size()), saved.written(), saved.notSaved(), copies);
    return failures > 0 ? exitFailed : exitOk;
}
}

int wav2binCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    std::string problem;
    if (!arguments.parse(args, {"-o", "--labels"}, {"--keep-faulty", "--all", "--exact", "--force", "--help", "--merge"}, problem))
        return usageError(io, problem, wav2binUsage);
    if (arguments.has("--help")) {
        io.out << wav2binUsage;
        return exitOk;
    }
    if (arguments.has("--merge")) {
        if (arguments.value("-o"))
            return usageError(io, "-o geht nicht mit --merge: jedes Programm bekommt seinen eigenen Namen.", wav2binUsage);
        if (arguments.positionals().empty()) return usageError(io, "Mindestens eine WAV-Datei angeben.", wav2binUsage);
        return mergeRecordings(arguments, io);
    }
    if (arguments.positionals().size() != 1) return usageError(io, "Genau eine WAV-Datei angeben.", wav2binUsage);
    const bool all = arguments.has("--all");
    if (all && arguments.value("-o"))
        return usageError(io, "-o geht nicht mit --all: jede Aufnahme bekommt ihren eigenen Namen.", wav2binUsage);
    const std::string& input = arguments.positionals()[0];
    // With the program or the labels on standard output, the report goes to the error stream.
    const std::string* output = arguments.value("-o");
    const std::string* labels = arguments.value("--labels");
    const bool outputStandard = output && isStandardStream(*output);
    const bool labelsStandard = labels && isStandardStream(*labels);
    if (outputStandard && labelsStandard)
        return usageError(io, "-o - und --labels - gehen nicht zusammen.", wav2binUsage);
    CommandIo reportIo{outputStandard || labelsStandard ? io.err : io.out, io.err};
    if (labels && !mayWrite(*labels, arguments.has("--force"), io.err)) return exitFailed;

    RecordingInput recording;
    if (!readRecording(input, recording, io.err)) return exitFailed;
    const WavSamples& wav = recording.wav;
    const DecoderSettings& settings = recording.settings;
    ReadingChoice choice;
    choice.exact = arguments.has("--exact");
    choice.keepBestBlocks = arguments.has("--keep-faulty");

    std::vector<DecodedRecord> records;
    if (all) records = readEveryRecord(wav.samples, settings, wav.rate, choice);
    else records.push_back(decodeRecordEitherWay(wav.samples, settings, wav.rate, 0, nullptr, choice));
    const bool labelsWritten = !labels || writeLabelFile(*labels, records, wav.rate, arguments.has("--force"), io.err);
    SavingChoice saving;
    saving.keepFaulty = arguments.has("--keep-faulty");
    saving.force = arguments.has("--force");
    saving.all = all;
    saving.output = output;
    saving.recording = input;
    saving.rate = wav.rate;
    const int code = saveRecords(records, directoryOf(input), saving, reportIo);
    return code != exitOk || !labelsWritten ? exitFailed : exitOk;
}
