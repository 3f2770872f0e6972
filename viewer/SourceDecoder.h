#pragma once
// KALO*4 source files -> numbered listing lines.
//
// A source file is the editor's memory image: a 16-bit little-endian end
// offset L (the byte at L - 1 is the end marker 0xFF), three bytes the viewer
// does not read, then line records: a BCD line number (tens/units byte first,
// thousands/hundreds byte second), text bytes, 0x00. Bytes 0x01..0x1F stand
// for that many blanks, 0xFF ends the text.
//
// Every listing line is Windows-1252 bytes: four line-number characters, one
// blank, the expanded text; at most 4096 characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using SourceListing = std::vector<std::string>;

constexpr std::size_t maxSourceLineLength = 4096;
constexpr std::size_t sourceTextStart = 5;      // first line record

// The file name the viewer holds while no file is loaded.
constexpr std::string_view noFileLoaded = "(keine Datei geladen)";

// The BV7 umlaut codes as Windows-1252: [ \ ] { | } ~ -> Ä Ö Ü ä ö ü ß and
// the digit 0 -> Ø (the slashed zero of the BV7). Other codes unchanged.
std::uint8_t mapUmlaut(std::uint8_t code);

// L at offset 0 fits the data and the byte at L - 1 is 0xFF.
bool isPlausibleSource(const std::uint8_t* data, std::size_t size);

// Why the decoding stopped.
enum class DecodeStop {
    EndMarker,          // 0xFF in a line: success, that line is dropped
    EndBound,           // nothing left before the end bound: success
    NoText,             // no line can start before the end bound (a file of up to 5 bytes, or
                        // L - 1 <= 5) and it is not the empty source: failure
    DataEndInNumber,    // the data end inside a line number: failure
    DataEndInText,      // the data end inside a line: failure, the partial line is kept
    LineTooLong,        // a line would pass 4096 characters: failure, that line is dropped
};

inline bool decodedSuccessfully(DecodeStop stop) {
    return stop == DecodeStop::EndMarker || stop == DecodeStop::EndBound;
}

// The empty source: plausible, and its end marker right after the header
// (L = 6), so there is no line record at all.
bool isEmptySource(const std::uint8_t* data, std::size_t size);

// Decodes without any question: empties `listing` and appends each finished
// line in file order. Reads only inside data[0, size). Of the files that hold
// no line, only the empty source decodes successfully.
DecodeStop decodeSourceData(const std::uint8_t* data, std::size_t size, bool umlautMode, SourceListing& listing);

enum class DecodeResult {
    Decoded,        // the listing holds the whole source
    Failed,         // not a decodable KALO*4 file: the viewer shows its error
    NotOpened,      // "Dateiöffnen schlug fehl" has been shown; the listing is empty
    NoFile,         // the name was "(keine Datei geladen)": nothing done
};

// As decodeSourceData, but an implausible file first asks the user (through
// the message seam, caption "Fehler!", Yes/No, no owner) whether to try anyway;
// No gives Failed with an empty listing.
DecodeResult decodeSourceImage(const std::uint8_t* data, std::size_t size, bool umlautMode, SourceListing& listing);

// Reads the file `path` whole and decodes it. See DecodeResult for what the
// caller still has to show.
DecodeResult decodeSourceFile(const std::string& path, bool umlautMode, SourceListing& listing);
