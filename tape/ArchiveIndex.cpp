// The files of an archive for programs and for people: index.json written and
// read back, index.html.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "shell/Cp1252Text.h"
#include "shell/HexText.h"
#include "tape/SideArchive.h"

namespace {
std::string jsonString(const std::string& utf8) {
    std::string text = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') text += std::string("\\") + static_cast<char>(c);
        else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            text += escaped;
        } else text += static_cast<char>(c);
    }
    return text + "\"";
}

std::string jsonNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    std::string number = text;
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return number;
}

std::string jsonFile(const std::string& file) { return file.empty() ? "null" : jsonString(file); }

std::string blockSourceJson(int source) {
    return source == blockFromNone ? "null" : source == blockCombined ? "\"combined\"" : std::to_string(source);
}

std::string html(const std::string& utf8) {
    std::string text;
    for (char c : utf8) {
        if (c == '<') text += "&lt;";
        else if (c == '>') text += "&gt;";
        else if (c == '&') text += "&amp;";
        else if (c == '"') text += "&quot;";
        else text += c;
    }
    return text;
}

// "Aufnahme 2 (zwei.wav)".
std::string recordingText(const SideArchive& archive, int recording) {
    std::string text = "Aufnahme " + std::to_string(recording + 1);
    if (recording >= 0 && static_cast<std::size_t>(recording) < archive.recordings.size())
        text += " (" + archive.recordings[static_cast<std::size_t>(recording)].source + ")";
    return text;
}

// "Blöcke 1-2: Aufnahme 1 (eins.wav); Block 3: aus keiner Aufnahme gut" of where each block came from.
std::string blockSourcesText(const SideArchive& archive, const ArchiveProgram& program) {
    std::string text;
    for (std::size_t first = 0; first < program.blockSources.size();) {
        std::size_t last = first;
        while (last + 1 < program.blockSources.size() && program.blockSources[last + 1] == program.blockSources[first])
            ++last;
        const int source = program.blockSources[first];
        text += (text.empty() ? "" : "; ") +
                (first == last ? "Block " + std::to_string(first + 1)
                               : "Blöcke " + std::to_string(first + 1) + "-" + std::to_string(last + 1)) +
                ": " +
                (source == blockFromNone   ? std::string("aus keiner Aufnahme gut")
                 : source == blockCombined ? std::string("aus allen Aufnahmen zusammengerechnet")
                                           : recordingText(archive, source));
        first = last + 1;
    }
    return text;
}

std::string utf8Name(std::string_view cp1252) { return cp1252ToUtf8(cp1252); }
}

std::string archiveIndexJson(const SideArchive& archive) {
    std::string text = "{\n  \"recordings\": [";
    for (std::size_t i = 0; i < archive.recordings.size(); ++i) {
        const ArchiveRecording& recording = archive.recordings[i];
        text += std::string(i ? "," : "") + "\n    {\"file\": " + jsonString(recording.file) +
                ", \"source\": " + jsonString(recording.source) + ", \"sha256\": " + jsonString(recording.sha256) +
                ", \"seconds\": " + jsonNumber(recording.seconds) + ", \"findings\": [";
        for (std::size_t f = 0; f < recording.findings.size(); ++f)
            text += (f ? ", " : "") + jsonString(recording.findings[f]);
        text += "]}";
    }
    text += "\n  ],\n  \"programs\": [";
    for (std::size_t i = 0; i < archive.programs.size(); ++i) {
        const ArchiveProgram& program = archive.programs[i];
        text += std::string(i ? "," : "") + "\n    {\"name\": " + jsonString(cp1252ToUtf8(program.header.name)) +
                ", \"aa\": \"" + formatHex4(program.header.aa) + "\", \"ea\": \"" + formatHex4(program.header.ea) +
                "\", \"sa\": \"" + formatHex4(program.header.sa) + "\", \"file\": " +
                jsonFile(cp1252ToUtf8(program.file)) + ", \"sha256\": " + jsonFile(program.sha256) + ", \"crc\": \"" +
                formatHex4(program.crc) + "\", \"blocks\": " + std::to_string(program.blocks) + ", \"status\": \"" +
                statusKey(program.status) + "\",\n     \"readings\": [";
        for (std::size_t r = 0; r < program.readings.size(); ++r) {
            const ArchiveReading& reading = program.readings[r];
            text += std::string(r ? ", " : "") + "{\"recording\": " + std::to_string(reading.recording) +
                    ", \"at\": " + jsonNumber(reading.at) + ", \"good\": " + std::to_string(reading.good) +
                    ", \"total\": " + std::to_string(reading.total) + "}";
        }
        text += "],\n     \"sources\": [";
        for (std::size_t b = 0; b < program.blockSources.size(); ++b)
            text += (b ? ", " : "") + blockSourceJson(program.blockSources[b]);
        text += "]}";
    }
    return text + "\n  ]\n}\n";
}

std::string archiveIndexHtml(const SideArchive& archive) {
    std::string text =
        "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n<title>Archiv der Kassettenseite</title>\n"
        "<style>body{font-family:sans-serif;margin:1em 2em}table{border-collapse:collapse}"
        "td,th{border:1px solid #999;padding:2px 6px;text-align:left;vertical-align:top}"
        ".verified{color:#060}.faulty{color:#a00}.unsure{color:#a60}</style>\n</head>\n<body>\n"
        "<h1>Archiv der Kassettenseite</h1>\n<h2>Programme</h2>\n<table>\n"
        "<tr><th>Name</th><th>AA</th><th>EA</th><th>SA</th><th>Datei</th><th>CRC</th><th>Blöcke</th>"
        "<th>Zustand</th><th>Lesungen</th><th>Herkunft der Blöcke</th></tr>\n";
    for (const ArchiveProgram& program : archive.programs) {
        const std::string file = cp1252ToUtf8(program.file);
        text += "<tr><td>" + html(cp1252ToUtf8(shownName(program.header.name))) + "</td><td>" +
                formatHex4(program.header.aa) + "</td><td>" + formatHex4(program.header.ea) + "</td><td>" +
                formatHex4(program.header.sa) + "</td><td>" +
                (file.empty() ? std::string("nicht gespeichert")
                              : "<a href=\"" + html(file) + "\">" + html(file) + "</a>") +
                "</td><td>" + formatHex4(program.crc) + "</td><td>" + std::to_string(program.blocks) +
                "</td><td class=\"" + statusKey(program.status) + "\">" + statusText(program.status) +
                (program.keptAsBefore ? " (wie zuvor gespeichert)" : "") + "</td><td>";
        for (const ArchiveReading& reading : program.readings)
            text += html(recordingText(archive, reading.recording)) + " bei " + sideTime(reading.at) + ": " +
                    std::to_string(reading.good) + "/" + std::to_string(reading.total) + " Blöcke gut<br>";
        text += "</td><td>" + html(blockSourcesText(archive, program)) + "</td></tr>\n";
    }
    text += "</table>\n<h2>Noch einmal aufnehmen</h2>\n";
    const std::vector<std::string> again = recordAgainLines(archive, utf8Name);
    if (again.empty()) text += "<p>Alle Programme sind bestätigt.</p>\n";
    else {
        text += "<p>Diese Stellen der Seite noch einmal aufnehmen und dem Archiv hinzufügen:</p>\n<ul>\n";
        for (const std::string& line : again) text += "<li>" + html(line) + "</li>\n";
        text += "</ul>\n";
    }
    text += "<h2>Aufnahmen</h2>\n<table>\n<tr><th>Nr.</th><th>Master</th><th>Quelle</th><th>Länge</th>"
            "<th>SHA-256</th><th>Befunde</th></tr>\n";
    for (std::size_t i = 0; i < archive.recordings.size(); ++i) {
        const ArchiveRecording& recording = archive.recordings[i];
        text += "<tr><td>" + std::to_string(i + 1) + "</td><td><a href=\"" + html(recording.file) + "\">" +
                html(recording.file) + "</a></td><td>" + html(recording.source) + "</td><td>" +
                sideTime(recording.seconds) + "</td><td><code>" + recording.sha256 + "</code></td><td>";
        for (const std::string& line : recording.findings) text += html(line) + "<br>";
        text += "</td></tr>\n";
    }
    return text + "</table>\n<p>Prüfsummen: <a href=\"SHA256SUMS\">SHA256SUMS</a> "
                  "(<code>sha256sum -c SHA256SUMS</code>), für Programme: "
                  "<a href=\"index.json\">index.json</a>.</p>\n</body>\n</html>\n";
}

// index.json read back: a small JSON reader, enough for what the archive writes.
namespace {
struct JsonValue {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;
    const JsonValue* member(const std::string& name) const {
        auto found = members.find(name);
        return found == members.end() ? nullptr : &found->second;
    }
};

class JsonReader {
  public:
    explicit JsonReader(const std::string& text) : text_(text) {}
    bool value(JsonValue& out, int depth = 0) {
        skipSpace();
        if (depth > 20 || at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (c == '{') {
            out.kind = JsonValue::Object;
            ++at_;
            if (take('}')) return true;
            do {
                JsonValue key;
                skipSpace();
                if (!string(key) || !take(':')) return false;
                if (!value(out.members[key.text], depth + 1)) return false;
            } while (take(','));
            return take('}');
        }
        if (c == '[') {
            out.kind = JsonValue::Array;
            ++at_;
            if (take(']')) return true;
            do {
                out.items.emplace_back();
                if (!value(out.items.back(), depth + 1)) return false;
            } while (take(','));
            return take(']');
        }
        if (c == '"') return string(out);
        if (text_.compare(at_, 4, "null") == 0) return at_ += 4, true;
        if (text_.compare(at_, 4, "true") == 0) return out.kind = JsonValue::Bool, out.number = 1, at_ += 4, true;
        if (text_.compare(at_, 5, "false") == 0) return out.kind = JsonValue::Bool, at_ += 5, true;
        const char* start = text_.c_str() + at_;
        char* end = nullptr;
        out.number = std::strtod(start, &end);
        if (end == start) return false;
        out.kind = JsonValue::Number;
        at_ += static_cast<std::size_t>(end - start);
        return true;
    }
    bool atEnd() {
        skipSpace();
        return at_ == text_.size();
    }

  private:
    void skipSpace() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }
    bool take(char c) {
        skipSpace();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool string(JsonValue& out) {
        if (at_ >= text_.size() || text_[at_] != '"') return false;
        out.kind = JsonValue::String;
        for (++at_; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') return ++at_, true;
            if (c != '\\') {
                out.text += c;
                continue;
            }
            if (++at_ >= text_.size()) return false;
            c = text_[at_];
            if (c == 'u') {
                if (at_ + 4 >= text_.size()) return false;
                const unsigned code = static_cast<unsigned>(std::strtoul(text_.substr(at_ + 1, 4).c_str(), nullptr, 16));
                at_ += 4;
                if (code < 0x80) out.text += static_cast<char>(code);
                else if (code < 0x800) out.text += {static_cast<char>(0xC0 | code >> 6), static_cast<char>(0x80 | (code & 0x3F))};
                else out.text += {static_cast<char>(0xE0 | code >> 12), static_cast<char>(0x80 | (code >> 6 & 0x3F)),
                                  static_cast<char>(0x80 | (code & 0x3F))};
            } else {
                out.text += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c == 'b' ? '\b' : c == 'f' ? '\f' : c;
            }
        }
        return false;
    }
    const std::string& text_;
    std::size_t at_ = 0;
};

std::string textOf(const JsonValue& object, const char* name) {
    const JsonValue* value = object.member(name);
    return value && value->kind == JsonValue::String ? value->text : "";
}

double numberOf(const JsonValue& object, const char* name) {
    const JsonValue* value = object.member(name);
    return value && value->kind == JsonValue::Number ? value->number : 0;
}

bool hexOf(const JsonValue& object, const char* name, std::uint16_t& out) {
    const std::string text = textOf(object, name);
    const int value = text.size() == 4 ? parseHexAddress(text) : -1;
    out = static_cast<std::uint16_t>(value);
    return value >= 0;
}
}

bool parseArchiveIndex(const std::string& json, SideArchive& archive, std::string& problem) {
    JsonValue root;
    JsonReader reader(json);
    problem = "kein gültiges JSON";
    if (!reader.value(root) || !reader.atEnd()) return false;
    const JsonValue* recordings = root.member("recordings");
    const JsonValue* programs = root.member("programs");
    problem = "\"recordings\" oder \"programs\" fehlt";
    if (!recordings || recordings->kind != JsonValue::Array || !programs || programs->kind != JsonValue::Array)
        return false;
    archive = SideArchive();
    for (const JsonValue& item : recordings->items) {
        ArchiveRecording recording;
        recording.file = textOf(item, "file");
        recording.source = textOf(item, "source");
        recording.sha256 = textOf(item, "sha256");
        recording.seconds = numberOf(item, "seconds");
        if (const JsonValue* findings = item.member("findings"))
            for (const JsonValue& line : findings->items) recording.findings.push_back(line.text);
        problem = "Aufnahme ohne \"file\"";
        if (recording.file.empty()) return false;
        archive.recordings.push_back(std::move(recording));
    }
    for (const JsonValue& item : programs->items) {
        ArchiveProgram program;
        program.header.name = utf8ToCp1252(textOf(item, "name"));
        problem = "Programm mit fehlerhafter Adresse oder CRC";
        if (!hexOf(item, "aa", program.header.aa) || !hexOf(item, "ea", program.header.ea) ||
            !hexOf(item, "sa", program.header.sa) || !hexOf(item, "crc", program.crc))
            return false;
        program.file = utf8ToCp1252(textOf(item, "file"));
        program.sha256 = textOf(item, "sha256");
        program.blocks = static_cast<int>(numberOf(item, "blocks"));
        const std::string status = textOf(item, "status");
        program.status = status == "verified" ? ArchiveStatus::Verified
                         : status == "whole"  ? ArchiveStatus::Whole
                         : status == "unsure" ? ArchiveStatus::Unsure
                                              : ArchiveStatus::Faulty;
        if (const JsonValue* readings = item.member("readings"))
            for (const JsonValue& reading : readings->items)
                program.readings.push_back(ArchiveReading{static_cast<int>(numberOf(reading, "recording")),
                                                          numberOf(reading, "at"),
                                                          static_cast<int>(numberOf(reading, "good")),
                                                          static_cast<int>(numberOf(reading, "total"))});
        if (const JsonValue* sources = item.member("sources"))
            for (const JsonValue& source : sources->items)
                program.blockSources.push_back(source.kind == JsonValue::Number ? static_cast<int>(source.number)
                                               : source.kind == JsonValue::String ? blockCombined
                                                                                  : blockFromNone);
        archive.programs.push_back(std::move(program));
    }
    return true;
}
