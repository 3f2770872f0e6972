#include "shell/CommonServices.h"

#include <sys/stat.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "shell/HexText.h"
#include "shell/StringTable.h"

namespace {
FileNameBuffer fileNameBuffer = {};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

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

std::optional<ByteImage> loadWholeFile(const std::string& path) {
    File file(std::fopen(path.c_str(), "rb"));
    struct stat info {};
    if (!file || ::stat(path.c_str(), &info) != 0 || (info.st_mode & S_IFMT) != S_IFREG) {
        showStringError(str::cannotOpenBinary);
        return std::nullopt;
    }
    ByteImage image;
    try {
        image.data.resize(static_cast<std::uint32_t>(info.st_size));
    } catch (const std::exception&) {   // bad_alloc, or a length beyond the address space
        showStringError(str::outOfMemory);
        return std::nullopt;
    }
    // A file that shrank while we read it keeps only what was there.
    std::size_t got = image.data.empty() ? 0 : std::fread(image.data.data(), 1, image.data.size(), file.get());
    image.data.resize(got);
    return image;
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
