#pragma once
// The lines bv7 and the page show of a reading (SideReading.h), the same
// for both: what was read of a record, a message, a program put together
// from copies, the records given up while recording. Names from tape
// (Windows-1252) reach the lines through `nameText`; the program's own
// texts are as the program holds them.
#include <cstdint>
#include <string>
#include <vector>

#include "tape/SideReading.h"

// "m:ss" of a time in milliseconds (75000 -> "1:15").
std::string minutesText(std::uint64_t milliseconds);

// "Fehler: <text> (<file>, bei 1:23.4)", "Warnung: <text>"; the brackets
// only where there is a file or a time.
std::string messageLine(const ReadingMessage& message);

// What was read of a record read to its end: "Programmname:\t..." with
// blocks, length and CRC, the three addresses, the notes (second reader,
// unsure name or sa) and a line for each faulty block.
std::vector<std::string> recordLines(const DecodedRecord& record, NameText nameText);

// The `number`-th program a merge put together: "Programm 1: 2 Kopien
// (a.wav, Aufnahme 1; b.wav, Aufnahme 1)" with the origins of `merged`'s
// records, recordLines, and where each run of blocks came from
// ("Blöcke 2-4:\taus Kopie 1").
std::vector<std::string> mergedProgramLines(const SideReading& merged, std::size_t program, NameText nameText);

// Of a recording read for a merge: each record not read, "<origin>:" and
// its message, with its findings.
std::vector<std::string> unreadLines(const SideReading& side);

// What bv7 check says of a record: "m:ss.s  NAME" (its start; "?" for a
// name not read), then, indented, what kept it from being read whole (its
// reader's message, each faulty block with its place: "Fehler: Block 3 von 5:
// Prüfsummenfehler (seite.wav, bei 0:05.2)") and its findings; only a record
// read whole with no finding is "keine Auffälligkeiten".
std::vector<std::string> checkLines(const SideReading& side, const ReadRecord& record, NameText nameText);

// A record given up while recording: "Warnung: Aufnahme bei 1:23 nicht lesbar
// (...), die Suche ging dahinter weiter.", then its findings.
std::vector<std::string> givenUpLines(const ReadRecord& record, std::uint32_t rate);

// One line per finding, "Hinweis: ..." or "Warnung: ...", after `indent`.
std::vector<std::string> findingLines(const std::vector<Finding>& findings, const std::string& indent = "");

// A record of a side as a list shows it beside its lines: the list's
// columns, its findings, recordLines where it was read to its end, and the
// program offered of it (its BIN name in Windows-1252, and its image), or
// the record it is a true copy of.
struct RecordView {
    std::vector<ListCell> cells;
    std::vector<std::string> findings;
    std::vector<std::string> report;
    std::string binName;                          // "" where none is offered
    const std::vector<std::uint8_t>* image = nullptr;
    std::string copyOf;                           // the origin of the record it copies
};
RecordView recordView(const SideReading& side, const ReadRecord& record, NameText nameText);
