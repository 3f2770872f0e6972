// BIN -> WAV on the page: bv7 bin2wav's checks, messages and WAV, from the
// command line's own code; for a BIN name off the scheme the header typed in,
// checked as the exchange dialog checks its fields, with its messages.
#include <emscripten/bind.h>

#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "shell/Cp1252Text.h"
#include "shell/HexText.h"
#include "shell/UserInterface.h"
#include "sound/ExchangeFlows.h"
#include "tape/BinFileName.h"
#include "tape/BinRecording.h"
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

// The messages the core shows while it is installed, one line each.
struct MessageLines : UserInterface {
    std::vector<std::string> lines;
    UserInterface* previous = setUserInterface(this);
    ~MessageLines() override { setUserInterface(previous); }
    Answer ask(const Message& message) override {
        std::istringstream text(message.text);
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (!line.empty()) lines.push_back(line);
        }
        return Answer::Ok;
    }
    bool chooseFile(const Chooser&, FileNameBuffer&) override { return false; }
    void setStatus(int, std::string_view) override {}
    void trace(std::string_view) override {}
};

// The WAV bv7 bin2wav writes of `image` under `header` into `result`, with
// its messages; `eaSource`: where the header's EA was given (the file's name
// or the field), which the file's length is held against.
void recordInto(const std::string& fileName, const std::vector<std::uint8_t>& image, const TapeHeader& header,
                const char* eaSource, val& result, val& warnings) {
    std::ostringstream said;
    std::vector<std::uint8_t> wav;
    bool made = false;
    if (checkBinImage(image, header.aa, fileName, said)) {
        warnOfNamedEa(header, image.size(), fileName, said, eaSource);
        made = recordWavBytes(image, header, wav, said);
    }
    takeMessages(said.str(), fileName, result, warnings);
    if (!made) return;
    result.set("wavName", cp1252ToUtf8(wavNameFor(header.name)));
    result.set("wav", web::arrayOf(wav));
}

// A BIN file (its name as chosen, UTF-8, and its bytes) as the WAV file bv7
// bin2wav writes of it, byte for byte, with that file's name; or why not, in
// bv7's words. Warnings do not stop it. A name off the scheme gives `unnamed`:
// the page then asks for the header.
val binToWav(const std::string& fileName, const val& fileBytes) {
    val result = val::object();
    val warnings = val::array();
    result.set("warnings", warnings);
    TapeHeader header;
    if (!parseBinFileName(utf8ToCp1252(fileName), header)) {
        result.set("error", "Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben: "
                            "Programmname_AA_EA_SA.BIN, z. B. SPIEL_1000_1FFF_1000.BIN");
        result.set("unnamed", true);
        return result;
    }
    recordInto(fileName, web::bytesOf(fileBytes), header, "Der Dateiname", result, warnings);
    return result;
}

// The same with the header typed in (name UTF-8, addresses hex) and checked as
// the exchange dialog's "Start" checks its fields: the first bad address stops
// it with the dialog's message; a name cut or with "_" replaced is told in the
// dialog's words (as `notes`) and goes on.
val binToWavWithHeader(const std::string& fileName, const val& fileBytes, const std::string& name,
                       const std::string& aa, const std::string& ea, const std::string& sa) {
    val result = val::object();
    val warnings = val::array();
    result.set("warnings", warnings);
    // The dialog's message does not say which field is wrong; the page names it.
    const std::pair<const char*, const std::string*> fields[] = {{"AA", &aa}, {"EA", &ea}, {"SA", &sa}};
    for (const auto& [label, text] : fields) {
        if (parseHexAddress(*text) >= 0) continue;
        result.set("error", std::string("Feld ") + label + " (\"" + *text +
                                "\"): Eingabe HEX-Adresse fehlerhaft. Erlaubt sind bis zu 4 Ziffern 0-9 und A-F, "
                                "in Großbuchstaben.");
        result.set("notes", val::array());
        return result;
    }
    std::optional<TapeHeader> header;
    MessageLines messages;
    header = headerOfFields(utf8ToCp1252(name), aa, ea, sa);
    if (!header && !messages.lines.empty()) {
        result.set("error", messages.lines.back());
        messages.lines.pop_back();
    }
    result.set("notes", web::linesOf(messages.lines));
    if (!header) return result;
    if (header->name.empty())
        warnings.call<void>("push", "Warnung: Kein Programmname eingegeben: die Aufnahme trägt einen leeren Namen, "
                                    "die WAV-Datei heißt " + wavNameFor(header->name) + ". (" + fileName + ")");
    recordInto(fileName, web::bytesOf(fileBytes), *header, "Die Eingabe", result, warnings);
    result.set("name", cp1252ToUtf8(header->name));
    return result;
}

// An address field left: its 4-digit text ("1F" -> "001F"), or "" where the
// dialog keeps the focus in it (no message).
std::string addressField(const std::string& text) { return checkAddressField(text).value_or(""); }

}

EMSCRIPTEN_BINDINGS(writing) {
    emscripten::function("binToWav", &binToWav);
    emscripten::function("binToWavWithHeader", &binToWavWithHeader);
    emscripten::function("addressField", &addressField);
}
