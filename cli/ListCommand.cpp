// bv7 list: one line per record of a recording, where it starts and how it
// reads, so that the user knows where a tape fails and how to record it again.
#include "cli/Commands.h"

#include "cli/FindingsReport.h"
#include "cli/LabelFile.h"
#include "cli/RecordingConversion.h"
#include "cli/RecordingInput.h"
#include "tape/ReadingReport.h"

using namespace cli;

namespace {
const char* const listUsage =
    "Aufruf: bv7 list AUFNAHME.wav [--labels MARKEN.txt] [--exact] [--repair] [--force]\n"
    "Zeigt jede Aufnahme der Datei in einer Zeile: Startzeit (m:ss.s), Name, AA, EA,\n"
    "SA, gute/alle Blöcke, Leser (genau oder Störfilter), Spitzenpegel in % der\n"
    "Vollaussteuerung und Rauschabstand des Vorspanntons in dB. Darunter, eingerückt,\n"
    "was beim Aufnehmen auffiel (wie bv7 check), am Ende das der ganzen Aufnahme.\n"
    "  --labels DATEI  Textmarken für Audacity schreiben: je Aufnahme, je Block und\n"
    "                  wo das Lesen abbrach, dazu Aussetzer und Pumpen als Bereiche\n"
    "                  (Datei > Importieren > Textmarken)\n"
    "  --exact         nur der genaue Leser, ohne Störfilter\n"
    "  --repair        Blöcke mit Prüfsummenfehler reparieren, wo ein oder zwei\n"
    "                  schwache Bits umgedreht die Prüfsumme stimmen lassen\n"
    "                  (\"repariert, unsicher\")\n"
    "  --force         eine vorhandene Markendatei überschreiben\n";
}

int listCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {"--labels"}, {"--exact", "--repair", "--force", "--help"}, listUsage, arguments, io, code))
        return code;
    if (arguments.positionals().size() != 1) return usageError(io, "Genau eine WAV-Datei angeben.", listUsage);
    const std::string& input = arguments.positionals()[0];
    ConversionOptions options;
    options.all = true;
    options.exact = arguments.has("--exact");
    options.force = arguments.has("--force");
    options.labels = arguments.value("--labels");
    // With the labels on standard output, the list goes to the error stream.
    std::ostream& out = reportIoFor(options, io).out;
    if (options.labels && !mayWrite(*options.labels, options.force, io.err)) return exitFailed;

    ReadingOptions reading = settingsReadingOptions(options.exact);
    reading.everyRecord = true;
    reading.measure = true;
    reading.repair = arguments.has("--repair");
    reading.findings = FindingsWanted::OfEveryRecord;
    SideReading side;
    if (!readRecordingSide(input, reading, side, io.err)) return exitFailed;
    const bool found = side.found();
    if (found) {
        out << listHeading() << "\n";
        for (const ReadRecord& record : side.records) {
            out << listLine(record.reading, record.start, side.rate, record.figures, toTerminal) << "\n";
            printFindings(record.findings, "  ", out);
        }
        if (!side.whole.empty()) out << wholeRecordingHeading << "\n";
        printFindings(side.whole, "  ", out);
    } else {
        io.err << messageLine(side.messages.front()) << "\n";
        printFindings(side.whole, "", io.err);   // perhaps why none was found
    }
    if (options.labels && !writeLabelFile(*options.labels, side, options.force, io.err)) return exitFailed;
    return found ? exitOk : exitFailed;
}
