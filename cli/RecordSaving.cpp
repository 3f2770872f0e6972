#include "cli/RecordSaving.h"

#include "shell/CommonServices.h"
#include "shell/Crc16.h"
#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/ReaderFallback.h"

namespace cli {
std::string binNameFor(const TapeHeader& header) {
    std::string name = proposeBinFileName(header);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '-';
    return toTerminal(name);
}

void printRecord(const DecodedRecord& record, CommandIo& io) {
    const auto& image = record.image;
    // Bytes from tape never reach the terminal as control characters.
    std::string name = record.header.name;
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '.';
    io.out << "Programmname:\t" << toTerminal(name) << "\n"
           << "gelesene Blöcke: \t" << record.blocks << "\n"
           << "Programmlänge:\t" << image.size() << "\n"
           << "Prüfsumme:\t" << formatHex4(crc16Sdlc(image.data(), image.size())) << "\n"
           << "Anfangsadresse (AA):\t" << formatHex4(record.header.aa) << "\n"
           << "Endadresse (EA):\t" << formatHex4(record.header.ea) << "\n"
           << "Startadresse (SA):\t" << formatHex4(record.header.sa) << "\n";
    if (record.filtered) io.out << filteredReportLine << "\n";
    if (record.nameUnsure) io.out << nameUnsureLine << "\n";
    if (record.startUnsure) io.out << startUnsureLine << "\n";
}

bool saveRecord(const DecodedRecord& record, const std::string& target, const SavingChoice& choice, CommandIo& io) {
    if (record.faulty > 0) {
        if (!choice.keepFaulty) {
            ui().ask(Message{faultyReportText(record), "Fehler", mb::ok, nullptr});
            io.err << "Nichts geschrieben (--keep-faulty schreibt trotzdem).\n";
            return false;
        }
        for (int block : record.faultyBlocks)
            io.err << "Warnung: " << loadString(str::checksumError) << block << "\n";
    }
    if (!writeNewFile(target, record.image.data(), record.image.size(), choice.force, io.err)) return false;
    io.out << "Binärdatei erfolgreich geschrieben: " << target << "\n";
    return true;
}

int saveRecords(const std::vector<DecodedRecord>& records, const std::string& directory, const SavingChoice& choice,
                CommandIo& io) {
    int failures = 0, number = 0;
    for (const DecodedRecord& record : records) {
        ++number;
        if (choice.all) io.out << (number > 1 ? "\n" : "") << "Aufnahme " << number << ":\n";
        if (record.status != DecodeStatus::Ok) {
            showStringError(decodeStatusMessage(record.status));
            ++failures;
            continue;
        }
        printRecord(record, io);
        std::string target = choice.output ? *choice.output : directory + binNameFor(record.header);
        if (!saveRecord(record, target, choice, io)) ++failures;
    }
    if (choice.all && records.size() > 1)
        io.out << "\n" << records.size() - static_cast<std::size_t>(failures) << " von " << records.size()
               << " Aufnahmen gelesen.\n";
    return failures > 0 ? exitFailed : exitOk;
}
}
