// bv7 check: what the recording chain did to a recording and to each of its
// records, and what to change, one line each.
#include "cli/Commands.h"

#include "cli/FindingsReport.h"
#include "cli/RecordingInput.h"
#include "cli/TextConversion.h"
#include "tape/ReadingReport.h"

using namespace cli;

namespace {
const char* const checkUsage =
    "Aufruf: bv7 check AUFNAHME.wav [--exact]\n"
    "Prüft, was beim Aufnehmen schiefging, je Aufnahme der Datei und für die ganze\n"
    "Aufnahme: Pegel, Übersteuerung, Pegelautomatik, Rauschunterdrückung,\n"
    "Bandbegrenzung oder verlustbehaftetes Format, Abtastrate, Kanäle,\n"
    "Bandgeschwindigkeit, Gleichlauf, Netzbrumm, Polarität, Nullpunktverschiebung und\n"
    "Aussetzer, je mit Messwert und was zu ändern ist.\n"
    "\"Hinweis:\" stört das Lesen nicht, \"Warnung:\" schon. Eine Aufnahme, die nicht ganz\n"
    "gelesen wurde, nennt zuerst ihren Fehler; dann ist der Rückgabewert 1.\n"
    "  --exact  nur der genaue Leser, ohne Störfilter\n";
}

int checkCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {}, {"--exact", "--help"}, checkUsage, arguments, io, code)) return code;
    if (arguments.positionals().size() != 1) return usageError(io, "Genau eine WAV-Datei angeben.", checkUsage);
    const std::string& input = arguments.positionals()[0];
    ReadingOptions reading = settingsReadingOptions(arguments.has("--exact"));
    reading.everyRecord = true;
    reading.findings = FindingsWanted::OfEveryRecord;
    SideReading side;
    if (!readRecordingSide(input, reading, side, io.err)) return exitFailed;
    if (!side.found()) {
        io.err << messageLine(side.messages.front()) << "\n";
        printFindings(side.whole, "", io.err);   // perhaps why none was found
        return exitFailed;
    }
    // A record not read whole and surely is never passed over as clean: its
    // fault is named, and the check fails.
    bool allWhole = true;
    for (const ReadRecord& record : side.records) {
        for (const std::string& line : checkLines(side, record, toTerminal)) io.out << line << "\n";
        allWhole = allWhole && record.sure;
    }
    if (!side.whole.empty()) io.out << wholeRecordingHeading << "\n";
    printFindings(side.whole, "  ", io.out);
    return allWhole ? exitOk : exitFailed;
}
