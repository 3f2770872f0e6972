#include "shell/Crc16.h"

std::uint16_t crc16Sdlc(const std::uint8_t* bytes, std::size_t count) {
    unsigned crc = 0xFFFF;
    for (std::size_t i = 0; i < count; ++i) {
        unsigned x = ((crc >> 8) ^ bytes[i]) & 0xFF;
        x ^= x >> 4;
        crc = ((crc << 8) ^ (x << 12) ^ (x << 5) ^ x) & 0xFFFF;
    }
    return static_cast<std::uint16_t>(crc);
}
