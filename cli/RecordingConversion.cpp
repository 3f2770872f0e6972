#include "cli/RecordingConversion.h"

#include <utility>

#include "cli/FindingsReport.h"
#include "cli/LabelFile.h"
#include "cli/RecordingInput.h"
#include "tape/ReaderFallback.h"
#include "tape/ReadingReport.h"

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

void printLines(const std::vector<std::string>& lines, std::ostream& out) {
    for (const std::string& line : lines) out << line << "\n";
}
}

void takeOutputFolder(ConversionOptions& options) {
    if (!options.output) return;
    options.folder = folderNamed(*options.output);
    if (!options.folder.empty()) options.output = nullptr;
}

CommandIo reportIoFor(const ConversionOptions& options, CommandIo& io) {
    const bool standard = (options.output && isStandardStream(*options.output)) ||
                          (options.labels && isStandardStream(*options.labels));
    return CommandIo{standard ? io.err : io.out, io.err};
}

ReadingOptions readingOptionsFor(const ConversionOptions& options) {
    ReadingOptions reading = settingsReadingOptions(options.exact);
    reading.everyRecord = options.all || options.merge;
    reading.keepBestBlocks = options.keepFaulty || options.merge;   // a copy brings every block it read good
    reading.offerFaulty = options.keepFaulty;
    reading.repair = options.repair && !options.merge;   // with merge, what the copies put together leave
    reading.findings = FindingsWanted::OfRecordsNotReadWhole;
    reading.diagnoseEvery = options.labels != nullptr;
    return reading;
}

RecordingConversion::RecordingConversion(const ConversionOptions& options, CommandIo& io)
    : options_(options), io_(reportIoFor(options, io)), saving_(options, io_) {}

void RecordingConversion::add(const std::string& recording, SideReading side) {
    if (options_.merge) collect(recording, std::move(side));
    else save(recording, side);
}

int RecordingConversion::finish() {
    if (options_.merge) {
        saveMerged();
    } else if (options_.all && numbered_ > 0) {
        io_.out << "\n";
        printSummary(io_.out, found_, read_, saving_.written(), saving_.notSaved(), saving_.copies());
    }
    return failures_ > 0 ? exitFailed : exitOk;
}

// Each record that was read under its own name (or -o); for one that was not,
// the reader's message. With `all` each gets a heading "Aufnahme N:", and the
// summary follows at the end of the run.
void RecordingConversion::save(const std::string& recording, const SideReading& side) {
    bool shown = false;
    for (const ReadRecord& record : side.records) {
        const int number = ++numbered_;
        if (options_.all) io_.out << (number > 1 ? "\n" : "") << "Aufnahme " << number << ":\n";
        if (foundRecord(record.reading)) ++found_;
        if (record.message >= 0) {
            io_.err << messageLine(side.messages[static_cast<std::size_t>(record.message)]) << "\n";
            ++failures_;
        } else {
            ++read_;
            printLines(recordLines(record.reading, toTerminal), io_.out);
            const OfferedProgram& program = side.programs[static_cast<std::size_t>(record.program)];
            const std::string name = program.offered ? program.binName : binNameFor(record.reading.header);
            const std::string folder = options_.folder.empty() ? directoryOf(recording) : options_.folder;
            const std::string target = options_.output ? *options_.output : folder + toTerminal(name);
            if (!saving_.save(record.reading, program.offered, target, "Aufnahme " + std::to_string(number),
                              program.number > 1))
                ++failures_;
        }
        if (record.findingsShown) printFindings(record.findings, "", io_.err);
        shown = shown || record.findingsShown;
    }
    if (shown) printFindings(side.whole, "", io_.err);
}

// The records read are kept for the end of the run; for one that was not,
// its origin and the reader's message.
void RecordingConversion::collect(const std::string& recording, SideReading side) {
    bool shown = false;
    for (const ReadRecord& record : side.records) {
        if (foundRecord(record.reading)) ++found_;
        if (record.message < 0) continue;
        io_.out << record.origin << ":\n";
        io_.err << messageLine(side.messages[static_cast<std::size_t>(record.message)]) << "\n";
        ++failures_;
        if (record.findingsShown) printFindings(record.findings, "", io_.err);
        shown = shown || record.findingsShown;
    }
    if (shown) printFindings(side.whole, "", io_.err);
    sides_.push_back(std::move(side));
    directories_.push_back(options_.folder.empty() ? directoryOf(recording) : options_.folder);
}

// The copies of each program put together, reported with where each block
// came from, and saved under the program's own name.
void RecordingConversion::saveMerged() {
    const SideReading merged = mergeSides(sides_, options_.keepFaulty, options_.repair);
    // The directory of each record read: its recording's.
    std::vector<std::string> directories;
    for (std::size_t i = 0; i < sides_.size(); ++i)
        for (const ReadRecord& record : sides_[i].records)
            if (record.reading.status == DecodeStatus::Ok) directories.push_back(directories_[i]);
    for (std::size_t i = 0; i < merged.programs.size(); ++i) {
        const OfferedProgram& program = merged.programs[i];
        io_.out << "\n";
        printLines(mergedProgramLines(merged, i, toTerminal), io_.out);
        const std::string name = program.offered ? program.binName : binNameFor(program.record.header);
        const std::string target = directories[program.copies.front()] + toTerminal(name);
        if (!saving_.save(program.record, program.offered, target, "Programm " + std::to_string(i + 1),
                          program.number > 1))
            ++failures_;
    }
    io_.out << "\n";
    // Every reading beyond the first of its program was a copy.
    const int read = static_cast<int>(merged.records.size());
    const int copies = read - static_cast<int>(merged.programs.size()) + saving_.copies();
    printSummary(io_.out, found_, read, saving_.written(), saving_.notSaved(), copies);
}

int convertRecordings(const std::vector<std::string>& inputs, const ConversionOptions& options, CommandIo& io) {
    const std::string* labels = options.labels;
    if (labels)
        for (std::size_t i = 0; i < inputs.size(); ++i)
            if (!mayWrite(labelPathFor(*labels, i, inputs.size()), options.force, io.err)) return exitFailed;
    RecordingConversion conversion(options, io);
    CommandIo reportIo = reportIoFor(options, io);
    ReadingOptions reading = readingOptionsFor(options);
    reading.originNamesFile = inputs.size() > 1;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        SideReading side;
        if (!readRecordingSide(inputs[i], reading, side, io.err)) {
            conversion.failed();
            continue;
        }
        if (labels) {
            const std::string path = labelPathFor(*labels, i, inputs.size());
            if (!writeLabelFile(path, side, options.force, io.err)) conversion.failed();
            else if (inputs.size() > 1) reportIo.out << "Textmarken zu " << inputs[i] << ": " << path << "\n";
        }
        conversion.add(inputs[i], std::move(side));
    }
    return conversion.finish();
}
}
