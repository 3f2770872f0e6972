#include "tape/ReadingReport.h"

#include "shell/HexText.h"
#include "shell/StringTable.h"
#include "tape/BlockRepair.h"
#include "tape/CopyMerge.h"
#include "tape/ReaderFallback.h"

namespace {
// "Block 3" or "Blöcke 1-3".
std::string blockRange(int first, int last) {
    return first == last ? "Block " + std::to_string(first)
                         : "Blöcke " + std::to_string(first) + "-" + std::to_string(last);
}

void append(std::vector<std::string>& lines, const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
}

// A record's origin with its recording's file: "seite.wav, Aufnahme 2".
std::string placeOf(const ReadRecord& record) {
    if (record.file.empty() || record.origin.rfind(record.file + ", ", 0) == 0) return record.origin;
    return record.file + ", " + record.origin;
}
}

std::string minutesText(std::uint64_t milliseconds) {
    std::uint64_t seconds = milliseconds / 1000;
    std::string text = std::to_string(seconds / 60) + ":";
    if (seconds % 60 < 10) text += "0";
    return text + std::to_string(seconds % 60);
}

std::string messageLine(const ReadingMessage& message) {
    std::string where = message.file;
    // A record cut off: where its data begin and where the recording ends.
    if (message.at)
        where += (where.empty() ? "" : ", ") + std::string(message.recordingEnd ? "Programm ab " : "bei ") +
                 tapeTime(*message.at, message.rate);
    if (message.recordingEnd)
        where += (where.empty() ? "" : ", ") + std::string("Aufnahme endet bei ") +
                 tapeTime(*message.recordingEnd, message.rate);
    return (message.kind == MessageKind::Error ? "Fehler: " : "Warnung: ") + message.text +
           (where.empty() ? "" : " (" + where + ")");
}

std::vector<std::string> recordLines(const DecodedRecord& record, NameText nameText) {
    // Bytes from tape never reach a terminal as control characters.
    std::vector<std::string> lines = readingLines(record, nameText(shownName(record.header.name)));
    lines.push_back("Anfangsadresse (AA):\t" + formatHex4(record.header.aa));
    lines.push_back("Endadresse (EA):\t" + formatHex4(record.header.ea));
    lines.push_back("Startadresse (SA):\t" + formatHex4(record.header.sa));
    append(lines, readingNotes(record));
    for (int block : record.faultyBlocks)
        lines.push_back("Block " + std::to_string(block) + " von " + std::to_string(record.blocks) +
                        ": Prüfsummenfehler");
    append(lines, repairedLines(record));
    return lines;
}

std::vector<std::string> mergedProgramLines(const SideReading& merged, std::size_t index, NameText nameText) {
    const OfferedProgram& program = merged.programs[index];
    std::string head = "Programm " + std::to_string(index + 1) + ": " + std::to_string(program.copies.size()) +
                       (program.copies.size() == 1 ? " Kopie (" : " Kopien (");
    for (std::size_t i = 0; i < program.copies.size(); ++i)
        head += (i > 0 ? "; " : "") + merged.records[program.copies[i]].origin;
    std::vector<std::string> lines{head + ")"};
    if (program.sameFrameAs >= 0) {
        // Never a mix of two programs written as one.
        lines.push_back("Warnung: Block " + std::to_string(program.otherBlock) + " weicht von Programm " +
                        std::to_string(program.sameFrameAs + 1) +
                        " ab (gleicher Name, gleiche Adressen): ein anderes Programm, nicht zusammengesetzt (" +
                        placeOf(merged.records[program.copies.front()]) + ")");
    }
    append(lines, recordLines(program.record, nameText));
    const std::vector<int>& sources = program.blockSources;
    for (std::size_t first = 0, last = 0; first < sources.size(); first = last) {
        while (last < sources.size() && sources[last] == sources[first]) ++last;
        std::string line = blockRange(static_cast<int>(first) + 1, static_cast<int>(last)) + ":\t";
        if (sources[first] == combinedCopies) line += "bitweise aus den Kopien zusammengesetzt";
        else if (sources[first] == noGoodCopy) line += "in keiner Kopie gut gelesen";
        else line += "aus Kopie " + std::to_string(sources[first]);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> unreadLines(const SideReading& side) {
    std::vector<std::string> lines;
    bool shown = false;
    for (const ReadRecord& record : side.records) {
        if (record.message < 0) continue;
        lines.push_back(record.origin + ":");
        lines.push_back(messageLine(side.messages[static_cast<std::size_t>(record.message)]));
        if (!record.findingsShown) continue;
        append(lines, findingLines(record.findings));
        shown = true;
    }
    if (shown) append(lines, findingLines(side.whole));
    return lines;
}

std::vector<std::string> checkLines(const SideReading& side, const ReadRecord& record, NameText nameText) {
    std::string name = record.reading.nameRead ? nameText(shownName(record.reading.header.name)) : "?";
    name.erase(name.find_last_not_of(' ') + 1);   // the name's padding
    std::vector<std::string> lines{tapeTime(record.start, side.rate) + "  " + name};
    if (record.message >= 0) lines.push_back("  " + messageLine(side.messages[static_cast<std::size_t>(record.message)]));
    for (int block : record.reading.faultyBlocks) {
        ReadingMessage faulty;
        faulty.text = "Block " + std::to_string(block) + " von " + std::to_string(record.reading.blocks) +
                      ": Prüfsummenfehler";
        faulty.file = record.file;
        const auto index = static_cast<std::size_t>(block - 1);
        if (index < record.reading.blockSpans.size()) faulty.at = record.reading.blockSpans[index].begin;
        faulty.rate = side.rate;
        lines.push_back("  " + messageLine(faulty));
    }
    // Name and sa read whole but not surely: as the report says it.
    if (record.whole && !record.sure) {
        ReadingMessage unsure;
        unsure.kind = MessageKind::Warning;
        unsure.text = notSureReason(record.reading) + ", bitte prüfen";
        unsure.file = record.file;
        unsure.at = record.reading.syncPosition;
        unsure.rate = side.rate;
        lines.push_back("  " + messageLine(unsure));
    }
    append(lines, findingLines(record.findings, "  "));
    if (lines.size() == 1) lines.push_back("  keine Auffälligkeiten");
    return lines;
}

std::vector<std::string> givenUpLines(const ReadRecord& record, std::uint32_t rate) {
    std::vector<std::string> lines{"Warnung: Aufnahme bei " +
                                   minutesText(std::uint64_t{record.reading.syncPosition} * 1000 / rate) +
                                   " nicht lesbar (" + loadString(decodeStatusMessage(record.reading.status)) +
                                   "), die Suche ging dahinter weiter."};
    append(lines, findingLines(record.findings));
    return lines;
}

std::vector<std::string> findingLines(const std::vector<Finding>& findings, const std::string& indent) {
    std::vector<std::string> lines;
    for (const Finding& finding : findings) lines.push_back(indent + findingLine(finding));
    return lines;
}

RecordView recordView(const SideReading& side, const ReadRecord& record, NameText nameText) {
    RecordView view;
    view.cells = listCells(record.reading, record.start, side.rate, record.figures, nameText);
    view.findings = findingLines(record.findings);
    if (record.reading.status == DecodeStatus::Ok) view.report = recordLines(record.reading, nameText);
    if (record.program < 0) return view;
    const OfferedProgram& program = side.programs[static_cast<std::size_t>(record.program)];
    if (record.copy) {
        view.copyOf = side.records[program.copies.front()].origin;
    } else if (program.offered) {
        view.binName = program.binName;
        view.image = &program.record.image;
    }
    return view;
}
