#pragma once
// The one way files are read and written. Every outcome is a small enum with
// the system's reason beside it; the caller turns it into its own German
// message (or trace line). Nothing here shows a box or keeps a last error.
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "shell/ByteReader.h"

enum class ReadOutcome { Ok, CannotOpen, NotRegularFile, OutOfMemory };
enum class WriteOutcome { Ok, CannotCreate, ShortWrite, CannotReplace };

// Why a read or write failed, from the system's error code: for a message
// that gives the reason. None where it succeeded or the system named none.
enum class FileProblem { None, NotFound, NoPermission, NameTooLong, DiskFull, TooLarge, IsFolder, ReadOnly, Other };

// An outcome with its reason. It stands for its outcome wherever one is
// expected (a switch, a comparison), so a caller that needs no reason reads
// it as the bare enum.
template <typename Outcome>
struct FileResult {
    Outcome outcome;
    FileProblem problem = FileProblem::None;
    operator Outcome() const { return outcome; }
};
using ReadResult = FileResult<ReadOutcome>;
using WriteResult = FileResult<WriteOutcome>;

constexpr std::uint64_t wholeFile = ~std::uint64_t{0};

// Reads `path` into `bytes`, at most `maxBytes` of it (the rest stays unread).
// Only regular files are opened: a named pipe or a device would block or never
// end. A file larger than memory (or the address space) gives OutOfMemory.
ReadResult readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes = wholeFile);

// The size of the regular file `path` without reading it; the outcome is the
// one readFile would give for opening it.
ReadResult probeFile(const std::string& path, std::uint64_t& size);

// A regular file read a stretch at a time (a recording larger than memory
// wants), opened as readFile opens it.
class FileReading {
  public:
    FileReading() = default;
    ~FileReading();
    FileReading(const FileReading&) = delete;
    FileReading& operator=(const FileReading&) = delete;
    ReadResult open(const std::string& path);
    std::uint64_t size() const { return size_; }
    // Up to `count` bytes from `offset` into `out`: how many were read (fewer
    // at the end of the file, or where it could not be read on).
    std::size_t read(std::uint64_t offset, std::uint8_t* out, std::size_t count);

  private:
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0, position_ = 0;
};

// Reads an open stream (standard input) to its end, at most `maxBytes`.
ReadResult readStream(std::FILE* stream, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes = wholeFile);

// Creates or truncates `path` and writes `count` bytes. A file that could not be
// written whole (disk full, failed close) is removed again: ShortWrite.
WriteResult writeFile(const std::string& path, const std::uint8_t* bytes, std::size_t count);
// The same for a file made of several parts (a header and the samples), written one after the other.
WriteResult writeFile(const std::string& path, std::initializer_list<ByteView> parts);

// Appends `count` bytes to `path`, creating it when missing. A short append
// leaves what was there before untouched as far as the system allows.
WriteResult appendFile(const std::string& path, const std::uint8_t* bytes, std::size_t count);

// Writes `count` bytes to an open stream (standard output) and flushes it.
WriteResult writeStream(std::FILE* stream, const std::uint8_t* bytes, std::size_t count);

// Replaces `path` by `bytes` without ever leaving it half written: the bytes go
// to a new file beside it (replacementName) first, which then moves over
// `path`. The old file stays as it was until that move; when anything fails,
// the new file is removed again (the caller still has the bytes).
WriteResult replaceFile(const std::string& path, std::initializer_list<ByteView> parts);

// The longest path the file choosers give: their buffer holds 260 characters
// with the terminator.
constexpr std::size_t longestPath = 259;
// The longest name of one file the file systems take.
constexpr std::size_t longestName = 255;

// The file replaceFile writes first: "<path>.<process id>.neu", in the same
// folder, so that no other program's or run's file is taken (one already
// there is never overwritten: replaceFile fails instead). Where that would be
// longer than longestPath or its name longer than longestName, the marker
// replaces the end of the file's own name.
std::string replacementName(const std::string& path);

// True when `path` is a folder (one that can be reached).
bool isFolder(const std::string& path);

// Makes the folder `path` (its parent must exist). True when it is made or
// was a folder already; else `problem` says why.
bool makeFolder(const std::string& path, FileProblem& problem);

// Removes `path`. True when it is gone (or was never there).
bool removeFile(const std::string& path);

// Moves `from` to `to`, replacing `to` in one step: until the new file is in
// place the old one stays, and a failed move leaves both as they were. Across
// drives (Windows) the file is copied. True when done.
bool moveReplacing(const std::string& from, const std::string& to);

// Name helpers.
// "name.ext" of "dir\name.ext" or "dir/name.ext".
std::string_view fileNamePart(std::string_view path);
// True when the last four characters of `name` are `extension` (".wav") in any letter case.
bool hasExtension(std::string_view name, std::string_view extension);
// `name` with its extension (from the last dot of the file part on) replaced by `extension`.
std::string replaceExtension(std::string_view name, std::string_view extension);

// A file written while it grows (a recording): made new, never over one that
// exists; each append reaches the system at once, so a crash loses only what
// was not appended yet, and bytes written before (a header's sizes) can be
// written again in place. Closed by close() or at the end of its life.
class GrowingFile {
  public:
    GrowingFile() = default;
    GrowingFile(const GrowingFile&) = delete;
    GrowingFile& operator=(const GrowingFile&) = delete;
    ~GrowingFile();
    // CannotCreate when `path` exists already or cannot be made.
    WriteResult create(const std::string& path);
    // ShortWrite with the reason (a full disk) when not every byte went.
    WriteResult append(const std::uint8_t* bytes, std::size_t count);
    WriteOutcome writeAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count);
    WriteOutcome close();
    bool isOpen() const { return file_ != nullptr; }

  private:
    std::FILE* file_ = nullptr;
};
