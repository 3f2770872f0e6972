// bv7 check: what the recording chain did to each record of a recording (level,
// clipping, offset, speed, wow, hum, polarity) and what to change, one line each.
#include "cli/Commands.h"

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
    "Prüft je Aufnahme der Datei am Vorspannton, was beim Aufnehmen schiefging:\n"
    "Pegel zu niedrig, Übersteuerung, Nullpunktverschiebung, Bandgeschwindigkeit,\n"
    "Gleichlauf, Netzbrumm und umgekehrte Polarität, je mit Messwert und was zu\n"
    "ändern ist.\n"
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
    if (!findRecords(recording, input, arguments.has("--exact"), records, io.err)) return exitFailed;
    const std::vector<std::size_t> starts = recordStarts(records, wav.rate);
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string name = records[i].nameRead ? toTerminal(shownName(records[i].header.name)) : "?";
        name.erase(name.find_last_not_of(' ') + 1);   // the name's padding
        io.out << tapeTime(starts[i], wav.rate) << "  " << name << "\n";
        const std::vector<Finding> findings = diagnoseRecord(wav.samples, wav.rate, records[i], starts[i]);
        if (findings.empty()) io.out << "  keine Auffälligkeiten\n";
        for (const Finding& finding : findings) io.out << "  " << findingLine(finding) << "\n";
    }
    return exitOk;
}
