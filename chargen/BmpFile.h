#pragma once
// The headers of an uncompressed BMP file: the 14-byte file header and the
// 40-byte info header, little-endian, rows stored bottom up (positive height),
// 3500 pixels per metre. The pixel rows follow at offset 54, each padded to a
// multiple of 4 bytes.
#include <array>
#include <cstdint>

namespace bmp {
constexpr std::uint32_t headerBytes = 54;
constexpr std::int32_t pixelsPerMetre = 3500;
}

// Bytes of one stored row: width * bitsPerPixel / 8, rounded up to 4.
std::uint32_t bmpRowBytes(std::int32_t width, int bitsPerPixel);

// File and info header for a width x height picture.
std::array<std::uint8_t, bmp::headerBytes> bmpHeaders(std::int32_t width, std::int32_t height, int bitsPerPixel);
