#include "shell/StoredZip.h"

#include <array>

namespace {
void putLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> made{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t value = i;
            for (int bit = 0; bit < 8; ++bit) value = value & 1 ? 0xEDB88320u ^ (value >> 1) : value >> 1;
            made[i] = value;
        }
        return made;
    }();
    return table;
}

// The fields local and central headers share, from "version needed" to the name's length.
void putCommon(std::vector<std::uint8_t>& out, const ZipEntry& entry, std::uint32_t crc) {
    putLe(out, 20, 2);       // version needed: 2.0
    putLe(out, 0x0800, 2);   // the name is UTF-8
    putLe(out, 0, 2);        // stored
    putLe(out, 0, 2);        // time 00:00:00
    putLe(out, 0x21, 2);     // date 1980-01-01
    putLe(out, crc, 4);
    putLe(out, static_cast<std::uint32_t>(entry.bytes.size), 4);
    putLe(out, static_cast<std::uint32_t>(entry.bytes.size), 4);
    putLe(out, static_cast<std::uint32_t>(entry.name.size()), 2);
}
}

std::uint32_t crc32(ByteView bytes) {
    const auto& table = crcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < bytes.size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

std::vector<std::uint8_t> storedZip(const std::vector<ZipEntry>& entries) {
    std::uint64_t total = 22;
    for (const ZipEntry& entry : entries) total += 30 + 46 + 2 * entry.name.size() + entry.bytes.size;
    if (total > 0xFFFFFFFFu || entries.size() > 0xFFFF) return {};
    std::vector<std::uint8_t> out, central;
    out.reserve(static_cast<std::size_t>(total));
    for (const ZipEntry& entry : entries) {
        const std::uint32_t crc = crc32(entry.bytes), offset = static_cast<std::uint32_t>(out.size());
        putLe(out, 0x04034B50, 4);
        putCommon(out, entry, crc);
        putLe(out, 0, 2);
        out.insert(out.end(), entry.name.begin(), entry.name.end());
        if (entry.bytes.size) out.insert(out.end(), entry.bytes.data, entry.bytes.data + entry.bytes.size);
        putLe(central, 0x02014B50, 4);
        // Made by 2.0 on Unix: unzip takes the names as they are (on MS-DOS it
        // would read them in its code page), and the files as rw-r--r--.
        putLe(central, 0x0314, 2);
        putCommon(central, entry, crc);
        putLe(central, 0, 2);    // extra
        putLe(central, 0, 2);    // comment
        putLe(central, 0, 2);    // disk
        putLe(central, 0, 2);    // internal attributes
        putLe(central, 0100644u << 16, 4);   // external attributes: a regular file
        putLe(central, offset, 4);
        central.insert(central.end(), entry.name.begin(), entry.name.end());
    }
    const std::uint32_t directory = static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), central.begin(), central.end());
    putLe(out, 0x06054B50, 4);
    putLe(out, 0, 4);   // disks
    putLe(out, static_cast<std::uint32_t>(entries.size()), 2);
    putLe(out, static_cast<std::uint32_t>(entries.size()), 2);
    putLe(out, static_cast<std::uint32_t>(central.size()), 4);
    putLe(out, directory, 4);
    putLe(out, 0, 2);   // comment
    return out;
}
