#pragma once
// The header of one cassette record. On tape `ea` is not stored; a receiver
// computes it as aa + (number of data bytes) - 1.
#include <cstdint>
#include <string>

struct TapeHeader {
    std::string name;       // "Programmname", at most 16 single-byte characters
    std::uint16_t aa = 0;   // load address of the first data byte
    std::uint16_t ea = 0;   // address of the last data byte
    std::uint16_t sa = 0;   // run address
};
