// The page's tools: hex dump and CRC as bv7 hexdump and crc show them, and
// the KALO*4 listing as kalov shows it.
#include <emscripten/bind.h>

#include <string>

#include "hexdump/DumpLines.h"
#include "shell/Cp1252Text.h"
#include "shell/Crc16.h"
#include "shell/HexText.h"
#include "viewer/SourceDecoder.h"
#include "viewer/TextExport.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// The hex dump of a file as bv7 hexdump prints it (addresses from AA where the
// name follows the BIN scheme; checksums, or with `ascii` the characters) and
// its CRC (SDLC), as "1BF0".
val hexDump(const std::string& fileName, const val& fileBytes, bool ascii) {
    const std::vector<std::uint8_t> bytes = web::bytesOf(fileBytes);
    val lines = val::array();
    for (const std::string& line :
         buildDumpLines(bytes.data(), bytes.size(), dumpStartAddress(utf8ToCp1252(fileName)), !ascii))
        lines.call<void>("push", line);
    val result = val::object();
    result.set("lines", lines);
    result.set("crc", formatHex4(crc16Sdlc(bytes.data(), bytes.size())));
    result.set("cut", bytes.size() > maxDumpBytes ? dumpCutWarning(fileName) : std::string());
    return result;
}

// A KALO*4 source as kalov shows it: the numbered lines (UTF-8), the text file
// kalov saves (Windows-1252, CR LF) and its name; or kalov's message.
val kaloListing(const std::string& fileName, const val& fileBytes, bool umlauts) {
    const std::vector<std::uint8_t> bytes = web::bytesOf(fileBytes);
    val result = val::object();
    result.set("plausible", isPlausibleSource(bytes.data(), bytes.size()));
    SourceListing listing;
    const bool decoded = decodedSuccessfully(decodeSourceData(bytes.data(), bytes.size(), umlauts, listing));
    if (!decoded || (listing.empty() && !isEmptySource(bytes.data(), bytes.size()))) {
        result.set("error", "Keine KALO*4-Datei, hier nicht darstellbar.");
        return result;
    }
    val lines = val::array();
    for (const std::string& line : listing) lines.call<void>("push", cp1252ToUtf8(line));
    result.set("lines", lines);
    if (!listing.empty()) {
        result.set("text", web::arrayOf(listingTextBytes(listing)));
        result.set("textName", cp1252ToUtf8(proposeTextFileName(utf8ToCp1252(fileName))));
    }
    return result;
}
}

EMSCRIPTEN_BINDINGS(tools) {
    emscripten::function("kaloListing", &kaloListing);
    emscripten::function("hexDump", &hexDump);
}
