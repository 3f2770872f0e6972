#include "hexdump/DumpLines.h"

#include "shell/Crc16.h"
#include "shell/HexText.h"
#include "tape/BinFileName.h"

std::uint16_t dumpStartAddress(std::string_view path) {
    TapeHeader header;
    return parseBinFileName(path, header) ? header.aa : 0;
}

std::vector<std::string> buildDumpLines(const std::uint8_t* bytes, std::size_t count, std::uint16_t startAddress,
                                        bool showChecksums) {
    if (count > maxDumpBytes) count = maxDumpBytes;
    std::vector<std::string> lines;
    lines.reserve(count / 16 + 3);
    for (std::size_t lineStart = 0; lineStart < count; lineStart += 16) {
        std::string line = formatHex4H(startAddress + static_cast<std::uint32_t>(lineStart)) + ": ";
        std::string ascii = "| ";
        std::uint8_t parity = 0;
        for (std::size_t i = lineStart; i < lineStart + 16; ++i) {
            if (i < count) {
                Hex2Char field = formatHex2Char(bytes[i]);
                line += field.hex + " ";
                ascii += field.character;
                parity ^= bytes[i];
            } else {
                line += "   ";
            }
        }
        line += showChecksums ? "       * " + formatHex2Char(parity).hex + " *" : ascii;
        lines.push_back(std::move(line));
    }
    lines.push_back(" ");
    lines.push_back("CRC (SDLC) = " + formatHex4(crc16Sdlc(bytes, count)));
    return lines;
}

std::string dumpCutWarning(std::string_view shownName) {
    return "Warnung: Der HEX-Dump zeigt nur die ersten 65535 Bytes von " + std::string(shownName) +
           "; die CRC (SDLC) darunter gilt nur für diese, nicht für die ganze Datei.";
}
