#pragma once
// The cassette record of one memory image, byte for byte in tape order:
// lead-in, sync, pre-byte, padded name, gap, the blocks, end byte and `sa`.
#include <cstdint>
#include <string_view>
#include <vector>

#include "tape/TapeHeader.h"

namespace tape {
constexpr int leadInBytes = 512;
constexpr std::uint8_t syncByte = 0xE6;
constexpr std::uint8_t preByte = 0x55;
constexpr int nameBytes = 16;
constexpr int gapBytes = 256;
constexpr std::uint8_t blockPreByte = 0x3C;
constexpr std::uint8_t endByte = 0x78;
constexpr int blockSize = 256;
// Lead-in, sync, pre-byte, name, gap, end byte and the two bytes of `sa`.
constexpr int fixedBytes = leadInBytes + 2 + nameBytes + gapBytes + 3;
// Pre-byte, length, two address bytes and the checksum around each block.
constexpr int blockFramingBytes = 5;
}

// Sum modulo 256 of the address low byte, high byte and the data bytes.
std::uint8_t blockChecksum(std::uint16_t address, const std::uint8_t* data, std::size_t count);

// The complete record of `image` under `header` (name, aa, sa; ea is not used).
// Only the first 16 characters of the name are sent. The encoder sends exactly these bytes.
std::vector<std::uint8_t> layoutTapeRecord(const std::vector<std::uint8_t>& image, const TapeHeader& header);

// Calls `sendByte` for each byte of the record in tape order, without building it.
template <typename SendByte>
void forEachRecordByte(const std::uint8_t* image, std::size_t size, const TapeHeader& header, SendByte&& sendByte) {
    for (int i = 0; i < tape::leadInBytes; ++i) sendByte(std::uint8_t{0x00});
    sendByte(tape::syncByte);
    sendByte(tape::preByte);
    std::string_view name(header.name);
    for (int i = 0; i < tape::nameBytes; ++i)
        sendByte(i < static_cast<int>(name.size()) ? static_cast<std::uint8_t>(name[i]) : std::uint8_t{0x20});
    for (int i = 0; i < tape::gapBytes; ++i) sendByte(std::uint8_t{0x00});
    std::uint16_t address = header.aa;
    for (std::size_t offset = 0; offset < size; offset += tape::blockSize) {
        std::size_t count = size - offset < tape::blockSize ? size - offset : tape::blockSize;
        sendByte(tape::blockPreByte);
        sendByte(static_cast<std::uint8_t>(count & 0xFF));
        sendByte(static_cast<std::uint8_t>(address & 0xFF));
        sendByte(static_cast<std::uint8_t>(address >> 8));
        for (std::size_t i = 0; i < count; ++i) sendByte(image[offset + i]);
        sendByte(blockChecksum(address, image + offset, count));
        address = static_cast<std::uint16_t>(address + 0x100);
    }
    sendByte(tape::endByte);
    sendByte(static_cast<std::uint8_t>(header.sa & 0xFF));
    sendByte(static_cast<std::uint8_t>(header.sa >> 8));
}
