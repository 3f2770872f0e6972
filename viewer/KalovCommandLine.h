#pragma once
// What kalov takes from its command line, and which name it shows for a file.
#include <optional>
#include <string>
#include <string_view>

// Argument 1 of a whole command line (program name first, as the system
// hands it over). Blanks and tabs separate arguments; double quotes group
// blanks into one argument and are removed. An odd number of double quotes
// anywhere, a missing first argument or an empty one give nothing.
std::optional<std::string> firstArgument(std::string_view commandLine);

// A source file as the viewer holds it: `path` is what it is opened by (as
// given, relative names against the working directory); `name` is the part
// after the last "\" or "/", shown in the file name field, used as the print
// heading and for the text file proposal.
struct KalovFile {
    std::string path;
    std::string name;
};

// The file part of a path: what follows the last "\" or "/".
std::string_view sourceFileName(std::string_view path);

KalovFile kalovFile(std::string_view path);

// The viewer's state before any file is given: both "(keine Datei geladen)".
KalovFile noKalovFile();
