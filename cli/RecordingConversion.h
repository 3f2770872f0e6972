#pragma once
// The one way from a recording to BIN files, for wav2bin (one record, --all,
// --merge), list and record: the records of a recording read as the options
// say, reported, and saved as RecordSaving.h says.
#include <cstdint>
#include <string>
#include <vector>

#include "cli/RecordSaving.h"
#include "cli/RecordingInput.h"
#include "tape/CopyMerge.h"
#include "tape/RecordingDiagnosis.h"

namespace cli {
// The streams of the report: with the program or the labels on standard
// output, the report goes to the error stream.
CommandIo reportIoFor(const ConversionOptions& options, CommandIo& io);

// The records of `recording` as `options` say: every one (all, merge) or the
// record at its start. With keepFaulty or merge a record keeps the best
// blocks of both readers.
std::vector<DecodedRecord> readRecords(const RecordingInput& recording, const ConversionOptions& options);

// Every record of `recording` (the file `input`), as list and check show them,
// into `records`; false after the reader's message where none was found.
bool findRecords(const RecordingInput& recording, const std::string& input, bool exact,
                 std::vector<DecodedRecord>& records, std::ostream& err);

// Whose findings the report of a run shows, after the record's lines on the
// error stream: wav2bin says why a record was not read whole (a faulty block,
// or not read at all), record gives those of every record.
enum class FindingsShown { OfRecordsNotReadWhole, OfEveryRecord };

// One run: the records of each recording handed over, then the end of the
// run. Without merge each recording's records are reported and saved as they
// come; with merge the copies of all recordings are put together at the end.
class RecordingConversion {
  public:
    // `recordings`: how many recordings the run takes (their names are given
    // with the records when there are several).
    RecordingConversion(const ConversionOptions& options, std::size_t recordings, CommandIo& io);
    // The records read from `recording` (its name in messages, "-" for
    // standard input) at `rate`, with their findings; its programs are saved
    // beside it (or to -o). The findings of the recording as a whole follow
    // its records where any record's are shown.
    void add(const std::string& recording, std::uint32_t rate, std::vector<DecodedRecord> records,
             const RecordingFindings& findings, FindingsShown shown);
    // Something of the run failed before its records came (the recording or
    // its labels): the run ends with exitFailed.
    void failed() { ++failures_; }
    // Saves what merge put together, with the summary; returns the exit code:
    // exitOk exactly when every record found was read and saved.
    int finish();

  private:
    void save(const std::string& recording, std::uint32_t rate, const std::vector<DecodedRecord>& records);
    void collect(const std::string& recording, std::uint32_t rate, std::vector<DecodedRecord> records);
    bool showFindings(const DecodedRecord& record, std::size_t index);

    const RecordingFindings* findings_ = nullptr;   // of the recording being added
    FindingsShown shown_ = FindingsShown::OfRecordsNotReadWhole;
    void saveMerged();

    const ConversionOptions& options_;
    std::size_t recordings_;
    CommandIo io_;         // the report and the error stream
    RunSaving saving_;
    int failures_ = 0, found_ = 0;
    // With merge: the records read, where each came from, and its directory.
    std::vector<DecodedRecord> readings_;
    std::vector<std::string> origins_, directories_;
};

// Reads each of `inputs` ("-": standard input), writes its label file where
// options.labels asks for one (with several recordings MARKEN-1.txt,
// MARKEN-2.txt ...), and reports and saves its records. Returns the exit code.
int convertRecordings(const std::vector<std::string>& inputs, const ConversionOptions& options, CommandIo& io);
}
