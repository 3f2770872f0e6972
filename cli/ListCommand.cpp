// bv7 list: one line per record of a recording, where it starts and how it
// reads, so that the user knows where a tape fails and how to record it again.
#include "cli/Commands.h"

#include "cli/FindingsReport.h"
#include "cli/LabelFile.h"
#include "cli/RecordingConversion.h"
#include "cli/RecordingInput.h"
#include "shell/CommonServices.h"
#include "shell/GlobalSettings.h"
#include "shell/StringTable.h"
#include "tape/AudioFormat.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"
#include "tape/WavFile.h"

using namespace cli;

namespace {
const char* const listUsage =
    "Aufruf: bv7 list AUFNAHME.wav [--labels MARKEN.txt] [--exact] [--force]\n"
    "Zeigt jede Aufnahme der Datei in einer Zeile: Startzeit (m:ss.s), Name, AA, EA,\n"
    "SA, gute/alle Blöcke, Leser (genau oder Störfilter), Spitzenpegel in % der\n"
    "Vollaussteuerung und Rauschabstand des Vorspanntons in dB. Darunter, eingerückt,\n"
    "was beim Aufnehmen auffiel (wie bv7 check), am Ende das der ganzen Aufnahme.\n"
    "  --labels DATEI  Textmarken für Audacity schreiben: je Aufnahme, je Block und\n"
    "                  wo das Lesen abbrach, dazu Aussetzer und Pumpen als Bereiche\n"
    "                  (Datei > Importieren > Textmarken)\n"
    "  --exact         nur der genaue Leser, ohne Störfilter\n"
    "  --force         eine vorhandene Markendatei überschreiben\n";
}

int listCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {"--labels"}, {"--exact", "--force", "--help"}, listUsage, arguments, io, code))
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

    RecordingInput recording;
    if (!readRecording(input, recording, io.err)) return exitFailed;
    const WavSamples& wav = recording.wav;
    std::vector<DecodedRecord> records;
    const bool found = findRecords(recording, input, options.exact, records, io.err);
    const RecordingFindings findings = findingsOf(recording, records);
    if (found) {
        const std::vector<std::size_t> starts = recordStarts(records, wav.rate);
        out << listHeading() << "\n";
        for (std::size_t i = 0; i < records.size(); ++i) {
            const SignalFigures figures = measureSignal(wav.samples, records[i], starts[i], wav.rate);
            out << listLine(records[i], starts[i], wav.rate, figures, toTerminal) << "\n";
            if (i < findings.perRecord.size()) printFindings(findings.perRecord[i], "  ", out);
        }
        if (!findings.whole.empty()) out << wholeRecordingHeading << "\n";
        printFindings(findings.whole, "  ", out);
    } else {
        printFindings(findings.whole, "", io.err);   // perhaps why none was found
    }
    if (options.labels && !writeLabelFile(*options.labels, records, wav.rate, findings, options.force, io.err))
        return exitFailed;
    return found ? exitOk : exitFailed;
}
