#pragma once
// Files as the bv7 commands read and write them: "-" for the standard
// streams, the reasons of a failure in German, and nothing overwritten
// without being asked for.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "shell/FileIo.h"

namespace cli {
// "dir/" of "dir/name" ("" without a directory).
std::string directoryOf(const std::string& path);

// "-" names standard input (for reading) and standard output (for writing).
bool isStandardStream(const std::string& path);

// `path` as the folder an option names ("out" -> "out/"), when it names one
// that exists; else "".
std::string folderNamed(const std::string& path);

// The reason of a failed read or write in German ("Datenträger voll").
std::string problemText(FileProblem problem);

// Reads the file `path` ("-": standard input), at most `maxBytes` of it. On
// failure `cannotOpen` (or the text of "out of memory") goes to `err`, with the
// name; returns true when read.
bool readInput(const std::string& path, std::vector<std::uint8_t>& bytes, const std::string& cannotOpen, std::ostream& err,
               std::uint64_t maxBytes = ~std::uint64_t{0});

// Writes a new file ("-": standard output). An existing one is kept unless
// `force`, and even then it is replaced only by a file written whole; nothing
// of a failed write is left. Messages go to `err`; returns true when written.
bool writeNewFile(const std::string& path, const std::uint8_t* bytes, std::size_t count, bool force,
                  std::ostream& err);

// The message about an existing file (or a folder in the way); true when
// `path` may be written.
bool mayWrite(const std::string& path, bool force, std::ostream& err);

// The reason a file could not be made: problemText, a missing folder named as such.
std::string creatingProblemText(FileProblem problem);

// "Fehler: Datei kann nicht angelegt werden: <path> (<reason>)".
void reportCannotCreate(const std::string& path, FileProblem problem, std::ostream& err);
}
