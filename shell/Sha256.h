#pragma once
// SHA-256 (FIPS 180-4), for the checksum lists of an archive: "abc" gives
// ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/ByteReader.h"

class Sha256 {
  public:
    Sha256();
    void add(ByteView bytes);
    // The digest of everything added; the object is spent afterwards.
    std::array<std::uint8_t, 32> finish();

  private:
    void block(const std::uint8_t* bytes);
    std::array<std::uint32_t, 8> state_;
    std::array<std::uint8_t, 64> pending_{};
    std::size_t pendingCount_ = 0;
    std::uint64_t length_ = 0;
};

// The digest of `bytes` as 64 lower-case hex digits, as sha256sum shows it.
std::string sha256Hex(ByteView bytes);
