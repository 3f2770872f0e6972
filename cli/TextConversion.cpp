#include "cli/TextConversion.h"

namespace cli {
#ifdef _WIN32
std::string toTerminal(std::string_view cp1252) { return std::string(cp1252); }
std::string fromTerminal(std::string_view text) { return std::string(text); }
#else
std::string toTerminal(std::string_view cp1252) { return cp1252ToUtf8(cp1252); }
std::string fromTerminal(std::string_view text) { return utf8ToCp1252(text); }
#endif

std::string terminalLines(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    std::size_t first = out.find_first_not_of('\n');
    return first == std::string::npos ? std::string() : out.substr(first);
}
}
