// The page's way into the portable core: bytes in, values out, no file I/O.
// Texts cross as UTF-8; a program name from tape (Windows-1252) is turned
// into UTF-8 first, its bytes go out as they are inside the BIN image.
#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "cli/BinToWav.h"
#include "cli/TextConversion.h"
#include "hexdump/DumpLines.h"
#include "shell/Crc16.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/Decoder.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"
#include "tape/WavFile.h"
#include "viewer/SourceDecoder.h"
#include "viewer/TextExport.h"

using emscripten::val;

namespace {
std::vector<std::uint8_t> bytesOf(const val& array) {
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

// A copy the page owns: the view into the module's memory does not outlive the call.
val arrayOf(const std::vector<std::uint8_t>& bytes) {
    return val(emscripten::typed_memory_view(bytes.size(), bytes.data())).call<val>("slice");
}

val linesOf(const std::vector<Finding>& findings) {
    val lines = val::array();
    for (const Finding& finding : findings) lines.call<void>("push", findingLine(finding));
    return lines;
}

// A program offered as a BIN is one read whole, with its name and start
// address sure; anything else is shown with why it is not.
bool readWhole(const DecodedRecord& record) {
    return record.status == DecodeStatus::Ok && record.faulty == 0 && !record.nameUnsure && !record.startUnsure;
}

// Every record of a recording as `bv7 list` shows it, with its findings and,
// where it was read whole, its BIN image and name; or the reader's message.
val readRecording(const val& fileBytes) {
    val result = val::object();
    WavSamples wav = adoptWavSamples(bytesOf(fileBytes));
    if (wav.error) {
        result.set("error", loadString(wav.error));
        return result;
    }
    const std::vector<DecodedRecord> records =
        readEveryRecord(wav.samples, decoderSettingsAt(wav.rate, DecoderSettings{}.triggerLevel), wav.rate, ReadingChoice{});
    const RecordingFindings findings = diagnoseWhole(wav.samples, wav.rate, sourceFactsOf(wav), records);
    const std::vector<std::size_t> starts = recordStarts(records, wav.rate);
    result.set("rate", wav.rate);
    result.set("seconds", static_cast<double>(wav.samples.size) / wav.rate);
    result.set("heading", listHeading());
    val rows = val::array();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DecodedRecord& record = records[i];
        if (!foundRecord(record) && record.status != DecodeStatus::NoSyncBehindLeadIn) continue;
        val row = val::object();
        const SignalFigures figures = measureSignal(wav.samples, record, starts[i], wav.rate);
        row.set("line", listLine(record, starts[i], wav.rate, figures, cli::cp1252ToUtf8));
        row.set("findings", linesOf(i < findings.perRecord.size() ? findings.perRecord[i] : std::vector<Finding>{}));
        if (readWhole(record)) {
            row.set("binName", cli::cp1252ToUtf8(proposeBinFileName(record.header)));
            row.set("image", arrayOf(record.image));
        }
        rows.call<void>("push", row);
    }
    result.set("records", rows);
    result.set("whole", linesOf(findings.whole));
    if (rows["length"].as<int>() == 0) result.set("error", loadString(decodeStatusMessage(records.empty() ? DecodeStatus::NoSync : records.front().status)));
    return result;
}

// What bv7 said into `said`, line by line: its warnings into `warnings`, its
// error (without "Fehler: " and the file's name behind it, which the page
// puts in front) as `error` of `result`.
void takeMessages(const std::string& said, const std::string& fileName, val& result, val& warnings) {
    std::istringstream lines(said);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Warnung: ", 0) == 0) {
            warnings.call<void>("push", line);
            continue;
        }
        if (line.rfind("Fehler: ", 0) == 0) line.erase(0, 8);
        const std::string named = " (" + fileName + ")";
        if (line.size() > named.size() && line.compare(line.size() - named.size(), named.size(), named) == 0)
            line.erase(line.size() - named.size());
        result.set("error", line);
    }
}

// A BIN file (its name as chosen, UTF-8, and its bytes) as the WAV file bv7
// bin2wav writes of it, byte for byte, with that file's name; or why not, in
// bv7's words. Warnings do not stop it.
val binToWav(const std::string& fileName, const val& fileBytes) {
    val result = val::object();
    val warnings = val::array();
    result.set("warnings", warnings);
    TapeHeader header;
    if (!parseBinFileName(cli::utf8ToCp1252(fileName), header)) {
        result.set("error", "Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben: "
                            "Programmname_AA_EA_SA.BIN, z. B. SPIEL_1000_1FFF_1000.BIN");
        return result;
    }
    const std::vector<std::uint8_t> image = bytesOf(fileBytes);
    std::ostringstream said;
    std::vector<std::uint8_t> wav;
    bool made = false;
    if (cli::checkBinImage(image, header.aa, fileName, said)) {
        cli::warnOfNamedEa(header, image.size(), fileName, said);
        made = cli::recordWavBytes(image, header, wav, said);
    }
    takeMessages(said.str(), fileName, result, warnings);
    if (!made) return result;
    result.set("wavName", cli::wavNameFor(header.name));
    result.set("wav", arrayOf(wav));
    return result;
}

// The hex dump of a file as bv7 hexdump prints it (addresses from AA where the
// name follows the BIN scheme; checksums, or with `ascii` the characters) and
// its CRC (SDLC), as "1BF0".
val hexDump(const std::string& fileName, const val& fileBytes, bool ascii) {
    const std::vector<std::uint8_t> bytes = bytesOf(fileBytes);
    val lines = val::array();
    for (const std::string& line :
         buildDumpLines(bytes.data(), bytes.size(), dumpStartAddress(cli::utf8ToCp1252(fileName)), !ascii))
        lines.call<void>("push", line);
    val result = val::object();
    result.set("lines", lines);
    result.set("crc", formatHex4(crc16Sdlc(bytes.data(), bytes.size())));
    return result;
}

// A KALO*4 source as kalov shows it: the numbered lines (UTF-8), the text file
// kalov saves (Windows-1252, CR LF) and its name; or kalov's message.
val kaloListing(const std::string& fileName, const val& fileBytes, bool umlauts) {
    const std::vector<std::uint8_t> bytes = bytesOf(fileBytes);
    val result = val::object();
    result.set("plausible", isPlausibleSource(bytes.data(), bytes.size()));
    SourceListing listing;
    const bool decoded = decodedSuccessfully(decodeSourceData(bytes.data(), bytes.size(), umlauts, listing));
    if (!decoded || (listing.empty() && !isEmptySource(bytes.data(), bytes.size()))) {
        result.set("error", "Keine KALO*4-Datei, hier nicht darstellbar.");
        return result;
    }
    val lines = val::array();
    for (const std::string& line : listing) lines.call<void>("push", cli::cp1252ToUtf8(line));
    result.set("lines", lines);
    if (!listing.empty()) {
        result.set("text", arrayOf(listingTextBytes(listing)));
        result.set("textName", cli::cp1252ToUtf8(proposeTextFileName(cli::utf8ToCp1252(fileName))));
    }
    return result;
}
}

EMSCRIPTEN_BINDINGS(spulwerk) {
    emscripten::function("kaloListing", &kaloListing);
    emscripten::function("hexDump", &hexDump);
    emscripten::function("readRecording", &readRecording);
    emscripten::function("binToWav", &binToWav);
}
