#include "cli/RecordSaving.h"

#include <algorithm>

#include "shell/CommonServices.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeListing.h"

namespace cli {
void reportUnread(const DecodedRecord& record, const std::string& recording, std::uint32_t rate, std::ostream& err) {
    std::string where = isStandardStream(recording) ? std::string("Standardeingabe") : recording;
    if (foundRecord(record)) where += (where.empty() ? "" : ", ") + std::string("bei ") + tapeTime(record.syncPosition, rate);
    err << "Fehler: " << loadString(decodeStatusMessage(record.status)) << (where.empty() ? "" : " (" + where + ")") << "\n";
}

std::string binNameFor(const TapeHeader& header) {
    std::string name = proposeBinFileName(header);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '-';
    return toTerminal(name);
}

void printRecord(const DecodedRecord& record, CommandIo& io) {
    // Bytes from tape never reach the terminal as control characters.
    for (const std::string& line : readingLines(record, toTerminal(shownName(record.header.name)))) io.out << line << "\n";
    io.out << "Anfangsadresse (AA):\t" << formatHex4(record.header.aa) << "\n"
           << "Endadresse (EA):\t" << formatHex4(record.header.ea) << "\n"
           << "Startadresse (SA):\t" << formatHex4(record.header.sa) << "\n";
    for (const std::string& line : readingNotes(record)) io.out << line << "\n";
    for (int block : record.faultyBlocks)
        io.out << "Block " << block << " von " << record.blocks << ": Prüfsummenfehler\n";
}

namespace {
// "Block 3" or "Blöcke 1-3".
std::string blockRange(int first, int last) {
    return first == last ? "Block " + std::to_string(first)
                         : "Blöcke " + std::to_string(first) + "-" + std::to_string(last);
}
}

std::string readingOrigin(const std::string& recording, int number, bool named) {
    return (named ? recording + ", " : std::string()) + "Aufnahme " + std::to_string(number);
}

void printMergedProgram(int number, const MergedProgram& program, const std::vector<std::string>& origins, CommandIo& io) {
    io.out << "Programm " << number << ": " << program.copies.size()
           << (program.copies.size() == 1 ? " Kopie (" : " Kopien (");
    for (std::size_t i = 0; i < program.copies.size(); ++i) io.out << (i > 0 ? "; " : "") << origins[program.copies[i]];
    io.out << ")\n";
    printRecord(program.record, io);
    const std::vector<int>& sources = program.blockSources;
    for (std::size_t first = 0, last = 0; first < sources.size(); first = last) {
        while (last < sources.size() && sources[last] == sources[first]) ++last;
        io.out << blockRange(static_cast<int>(first) + 1, static_cast<int>(last)) << ":\t";
        if (sources[first] == combinedCopies) io.out << "bitweise aus den Kopien zusammengesetzt\n";
        else if (sources[first] == noGoodCopy) io.out << "in keiner Kopie gut gelesen\n";
        else io.out << "aus Kopie " << sources[first] << "\n";
    }
}

std::string numberedBinName(const std::string& name, int number) {
    std::size_t slash = name.find_last_of("/\\"), dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
    return name.substr(0, dot) + "-" + std::to_string(number) + name.substr(dot);
}

bool RunSaving::save(const DecodedRecord& record, const std::string& target, const std::string& what) {
    const TapeHeader& header = record.header;
    for (const Written& earlier : written_)
        if (earlier.header.name == header.name && earlier.header.aa == header.aa && earlier.header.ea == header.ea &&
            earlier.header.sa == header.sa && earlier.image == record.image) {
            io_.out << "Kopie von " << earlier.what << ", schon gespeichert: " << earlier.path << "\n";
            ++copies_;
            return true;
        }
    if (record.faulty > 0) {
        if (!options_.keepFaulty) {
            ui().ask(Message{faultyReportText(record), "Fehler", mb::ok, nullptr});
            io_.err << (options_.merge ? "Nichts geschrieben (--keep-faulty schreibt trotzdem).\n"
                                       : "Nichts geschrieben (--keep-faulty schreibt trotzdem; --merge setzt "
                                         "Kopien des Programms blockweise zusammen).\n");
            ++notSaved_;
            return false;
        }
        for (int block : record.faultyBlocks)
            io_.err << "Warnung: " << loadString(str::checksumError) << block << "\n";
    }
    // A name this run wrote is never written again: another program gets a number.
    std::string path = target;
    auto used = [this](const std::string& name) {
        return std::any_of(written_.begin(), written_.end(), [&](const Written& w) { return w.path == name; });
    };
    for (int number = 2; used(path); ++number) path = numberedBinName(target, number);
    if (path != target)
        io_.out << "Ein anderes Programm dieses Laufs hat denselben Dateinamen; dieses wird gespeichert als "
                << path << "\n";
    if (!writeNewFile(path, record.image.data(), record.image.size(), options_.force, io_.err)) {
        ++notSaved_;
        return false;
    }
    if (isStandardStream(path)) io_.err << "Programm auf die Standardausgabe geschrieben.\n";
    else io_.out << "Binärdatei erfolgreich geschrieben: " << path << "\n";
    written_.push_back(Written{header, record.image, path, what});
    return true;
}

namespace {
// "1 Aufnahme", "2 Aufnahmen".
std::string counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}
}

void printSummary(std::ostream& out, int found, int read, int saved, int notSaved, int copies) {
    out << counted(found, "Aufnahme", "Aufnahmen") << " gefunden, " << read << " gelesen, "
        << counted(saved, "Programm", "Programme") << " gespeichert";
    if (copies > 0) out << (copies == 1 ? " (1 Aufnahme war eine Kopie)" : " (" + std::to_string(copies) + " Aufnahmen waren Kopien)");
    if (notSaved > 0) out << ", " << notSaved << " nicht gespeichert";
    out << ".\n";
}
}
