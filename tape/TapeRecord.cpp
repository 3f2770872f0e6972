#include "tape/TapeRecord.h"

std::uint8_t blockChecksum(std::uint16_t address, const std::uint8_t* data, std::size_t count) {
    unsigned sum = (address & 0xFF) + (address >> 8);
    for (std::size_t i = 0; i < count; ++i) sum += data[i];
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::vector<std::uint8_t> layoutTapeRecord(const std::vector<std::uint8_t>& image, const TapeHeader& header) {
    std::size_t blocks = (image.size() + tape::blockSize - 1) / tape::blockSize;
    std::vector<std::uint8_t> record;
    record.reserve(tape::fixedBytes + blocks * tape::blockFramingBytes + image.size());
    forEachRecordByte(image.data(), image.size(), header, [&record](std::uint8_t byte) { record.push_back(byte); });
    return record;
}
