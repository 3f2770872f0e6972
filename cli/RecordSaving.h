#pragma once
// What bv7 says of each record it read and how it saves it: the report lines,
// the BIN file name of the scheme, the rules for faulty blocks and existing
// files. wav2bin (one record, --all, --merge) and record all save this way.
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "tape/Decoder.h"

namespace cli {
struct SavingChoice {
    bool keepFaulty = false;        // write a program with faulty blocks too, with a warning
    bool force = false;             // replace files that exist
    bool all = false;               // every record of the recording, each under its own name
    const std::string* output = nullptr;   // -o: the one program's file ("-": standard output)
};

// The decoder's proposal as a file name here: control characters read from
// tape (a name may hold any byte) become "-" as the forbidden characters do.
std::string binNameFor(const TapeHeader& header);

// "Programmname:\t..." and the lines after it, as the exchange dialog reports.
void printRecord(const DecodedRecord& record, CommandIo& io);

// Writes one decoded record to `target`; false when it was not written.
bool saveRecord(const DecodedRecord& record, const std::string& target, const SavingChoice& choice, CommandIo& io);

// Reports and saves the records read from one recording beside `directory`
// ("dir/" or ""): each record that was read, under its own name (or `output`);
// for one that was not, the reader's message. With `all` each gets a heading
// "Aufnahme N:" and a count at the end. Returns the exit code.
int saveRecords(const std::vector<DecodedRecord>& records, const std::string& directory, const SavingChoice& choice,
                CommandIo& io);
}
