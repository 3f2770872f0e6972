// bv7 list: one line per record of a recording, where it starts and how it
// reads, so that the user knows where a tape fails and how to record it again.
#include "cli/Commands.h"

#include "cli/LabelFile.h"
#include "cli/RecordSaving.h"
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
    "Vollaussteuerung und Rauschabstand des Vorspanntons in dB.\n"
    "  --labels DATEI  Textmarken für Audacity schreiben: je Aufnahme, je Block und\n"
    "                  wo das Lesen abbrach (Datei > Importieren > Textmarken)\n"
    "  --exact         nur der genaue Leser, ohne Störfilter\n"
    "  --force         eine vorhandene Markendatei überschreiben\n";
}

int listCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    std::string problem;
    if (!arguments.parse(args, {"--labels"}, {"--exact", "--force", "--help"}, problem)) {
        io.err << problem << "\n" << listUsage;
        return exitUsage;
    }
    if (arguments.has("--help")) {
        io.out << listUsage;
        return exitOk;
    }
    if (arguments.positionals().size() != 1) {
        io.err << "Genau eine WAV-Datei angeben.\n" << listUsage;
        return exitUsage;
    }
    const std::string& input = arguments.positionals()[0];
    // With the labels on standard output, the list goes to the error stream.
    const std::string* labels = arguments.value("--labels");
    std::ostream& out = labels && isStandardStream(*labels) ? io.err : io.out;
    const bool force = arguments.has("--force");
    if (labels && !mayWrite(*labels, force, io.err)) return exitFailed;

    RecordingInput recording;
    if (!readRecording(input, recording, io.err)) return exitFailed;
    const WavSamples& wav = recording.wav;
    const DecoderSettings& settings = recording.settings;
    ReadingChoice choice;
    choice.exact = arguments.has("--exact");

    const std::vector<DecodedRecord> records = readEveryRecord(wav.samples, settings, wav.rate, choice);
    const bool found = !records.empty() && foundRecord(records.front());
    if (found) {
        const std::vector<std::size_t> starts = recordStarts(records, wav.rate);
        out << listHeading() << "\n";
        for (std::size_t i = 0; i < records.size(); ++i) {
            const SignalFigures figures = measureSignal(wav.samples, records[i], starts[i], wav.rate);
            out << listLine(records[i], starts[i], wav.rate, figures, toTerminal) << "\n";
        }
    } else {
        DecodedRecord none;
        reportUnread(records.empty() ? none : records.front(), input, wav.rate, io.err);
    }
    if (labels && !writeLabelFile(*labels, records, wav.rate, force, io.err)) return exitFailed;
    return found ? exitOk : exitFailed;
}
