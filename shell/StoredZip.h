#pragma once
// A folder of files as one .zip download: every file stored as it is (no
// compression), with its CRC-32, for any unzip program. Up to 4 GB in all
// and 65535 files (no zip64).
#include <cstdint>
#include <string>
#include <vector>

#include "shell/ByteReader.h"

struct ZipEntry {
    std::string name;   // the path inside the zip, "/" between folders, UTF-8
    ByteView bytes;     // owned by the caller until the zip is made
};

// CRC-32 (as zip and PNG use it): "123456789" gives CBF43926.
std::uint32_t crc32(ByteView bytes);

// The zip of `entries`; empty when they do not fit its 32-bit sizes.
std::vector<std::uint8_t> storedZip(const std::vector<ZipEntry>& entries);
