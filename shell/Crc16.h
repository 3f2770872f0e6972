#pragma once
// "CRC (SDLC)": CRC-16 with polynomial 0x1021, initial value 0xFFFF, no
// reflection and no final XOR. "123456789" gives 29B1, the byte 0x41 B915.
#include <cstddef>
#include <cstdint>

// Of `count` bytes; 0 bytes give the initial value FFFF.
std::uint16_t crc16Sdlc(const std::uint8_t* bytes, std::size_t count);
