#include "tape/SideReading.h"

#include <algorithm>
#include <utility>

#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/BlockRepair.h"
#include "tape/CopyMerge.h"
#include "tape/FloatWav.h"
#include "tape/ReadingSession.h"
#include "tape/ReaderFallback.h"
#include "tape/WavFile.h"

namespace {
// "Aufnahme 3"; with `named`, one of several recordings: "seite.wav, Aufnahme 3".
std::string originOf(const std::string& file, std::size_t number, bool named) {
    return (named ? file + ", " : std::string()) + "Aufnahme " + std::to_string(number);
}

// Whether a program is offered: read surely, or asked for faulty ones, or
// asked to mend where mended blocks are its only flaw.
bool offeredProgram(const DecodedRecord& record, bool offerFaulty, bool repair) {
    return readSure(record) || offerFaulty ||
           (repair && readWhole(record) && !record.nameUnsure && !record.startUnsure);
}

bool sameProgram(const DecodedRecord& a, const DecodedRecord& b) {
    return a.header.name == b.header.name && a.header.aa == b.header.aa && a.header.ea == b.header.ea &&
           a.header.sa == b.header.sa && a.image == b.image;
}

// The BIN name of a program offered after `programs`: numbered where one of
// them has the name already.
void nameProgram(OfferedProgram& program, const std::vector<OfferedProgram>& programs) {
    const std::string base = binNameFor(program.record.header);
    auto used = [&programs](const std::string& name) {
        return std::any_of(programs.begin(), programs.end(),
                           [&name](const OfferedProgram& earlier) { return earlier.offered && earlier.binName == name; });
    };
    program.binName = base;
    for (program.number = 2; used(program.binName); ++program.number)
        program.binName = numberedBinName(base, program.number);
    if (program.binName == base) program.number = 1;
}

// Each record read to its end becomes a program; a true copy of one offered
// before is that one's.
void offerPrograms(SideReading& side, bool offerFaulty, bool repair = false) {
    for (std::size_t i = 0; i < side.records.size(); ++i) {
        ReadRecord& record = side.records[i];
        if (record.reading.status != DecodeStatus::Ok) continue;
        const bool offered = offeredProgram(record.reading, offerFaulty, repair);
        if (offered) {
            auto earlier = std::find_if(side.programs.begin(), side.programs.end(), [&](const OfferedProgram& program) {
                return program.offered && sameProgram(program.record, record.reading);
            });
            if (earlier != side.programs.end()) {
                record.program = static_cast<int>(earlier - side.programs.begin());
                record.copy = true;
                earlier->copies.push_back(i);
                continue;
            }
        }
        OfferedProgram program;
        program.record = record.reading;
        program.offered = offered;
        program.copies = {i};
        if (offered) nameProgram(program, side.programs);
        record.program = static_cast<int>(side.programs.size());
        side.programs.push_back(std::move(program));
    }
}

// `end`: where the recording ends (the samples read so far, live).
ReadingMessage unreadMessage(const DecodedRecord& record, const std::string& file, std::uint32_t rate,
                             std::size_t end) {
    ReadingMessage message;
    message.text = loadString(decodeStatusMessage(record.status));
    message.file = file;
    if (foundRecord(record)) message.at = record.syncPosition;
    if (record.status == DecodeStatus::CutShort) message.recordingEnd = end;
    message.rate = rate;
    return message;
}
}

std::string binNameFor(const TapeHeader& header) { return proposeBinFileName(header); }

std::string numberedBinName(const std::string& name, int number) {
    std::size_t slash = name.find_last_of("/\\"), dot = name.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
    return name.substr(0, dot) + "-" + std::to_string(number) + name.substr(dot);
}

ReadingChoice readingChoiceFor(const ReadingOptions& options) {
    ReadingChoice choice;
    choice.exact = options.exact;
    // Mending wants the soft values of both readers' best blocks.
    choice.keepBestBlocks = options.keepBestBlocks || options.repair;
    choice.equalise = options.equalise;
    return choice;
}

void repairWhereAsked(std::vector<DecodedRecord>& readings, const ReadingOptions& options, std::uint32_t rate) {
    if (options.repair)
        for (DecodedRecord& reading : readings) repairBlocks(reading, rate);
}

SideReading readSide(ByteView samples, std::uint32_t rate, const SourceFacts& source, const ReadingOptions& options,
                     const std::string& file) {
    const DecoderSettings settings = decoderSettingsAt(rate, options.triggerLevel);
    const ReadingChoice choice = readingChoiceFor(options);
    std::vector<DecodedRecord> readings;
    if (options.everyRecord) readings = readEveryRecord(samples, settings, rate, choice, options.progress);
    else readings.push_back(decodeRecordEitherWay(samples, settings, rate, 0, options.fields, choice));
    repairWhereAsked(readings, options, rate);
    const std::vector<std::size_t> starts = recordStarts(readings, rate);

    // The diagnosis only where it is shown.
    RecordingFindings findings;
    const bool diagnosed = diagnosisShown(options, readings);
    if (diagnosed) findings = diagnoseWhole(samples, rate, source, readings, starts);
    std::vector<SignalFigures> figures;
    if (options.measure)
        for (std::size_t i = 0; i < readings.size(); ++i)
            figures.push_back(measureSignal(samples, readings[i], starts[i], rate));
    return assembleSide(std::move(readings), starts, std::move(figures), diagnosed, std::move(findings), rate,
                        samples.size, options, file);
}

bool diagnosisShown(const ReadingOptions& options, const std::vector<DecodedRecord>& readings) {
    return options.findings == FindingsWanted::OfEveryRecord || options.diagnoseEvery ||
           (options.findings == FindingsWanted::OfRecordsNotReadWhole &&
            !std::all_of(readings.begin(), readings.end(), readWhole));
}

SideReading assembleSide(std::vector<DecodedRecord> readings, const std::vector<std::size_t>& starts,
                         std::vector<SignalFigures> figures, bool diagnosed, RecordingFindings findings,
                         std::uint32_t rate, std::size_t samples, const ReadingOptions& options,
                         const std::string& file) {
    SideReading side;
    side.rate = rate;
    side.samples = samples;
    side.diagnosed = diagnosed;
    side.whole = std::move(findings.whole);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        ReadRecord record;
        record.start = starts[i];
        record.whole = readWhole(readings[i]);
        record.sure = readSure(readings[i]);
        record.origin = originOf(file, i + 1, options.originNamesFile);
        record.file = file;
        if (i < figures.size()) record.figures = figures[i];
        record.findingsShown = side.diagnosed && options.findings != FindingsWanted::None &&
                               (options.findings == FindingsWanted::OfEveryRecord || !record.whole);
        if (i < findings.perRecord.size()) record.findings = std::move(findings.perRecord[i]);
        if (readings[i].status != DecodeStatus::Ok) {
            record.message = static_cast<int>(side.messages.size());
            side.messages.push_back(unreadMessage(readings[i], file, rate, samples));
        }
        record.reading = std::move(readings[i]);
        side.records.push_back(std::move(record));
    }
    offerPrograms(side, options.offerFaulty, options.repair);
    return side;
}

SideReading readSideFile(std::vector<std::uint8_t>&& bytes, const ReadingOptions& options, const std::string& file) {
    const WavSamples wav = adoptAnyWavSamples(std::move(bytes));
    if (wav.error) {
        SideReading side;
        side.error = wav.error;
        ReadingMessage message;
        message.text = wavErrorText(wav);
        message.file = file;
        side.messages.push_back(std::move(message));
        return side;
    }
    return readSide(wav.samples, wav.rate, sourceFactsOf(wav), options, file);
}

SideReading mergeSides(const std::vector<SideReading>& sides, bool offerFaulty, bool repair) {
    SideReading merged;
    std::vector<DecodedRecord> readings;
    for (const SideReading& side : sides) {
        if (merged.rate == 0) merged.rate = side.rate;
        for (const ReadRecord& record : side.records) {
            if (record.reading.status != DecodeStatus::Ok) continue;
            merged.records.push_back(record);
            merged.records.back().program = -1;
            merged.records.back().copy = false;
            readings.push_back(record.reading);
        }
    }
    for (MergedProgram& made : mergeCopies(readings)) {
        OfferedProgram program;
        program.record = std::move(made.record);
        program.copies = std::move(made.copies);
        program.blockSources = std::move(made.blockSources);
        program.sameFrameAs = made.sameFrameAs;
        program.otherBlock = made.otherBlock;
        // What no copy read good is mended only now: a copy that read a
        // block good makes it sure.
        if (repair) {
            std::vector<const DecodedRecord*> copies;
            for (std::size_t copy : program.copies) copies.push_back(&merged.records[copy].reading);
            repairFromCopies(program.record, copies, merged.rate);
        }
        program.offered = offeredProgram(program.record, offerFaulty, repair);
        if (program.offered) nameProgram(program, merged.programs);
        for (std::size_t copy : program.copies) merged.records[copy].program = static_cast<int>(merged.programs.size());
        merged.programs.push_back(std::move(program));
    }
    return merged;
}

SideReading liveSide(std::vector<DecodedRecord> records, std::vector<std::vector<Finding>> findings,
                     std::uint32_t rate, bool every, bool offerFaulty, const std::string& file) {
    SideReading side;
    side.rate = rate;
    side.diagnosed = true;
    const std::vector<std::size_t> starts = recordStarts(records, rate);
    const std::size_t kept = every ? 0 : keptRecord(records);
    for (std::size_t i = 0; i < records.size(); ++i) {
        ReadRecord record;
        record.start = starts[i];
        record.whole = readWhole(records[i]);
        record.sure = readSure(records[i]);
        if (i < findings.size()) record.findings = std::move(findings[i]);
        // Those of the sound input's rate, with each record.
        SourceFacts source;
        source.fileRate = rate;
        for (Finding& finding : sourceFindings(source, record.whole)) record.findings.push_back(std::move(finding));
        record.findingsShown = true;
        record.reading = std::move(records[i]);
        if (i < kept) {
            side.givenUp.push_back(std::move(record));
            continue;
        }
        if (!every && i > kept) break;
        record.origin = originOf("", side.records.size() + 1, false);
        record.file = file;
        if (record.reading.status != DecodeStatus::Ok) {
            record.message = static_cast<int>(side.messages.size());
            side.messages.push_back(unreadMessage(record.reading, file, rate, record.reading.endPosition));
        }
        side.records.push_back(std::move(record));
    }
    offerPrograms(side, offerFaulty);
    return side;
}
