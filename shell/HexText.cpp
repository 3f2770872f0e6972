#include "shell/HexText.h"

namespace {
constexpr char digits[] = "0123456789ABCDEF";

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}

std::string formatHex8(std::uint32_t value) {
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) text[i] = digits[value & 0xF];
    return text;
}

std::string formatHex4(std::uint32_t value) { return formatHex8(value).substr(4); }

std::string formatHex4H(std::uint32_t value) { return formatHex4(value) + "H"; }

std::string formatDecimal(std::int32_t value) { return std::to_string(value); }

Hex2Char formatHex2Char(std::uint8_t value) {
    Hex2Char result;
    result.hex = formatHex8(value).substr(6);
    result.character = (value >= 0x20 && value <= 0x7F) ? std::string(1, static_cast<char>(value)) : ".";
    return result;
}

int parseHexAddress(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    int value = 0;
    bool valid = text.size() <= 4;
    for (std::size_t i = 0; valid && i < text.size(); ++i) {
        int digit = hexDigitValue(text[i]);
        valid = digit >= 0;
        value = value * 16 + digit;
    }
    return valid ? value : -1;
}

std::string midChars(std::string_view text, std::size_t position, std::size_t n) {
    if (position >= text.size()) return {};
    return std::string(text.substr(position, n));
}
