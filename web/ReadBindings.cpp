// Reading a recording on the page: its bytes in, every record as `bv7 list`
// shows it out, with its findings, the lines bv7 wav2bin prints of it and the
// BIN of each program read whole; or several recordings, their copies of a
// program put together as `bv7 wav2bin --merge` does.
// Texts cross as UTF-8; a program name from tape (Windows-1252) is turned
// into UTF-8 first, its bytes go out as they are inside the BIN image.
#include <emscripten/bind.h>

#include <sstream>
#include <string>

#include "cli/RecordSaving.h"
#include "cli/TextConversion.h"
#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/CopyMerge.h"
#include "tape/Decoder.h"
#include "tape/ReaderFallback.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"
#include "tape/WavFile.h"
#include "web/ShownWave.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// A program offered as a BIN is one read whole, with its name and start
// address sure; anything else is shown with why it is not.
bool readWhole(const DecodedRecord& record) {
    return record.status == DecodeStatus::Ok && record.faulty == 0 && !record.nameUnsure && !record.startUnsure;
}

// What bv7 wav2bin prints of a record read to its end: name, blocks, length,
// CRC, the addresses, its notes and faulty blocks.
val reportOf(const DecodedRecord& record) {
    std::ostringstream out;
    cli::CommandIo io{out, out};
    cli::printRecord(record, io);
    return web::linesOfText(out.str());
}

// The BIN of a program read whole, with its name, into `item`.
void offerBin(const DecodedRecord& record, val& item) {
    if (!readWhole(record)) return;
    item.set("binName", cli::cp1252ToUtf8(proposeBinFileName(record.header)));
    item.set("image", web::arrayOf(record.image));
}

// How far the scan got goes to `coreProgress(done, total)` where the page's
// worker set one for the call; without one, to nobody.
ScanProgress pageProgress() {
    const val report = val::global("coreProgress");
    if (report.typeOf().as<std::string>() != "function") return nullptr;
    return [report](std::size_t done, std::size_t total) {
        report(static_cast<double>(done), static_cast<double>(total));
    };
}

// Every record of a recording as `bv7 list` shows it, with its findings and,
// where it was read whole, its BIN image and name; or the reader's message.
val readRecording(const val& fileBytes) {
    val result = val::object();
    WavSamples wav = adoptWavSamples(web::bytesOf(fileBytes));
    if (wav.error) {
        result.set("error", loadString(wav.error));
        return result;
    }
    const std::vector<DecodedRecord> records =
        readEveryRecord(wav.samples, decoderSettingsAt(wav.rate, DecoderSettings{}.triggerLevel), wav.rate, ReadingChoice{}, pageProgress());
    const RecordingFindings findings = diagnoseWhole(wav.samples, wav.rate, sourceFactsOf(wav), records);
    const std::vector<std::size_t> starts = recordStarts(records, wav.rate);
    result.set("rate", wav.rate);
    result.set("seconds", static_cast<double>(wav.samples.size) / wav.rate);
    result.set("heading", listHeading());
    val rows = val::array();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DecodedRecord& record = records[i];
        if (!foundRecord(record) && record.status != DecodeStatus::NoSyncBehindLeadIn) continue;
        val row = val::object();
        const SignalFigures figures = measureSignal(wav.samples, record, starts[i], wav.rate);
        row.set("line", listLine(record, starts[i], wav.rate, figures, cli::cp1252ToUtf8));
        row.set("findings", web::linesOf(i < findings.perRecord.size() ? findings.perRecord[i] : std::vector<Finding>{}));
        if (record.status == DecodeStatus::Ok) row.set("report", reportOf(record));
        offerBin(record, row);
        rows.call<void>("push", row);
    }
    result.set("records", rows);
    result.set("whole", web::linesOf(findings.whole));
    if (rows["length"].as<int>() == 0) result.set("error", loadString(decodeStatusMessage(records.empty() ? DecodeStatus::NoSync : records.front().status)));
    result.set("wave", keepWave(std::move(wav), records));
    return result;
}

// Several recordings (their names and bytes) as bv7 wav2bin --merge reads
// them: every record of each, with the best blocks of both readers; what was
// not read in bv7's lines as `unread`; the copies of each program put
// together, each program with bv7's report and its BIN where it came out whole.
val readCopies(const val& names, const val& files) {
    val result = val::object();
    std::ostringstream unread;
    std::vector<DecodedRecord> readings;
    std::vector<std::string> origins;
    const int count = files["length"].as<int>();
    for (int i = 0; i < count; ++i) {
        const std::string name = names[i].as<std::string>();
        WavSamples wav = adoptWavSamples(web::bytesOf(files[i]));
        if (wav.error) {
            unread << "Fehler: " << loadString(wav.error) << " (" << name << ")\n";
            continue;
        }
        ReadingChoice choice;
        choice.keepBestBlocks = true;   // a copy brings every block it read good
        std::vector<DecodedRecord> records =
            readEveryRecord(wav.samples, decoderSettingsAt(wav.rate, DecoderSettings{}.triggerLevel), wav.rate, choice);
        int number = 0;
        for (DecodedRecord& record : records) {
            const std::string origin = cli::readingOrigin(name, ++number, count > 1);
            if (record.status != DecodeStatus::Ok) {
                unread << origin << ":\n";
                cli::reportUnread(record, name, wav.rate, unread);
                continue;
            }
            readings.push_back(std::move(record));
            origins.push_back(origin);
        }
    }
    val programs = val::array();
    int number = 0;
    for (const MergedProgram& program : mergeCopies(readings)) {
        std::ostringstream out;
        cli::CommandIo io{out, out};
        cli::printMergedProgram(++number, program, origins, io);
        val item = val::object();
        item.set("report", web::linesOfText(out.str()));
        offerBin(program.record, item);
        programs.call<void>("push", item);
    }
    result.set("programs", programs);
    result.set("unread", web::linesOfText(unread.str()));
    return result;
}
}

EMSCRIPTEN_BINDINGS(reading) {
    emscripten::function("readRecording", &readRecording);
    emscripten::function("readCopies", &readCopies);
}
