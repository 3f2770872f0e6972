#include "cli/RecordSaving.h"

#include <algorithm>

#include "shell/CommonServices.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/ReaderFallback.h"
#include "tape/SideReading.h"

namespace cli {
bool RunSaving::save(const DecodedRecord& record, bool offered, const std::string& target, const std::string& what,
                     bool numbered) {
    const TapeHeader& header = record.header;
    for (const Written& earlier : written_)
        if (earlier.header.name == header.name && earlier.header.aa == header.aa && earlier.header.ea == header.ea &&
            earlier.header.sa == header.sa && earlier.image == record.image) {
            io_.out << "Kopie von " << earlier.what << ", schon gespeichert: " << earlier.path << "\n";
            ++copies_;
            return true;
        }
    if (!readSure(record)) {
        if (!offered) {
            if (!readWhole(record)) ui().ask(Message{faultyReportText(record), "Fehler", mb::ok, nullptr});
            io_.err << "Fehler: " << what << " nicht gespeichert, " << notSureReason(record)
                    << (options_.merge ? " (--keep-faulty schreibt trotzdem). ("
                                       : " (--keep-faulty schreibt trotzdem; --merge setzt "
                                         "Kopien des Programms blockweise zusammen). (")
                    << target << ")\n";
            ++notSaved_;
            return false;
        }
        for (int block : record.faultyBlocks)
            io_.err << "Warnung: " << loadString(str::checksumError) << block << "\n";
        if (!record.repairedBlocks.empty())
            io_.err << "Warnung: " << what << " mit reparierten Blöcken gespeichert, unsicher – bitte prüfen\n";
    }
    // A name this run wrote is never written again: another program gets a number.
    std::string path = target;
    auto used = [this](const std::string& name) {
        return std::any_of(written_.begin(), written_.end(), [&](const Written& w) { return w.path == name; });
    };
    for (int number = 2; used(path); ++number) path = numberedBinName(target, number);
    if (path != target || numbered)
        io_.out << "Ein anderes Programm dieses Laufs hat denselben Dateinamen; dieses wird gespeichert als "
                << path << "\n";
    if (!writeNewFile(path, record.image.data(), record.image.size(), options_.force, io_.err)) {
        ++notSaved_;
        return false;
    }
    if (isStandardStream(path)) io_.err << "Programm auf die Standardausgabe geschrieben.\n";
    else if (readSure(record)) io_.out << "Binärdatei erfolgreich geschrieben: " << path << "\n";
    else io_.out << "Binärdatei geschrieben, unsicher (bitte prüfen): " << path << "\n";
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
