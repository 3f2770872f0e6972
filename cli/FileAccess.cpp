#include "cli/FileAccess.h"

#include <cstdio>

#include "shell/CommonServices.h"
#include "shell/StringTable.h"

namespace cli {
std::string directoryOf(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool isStandardStream(const std::string& path) { return path == "-"; }

std::string folderNamed(const std::string& path) {
    if (!isFolder(path)) return {};
    return path.back() == '/' || path.back() == '\\' ? path : path + "/";
}

std::string problemText(FileProblem problem) {
    switch (problem) {
    case FileProblem::NotFound: return "Datei nicht gefunden";
    case FileProblem::NoPermission: return "keine Berechtigung";
    case FileProblem::NameTooLong: return "Name zu lang";
    case FileProblem::DiskFull: return "Datenträger voll";
    case FileProblem::TooLarge: return "Datei zu groß für das System";
    case FileProblem::IsFolder: return "ist ein Ordner";
    case FileProblem::ReadOnly: return "Datenträger schreibgeschützt";
    case FileProblem::None:
    case FileProblem::Other: break;
    }
    return "Ein-/Ausgabefehler";
}

bool readInput(const std::string& path, std::vector<std::uint8_t>& bytes, const std::string& cannotOpen, std::ostream& err,
               std::uint64_t maxBytes) {
    ReadResult read = isStandardStream(path) ? readStream(stdin, bytes, maxBytes) : readFile(path, bytes, maxBytes);
    const char* shown = isStandardStream(path) ? "Standardeingabe" : path.c_str();
    switch (read.outcome) {
    case ReadOutcome::Ok: return true;
    case ReadOutcome::CannotOpen:
        err << "Fehler: " << cannotOpen << " (" << shown << ": " << problemText(read.problem) << ")\n";
        break;
    case ReadOutcome::NotRegularFile:
        err << "Fehler: " << cannotOpen << " (" << shown << ": keine gewöhnliche Datei)\n";
        break;
    case ReadOutcome::OutOfMemory: err << "Fehler: " << loadString(str::outOfMemory) << " (" << shown << ")\n"; break;
    }
    return false;
}

bool mayWrite(const std::string& path, bool force, std::ostream& err) {
    if (isStandardStream(path)) return true;
    if (isFolder(path)) {
        reportCannotCreate(path, FileProblem::IsFolder, err);
        return false;
    }
    if (force || !fileExists(path)) return true;
    err << "Fehler: Datei existiert schon: " << path << " (mit --force überschreiben)\n";
    return false;
}

std::string creatingProblemText(FileProblem problem) {
    return problem == FileProblem::NotFound ? "Ordner nicht gefunden" : problemText(problem);
}

void reportCannotCreate(const std::string& path, FileProblem problem, std::ostream& err) {
    err << "Fehler: Datei kann nicht angelegt werden: " << path << " (" << creatingProblemText(problem) << ")\n";
}

bool writeNewFile(const std::string& path, const std::uint8_t* bytes, std::size_t count, bool force,
                  std::ostream& err) {
    if (!mayWrite(path, force, err)) return false;
    if (isStandardStream(path)) {
        WriteResult written = writeStream(stdout, bytes, count);
        if (written.outcome == WriteOutcome::Ok) return true;
        err << "Fehler: Standardausgabe konnte nicht vollständig geschrieben werden (" << problemText(written.problem)
            << ")\n";
        return false;
    }
    // Only a file is replaced: the new one would take the place of a device or a folder.
    std::uint64_t size = 0;
    if (fileExists(path) && probeFile(path, size) != ReadOutcome::Ok) {
        err << "Fehler: Datei kann nicht angelegt werden: " << path << " (keine gewöhnliche Datei)\n";
        return false;
    }
    // Written beside and moved into place: a failed write leaves an old file whole.
    WriteResult written = replaceFile(path, {ByteView(bytes, count)});
    switch (written.outcome) {
    case WriteOutcome::Ok: return true;
    case WriteOutcome::CannotCreate:
    case WriteOutcome::CannotReplace: reportCannotCreate(path, written.problem, err); break;
    case WriteOutcome::ShortWrite:
        err << "Fehler: Datei konnte nicht vollständig geschrieben werden: " << path << " ("
            << problemText(written.problem) << ")\n";
        break;
    }
    if (fileExists(path)) err << "Die vorhandene Datei ist unverändert: " << path << "\n";
    return false;
}
}
