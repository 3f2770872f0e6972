#include "tape/BinFileName.h"

#include <algorithm>

#include "shell/FileIo.h"
#include "shell/HexText.h"

namespace {
const char* const cutLine = "Programmname zu lang, wurde auf 16 Zeichen gekürzt.";
const char* const underscoreLine = "Programmname enthielt 'Unterstrich', wurde durch 'Bindestrich' ersetzt.";
}

std::optional<std::string> checkAddressField(std::string_view field) {
    int value = parseHexAddress(field);
    if (value < 0) return std::nullopt;
    return formatHex4(static_cast<std::uint32_t>(value));
}

std::string normaliseProgramName(std::string& name) {
    bool cut = name.size() > maxProgramNameLength;
    if (cut) name.resize(maxProgramNameLength);
    bool replaced = std::count(name.begin(), name.end(), '_') > 0;
    std::replace(name.begin(), name.end(), '_', '-');
    if (!cut && !replaced) return {};
    std::string text = "\r\n";
    if (cut) text += std::string(cutLine) + "\r\n";
    if (replaced) text += underscoreLine;
    return text;
}

bool parseBinFileName(std::string_view path, TapeHeader& header) {
    std::string_view part = fileNamePart(path);
    if (std::count(part.begin(), part.end(), '_') != 3) return false;
    std::size_t first = part.find('_');
    header.name = std::string(part.substr(0, first));
    std::uint16_t* fields[] = {&header.aa, &header.ea, &header.sa};
    std::size_t underscore = first;
    for (std::uint16_t* field : fields) {
        int value = parseHexAddress(part.substr(underscore + 1, 4));
        if (value < 0) return false;
        *field = static_cast<std::uint16_t>(value);
        underscore = part.find('_', underscore + 1);
    }
    return true;
}

void sanitiseFileName(std::string& text) {
    for (char& c : text)
        if (std::string_view("/\\<>:|?*\"").find(c) != std::string_view::npos ||
            static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '-';
    for (std::size_t i = 0; i < text.size() && text[i] == '.'; ++i) text[i] = '-';
}

namespace {
std::string withoutTrailingBlanks(std::string_view name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
    return std::string(name);
}
}

std::string proposeBinFileName(const TapeHeader& header) {
    std::string proposal = withoutTrailingBlanks(header.name) + "_" + formatHex4(header.aa) + "_" + formatHex4(header.ea) + "_" +
                           formatHex4(header.sa) + ".BIN";
    sanitiseFileName(proposal);
    return proposal;
}

std::string proposeWavFileName(std::string_view binPath) {
    TapeHeader header;
    if (!parseBinFileName(binPath, header)) return "proggi.wav";
    // The name part before the first underscore holds none; only its length needs the rule.
    return wavNameFor(std::string_view(header.name).substr(0, maxProgramNameLength));
}

std::string wavNameFor(std::string_view name) {
    std::string file = withoutTrailingBlanks(name);
    if (file.empty()) file = "proggi";
    sanitiseFileName(file);
    return file + ".wav";
}
