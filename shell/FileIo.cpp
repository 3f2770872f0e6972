#include "shell/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#include <process.h>

#include "shell/win/SystemFileMove.h"
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <exception>
#include <limits>
#include <memory>

#include "shell/LargeBuffer.h"

namespace {
constexpr std::size_t chunkBytes = 1 << 16;

// The reason of the failure that just happened (errno as the call left it).
FileProblem problemOf(int error = errno) {
    switch (error) {
    case ENOENT:
    case ENOTDIR: return FileProblem::NotFound;
    case EACCES:
    case EPERM: return FileProblem::NoPermission;
    case ENAMETOOLONG: return FileProblem::NameTooLong;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return FileProblem::DiskFull;
    case EFBIG: return FileProblem::TooLarge;
    case EISDIR: return FileProblem::IsFolder;
    case EROFS: return FileProblem::ReadOnly;
    default: return FileProblem::Other;
    }
}

ReadResult readFailure(ReadOutcome outcome, FileProblem problem = problemOf()) { return {outcome, problem}; }
WriteResult writeFailure(WriteOutcome outcome, FileProblem problem = problemOf()) { return {outcome, problem}; }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

#ifdef _WIN32
using FileStatus = struct _stati64;
int statusOf(const std::string& path, FileStatus& status) { return _stati64(path.c_str(), &status); }
int processId() { return _getpid(); }
// Opens a file that must not exist yet for writing; null when it cannot be
// made or something is there already.
std::FILE* createNew(const std::string& path) {
    int descriptor = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (descriptor < 0) return nullptr;
    std::FILE* file = _fdopen(descriptor, "wb");
    if (!file) _close(descriptor);
    return file;
}
#else
using FileStatus = struct stat;
int statusOf(const std::string& path, FileStatus& status) { return ::stat(path.c_str(), &status); }
int processId() { return static_cast<int>(::getpid()); }
std::FILE* createNew(const std::string& path) {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE* file = ::fdopen(descriptor, "wb");
    if (!file) ::close(descriptor);
    return file;
}
#endif

// Reads until the end of `stream` or `maxBytes`. Room for the size the file
// had when it was looked at is taken at once and filled as it is read, a
// chunk at a time, without writing anything over it first; only a file that
// grew since (or a stream of unknown size) makes the room grow.
ReadResult readAll(std::FILE* stream, std::vector<std::uint8_t>& bytes, std::uint64_t expected,
                   std::uint64_t maxBytes) {
    bytes.clear();
    std::uint64_t wanted = expected < maxBytes ? expected : maxBytes;
    try {
        if (wanted > std::numeric_limits<std::size_t>::max() || wanted > bytes.max_size()) throw std::bad_alloc();
        reserveLargeBuffer(bytes, static_cast<std::size_t>(wanted));
        // A chunk at a time into a small buffer that stays in the cache, and on
        // from there: a vector grows only by what is put into it, so reading
        // straight into it would mean writing zeros over all of it first.
        std::unique_ptr<std::uint8_t[]> chunk(new std::uint8_t[chunkBytes]);
        std::uint64_t have = 0;
        while (have < maxBytes) {
            std::uint64_t room = maxBytes - have;
            std::size_t step = room < chunkBytes ? static_cast<std::size_t>(room) : chunkBytes;
            std::size_t got = std::fread(chunk.get(), 1, step, stream);
            if (got > bytes.max_size() - bytes.size()) throw std::bad_alloc();
            // Past what was expected the room doubles, so that a long stream is moved seldom.
            if (bytes.size() + got > bytes.capacity()) bytes.reserve(std::max(2 * bytes.capacity(), bytes.size() + got));
            bytes.insert(bytes.end(), chunk.get(), chunk.get() + got);
            have += got;
            if (got < step) break;
        }
    } catch (const std::exception&) {   // bad_alloc, or a length beyond the address space
        bytes.clear();
        bytes.shrink_to_fit();
        return {ReadOutcome::OutOfMemory};
    }
    if (!std::ferror(stream)) return {ReadOutcome::Ok};
    return readFailure(ReadOutcome::CannotOpen);
}

// Writes `part` to the open `file`; the reason of a failure into `problem`.
bool writeAll(std::FILE* file, ByteView part, FileProblem& problem) {
    if (part.empty() || std::fwrite(part.data, 1, part.size, file) == part.size) return true;
    problem = problemOf();
    return false;
}

// Writes the parts to the open `file` and closes it.
WriteResult writeParts(std::FILE* file, std::initializer_list<ByteView> parts) {
    WriteResult result{WriteOutcome::Ok};
    bool written = true;
    for (ByteView part : parts) written = written && writeAll(file, part, result.problem);
    // Buffered bytes that cannot be flushed are bytes that did not reach the disk.
    if (std::fclose(file) != 0 && written) {
        result.problem = problemOf();
        written = false;
    }
    if (!written) result.outcome = WriteOutcome::ShortWrite;
    return result;
}

WriteResult writeTo(const std::string& path, const char* mode, std::initializer_list<ByteView> parts) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) return writeFailure(WriteOutcome::CannotCreate);
    return writeParts(file, parts);
}

// Status of `path` for opening it; the reason when there is none.
FileProblem statusForOpening(const std::string& path, FileStatus& status) {
    if (path.empty()) return problemOf(ENOENT);
    if (statusOf(path, status) == 0) return FileProblem::None;
    return problemOf();
}
}

ReadResult readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
    bytes.clear();
    // Checked before opening: opening a named pipe waits for a writer.
    FileStatus status{};
    if (FileProblem problem = statusForOpening(path, status); problem != FileProblem::None)
        return readFailure(ReadOutcome::CannotOpen, problem);
    if ((status.st_mode & S_IFMT) != S_IFREG) return {ReadOutcome::NotRegularFile};
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return readFailure(ReadOutcome::CannotOpen);
    return readAll(file.get(), bytes, static_cast<std::uint64_t>(status.st_size), maxBytes);
}

ReadResult probeFile(const std::string& path, std::uint64_t& size) {
    size = 0;
    FileStatus status{};
    if (FileProblem problem = statusForOpening(path, status); problem != FileProblem::None)
        return readFailure(ReadOutcome::CannotOpen, problem);
    if ((status.st_mode & S_IFMT) != S_IFREG) return {ReadOutcome::NotRegularFile};
    size = static_cast<std::uint64_t>(status.st_size);
    return {ReadOutcome::Ok};
}

FileReading::~FileReading() {
    if (file_) std::fclose(file_);
}

ReadResult FileReading::open(const std::string& path) {
    FileStatus status{};
    if (FileProblem problem = statusForOpening(path, status); problem != FileProblem::None)
        return readFailure(ReadOutcome::CannotOpen, problem);
    if ((status.st_mode & S_IFMT) != S_IFREG) return {ReadOutcome::NotRegularFile};
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) return readFailure(ReadOutcome::CannotOpen);
    size_ = static_cast<std::uint64_t>(status.st_size);
    position_ = 0;
    return {ReadOutcome::Ok};
}

std::size_t FileReading::read(std::uint64_t offset, std::uint8_t* out, std::size_t count) {
    if (!file_ || count == 0) return 0;
    if (offset != position_) {
#ifdef _WIN32
        const int moved = _fseeki64(file_, static_cast<__int64>(offset), SEEK_SET);
#else
        const int moved = fseeko(file_, static_cast<off_t>(offset), SEEK_SET);
#endif
        if (moved != 0) return 0;
        position_ = offset;
    }
    const std::size_t got = std::fread(out, 1, count, file_);
    position_ += got;
    return got;
}

ReadResult readStream(std::FILE* stream, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
    return readAll(stream, bytes, 0, maxBytes);
}

WriteResult writeFile(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
    return writeFile(path, {ByteView(bytes, count)});
}

WriteResult writeFile(const std::string& path, std::initializer_list<ByteView> parts) {
    WriteResult result = writeTo(path, "wb", parts);
    FileStatus status{};
    if (result.outcome == WriteOutcome::ShortWrite && statusOf(path, status) == 0 && (status.st_mode & S_IFMT) == S_IFREG)
        std::remove(path.c_str());
    return result;
}

WriteResult appendFile(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
    return writeTo(path, "ab", {ByteView(bytes, count)});
}

WriteResult writeStream(std::FILE* stream, const std::uint8_t* bytes, std::size_t count) {
    WriteResult result{WriteOutcome::Ok};
    bool written = writeAll(stream, ByteView(bytes, count), result.problem);
    if (std::fflush(stream) != 0 && written) {
        result.problem = problemOf();
        written = false;
    }
    if (!written) result.outcome = WriteOutcome::ShortWrite;
    return result;
}

WriteResult replaceFile(const std::string& path, std::initializer_list<ByteView> parts) {
    std::string beside = replacementName(path);
    std::FILE* file = createNew(beside);
    if (!file) return writeFailure(WriteOutcome::CannotCreate);
    WriteResult result = writeParts(file, parts);
    if (result.outcome == WriteOutcome::Ok) {
        if (moveReplacing(beside, path)) return result;
        result = writeFailure(WriteOutcome::CannotReplace);
    }
    std::remove(beside.c_str());   // made by us just now
    return result;
}

std::string replacementName(const std::string& path) {
    std::string marker = "." + std::to_string(processId()) + ".neu";
    std::size_t name = fileNamePart(path).size();
    std::size_t over = std::max(path.size() + marker.size(), longestPath) - longestPath;
    over = std::max(over, std::max(name + marker.size(), longestName) - longestName);
    if (over == 0) return path + marker;
    if (name > over) return path.substr(0, path.size() - over) + marker;
    return path + marker;   // a short name in a folder at the limit: too long, the file cannot be made
}

bool isFolder(const std::string& path) {
    // "out/" as "out": Windows finds no status for a name that ends in a separator.
    std::string name = path;
    while (name.size() > 1 && (name.back() == '/' || name.back() == '\\') && name[name.size() - 2] != ':')
        name.pop_back();
    FileStatus status{};
    return !name.empty() && statusOf(name, status) == 0 && (status.st_mode & S_IFMT) == S_IFDIR;
}

bool makeFolder(const std::string& path, FileProblem& problem) {
    if (isFolder(path)) return true;
#ifdef _WIN32
    const int made = _mkdir(path.c_str());
#else
    const int made = mkdir(path.c_str(), 0777);
#endif
    problem = made == 0 ? FileProblem::None : problemOf();
    return made == 0;
}

bool removeFile(const std::string& path) {
    FileStatus status{};
    return statusOf(path, status) != 0 || std::remove(path.c_str()) == 0;
}

bool moveReplacing(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // The C library's rename does not replace there; removing the target first
    // would lose it whenever the rename then fails.
    return systemMoveReplacing(from.c_str(), to.c_str());
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

std::string_view fileNamePart(std::string_view path) {
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

bool hasExtension(std::string_view name, std::string_view extension) {
    if (name.size() < extension.size()) return false;
    std::string_view tail = name.substr(name.size() - extension.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != std::tolower(static_cast<unsigned char>(extension[i])))
            return false;
    return true;
}

std::string replaceExtension(std::string_view name, std::string_view extension) {
    std::size_t start = name.size() - fileNamePart(name).size();
    std::size_t dot = name.find_last_of('.');
    std::string result(dot != std::string_view::npos && dot >= start ? name.substr(0, dot) : name);
    return result + std::string(extension);
}

GrowingFile::~GrowingFile() { close(); }

WriteResult GrowingFile::create(const std::string& path) {
    close();
    file_ = createNew(path);
    if (file_) return {WriteOutcome::Ok};
    return writeFailure(WriteOutcome::CannotCreate);
}

WriteResult GrowingFile::append(const std::uint8_t* bytes, std::size_t count) {
    if (!file_) return {WriteOutcome::CannotCreate};
    if (std::fseek(file_, 0, SEEK_END) != 0) return writeFailure(WriteOutcome::ShortWrite);
    if (count > 0 && std::fwrite(bytes, 1, count, file_) != count) return writeFailure(WriteOutcome::ShortWrite);
    return std::fflush(file_) == 0 ? WriteResult{WriteOutcome::Ok} : writeFailure(WriteOutcome::ShortWrite);
}

WriteOutcome GrowingFile::writeAt(std::uint64_t offset, const std::uint8_t* bytes, std::size_t count) {
    if (!file_) return WriteOutcome::CannotCreate;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max()) ||
        std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0)
        return WriteOutcome::ShortWrite;
    if (count > 0 && std::fwrite(bytes, 1, count, file_) != count) return WriteOutcome::ShortWrite;
    return std::fflush(file_) == 0 ? WriteOutcome::Ok : WriteOutcome::ShortWrite;
}

WriteOutcome GrowingFile::close() {
    if (!file_) return WriteOutcome::Ok;
    int status = std::fclose(file_);
    file_ = nullptr;
    return status == 0 ? WriteOutcome::Ok : WriteOutcome::ShortWrite;
}
