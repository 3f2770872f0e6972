#pragma once
// How bv7 saves each program it read: the rules for faulty blocks and
// existing files. wav2bin (one record, --all, --merge) and record all save this way
// (RecordingConversion.h).
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CliSupport.h"
#include "tape/Decoder.h"

namespace cli {
// What a run of wav2bin, list or record is asked for.
struct ConversionOptions {
    bool exact = false;             // only the exact reader, without the noise-proof one
    bool keepFaulty = false;        // write a program with faulty blocks too, with a warning
    bool force = false;             // replace files that existed before the run
    bool all = false;               // every record of a recording, each under its own name
    bool merge = false;             // every record, copies of a program put together block by block
    bool repair = false;            // faulty blocks mended by flipping one or two weak bits, unsure
    const std::string* output = nullptr;   // -o: the one program's file ("-": standard output)
    std::string folder;             // -o naming a folder ("out/"): each program goes there under its own name
    const std::string* labels = nullptr;   // --labels: the label file ("-": standard output)
};

// The files of one run: a name this run wrote is never written again (a
// different program gets a numbered name, and --force replaces only files that
// were there before), and a true copy (same header, same image) of a program
// saved in this run is not saved twice.
class RunSaving {
  public:
    RunSaving(const ConversionOptions& options, CommandIo& io) : options_(options), io_(io) {}
    // Saves `record` (read to its end), called `what` ("Aufnahme 2") in the
    // report, under `target` (`numbered`: the reading numbered its name, as
    // another program has it); true when it was written or is a true copy of
    // a program written in this run.
    // `offered`: the reading offers it (SideReading.h); one not read surely
    // is saved only then, with its warnings.
    bool save(const DecodedRecord& record, bool offered, const std::string& target, const std::string& what,
              bool numbered = false);
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
