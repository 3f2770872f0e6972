#pragma once
// The one way from a recording to BIN files, for wav2bin (one record, --all,
// --merge) and record: each recording read by the reading layer
// (SideReading.h), its value shown, its programs saved as RecordSaving.h says.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/RecordSaving.h"
#include "tape/SideReading.h"

namespace cli {
// The streams of the report: with the program or the labels on standard
// output, the report goes to the error stream.
CommandIo reportIoFor(const ConversionOptions& options, CommandIo& io);

// The reading options of a run: every record (all, merge) or the one at the
// start; with keepFaulty or merge the best blocks of both readers; the
// findings of the records not read whole (every one's for a label file).
ReadingOptions readingOptionsFor(const ConversionOptions& options);

// What -o names: a folder for every program of the run (set as
// options.folder, -o then cleared), or one program's file.
void takeOutputFolder(ConversionOptions& options);

// One run: each recording's reading handed over, then the end of the run.
// Without merge each recording's records are reported and saved as they
// come; with merge the copies of all recordings are put together at the end.
class RecordingConversion {
  public:
    RecordingConversion(const ConversionOptions& options, CommandIo& io);
    // The reading of `recording` (its path, "-" for standard input); its
    // programs are saved beside it (or to -o). The findings shown follow
    // each record, those of the recording as a whole its records. A
    // recording may come in parts, each with the records read since the last.
    void add(const std::string& recording, SideReading side);
    // Something of the run failed before its records came (the recording or
    // its labels): the run ends with exitFailed.
    void failed() { ++failures_; }
    // Saves what merge put together, with the summary; returns the exit code:
    // exitOk exactly when every record found was read and saved.
    int finish();

  private:
    void save(const std::string& recording, const SideReading& side);
    void collect(const std::string& recording, SideReading side);
    void saveMerged();

    const ConversionOptions& options_;
    CommandIo io_;         // the report and the error stream
    RunSaving saving_;
    int failures_ = 0, found_ = 0;
    // Without merge, over every reading handed over (bv7 record hands over
    // each program the moment it is read): records so far, and those read.
    int numbered_ = 0, read_ = 0;
    // With merge: the readings of every recording and their directories.
    std::vector<SideReading> sides_;
    std::vector<std::string> directories_;
};

// Reads each of `inputs` ("-": standard input), writes its label file where
// options.labels asks for one (with several recordings MARKEN-1.txt,
// MARKEN-2.txt ...), and reports and saves its records. Returns the exit code.
int convertRecordings(const std::vector<std::string>& inputs, const ConversionOptions& options, CommandIo& io);
}
