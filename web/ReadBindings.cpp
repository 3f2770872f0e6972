// Reading a recording on the page: its bytes in, every record as `bv7 list`
// shows it out, with its findings and the BIN of each program read whole.
// Texts cross as UTF-8; a program name from tape (Windows-1252) is turned
// into UTF-8 first, its bytes go out as they are inside the BIN image.
#include <emscripten/bind.h>

#include "cli/TextConversion.h"
#include "shell/StringTable.h"
#include "tape/BinFileName.h"
#include "tape/Decoder.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"
#include "tape/WavFile.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// A program offered as a BIN is one read whole, with its name and start
// address sure; anything else is shown with why it is not.
bool readWhole(const DecodedRecord& record) {
    return record.status == DecodeStatus::Ok && record.faulty == 0 && !record.nameUnsure && !record.startUnsure;
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
        if (readWhole(record)) {
            row.set("binName", cli::cp1252ToUtf8(proposeBinFileName(record.header)));
            row.set("image", web::arrayOf(record.image));
        }
        rows.call<void>("push", row);
    }
    result.set("records", rows);
    result.set("whole", web::linesOf(findings.whole));
    if (rows["length"].as<int>() == 0) result.set("error", loadString(decodeStatusMessage(records.empty() ? DecodeStatus::NoSync : records.front().status)));
    return result;
}

}

EMSCRIPTEN_BINDINGS(reading) {
    emscripten::function("readRecording", &readRecording);
}
