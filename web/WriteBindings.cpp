// BIN -> WAV on the page: bv7 bin2wav's checks, messages and WAV, from the
// command line's own code.
#include <emscripten/bind.h>

#include <sstream>
#include <string>

#include "cli/BinToWav.h"
#include "cli/TextConversion.h"
#include "tape/BinFileName.h"
#include "web/Values.h"

using emscripten::val;

namespace {
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
    const std::vector<std::uint8_t> image = web::bytesOf(fileBytes);
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
    result.set("wav", web::arrayOf(wav));
    return result;
}

}

EMSCRIPTEN_BINDINGS(writing) {
    emscripten::function("binToWav", &binToWav);
}
