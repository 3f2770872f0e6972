#pragma once
// BIN to WAV as bv7 bin2wav and the page write it: the image of a BIN file,
// checked as the BV7 can load it, and the WAV file of its record, as bin2wav
// writes it and play plays it.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tape/TapeHeader.h"

// An image the BV7 can load: not empty (its tape would hold no data block),
// and at most 64 KiB, the BV7's memory. One that runs past FFFF from `aa`
// wraps to 0000 as the 16-bit block addresses do, with a "Warnung:". False
// after the message naming `input`.
bool checkBinImage(const std::vector<std::uint8_t>& image, std::uint16_t aa, const std::string& input,
                   std::ostream& err);

// "Warnung: ..." when the EA of a file name "Name_AA_EA_SA.BIN" contradicts
// the file's length: the tape carries no EA, the receiver counts the bytes,
// so the length decides and the user is told. `source` says where the EA was
// given ("Der Dateiname", the page's "Die Eingabe").
void warnOfNamedEa(const TapeHeader& named, std::size_t size, const std::string& input, std::ostream& err,
                   const char* source = "Der Dateiname");

// The WAV file (44100 per second, 8-bit mono) of the record of `image` under
// `header`. False after the message.
bool recordWavBytes(const std::vector<std::uint8_t>& image, const TapeHeader& header, std::vector<std::uint8_t>& wav,
                    std::ostream& err);
