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

// A source file as the viewer holds it: `path` is what it is opened by (made
// absolute once, see anchoredKalovFile); `name` is the part after the last "\"
// or "/", shown in the file name field, used as the print heading and for the
// text file proposal.
struct KalovFile {
    std::string path;
    std::string name;
};

KalovFile kalovFile(std::string_view path);

// `path` made absolute against `workingDirectory` as the system would resolve
// it: "C:\..." and "\\server\..." stay; a rooted "\..." takes the drive of the
// working directory; a drive-relative "C:NAME" is joined to the working
// directory when that is on drive C, else to the root of C; any other name is
// joined to the working directory. A working directory of the form "/..." is
// joined with "/" and keeps rooted "/..." names as they are. An empty working
// directory (unknown) leaves `path` alone.
std::string absolutePath(std::string_view path, std::string_view workingDirectory);

// `file` with its path made absolute against the working directory of the
// moment, so that later changes of the working directory (the save chooser
// makes its folder the working directory) do not change which file is meant.
// "(keine Datei geladen)" stays as it is.
KalovFile anchoredKalovFile(const KalovFile& file, std::string_view workingDirectory);

// The viewer's state before any file is given: both "(keine Datei geladen)".
KalovFile noKalovFile();
