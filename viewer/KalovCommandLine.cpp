#include "viewer/KalovCommandLine.h"

#include <algorithm>

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

std::string_view sourceFileName(std::string_view path) {
    std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

KalovFile kalovFile(std::string_view path) {
    return KalovFile{std::string(path), std::string(sourceFileName(path))};
}

KalovFile noKalovFile() {
    return KalovFile{std::string(noFileLoaded), std::string(noFileLoaded)};
}
