#include "cli/RecordingConversion.h"

#include <utility>

#include "cli/FindingsReport.h"
#include "cli/LabelFile.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeScan.h"

namespace cli {
namespace {
// The label file of the `index`-th of `count` recordings: `path` itself for
// one, else "-1", "-2" ... before its extension (MARKEN-2.txt).
std::string labelPathFor(const std::string& path, std::size_t index, std::size_t count) {
    if (count == 1 || isStandardStream(path)) return path;
    std::size_t slash = path.find_last_of("/\\"), dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
    return path.substr(0, dot) + "-" + std::to_string(index + 1) + path.substr(dot);
}
}

CommandIo reportIoFor(const ConversionOptions& options, CommandIo& io) {
    const bool standard = (options.output && isStandardStream(*options.output)) ||
                          (options.labels && isStandardStream(*options.labels));
    return CommandIo{standard ? io.err : io.out, io.err};
}

std::vector<DecodedRecord> readRecords(const RecordingInput& recording, const ConversionOptions& options) {
    ReadingChoice choice;
    choice.exact = options.exact;
    choice.keepBestBlocks = options.keepFaulty || options.merge;   // a copy brings every block it read good
    const WavSamples& wav = recording.wav;
    if (options.all || options.merge) return readEveryRecord(wav.samples, recording.settings, wav.rate, choice);
    return {decodeRecordEitherWay(wav.samples, recording.settings, wav.rate, 0, nullptr, choice)};
}

bool findRecords(const RecordingInput& recording, const std::string& input, bool exact,
                 std::vector<DecodedRecord>& records, std::ostream& err) {
    ConversionOptions options;
    options.all = true;
    options.exact = exact;
    records = readRecords(recording, options);   // never empty: where nothing is found, why
    if (foundRecord(records.front())) return true;
    reportUnread(records.front(), input, recording.wav.rate, err);
    return false;
}

RecordingConversion::RecordingConversion(const ConversionOptions& options, std::size_t recordings, CommandIo& io)
    : options_(options), recordings_(recordings), io_(reportIoFor(options, io)), saving_(options, io_) {}

void RecordingConversion::add(const std::string& recording, std::uint32_t rate, std::vector<DecodedRecord> records,
                              const RecordingFindings& findings, FindingsShown shown) {
    findings_ = &findings;
    shown_ = shown;
    if (options_.merge) collect(recording, rate, std::move(records));
    else save(recording, rate, records);
    findings_ = nullptr;
}

// The findings of the `index`-th record where they are to be shown; true
// when they were (whether or not it had any).
bool RecordingConversion::showFindings(const DecodedRecord& record, std::size_t index) {
    const bool whole = record.status == DecodeStatus::Ok && record.faulty == 0;
    if (whole && shown_ != FindingsShown::OfEveryRecord) return false;
    if (findings_ && index < findings_->perRecord.size()) printFindings(findings_->perRecord[index], "", io_.err);
    return true;
}

int RecordingConversion::finish() {
    if (options_.merge) saveMerged();
    return failures_ > 0 ? exitFailed : exitOk;
}

// Each record that was read under its own name (or -o); for one that was not,
// the reader's message. With `all` each gets a heading "Aufnahme N:" and the
// summary follows.
void RecordingConversion::save(const std::string& recording, std::uint32_t rate,
                               const std::vector<DecodedRecord>& records) {
    if (records.empty()) {
        io_.err << "Keine Aufnahme gefunden.\n";
        ++failures_;
        return;
    }
    int number = 0, found = 0, read = 0;
    bool shown = false;
    for (const DecodedRecord& record : records) {
        ++number;
        if (options_.all) io_.out << (number > 1 ? "\n" : "") << "Aufnahme " << number << ":\n";
        if (foundRecord(record)) ++found;
        if (record.status != DecodeStatus::Ok) {
            reportUnread(record, recording, rate, io_.err);
            ++failures_;
        } else {
            ++read;
            printRecord(record, io_);
            std::string target = options_.output ? *options_.output : directoryOf(recording) + binNameFor(record.header);
            if (!saving_.save(record, target, "Aufnahme " + std::to_string(number))) ++failures_;
        }
        shown = showFindings(record, static_cast<std::size_t>(number - 1)) || shown;
    }
    if (shown && findings_) printFindings(findings_->whole, "", io_.err);
    if (options_.all) {
        io_.out << "\n";
        printSummary(io_.out, found, read, saving_.written(), saving_.notSaved(), saving_.copies());
    }
}

// The records read are kept for the end of the run; for one that was not,
// its origin and the reader's message.
void RecordingConversion::collect(const std::string& recording, std::uint32_t rate,
                                  std::vector<DecodedRecord> records) {
    int number = 0;
    bool shown = false;
    for (DecodedRecord& record : records) {
        std::string origin = readingOrigin(recording, ++number, recordings_ > 1);
        if (foundRecord(record)) ++found_;
        if (record.status != DecodeStatus::Ok) {
            io_.out << origin << ":\n";
            reportUnread(record, recording, rate, io_.err);
            ++failures_;
            shown = showFindings(record, static_cast<std::size_t>(number - 1)) || shown;
            continue;
        }
        readings_.push_back(std::move(record));
        origins_.push_back(origin);
        directories_.push_back(directoryOf(recording));
    }
    if (shown && findings_) printFindings(findings_->whole, "", io_.err);
}

// The copies of each program put together, reported with where each block
// came from, and saved under the program's own name.
void RecordingConversion::saveMerged() {
    std::vector<MergedProgram> programs = mergeCopies(readings_);
    int number = 0;
    for (const MergedProgram& program : programs) {
        io_.out << "\n";
        printMergedProgram(++number, program, origins_, io_);
        std::string target = directories_[program.copies.front()] + binNameFor(program.record.header);
        if (!saving_.save(program.record, target, "Programm " + std::to_string(number))) ++failures_;
    }
    io_.out << "\n";
    // Every reading beyond the first of its program was a copy.
    const int copies = static_cast<int>(readings_.size() - programs.size()) + saving_.copies();
    printSummary(io_.out, found_, static_cast<int>(readings_.size()), saving_.written(), saving_.notSaved(), copies);
}

int convertRecordings(const std::vector<std::string>& inputs, const ConversionOptions& options, CommandIo& io) {
    const std::string* labels = options.labels;
    if (labels)
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (!mayWrite(labelPathFor(*labels, i, inputs.size()), options.force, io.err)) return exitFailed;
    RecordingConversion conversion(options, inputs.size(), io);
    CommandIo reportIo = reportIoFor(options, io);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        RecordingInput recording;
        if (!readRecording(inputs[i], recording, io.err)) {
            conversion.failed();
            continue;
        }
        std::vector<DecodedRecord> records = readRecords(recording, options);
        const RecordingFindings findings = findingsOf(recording, records);
        const std::uint32_t rate = recording.wav.rate;
        if (labels) {
            const std::string path = labelPathFor(*labels, i, inputs.size());
            if (!writeLabelFile(path, records, rate, findings, options.force, io.err)) conversion.failed();
            else if (inputs.size() > 1) reportIo.out << "Textmarken zu " << inputs[i] << ": " << path << "\n";
        }
        conversion.add(inputs[i], rate, std::move(records), findings, FindingsShown::OfRecordsNotReadWhole);
    }
    return conversion.finish();
}
}
