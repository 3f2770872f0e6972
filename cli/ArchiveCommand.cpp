// bv7 archive: the archive of a tape side in a folder, made or added to: the
// masters, every program once, how sure each is and where it came from. The
// archive's decisions are the core's (SideArchive.h); this writes its files.
#include "cli/Commands.h"

#include <algorithm>
#include <iostream>

#include "cli/RecordingInput.h"
#include "cli/SoundFileImport.h"
#include "shell/CommonServices.h"
#include "shell/Sha256.h"
#include "shell/StringTable.h"
#include "tape/FlacMaster.h"
#include "tape/FloatWav.h"
#include "tape/ReadingReport.h"
#include "tape/SideArchive.h"

using namespace cli;

namespace {
const char* const archiveUsage =
    "Aufruf: bv7 archive AUFNAHME... -o ORDNER [--exact]\n"
    "Legt das Archiv einer Kassettenseite in ORDNER an oder ergänzt ein vorhandenes:\n"
    "je Aufnahme ein verlustfreier Master (FLAC: dieselben Abtastwerte, Rate und Kanäle),\n"
    "jedes gefundene Programm einmal als BIN-Datei, index.json, index.html (zum Lesen,\n"
    "auch ohne Netz) und SHA256SUMS (sha256sum -c SHA256SUMS). \"bestätigt\" ist ein\n"
    "Programm erst, wenn zwei Lesungen es ganz und gleich ergaben. Was schon im Archiv\n"
    "ist, bleibt; keine Datei wird überschrieben. Am Ende steht, welche Stellen der Seite\n"
    "noch einmal aufgenommen werden sollten.\n"
    "  -o ORDNER  der Ordner des Archivs (wird angelegt, wenn es ihn nicht gibt)\n"
    "  --exact    nur der genaue Leser, ohne Störfilter\n"
    "Rückgabewert: 0, wenn jedes gefundene Programm ganz gespeichert ist, sonst 1.\n";

// How far the reading of a recording got, on a terminal.
ScanProgress progressFor(const std::string& name, std::ostream& err) {
    if (!errorIsTerminal()) return nullptr;
    return [name, &err, last = -1](std::size_t done, std::size_t total) mutable {
        const int percent = total ? static_cast<int>(done * 100 / total) : 100;
        if (percent == last) return;
        last = percent;
        err << "\rLesen: " << name << " " << percent << " %\033[K" << std::flush;
    };
}

void endProgress(std::ostream& err) {
    if (errorIsTerminal()) err << "\r\033[K" << std::flush;
}

// The samples of a recording's bytes (a WAV or, natively, another sound
// file), read as the archive reads: false after the message.
bool readSamples(std::vector<std::uint8_t>&& bytes, const std::string& name, const ReadingOptions& options,
                 SideReading& side, std::ostream& err) {
    std::string problem, warning;
    if (importSoundFile(bytes, problem, warning) == ImportResult::Failed) {
        err << "Fehler: " << problem << " (" << name << ")\n";
        return false;
    }
    if (!warning.empty()) err << "Warnung: " << warning << " (" << name << ")\n";
    const WavSamples wav = adoptAnyWavSamples(std::move(bytes));
    if (wav.error) {
        err << "Fehler: " << wavErrorText(wav) << " (" << name << ")\n";
        return false;
    }
    ReadingOptions reading = options;
    reading.progress = progressFor(name, err);
    side = readSide(wav.samples, wav.rate, sourceFactsOf(wav), reading, name);
    endProgress(err);
    for (const ReadingMessage& message : side.messages) err << messageLine(message) << "\n";
    return true;
}

// The archive's index read back with the images of its BINs; false after the message.
bool readIndex(const std::string& folder, SideArchive& before, std::ostream& err) {
    const std::string path = folder + "index.json";
    std::vector<std::uint8_t> bytes;
    if (!readInput(path, bytes, "Verzeichnis des Archivs kann nicht gelesen werden", err)) return false;
    std::string problem;
    if (!parseArchiveIndex(std::string(bytes.begin(), bytes.end()), before, problem)) {
        err << "Fehler: Verzeichnis des Archivs nicht lesbar: " << path << " (" << problem << ")\n";
        return false;
    }
    for (ArchiveProgram& program : before.programs) {
        if (program.file.empty()) continue;
        const std::string bin = folder + toTerminal(program.file);
        if (readFile(bin, program.image) != ReadOutcome::Ok)
            err << "Warnung: BIN-Datei des Archivs fehlt oder ist nicht lesbar, ihr Eintrag bleibt: " << bin << "\n";
    }
    return true;
}

std::string terminalName(std::string_view cp1252) { return toTerminal(cp1252); }
}

int archiveCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {"-o"}, {"--exact", "--help"}, archiveUsage, arguments, io, code)) return code;
    if (arguments.positionals().empty()) return usageError(io, "Mindestens eine Aufnahme angeben.", archiveUsage);
    if (!arguments.value("-o")) return usageError(io, "Den Ordner des Archivs mit -o angeben.", archiveUsage);
    std::string folder = *arguments.value("-o");
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
    FileProblem problem = FileProblem::None;
    if (!makeFolder(folder, problem)) {
        io.err << "Fehler: Ordner kann nicht angelegt werden: " << folder << " (" << creatingProblemText(problem) << ")\n";
        return exitFailed;
    }
    folder += "/";

    SideArchive before;
    const bool existing = fileExists(folder + "index.json");
    if (existing && !readIndex(folder, before, io.err)) return exitFailed;
    const ReadingOptions options = archiveReadingOptions(settingsReadingOptions(arguments.has("--exact")));

    // The new recordings, each master written at once; one already in the
    // archive (the same master) is not added again.
    std::vector<ArchiveRecording> recordings = before.recordings;
    std::vector<SideReading> newSides;
    int failures = 0;
    for (const std::string& input : arguments.positionals()) {
        std::vector<std::uint8_t> bytes;
        if (!readInput(input, bytes, loadString(str::cannotOpenWav), io.err)) {
            ++failures;
            continue;
        }
        ArchiveRecording recording;
        recording.source = recordingName(input);
        ArchiveMaster master = makeMaster(ByteView(bytes), input);
        recording.sha256 = master.sha256;
        recording.seconds = master.seconds;
        auto same = std::find_if(recordings.begin(), recordings.end(),
                                 [&](const ArchiveRecording& other) { return other.sha256 == recording.sha256; });
        if (same != recordings.end()) {
            io.err << "Warnung: Aufnahme ist schon im Archiv (als " << same->file << "), nicht noch einmal aufgenommen: "
                   << recording.source << "\n";
            continue;
        }
        SideReading side;
        if (!readSamples(std::move(bytes), recording.source, options, side, io.err)) {
            ++failures;
            continue;
        }
        if (recording.seconds == 0 && side.rate) recording.seconds = static_cast<double>(side.samples) / side.rate;
        std::vector<std::string> used;
        for (const ArchiveRecording& other : recordings) used.push_back(other.file);
        recording.file = masterName(input, master.extension, used);
        while (fileExists(folder + recording.file)) {
            used.push_back(recording.file);
            recording.file = masterName(input, master.extension, used);
        }
        if (!writeNewFile(folder + recording.file, master.bytes.data(), master.bytes.size(), false, io.err)) {
            ++failures;
            continue;
        }
        io.out << "Master geschrieben: " << folder << recording.file << "\n";
        recordings.push_back(std::move(recording));
        newSides.push_back(std::move(side));
    }
    if (existing && newSides.empty()) {
        io.out << "Nichts hinzugefügt; das Archiv bleibt, wie es war: " << folder << "\n";
        return failures == 0 && before.complete() ? exitOk : exitFailed;
    }

    // The recordings in the archive read again from their masters, first, as the index counts them.
    std::vector<SideReading> sides;
    for (const ArchiveRecording& recording : before.recordings) {
        const std::string path = folder + recording.file;
        std::vector<std::uint8_t> bytes, wav;
        if (!readInput(path, bytes, "Master des Archivs kann nicht gelesen werden", io.err)) return exitFailed;
        if (hasExtension(path, ".flac")) {
            if (!flacToWav(ByteView(bytes), wav)) {
                io.err << "Fehler: Master des Archivs ist beschädigt: " << path << "\n";
                return exitFailed;
            }
            bytes.swap(wav);
        }
        sides.emplace_back();
        // Named as when it was added, so that its findings read the same.
        if (!readSamples(std::move(bytes), recording.source, options, sides.back(), io.err)) return exitFailed;
    }
    for (SideReading& side : newSides) sides.push_back(std::move(side));

    SideArchive archive = buildArchive(sides, recordings, before);
    io.out << "\n";
    for (ArchiveProgram& program : archive.programs) {
        if (!program.fileIsNew) continue;
        const std::string path = folder + toTerminal(program.file);
        if (!writeNewFile(path, program.image.data(), program.image.size(), false, io.err)) {
            // Not saved: the index must not name it.
            program.file.clear();
            program.sha256.clear();
            ++failures;
        }
    }
    const std::string json = archiveIndexJson(archive), page = archiveIndexHtml(archive),
                      sums = archiveChecksums(archive);
    const std::pair<const char*, const std::string*> files[] = {
        {"SHA256SUMS", &sums}, {"index.html", &page}, {"index.json", &json}};
    for (const auto& file : files)
        if (!writeNewFile(folder + file.first, reinterpret_cast<const std::uint8_t*>(file.second->data()),
                          file.second->size(), existing, io.err))
            ++failures;

    for (const std::string& line : archiveSummaryLines(archive, folder, terminalName)) io.out << line << "\n";
    return failures == 0 && archive.complete() ? exitOk : exitFailed;
}
