#pragma once
// Builds WAV files of any shape for the reader's tests: chunks in any order,
// any format fields, odd sizes.
#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {
inline void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline std::vector<std::uint8_t> chunk(const std::string& id, const std::vector<std::uint8_t>& body) {
    std::vector<std::uint8_t> out(id.begin(), id.end());
    putLe(out, static_cast<std::uint32_t>(body.size()), 4);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() & 1) out.push_back(0);
    return out;
}

struct Format {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 44100;
    std::uint16_t bits = 8;
    bool extensiblePcm = false;   // tag 0xFFFE with the PCM sub-format
};

inline std::vector<std::uint8_t> fmtBody(const Format& format, std::size_t size = 16) {
    std::vector<std::uint8_t> body;
    std::uint16_t blockAlign = static_cast<std::uint16_t>(format.channels * ((format.bits + 7) / 8));
    putLe(body, format.extensiblePcm ? 0xFFFE : format.tag, 2);
    putLe(body, format.channels, 2);
    putLe(body, format.rate, 4);
    putLe(body, format.rate * blockAlign, 4);
    putLe(body, blockAlign, 2);
    putLe(body, format.bits, 2);
    if (format.extensiblePcm) {
        putLe(body, 22, 2);
        putLe(body, format.bits, 2);
        putLe(body, 0x4, 4);
        const std::uint8_t guid[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        body.insert(body.end(), guid, guid + 16);
    }
    while (body.size() < size) body.push_back(0);
    return body;
}

inline std::vector<std::uint8_t> riff(const std::vector<std::vector<std::uint8_t>>& chunks) {
    std::vector<std::uint8_t> form = {'W', 'A', 'V', 'E'};
    for (const auto& c : chunks) form.insert(form.end(), c.begin(), c.end());
    return chunk("RIFF", form);
}

inline std::vector<std::uint8_t> wav(const Format& format, const std::vector<std::uint8_t>& data) {
    return riff({chunk("fmt ", fmtBody(format)), chunk("data", data)});
}
}
