// bv7 record: records from the sound server, watches the level and what the
// readers see while the tape plays, stops by itself once the program is in,
// keeps the recording as a WAV file and reads it as bv7 wav2bin does.
#include <algorithm>
#include <ctime>

#include "cli/Commands.h"
#include "cli/PulseAudio.h"
#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/GlobalSettings.h"
#include "sound/SoundRules.h"
#include "tape/AudioFormat.h"
#include "tape/LiveReader.h"
#include "tape/WavFile.h"

using namespace cli;

namespace {
const char* const recordUsage =
    "Aufruf: bv7 record [-o DATEI.BIN] [--wav AUFNAHME.wav] [--device NAME] [--all] [--seconds N] [--force]\n"
    "Nimmt vom Standard-Eingabegerät (44,1 kHz) auf, zeigt Pegel und Lesestand und hört\n"
    "von selbst auf, sobald ein Programm bis zu seinem Endbyte gelesen und der Ton zu\n"
    "Ende ist. Die Aufnahme bleibt immer als WAV-Datei erhalten (--wav, sonst\n"
    "aufnahme-JJJJ-MM-TT-hhmmss.wav im aktuellen Verzeichnis, nie überschrieben); danach\n"
    "wird sie wie mit bv7 wav2bin gelesen und das Programm als\n"
    "\"Programmname_AA_EA_SA.BIN\" neben die WAV-Datei (oder nach -o) geschrieben.\n"
    "Strg-C beendet die Aufnahme; auch dann wird gelesen, was aufgenommen ist.\n"
    "  --device NAME  dieses Eingabegerät statt des Standardgeräts (bv7 devices)\n"
    "  --all          weiter bis Strg-C oder --seconds, alle Programme behalten\n"
    "  --seconds N    höchstens N Sekunden aufnehmen\n"
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

int usageError(CommandIo& io, const std::string& problem, const char* usage) {
    if (!problem.empty()) io.err << problem << "\n";
    io.err << usage;
    return exitUsage;
}

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
    bool append(const std::uint8_t* samples, std::size_t count) {
        if (count > maxWavSampleCount - count_) return false;
        count_ += static_cast<std::uint32_t>(count);
        return file_.append(samples, count) == WriteOutcome::Ok;
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

  private:
    GrowingFile file_;
    AudioFormat format_;
    std::uint32_t count_ = 0;
};

// Level, time and reading, as one line.
std::string statusLine(const std::uint8_t* newest, std::size_t count, std::size_t total, const LiveState& state,
                       int records, bool all) {
    int level = captureLevel(newest, count);
    bool clipped = false;
    for (std::size_t i = 0; i < count; ++i) clipped = clipped || newest[i] == 0 || newest[i] == 255;
    std::string line = "Pegel " + levelText(level);
    if (clipped) line += " (übersteuert)";
    else if (level > 0 && level < lowestGoodLevel) line += " (zu leise)";
    line += "  " + minutesText(std::uint64_t{total} * 1000 / recordRate) + "  " + liveStatusText(state);
    if (all && records > 0) line += "  (" + std::to_string(records) + " gelesen)";
    return line;
}
}

int recordCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    std::string problem;
    if (!arguments.parse(args, {"-o", "--wav", "--device", "--seconds"}, {"--all", "--force", "--help"}, problem))
        return usageError(io, problem, recordUsage);
    if (arguments.has("--help")) {
        io.out << recordUsage;
        return exitOk;
    }
    if (!arguments.positionals().empty())
        return usageError(io, "bv7 record nimmt keine Dateien; die Aufnahme heißt nach --wav.", recordUsage);
    const bool all = arguments.has("--all");
    if (all && arguments.value("-o"))
        return usageError(io, "-o geht nicht mit --all: jede Aufnahme bekommt ihren eigenen Namen.", recordUsage);
    std::uint64_t limitSamples = 0;
    if (const std::string* text = arguments.value("--seconds")) {
        if (text->empty() || text->size() > 6 || text->find_first_not_of("0123456789") != std::string::npos ||
            std::stoul(*text) == 0)
            return usageError(io, "--seconds braucht eine ganze Zahl größer als 0.", recordUsage);
        limitSamples = std::stoull(*text) * recordRate;
    }
#ifndef BV7_HAVE_PULSE
    io.err << "Fehler: Diesen Befehl gibt es nur im bv7 für Linux (über den Tonserver).\n";
    return exitFailed;
#endif
    const std::string wavPath = arguments.value("--wav") ? *arguments.value("--wav") : newRecordingName();
    if (isStandardStream(wavPath)) return usageError(io, "Die Aufnahme braucht eine Datei, nicht \"-\".", recordUsage);
    if (fileExists(wavPath)) {
        io.err << "Datei existiert schon: " << wavPath << " (eine Aufnahme überschreibt nichts)\n";
        return exitFailed;
    }
    // The sound server first: without it no empty WAV file is left behind.
    pulse::Stream stream;
    const std::string* device = arguments.value("--device");
    if (!stream.open(pulse::Stream::Direction::Record, pulse::StreamFormat{pulse::SampleFormat::U8, recordRate, 1},
                     device ? *device : std::string(), problem)) {
        io.err << problem << "\n";
        return exitFailed;
    }
    RecordingFile file;
    if (!file.create(wavPath)) {
        io.err << "Datei kann nicht angelegt werden: " << wavPath << "\n";
        return exitFailed;
    }

    InterruptCatcher interrupt;
    const bool terminal = errorIsTerminal();
    DecoderSettings settings;
    settings.threshold = stretchThresholdAt(recordRate);
    settings.triggerLevel = globalSettings().triggerLevel;
    LiveReader reader(recordRate, settings);
    std::vector<std::uint8_t> samples;
    samples.reserve(recordRate * 60);
    std::string shown;
    bool failed = false;
    int records = 0;
    for (int chunk = 1;; ++chunk) {
        std::size_t at = samples.size();
        samples.resize(at + chunkSamples);
        if (!stream.read(samples.data() + at, chunkSamples, problem)) {
            samples.resize(at);
            failed = true;
            break;
        }
        if (!file.append(samples.data() + at, chunkSamples)) {
            problem = "Datei konnte nicht vollständig geschrieben werden: " + wavPath;
            failed = true;
            break;
        }
        bool limitReached = limitSamples > 0 && samples.size() >= limitSamples;
        if (chunk % chunksPerUpdate != 0 && !interrupt.interrupted() && !limitReached) continue;
        file.fixSizes();
        ByteView recorded(samples);
        LiveState state = reader.update(recorded);
        bool stop = false;
        if (state.phase == LivePhase::Done && reader.soundEnded(recorded)) {
            records = state.records;
            if (all) reader.next();
            else stop = true;
        }
        std::size_t span = std::min(samples.size(), chunksPerUpdate * chunkSamples);
        std::string line = statusLine(samples.data() + samples.size() - span, span, samples.size(), state,
                                      std::max(records, state.records), all);
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
    stream.close();
    if (terminal) io.err << "\n";
    bool kept = file.finish();
    if (failed) io.err << problem << "\n";
    if (!kept) {
        io.err << "Datei konnte nicht vollständig geschrieben werden: " << wavPath << "\n";
        return exitFailed;
    }
    if (interrupt.interrupted()) io.err << "Aufnahme mit Strg-C beendet.\n";
    io.out << "Aufnahme gespeichert: " << wavPath << " (" << minutesText(std::uint64_t{samples.size()} * 1000 / recordRate)
           << ")\n";

    // The recording read as bv7 wav2bin reads it, with its report and its rules.
    CommandArgs readArgs{wavPath};
    if (const std::string* output = arguments.value("-o")) readArgs.insert(readArgs.end(), {"-o", *output});
    if (all) readArgs.push_back("--all");
    if (arguments.has("--force")) readArgs.push_back("--force");
    int code = wav2binCommand(readArgs, io);
    return failed ? exitFailed : code;
}
