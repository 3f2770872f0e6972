#pragma once
// Builds KALO*4 source files byte by byte for the tests: the end offset,
// three unread header bytes, line records with BCD numbers, the end marker.
#include <cstdint>
#include <string_view>
#include <vector>

struct KaloSample {
    std::vector<std::uint8_t> bytes{0x00, 0x00, 0x4B, 0x34, 0x00};

    // A line with a decimal number 0..9999 written as BCD, and raw text bytes.
    KaloSample& line(unsigned number, std::string_view text) {
        auto bcd = [](unsigned twoDigits) { return static_cast<std::uint8_t>((twoDigits / 10) << 4 | twoDigits % 10); };
        return rawLine(bcd(number % 100), bcd(number / 100 % 100), text);
    }
    KaloSample& rawLine(std::uint8_t tensUnits, std::uint8_t thousandsHundreds, std::string_view text) {
        bytes.push_back(tensUnits);
        bytes.push_back(thousandsHundreds);
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0x00);
        return *this;
    }
    KaloSample& raw(std::string_view more) {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    // Appends the end marker, sets the end offset, then `trailing` bytes behind it.
    std::vector<std::uint8_t> finish(std::string_view trailing = {}) const {
        std::vector<std::uint8_t> file = bytes;
        file.push_back(0xFF);
        setEnd(file, file.size());
        file.insert(file.end(), trailing.begin(), trailing.end());
        return file;
    }
    static void setEnd(std::vector<std::uint8_t>& file, std::size_t end) {
        file[0] = static_cast<std::uint8_t>(end & 0xFF);
        file[1] = static_cast<std::uint8_t>(end >> 8 & 0xFF);
    }
};
