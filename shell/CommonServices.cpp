#include "shell/CommonServices.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "shell/FileHandle.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"

namespace {
FileNameBuffer fileNameBuffer = {};

int runChooser(bool save, WindowRef owner, const std::string& title, const std::string& filter) {
    Chooser chooser;
    chooser.save = save;
    chooser.owner = owner;
    chooser.title = title;
    chooser.filter = filter;
    fileNameBuffer[fileNameBufferSize - 1] = '\0';
    return ui().chooseFile(chooser, fileNameBuffer) ? 1 : 0;
}
}

int showStringError(int id, int number) {
    std::string text = loadString(id);
    if (id == str::checksumError) text += formatDecimal(number);
    ui().ask(Message{text, "Fehler", mb::ok | mb::taskModal, nullptr});
    return -1;
}

FileNameBuffer& sharedFileName() { return fileNameBuffer; }

void clearSharedFileName() { fileNameBuffer[0] = '\0'; }

int chooseOpenFile(WindowRef owner, const std::string& title, const std::string& filter) {
    return runChooser(false, owner, title, filter);
}

int chooseSaveFile(WindowRef owner, const std::string& title, const std::string& filter) {
    return runChooser(true, owner, title, filter);
}

ReadResult readFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    File file(std::fopen(path.c_str(), "rb"));
    struct stat info {};
    if (!file || ::stat(path.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG) return ReadResult::CannotOpen;
    try {
        bytes.resize(static_cast<std::uint32_t>(info.st_size));
    } catch (const std::exception&) {   // bad_alloc, or a length beyond the address space
        return ReadResult::OutOfMemory;
    }
    // A file that shrank while we read it keeps only what was there.
    std::size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file.get());
    bytes.resize(got);
    return ReadResult::Ok;
}

int chooseAnyFile(WindowRef owner) {
    clearSharedFileName();
    return chooseOpenFile(owner, "Wähle eine Datei:", makeFilter({"alle Dateien *.*", "*.*"}));
}

std::optional<ByteImage> loadWholeFile(const std::string& path) {
    ByteImage image;
    switch (readFileBytes(path, image.data)) {
    case ReadResult::Ok: return image;
    case ReadResult::CannotOpen: showStringError(str::cannotOpenBinary); break;
    case ReadResult::OutOfMemory: showStringError(str::outOfMemory); break;
    }
    return std::nullopt;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}

std::string makeFilter(std::initializer_list<const char*> descriptionsAndPatterns) {
    std::string filter;
    for (const char* part : descriptionsAndPatterns) {
        filter += part;
        filter += '\0';
    }
    filter += '\0';
    return filter;
}
