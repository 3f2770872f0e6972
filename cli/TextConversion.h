#pragma once
// The texts between the terminal and the BV7's Windows-1252 bytes.
#include <string>
#include <string_view>

#include "shell/Cp1252Text.h"

namespace cli {
using ::cp1252ToUtf8;
using ::utf8ToCp1252;

// Texts and names as the BV7 and the program hold them (Windows-1252) for the
// terminal and the file system, and back. UTF-8 natively; unchanged on Windows,
// where the program's own texts are Windows-1252 already.
std::string toTerminal(std::string_view cp1252);
std::string fromTerminal(std::string_view text);

// One line per message: "\r\n" become line breaks, leading ones are dropped.
std::string terminalLines(std::string_view text);
}
