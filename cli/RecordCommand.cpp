// bv7 record: records from the sound server, watches the level and what the
// readers see while the tape plays, stops by itself once the program is in,
// keeps the recording as a WAV file and saves what the readers read as
// bv7 wav2bin saves it.
#include <ctime>
#include <functional>

#include "cli/Commands.h"
#include "cli/FileAccess.h"
#include "cli/FindingsReport.h"
#include "cli/PulseAudio.h"
#include "cli/RecordingConversion.h"
#include "cli/RecordingInput.h"
#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/StringTable.h"
#include "sound/SoundRules.h"
#include "tape/AudioFormat.h"
#include "tape/ReadingSession.h"
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
    "Suche geht dahinter weiter. Die Aufnahme wird als WAV-Datei geschrieben (--wav\n"
    "DATEI oder ORDNER, sonst aufnahme-JJJJ-MM-TT-hhmmss.wav im aktuellen Verzeichnis,\n"
    "nie überschrieben); das gelesene Programm wird wie mit bv7 wav2bin als\n"
    "\"Programmname_AA_EA_SA.BIN\" neben die WAV-Datei (oder nach -o DATEI oder ORDNER)\n"
    "geschrieben, sobald es gelesen ist. Der Platz dafür bleibt von Anfang an frei:\n"
    "ist der Datenträger voll, endet die WAV-Datei, nicht das Programm.\n"
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

// "aufnahme-2026-12-08-214501.wav" in `folder`, with "-2", "-3" ... after the
// stamp: the `number`-th name of this second.
std::string recordingName(const std::string& folder, const std::string& stamp, int number) {
    return folder + "aufnahme-" + stamp + (number > 1 ? "-" + std::to_string(number) : std::string()) + ".wav";
}

// The recording as it grows: the WAV header first, whose sizes are set again
// on every update and at the end, then the samples as they come.
class RecordingFile {
  public:
    // Made new, never over a file that exists.
    WriteResult create(const std::string& path) {
        format_ = AudioFormat{1, 1, recordRate, recordRate, 1, 8, 0};
        auto header = makeWavHeader(format_, 0);
        WriteResult made = file_.create(path);
        if (made != WriteOutcome::Ok) return made;
        WriteResult written = file_.append(header.data(), header.size());
        if (written != WriteOutcome::Ok) discard(path);
        return written;
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
    // Closed and removed: the recording never began.
    void discard(const std::string& path) {
        file_.close();
        removeFile(path);
    }
    std::uint32_t count() const { return count_; }

  private:
    GrowingFile file_;
    AudioFormat format_;
    std::uint32_t count_ = 0;
};

// Makes the recording's file: `named` (--wav) as it is, or else a new
// "aufnahme-<stamp>.wav" in `folder`, numbered where one of that second is
// there already (another bv7 record may have started in the same second).
// False after the message.
bool createRecording(RecordingFile& file, const std::string* named, const std::string& folder, std::string& path,
                     std::ostream& err) {
    std::time_t now = std::time(nullptr);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", std::localtime(&now));
    for (int number = 1;; ++number) {
        path = named ? *named : recordingName(folder, stamp, number);
        const WriteResult made = file.create(path);
        if (made == WriteOutcome::Ok) return true;
        if (!fileExists(path)) {
            reportCannotCreate(path, made.problem, err);
            return false;
        }
        if (named || number == 99) {
            err << "Fehler: Datei existiert schon: " << path << " (eine Aufnahme überschreibt nichts)\n";
            return false;
        }
    }
}

// Room for the program's BIN file, kept in its folder while the recording
// grows: a file as large as the largest program and its file's last block.
// It is given back the moment a program is saved, so that a recording that
// fills the disk never costs the program read from it.
class BinRoom {
  public:
    static constexpr std::size_t bytes = maxImageBytes + 4096;
    // `path`: the room's file ("" keeps none: the program goes to standard output).
    explicit BinRoom(std::string path) : path_(std::move(path)) {}
    BinRoom(const BinRoom&) = delete;
    BinRoom& operator=(const BinRoom&) = delete;
    ~BinRoom() { release(); }
    WriteResult keep() {
        if (path_.empty() || kept_) return {WriteOutcome::Ok};
        GrowingFile file;
        WriteResult made = file.create(path_);
        if (made != WriteOutcome::Ok) return made;
        const std::vector<std::uint8_t> zeros(bytes);
        WriteResult written = file.append(zeros.data(), zeros.size());
        file.close();
        kept_ = written == WriteOutcome::Ok;
        if (!kept_) removeFile(path_);
        return written;
    }
    void release() {
        if (kept_) removeFile(path_);
        kept_ = false;
    }

  private:
    std::string path_;
    bool kept_ = false;
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
    takeOutputFolder(conversion);
    conversion.force = arguments.has("--force");
    conversion.keepFaulty = arguments.has("--keep-faulty");
    if (conversion.all && conversion.output) {
        usageError(io, "-o geht nicht mit --all: jede Aufnahme bekommt ihren eigenen Namen; -o ORDNER legt sie dort ab.",
                   recordUsage);
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
// --all), Ctrl-C or --seconds. Each program is saved by `saveRead` the moment
// it is read, before the recording goes on; where it can keep no room for the
// next (false), the WAV file takes no more, so that a full disk costs the
// recording and not a program. Once the WAV file takes no more, the readers
// go on alone: the program is still read and saved from what they hold.
CaptureEnd capture(pulse::Stream& stream, RecordingFile& file, ReadingSession& reader, const RecordOptions& options,
                   const InterruptCatcher& interrupt, const std::function<bool()>& saveRead, CommandIo& io) {
    const bool terminal = errorIsTerminal();
    const bool all = options.conversion.all;
    // The last half second, a tenth at a time, for the level.
    std::vector<std::uint8_t> newest(chunksPerUpdate * chunkSamples, 128);
    std::string shown;
    CaptureEnd end;
    bool lineOpen = false;   // the status line waits for its line break
    auto writeFailed = [&](const char* reason) {
        end.writing = false;
        io.err << (lineOpen ? "\n" : "") << "Fehler: Die Aufnahme konnte nicht vollständig geschrieben werden: "
               << options.wavPath << " (" << reason << "); das Programm wird weiter mitgelesen.\n";
        lineOpen = false;
    };
    const char* const full = "Datenträger voll oder nicht beschreibbar";
    int saved = 0;   // programs read and saved
    for (int chunk = 1;; ++chunk) {
        std::uint8_t* at = newest.data() + (chunk - 1) % chunksPerUpdate * chunkSamples;
        if (!stream.read(at, chunkSamples, end.problem)) {
            end.failed = true;
            break;
        }
        if (end.writing && !file.append(at, chunkSamples)) writeFailed(full);
        reader.append(at, chunkSamples);
        bool limitReached = options.limitSamples > 0 && reader.total() >= options.limitSamples;
        if (chunk % chunksPerUpdate != 0 && !interrupt.interrupted() && !limitReached) continue;
        if (end.writing && !file.fixSizes()) writeFailed(full);
        LiveState state = reader.update();
        bool stop = false;
        if (state.phase == LivePhase::Done && reader.soundEnded()) {
            if (all) reader.next();
            else stop = true;
        }
        std::string line = statusLine(newest.data(), newest.size(), reader.total(), state, state.records, all);
        if (terminal) {
            io.err << "\r" << line << "\033[K" << std::flush;
            lineOpen = true;
        } else {
            // Off a terminal (a log): one line whenever the reading changes.
            std::string reading = liveStatusText(state);
            if (reading != shown) io.err << line << "\n";
            shown = reading;
        }
        if (state.records > saved) {
            saved = state.records;
            if (lineOpen) io.err << "\n";
            lineOpen = false;
            if (!saveRead() && end.writing) writeFailed("zu wenig Platz: der Rest bleibt für die nächsten Programme frei");
        }
        if (stop || interrupt.interrupted() || limitReached) break;
    }
    if (lineOpen) io.err << "\n";
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
    // Every file is made (or found impossible) before the tape plays, not
    // after a whole side: the recording's, and the room for the program's.
    const std::string* named = arguments.value("--wav");
    if (named && isStandardStream(*named))
        return usageError(io, "Die Aufnahme braucht eine Datei, nicht \"-\".", recordUsage);
    const std::string wavFolder = named ? folderNamed(*named) : std::string();
    const ConversionOptions& conversion = options.conversion;
    if (conversion.output && !mayWrite(*conversion.output, conversion.force, io.err)) return exitFailed;
    RecordingFile file;
    if (!createRecording(file, wavFolder.empty() ? named : nullptr, wavFolder, options.wavPath, io.err))
        return exitFailed;
    const std::string& wavPath = options.wavPath;
    const bool toStandardOutput = conversion.output && isStandardStream(*conversion.output);
    const std::string binFolder = !conversion.folder.empty() ? conversion.folder
                                  : conversion.output       ? directoryOf(*conversion.output)
                                                            : directoryOf(wavPath);
    BinRoom room(toStandardOutput ? std::string() : binFolder + std::string(fileNamePart(wavPath)) + ".platz");
    if (WriteResult kept = room.keep(); kept != WriteOutcome::Ok) {
        const std::string target = conversion.output ? *conversion.output : binFolder.empty() ? "./" : binFolder;
        io.err << "Fehler: BIN-Datei kann nicht angelegt werden: " << target << " ("
               << creatingProblemText(kept.problem) << ")\n";
        file.discard(wavPath);
        return exitFailed;
    }
    pulse::Stream stream;
    std::string problem;
    if (!stream.open(pulse::Stream::Direction::Record, pulse::StreamFormat{pulse::SampleFormat::U8, recordRate, 1},
                     options.device ? *options.device : std::string(), problem)) {
        io.err << problem << "\n";
        file.discard(wavPath);
        return exitFailed;
    }

    // What the readers read, reported and saved as bv7 wav2bin does, handed
    // over in memory, each record with the findings the reader kept beside it:
    // each program the moment it is read, in the room kept for it; the rest
    // when the recording ends. Without --all one record is saved: the one
    // read, or else the last one tried; the ones given up before it are named
    // with their findings.
    InterruptCatcher interrupt;
    ReadingSession reader(recordRate, liveRules(decoderSettingsAt(recordRate, settingsReadingOptions(false).triggerLevel)));
    RecordingConversion converting(conversion, io);
    std::size_t handed = 0;
    auto handOver = [&](const std::vector<DecodedRecord>& records) {
        const std::vector<std::vector<Finding>>& findings = reader.findings();
        const auto from = static_cast<std::ptrdiff_t>(handed);
        handed = records.size();
        if (records.size() <= static_cast<std::size_t>(from)) return;
        SideReading side = liveSide({records.begin() + from, records.end()}, {findings.begin() + from, findings.end()},
                                    recordRate, conversion.all, conversion.keepFaulty, wavPath);
        room.release();
        for (const ReadRecord& record : side.givenUp)
            for (const std::string& line : givenUpLines(record, recordRate)) io.err << line << "\n";
        converting.add(wavPath, std::move(side));
    };
    auto saveRead = [&] {
        handOver(reader.records());
        // Without --all the recording ends behind the program.
        return !conversion.all || room.keep() == WriteOutcome::Ok;
    };
    const CaptureEnd end = capture(stream, file, reader, options, interrupt, saveRead, io);
    stream.close();
    const bool kept = file.finish() && end.writing;
    if (end.failed) io.err << end.problem << "\n";
    if (interrupt.interrupted()) io.err << "Aufnahme mit Strg-C beendet.\n";
    reportWavFile(wavPath, kept, file.count(), reader.total(), reportIoFor(conversion, io));
    const std::vector<DecodedRecord> records = reader.endRecording();
    handOver(records);
    room.release();
    code = converting.finish();
    return end.failed || !kept ? exitFailed : code;
}
