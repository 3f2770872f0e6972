#pragma once
// What bv7 says of each record it read and how it saves it: the report lines,
// the BIN file name of the scheme, the rules for faulty blocks and existing
// files. wav2bin (one record, --all, --merge) and record all save this way
// (RecordingConversion.h).
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "tape/CopyMerge.h"
#include "tape/Decoder.h"

namespace cli {
// What a run of wav2bin, list or record is asked for.
struct ConversionOptions {
    bool exact = false;             // only the exact reader, without the noise-proof one
    bool keepFaulty = false;        // write a program with faulty blocks too, with a warning
    bool force = false;             // replace files that existed before the run
    bool all = false;               // every record of a recording, each under its own name
    bool merge = false;             // every record, copies of a program put together block by block
    const std::string* output = nullptr;   // -o: the one program's file ("-": standard output)
    const std::string* labels = nullptr;   // --labels: the label file ("-": standard output)
};

// The reader's message for a record not read, naming the recording and, where
// the record was found, its time: "Fehler: WAV: ... (seite.wav, bei 1:23.4)".
void reportUnread(const DecodedRecord& record, const std::string& recording, std::uint32_t rate, std::ostream& err);

// The decoder's proposal as a file name here: control characters read from
// tape (a name may hold any byte) become "-" as the forbidden characters do.
std::string binNameFor(const TapeHeader& header);

// The name of the `number`-th different program (from 2) of a run that would
// all get the BIN name `name`: "-2", "-3" ... behind the SA digits
// ("PROG_1000_12FF_1000-2.BIN"), which the BIN name rules read as the same header.
std::string numberedBinName(const std::string& name, int number);

// "Programmname:\t..." and the lines after it, as the exchange dialog reports,
// and a line for each faulty block.
void printRecord(const DecodedRecord& record, CommandIo& io);

// Where a reading of a merge came from: "Aufnahme 2", with several recordings
// "seite.wav, Aufnahme 2".
std::string readingOrigin(const std::string& recording, int number, bool named);

// The report on the `number`-th program a merge put together: "Programm 1: 2
// Kopien (a.wav, Aufnahme 1; b.wav, Aufnahme 1)" (`origins` of its readings),
// the lines of printRecord and which copy each block came from, a line for
// each run of blocks from the same ("Blöcke 2-4:\taus Kopie 1").
void printMergedProgram(int number, const MergedProgram& program, const std::vector<std::string>& origins, CommandIo& io);

// The files of one run: a name this run wrote is never written again (a
// different program gets a numbered name, and --force replaces only files that
// were there before), and a true copy (same header, same image) of a program
// saved in this run is not saved twice.
class RunSaving {
  public:
    RunSaving(const ConversionOptions& options, CommandIo& io) : options_(options), io_(io) {}
    // Saves `record` (read to its end), called `what` ("Aufnahme 2") in the
    // report, under `target`; true when it was written or is a true copy of a
    // program written in this run.
    bool save(const DecodedRecord& record, const std::string& target, const std::string& what);
    int written() const { return static_cast<int>(written_.size()); }
    int copies() const { return copies_; }
    int notSaved() const { return notSaved_; }

  private:
    struct Written {
        TapeHeader header;
        std::vector<std::uint8_t> image;
        std::string path, what;
    };
    const ConversionOptions& options_;
    CommandIo& io_;
    std::vector<Written> written_;
    int copies_ = 0, notSaved_ = 0;
};

// "3 Aufnahmen gefunden, 3 gelesen, 2 Programme gespeichert (1 Aufnahme war
// eine Kopie)." and what was not saved.
void printSummary(std::ostream& out, int found, int read, int saved, int notSaved, int copies);
}
