#include "chargen/BmpFile.h"

namespace {
void put16(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
void put32(std::uint8_t* at, std::uint32_t value) {
    put16(at, value);
    put16(at + 2, value >> 16);
}
}

std::uint32_t bmpRowBytes(std::int32_t width, int bitsPerPixel) {
    std::uint32_t bits = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(bitsPerPixel);
    return (bits + 31) / 32 * 4;
}

std::array<std::uint8_t, bmp::headerBytes> bmpHeaders(std::int32_t width, std::int32_t height, int bitsPerPixel) {
    std::array<std::uint8_t, bmp::headerBytes> bytes{};
    std::uint32_t pixelBytes = bmpRowBytes(width, bitsPerPixel) * static_cast<std::uint32_t>(height);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(&bytes[2], bmp::headerBytes + pixelBytes);
    put32(&bytes[10], bmp::headerBytes);                     // offset of the pixels
    std::uint8_t* info = &bytes[14];
    put32(info, 40);
    put32(info + 4, static_cast<std::uint32_t>(width));
    put32(info + 8, static_cast<std::uint32_t>(height));
    put16(info + 12, 1);                                     // planes
    put16(info + 14, static_cast<std::uint32_t>(bitsPerPixel));
    put32(info + 24, static_cast<std::uint32_t>(bmp::pixelsPerMetre));
    put32(info + 28, static_cast<std::uint32_t>(bmp::pixelsPerMetre));
    return bytes;
}
