#pragma once
// A BIN file given to bin2wav or play, read and checked as the BV7 can load it.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace cli {
// Reads the BIN file `input` ("-": standard input) into `image` and checks
// it (checkBinImage). False after the message naming `input`.
bool readBinImage(const std::string& input, std::uint16_t aa, std::vector<std::uint8_t>& image, std::ostream& err);
}
