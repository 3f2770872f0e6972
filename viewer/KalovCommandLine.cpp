#include "viewer/KalovCommandLine.h"

#include <algorithm>

#include "shell/FileIo.h"
#include "viewer/SourceDecoder.h"

namespace {
bool isBlank(char character) { return character == ' ' || character == '\t'; }
}

std::optional<std::string> firstArgument(std::string_view commandLine) {
    if (std::count(commandLine.begin(), commandLine.end(), '"') % 2 != 0) return std::nullopt;
    std::size_t position = 0;
    std::string argument;
    for (int index = 0; index <= 1; ++index) {
        while (position < commandLine.size() && isBlank(commandLine[position])) ++position;
        if (position == commandLine.size()) return std::nullopt;
        argument.clear();
        bool quoted = false;
        for (; position < commandLine.size(); ++position) {
            char character = commandLine[position];
            if (character == '"') {
                quoted = !quoted;
            } else if (isBlank(character) && !quoted) {
                break;
            } else {
                argument += character;
            }
        }
    }
    if (argument.empty()) return std::nullopt;
    return argument;
}

KalovFile kalovFile(std::string_view path) {
    return KalovFile{std::string(path), std::string(fileNamePart(path))};
}

KalovFile noKalovFile() {
    return KalovFile{std::string(noFileLoaded), std::string(noFileLoaded)};
}

namespace {
bool isSeparator(char character) { return character == '\\' || character == '/'; }

bool hasDrive(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool sameDrive(char one, char other) { return (one | 0x20) == (other | 0x20); }

std::string joined(std::string_view directory, std::string_view name) {
    std::string path(directory);
    if (!path.empty() && !isSeparator(path.back())) path += directory.front() == '/' ? '/' : '\\';
    return path += name;
}
}

std::string absolutePath(std::string_view path, std::string_view workingDirectory) {
    if (path.empty() || workingDirectory.empty()) return std::string(path);
    if (hasDrive(path)) {
        if (path.size() > 2 && isSeparator(path[2])) return std::string(path);    // "C:\..."
        std::string_view rest = path.substr(2);                                     // "C:NAME"
        if (hasDrive(workingDirectory) && sameDrive(path[0], workingDirectory[0])) return joined(workingDirectory, rest);
        return joined(std::string(path.substr(0, 2)) + "\\", rest);
    }
    if (isSeparator(path[0])) {
        if (path.size() > 1 && isSeparator(path[1])) return std::string(path);     // "\\server\share\..."
        return hasDrive(workingDirectory) ? std::string(workingDirectory.substr(0, 2)) + std::string(path)
                                          : std::string(path);
    }
    return joined(workingDirectory, path);
}

KalovFile anchoredKalovFile(const KalovFile& file, std::string_view workingDirectory) {
    if (file.path == noFileLoaded) return file;
    return KalovFile{absolutePath(file.path, workingDirectory), file.name};
}
