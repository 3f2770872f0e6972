#include "shell/FileIo.h"

#include <sys/stat.h>

#include <cctype>
#include <exception>
#include <limits>
#include <memory>

namespace {
constexpr std::size_t chunkBytes = 1 << 16;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

#ifdef _WIN32
using FileStatus = struct _stati64;
int statusOf(const std::string& path, FileStatus& status) { return _stati64(path.c_str(), &status); }
#else
using FileStatus = struct stat;
int statusOf(const std::string& path, FileStatus& status) { return ::stat(path.c_str(), &status); }
#endif

// Reads until the end of `stream` or `maxBytes`. The size the file had when it
// was looked at is read into one block of that size; only a file that grew
// since (or a stream of unknown size) makes the block grow.
ReadOutcome readAll(std::FILE* stream, std::vector<std::uint8_t>& bytes, std::uint64_t expected,
                    std::uint64_t maxBytes) {
    bytes.clear();
    std::uint64_t wanted = expected < maxBytes ? expected : maxBytes;
    try {
        if (wanted > std::numeric_limits<std::size_t>::max() || wanted > bytes.max_size()) throw std::bad_alloc();
        bytes.resize(static_cast<std::size_t>(wanted));
        std::size_t have = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), stream);
        bytes.resize(have);
        if (have == wanted) {
            std::vector<std::uint8_t> chunk(chunkBytes);
            while (have < maxBytes) {
                std::uint64_t room = maxBytes - have;
                std::size_t step = room < chunkBytes ? static_cast<std::size_t>(room) : chunkBytes;
                std::size_t got = std::fread(chunk.data(), 1, step, stream);
                if (got > bytes.max_size() - have) throw std::bad_alloc();
                bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
                have += got;
                if (got < step) break;
            }
        }
    } catch (const std::exception&) {   // bad_alloc, or a length beyond the address space
        bytes.clear();
        bytes.shrink_to_fit();
        return ReadOutcome::OutOfMemory;
    }
    return std::ferror(stream) ? ReadOutcome::CannotOpen : ReadOutcome::Ok;
}

bool writeAll(std::FILE* file, ByteView part) {
    return part.empty() || std::fwrite(part.data, 1, part.size, file) == part.size;
}

WriteOutcome writeTo(const std::string& path, const char* mode, std::initializer_list<ByteView> parts) {
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file) return WriteOutcome::CannotCreate;
    bool written = true;
    for (ByteView part : parts) written = written && writeAll(file, part);
    // Buffered bytes that cannot be flushed are bytes that did not reach the disk.
    if (std::fclose(file) != 0) written = false;
    return written ? WriteOutcome::Ok : WriteOutcome::ShortWrite;
}
}

ReadOutcome readFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
    bytes.clear();
    // Checked before opening: opening a named pipe waits for a writer.
    FileStatus status{};
    if (path.empty() || statusOf(path, status) != 0) return ReadOutcome::CannotOpen;
    if ((status.st_mode & S_IFMT) != S_IFREG) return ReadOutcome::NotRegularFile;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return ReadOutcome::CannotOpen;
    return readAll(file.get(), bytes, static_cast<std::uint64_t>(status.st_size), maxBytes);
}

ReadOutcome probeFile(const std::string& path, std::uint64_t& size) {
    size = 0;
    FileStatus status{};
    if (path.empty() || statusOf(path, status) != 0) return ReadOutcome::CannotOpen;
    if ((status.st_mode & S_IFMT) != S_IFREG) return ReadOutcome::NotRegularFile;
    size = static_cast<std::uint64_t>(status.st_size);
    return ReadOutcome::Ok;
}

ReadOutcome readStream(std::FILE* stream, std::vector<std::uint8_t>& bytes, std::uint64_t maxBytes) {
    return readAll(stream, bytes, 0, maxBytes);
}

WriteOutcome writeFile(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
    return writeFile(path, {ByteView(bytes, count)});
}

WriteOutcome writeFile(const std::string& path, std::initializer_list<ByteView> parts) {
    WriteOutcome outcome = writeTo(path, "wb", parts);
    FileStatus status{};
    if (outcome == WriteOutcome::ShortWrite && statusOf(path, status) == 0 && (status.st_mode & S_IFMT) == S_IFREG)
        std::remove(path.c_str());
    return outcome;
}

WriteOutcome appendFile(const std::string& path, const std::uint8_t* bytes, std::size_t count) {
    return writeTo(path, "ab", {ByteView(bytes, count)});
}

WriteOutcome writeStream(std::FILE* stream, const std::uint8_t* bytes, std::size_t count) {
    bool written = writeAll(stream, ByteView(bytes, count));
    if (std::fflush(stream) != 0) written = false;
    return written ? WriteOutcome::Ok : WriteOutcome::ShortWrite;
}

WriteOutcome replaceFile(const std::string& path, std::initializer_list<ByteView> parts) {
    std::string beside = path + ".neu";
    WriteOutcome outcome = writeFile(beside, parts);
    if (outcome != WriteOutcome::Ok) return outcome;
    return moveReplacing(beside, path) ? WriteOutcome::Ok : WriteOutcome::CannotReplace;
}

bool removeFile(const std::string& path) {
    FileStatus status{};
    return statusOf(path, status) != 0 || std::remove(path.c_str()) == 0;
}

bool moveReplacing(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    // Windows does not rename onto an existing file. The new file keeps the
    // data while the old one is gone.
    FileStatus status{};
    if (statusOf(from, status) != 0 || statusOf(to, status) != 0) return false;
    return std::remove(to.c_str()) == 0 && std::rename(from.c_str(), to.c_str()) == 0;
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
