// bv7 record: records from the sound server, watches the level and what the
// readers see while the tape plays, stops by itself once the program is in,
// keeps the recording as a WAV file and saves what the readers read as
// bv7 wav2bin saves it.
#include <ctime>

#include "cli/Commands.h"
#include "cli/FindingsReport.h"
#include "cli/PulseAudio.h"
#include "cli/RecordingConversion.h"
#include "cli/RecordingInput.h"
#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/StringTable.h"
#include "sound/SoundRules.h"
#include "tape/AudioFormat.h"
#include "tape/LiveReader.h"
#include "tape/ReadingReport.h"
#include "tape/WavFile.h"

using namespace cli;

namespace {
const char* const recordUsage =
    "Aufruf: bv7 record [-o DATEI.BIN] [--wav AUFNAHME.wav] [--device NAME] [--all] [--seconds N]\n"
    "                  [--keep-faulty] [--force]\n"
    "Nimmt vom Standard-Eingabegerät (44,1 kHz) auf, zeigt Pegel und Lesestand und hört\n"
    "von selbst auf, sobald ein Programm bis zu seinem Endbyte gelesen und der Ton zu\n"
    "Ende ist; ein Programm, das nicht bis dahin lesbar ist, wird übergangen und die\n"
    "Suche geht dahinter weiter. Die Aufnahme wird als WAV-Datei geschrieben (--wav,\n"
    "sonst aufnahme-JJJJ-MM-TT-hhmmss.wav im aktuellen Verzeichnis, nie überschrieben);\n"
    "das gelesene Programm wird wie mit bv7 wav2bin als\n"
    "\"Programmname_AA_EA_SA.BIN\" neben die WAV-Datei (oder nach -o) geschrieben.\n"
    "Strg-C beendet die Aufnahme; auch dann wird gespeichert, was gelesen ist.\n"
    "Am Ende steht zu jedem gelesenen oder übergangenen Programm, was beim Aufnehmen\n"
    "auffiel (wie bv7 check).\n"
    "  --device NAME  dieses Eingabegerät statt des Standardgeräts (bv7 devices)\n"
    "  --all          weiter bis Strg-C oder --seconds, alle Programme behalten\n"
    "  --seconds N    höchstens N Sekunden aufnehmen\n"
    "  --keep-faulty  auch bei Prüfsummenfehlern schreiben (mit Warnung)\n"
    "  --force        vorhandene BIN-Dateien überschreiben\n";

constexpr std::uint32_t recordRate = 44100;
constexpr std::size_t chunkSamples = recordRate / 10;   // what one read takes: a tenth of a second
constexpr int chunksPerUpdate = 5;                      // the readers look twice a second
// Below this level the line says "zu leise". Not the meter's red zone (up to
// 82 %): the encoder's own full signal shows 78 % there, and a perfect copy of
// it is no reason to turn up the gain. Below a fifth of full scale, a quarter
// of that signal, the exact reader's margin goes fast (in the bench it fails
// at 5 % of the encoder's level even without hiss), and real recorders bring
// hiss of their own.
constexpr int lowestGoodLevel = 20;

// "aufnahme-2026-12-08-214501.wav", with "-2", "-3" ... where that exists.
std::string newRecordingName() {
    std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", std::localtime(&now));
    std::string name = std::string("aufnahme-") + stamp + ".wav";
    for (int n = 2; fileExists(name); ++n) name = std::string("aufnahme-") + stamp + "-" + std::to_string(n) + ".wav";
    return name;
}

// The recording as it grows: the WAV header first, whose sizes are set again
// on every update and at the end, then the samples as they come.
class RecordingFile {
  public:
    bool create(const std::string& path) {
        format_ = AudioFormat{1, 1, recordRate, recordRate, 1, 8, 0};
        auto header = makeWavHeader(format_, 0);
        return file_.create(path) == WriteOutcome::Ok && file_.append(header.data(), header.size()) == WriteOutcome::Ok;
    }
    // Counts only what was written: after a failure the sizes say what the file holds.
    bool append(const std::uint8_t* samples, std::size_t count) {
        if (count > maxWavSampleCount - count_ || file_.append(samples, count) != WriteOutcome::Ok) return false;
        count_ += static_cast<std::uint32_t>(count);
        return true;
    }
    bool fixSizes() {
        auto header = makeWavHeader(format_, count_);
        return file_.writeAt(0, header.data(), header.size()) == WriteOutcome::Ok;
    }
    // The pad byte of an odd count, the final sizes, closed.
    bool finish() {
        std::uint8_t pad = 0;
        bool ok = (count_ % 2 == 0 || file_.append(&pad, 1) == WriteOutcome::Ok) && fixSizes();
        return file_.close() == WriteOutcome::Ok && ok;
    }
    std::uint32_t count() const { return count_; }

  private:
    GrowingFile file_;
    AudioFormat format_;
    std::uint32_t count_ = 0;
};

// Level, time and reading, as one line.
std::string statusLine(const std::uint8_t* newest, std::size_t count, std::uint64_t total, const LiveState& state,
                       int records, bool all) {
    int level = captureLevel(newest, count);
    bool clipped = false;
    for (std::size_t i = 0; i < count; ++i) clipped = clipped || newest[i] == 0 || newest[i] == 255;
    std::string line = "Pegel " + levelText(level);
    if (clipped) line += " (übersteuert)";
    else if (level > 0 && level < lowestGoodLevel) line += " (zu leise)";
    line += "  " + minutesText(std::uint64_t{total} * 1000 / recordRate) + "  " + toTerminal(liveStatusText(state));
    if (all && records > 0) line += "  (" + std::to_string(records) + " gelesen)";
    return line;
}

// What bv7 record is asked for.
struct RecordOptions {
    ConversionOptions conversion;    // how the records read are saved
    std::string wavPath;             // the recording's file
    const std::string* device = nullptr;
    std::uint64_t limitSamples = 0;  // --seconds (0: no limit)
};

// The options of bv7 record from `arguments`, which they point into; false
// after the usage error.
bool recordOptions(const Arguments& arguments, RecordOptions& options, CommandIo& io) {
    if (!arguments.positionals().empty()) {
        usageError(io, "bv7 record nimmt keine Dateien; die Aufnahme heißt nach --wav.", recordUsage);
        return false;
    }
    ConversionOptions& conversion = options.conversion;
    conversion.all = arguments.has("--all");
    conversion.output = arguments.value("-o");
    conversion.force = arguments.has("--force");
    conversion.keepFaulty = arguments.has("--keep-faulty");
    if (conversion.all && conversion.output) {
        usageError(io, "-o geht nicht mit --all: jede Aufnahme bekommt ihren eigenen Namen.", recordUsage);
        return false;
    }
    if (const std::string* text = arguments.value("--seconds")) {
        if (text->empty() || text->size() > 6 || text->find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(*text) == 0) {
            usageError(io, "--seconds braucht eine ganze Zahl größer als 0.", recordUsage);
            return false;
        }
        options.limitSamples = std::stoull(*text) * recordRate;
    }
    options.device = arguments.value("--device");
    return true;
}

// What the capture ended with.
struct CaptureEnd {
    bool failed = false;     // the sound server failed (`problem` says why)
    bool writing = true;     // the WAV file took every sample
    std::string problem;
};

// Reads from `stream` into `file` and `reader` a tenth of a second at a time,
// with the status line twice a second, until the program is in (without
// --all), Ctrl-C or --seconds. Once the WAV file takes no more, the readers go
// on alone: the program is still read and saved from what they hold.
CaptureEnd capture(pulse::Stream& stream, RecordingFile& file, LiveReader& reader, const RecordOptions& options,
                   const InterruptCatcher& interrupt, CommandIo& io) {
    const bool terminal = errorIsTerminal();
    const bool all = options.conversion.all;
    // The last half second, a tenth at a time, for the level.
    std::vector<std::uint8_t> newest(chunksPerUpdate * chunkSamples, 128);
    std::string shown;
    CaptureEnd end;
    auto writeFailed = [&] {
        end.writing = false;
        io.err << (terminal ? "\n" : "") << "Fehler: Die Aufnahme konnte nicht vollständig geschrieben werden: "
               << options.wavPath << " (Datenträger voll oder nicht beschreibbar); das Programm wird weiter mitgelesen.\n";
    };
    for (int chunk = 1;; ++chunk) {
        std::uint8_t* at = newest.data() + (chunk - 1) % chunksPerUpdate * chunkSamples;
        if (!stream.read(at, chunkSamples, end.problem)) {
            end.failed = true;
            break;
        }
        if (end.writing && !file.append(at, chunkSamples)) writeFailed();
        reader.append(at, chunkSamples);
        bool limitReached = options.limitSamples > 0 && reader.total() >= options.limitSamples;
        if (chunk % chunksPerUpdate != 0 && !interrupt.interrupted() && !limitReached) continue;
        if (end.writing && !file.fixSizes()) writeFailed();
        LiveState state = reader.update();
        bool stop = false;
        if (state.phase == LivePhase::Done && reader.soundEnded()) {
            if (all) reader.next();
            else stop = true;
        }
        std::string line = statusLine(newest.data(), newest.size(), reader.total(), state, state.records, all);
        if (terminal) {
            io.err << "\r" << line << "\033[K" << std::flush;
        } else {
            // Off a terminal (a log): one line whenever the reading changes.
            std::string reading = liveStatusText(state);
            if (reading != shown) io.err << line << "\n";
            shown = reading;
        }
        if (stop || interrupt.interrupted() || limitReached) break;
    }
    if (terminal) io.err << "\n";
    return end;
}

// The recording's file kept whole, or how much of the `total` samples it holds.
void reportWavFile(const std::string& wavPath, bool kept, std::uint64_t held, std::uint64_t total, CommandIo io) {
    const std::string length = minutesText(total * 1000 / recordRate);
    if (kept)
        io.out << "Aufnahme gespeichert: " << wavPath << " (" << length << ")\n";
    else
        io.err << "Fehler: Die Aufnahme konnte nicht vollständig geschrieben werden: " << wavPath << " (darin "
               << minutesText(held * 1000 / recordRate) << " von " << length << ")\n";
}
}

int recordCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {"-o", "--wav", "--device", "--seconds"}, {"--all", "--keep-faulty", "--force", "--help"},
                          recordUsage, arguments, io, code))
        return code;
    RecordOptions options;
    if (!recordOptions(arguments, options, io)) return exitUsage;
#ifndef BV7_HAVE_PULSE
    io.err << "Fehler: Diesen Befehl gibt es nur im bv7 für Linux (über den Tonserver).\n";
    return exitFailed;
#endif
    options.wavPath = arguments.value("--wav") ? *arguments.value("--wav") : newRecordingName();
    const std::string& wavPath = options.wavPath;
    if (isStandardStream(wavPath)) return usageError(io, "Die Aufnahme braucht eine Datei, nicht \"-\".", recordUsage);
    if (fileExists(wavPath)) {
        io.err << "Datei existiert schon: " << wavPath << " (eine Aufnahme überschreibt nichts)\n";
        return exitFailed;
    }
    // The program's file before the tape plays, not after a whole side.
    const ConversionOptions& conversion = options.conversion;
    if (conversion.output && !mayWrite(*conversion.output, conversion.force, io.err)) return exitFailed;
    // The sound server first: without it no empty WAV file is left behind.
    pulse::Stream stream;
    std::string problem;
    if (!stream.open(pulse::Stream::Direction::Record, pulse::StreamFormat{pulse::SampleFormat::U8, recordRate, 1},
                     options.device ? *options.device : std::string(), problem)) {
        io.err << problem << "\n";
        return exitFailed;
    }
    RecordingFile file;
    if (!file.create(wavPath)) {
        io.err << "Datei kann nicht angelegt werden: " << wavPath << "\n";
        return exitFailed;
    }

    InterruptCatcher interrupt;
    LiveReader reader(recordRate, decoderSettingsAt(recordRate, settingsReadingOptions(false).triggerLevel));
    const CaptureEnd end = capture(stream, file, reader, options, interrupt, io);
    stream.close();
    const bool kept = file.finish() && end.writing;
    if (end.failed) io.err << end.problem << "\n";
    if (interrupt.interrupted()) io.err << "Aufnahme mit Strg-C beendet.\n";
    reportWavFile(wavPath, kept, file.count(), reader.total(), reportIoFor(conversion, io));

    // What the readers read, reported and saved as bv7 wav2bin does, handed
    // over in memory, each record with the findings the reader kept beside it.
    // Without --all one record is saved: the one read, or else the last one
    // tried; the ones given up before it are named with their findings.
    SideReading side =
        liveSide(reader.endRecording(), reader.findings(), recordRate, conversion.all, conversion.keepFaulty, wavPath);
    for (const ReadRecord& record : side.givenUp)
        for (const std::string& line : givenUpLines(record, recordRate)) io.err << line << "\n";
    RecordingConversion converting(conversion, io);
    converting.add(wavPath, std::move(side));
    code = converting.finish();
    return end.failed || !kept ? exitFailed : code;
}
