#include "shell/CommonServices.h"

#include <sys/stat.h>


#include "shell/FileIo.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"

namespace {
// Shared by both choosers, as the system dialogs take it: it keeps the last
// name for the next proposal, also across a cancel.
FileNameBuffer fileNameBuffer = {};

std::optional<std::string> runChooser(bool save, WindowRef owner, const std::string& title, const std::string& filter) {
    Chooser chooser;
    chooser.save = save;
    chooser.owner = owner;
    chooser.title = title;
    chooser.filter = filter;
    fileNameBuffer[fileNameBufferSize - 1] = '\0';
    if (!ui().chooseFile(chooser, fileNameBuffer)) return std::nullopt;
    return std::string(fileNameBuffer);
}
}

int showStringError(int id, int number) {
    std::string text = loadString(id);
    if (id == str::checksumError) text += formatDecimal(number);
    ui().ask(Message{text, "Fehler", mb::ok | mb::taskModal, nullptr});
    return -1;
}

std::optional<std::string> chooseOpenFile(WindowRef owner, const std::string& title, const std::string& filter) {
    return runChooser(false, owner, title, filter);
}

std::optional<std::string> chooseSaveFile(WindowRef owner, const std::string& title, const std::string& filter) {
    return runChooser(true, owner, title, filter);
}

void offerFileName(const std::string& proposal) {
    std::size_t length = proposal.copy(fileNameBuffer, fileNameBufferSize - 1);
    fileNameBuffer[length] = '\0';
}

std::optional<std::string> chooseAnyFile(WindowRef owner) {
    offerFileName({});
    return chooseOpenFile(owner, "Wähle eine Datei:", makeFilter({"alle Dateien *.*", "*.*"}));
}

std::optional<ByteImage> loadWholeFile(const std::string& path) {
    constexpr std::uint64_t largest = 0xFFFFFFFFu;
    ByteImage image;
    switch (readFile(path, image.data, largest + 1)) {
    case ReadOutcome::Ok:
        if (image.data.size() <= largest) return image;
        showStringError(str::outOfMemory);
        break;
    case ReadOutcome::CannotOpen:
    case ReadOutcome::NotRegularFile: showStringError(str::cannotOpenBinary); break;
    case ReadOutcome::OutOfMemory: showStringError(str::outOfMemory); break;
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
