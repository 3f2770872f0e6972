// bv7 check: what the recording chain did to a recording and to each of its
// records, and what to change, one line each.
#include "cli/Commands.h"

#include "cli/FindingsReport.h"
#include "cli/RecordSaving.h"
#include "cli/RecordingConversion.h"
#include "cli/RecordingInput.h"
#include "cli/TextConversion.h"
#include "tape/ReaderFallback.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeListing.h"

using namespace cli;

namespace {
const char* const checkUsage =
    "Aufruf: bv7 check AUFNAHME.wav [--exact]\n"
    "Prüft, was beim Aufnehmen schiefging, je Aufnahme der Datei und für die ganze\n"
    "Aufnahme: Pegel, Übersteuerung, Pegelautomatik, Rauschunterdrückung,\n"
    "Bandbegrenzung oder verlustbehaftetes Format, Abtastrate, Kanäle,\n"
    "Bandgeschwindigkeit, Gleichlauf, Netzbrumm, Polarität, Nullpunktverschiebung und\n"
    "Aussetzer, je mit Messwert und was zu ändern ist.\n"
    "\"Hinweis:\" stört das Lesen nicht, \"Warnung:\" schon.\n"
    "  --exact  nur der genaue Leser, ohne Störfilter\n";
}

int checkCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {}, {"--exact", "--help"}, checkUsage, arguments, io, code)) return code;
    if (arguments.positionals().size() != 1) return usageError(io, "Genau eine WAV-Datei angeben.", checkUsage);
    const std::string& input = arguments.positionals()[0];
    RecordingInput recording;
    if (!readRecording(input, recording, io.err)) return exitFailed;
    const WavSamples& wav = recording.wav;
    std::vector<DecodedRecord> records;
    const bool found = findRecords(recording, input, arguments.has("--exact"), records, io.err);
    const RecordingFindings findings = findingsOf(recording, records);
    if (!found) {
        printFindings(findings.whole, "", io.err);   // perhaps why none was found
        return exitFailed;
    }
    const std::vector<std::size_t> starts = recordStarts(records, wav.rate);
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string name = records[i].nameRead ? toTerminal(shownName(records[i].header.name)) : "?";
        name.erase(name.find_last_not_of(' ') + 1);   // the name's padding
        io.out << tapeTime(starts[i], wav.rate) << "  " << name << "\n";
        const std::vector<Finding>& own = findings.perRecord[i];
        if (own.empty()) io.out << "  keine Auffälligkeiten\n";
        printFindings(own, "  ", io.out);
    }
    if (!findings.whole.empty()) io.out << wholeRecordingHeading << "\n";
    printFindings(findings.whole, "  ", io.out);
    return exitOk;
}
