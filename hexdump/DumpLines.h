#pragma once
// The lines of the hex dump: 16 bytes a line behind their BV7 address, with an
// ASCII column or the XOR of the line, then a blank line and the CRC-16.
//   "1000H: 41 42 ...            | AB..."          (ASCII)
//   "1000H: 41 42 ...                   * 03 *"     (checksums)
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The dump shows at most this many bytes of a file (0xFFFF, not 0x10000).
constexpr std::size_t maxDumpBytes = 65535;

// The address of the first byte: AA when the file name follows the BIN scheme, else 0.
std::uint16_t dumpStartAddress(std::string_view path);

// The listing of the first min(count, 65535) bytes. A file of 0 bytes gives
// no byte line, only the blank line and "CRC (SDLC) = FFFF".
std::vector<std::string> buildDumpLines(const std::uint8_t* bytes, std::size_t count, std::uint16_t startAddress,
                                        bool showChecksums);

// What bv7 and the page say of a file longer than the dump shows (`shownName`
// as the front end shows file names): that only its first 65535 bytes are
// listed, and that the CRC under the dump is theirs, not the file's.
std::string dumpCutWarning(std::string_view shownName);
