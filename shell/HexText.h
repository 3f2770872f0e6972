#pragma once
// Hex and decimal texts of addresses, checksums and counts. Hex is always upper case.
#include <cstdint>
#include <string>
#include <string_view>

std::string formatHex8(std::uint32_t value);      // 0xABCD -> "0000ABCD"
std::string formatHex4(std::uint32_t value);      // low 16 bits: -1 -> "FFFF"
std::string formatHex4H(std::uint32_t value);     // 0x1800 -> "1800H"
std::string formatDecimal(std::int32_t value);    // -5 -> "-5"

struct Hex2Char {
    std::string hex;        // the last two hex digits
    std::string character;  // the byte itself in 0x20..0x7F, else "."
};
Hex2Char formatHex2Char(std::uint8_t value);

// At most 4 upper-case hex digits after trailing blanks and tabs are removed;
// an empty field is 0. Returns 0..0xFFFF or -1; the caller tells the user
// (string 16030, "Eingabe HEX-Adresse fehlerhaft.").
int parseHexAddress(std::string_view text);

// n characters from position p (fewer at the end of the text).
std::string midChars(std::string_view text, std::size_t position, std::size_t n);
