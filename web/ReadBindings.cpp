// Reading a recording on the page: its bytes in, the reading layer's value
// (SideReading.h) out as bv7 shows it: every record as `bv7 list` lists it,
// with its findings, the lines bv7 wav2bin prints of it and the BIN of each
// program offered; or several recordings, their copies of a program put
// together as `bv7 wav2bin --merge` does; or several made into the archive
// `bv7 archive` makes, as a zip of its folder.
// Texts cross as UTF-8; a program name from tape (Windows-1252) is turned
// into UTF-8 first, its bytes go out as they are inside the BIN image.
#include <emscripten/bind.h>
#include <emscripten/heap.h>

#include <cstdint>
#include <string>
#include <vector>

#include "shell/Cp1252Text.h"
#include "shell/GlobalSettings.h"
#include "shell/StoredZip.h"
#include "shell/StringTable.h"
#include "tape/CodedFormat.h"
#include "tape/ReadingReport.h"
#include "tape/SideArchive.h"
#include "tape/SideReading.h"
#include "web/ChosenRecording.h"
#include "web/ShownWave.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// The reading options of the page: the program's settings, as bv7's.
ReadingOptions pageOptions() {
    ReadingOptions options;
    options.triggerLevel = globalSettings().triggerLevel;
    options.everyRecord = true;
    return options;
}

// The BIN of a program offered, with its name, into `item`.
void offerBin(const OfferedProgram& program, val& item) {
    if (!program.offered) return;
    item.set("binName", cp1252ToUtf8(program.binName));
    item.set("image", web::arrayOf(program.record.image));
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

// One record of a side as the page shows it (recordView): the list's line
// and its cells, the findings, bv7 wav2bin's lines of a record read to its
// end, and the BIN of the program offered (or which record it is a copy of).
val recordRow(const SideReading& side, const ReadRecord& record) {
    const RecordView view = recordView(side, record, cp1252ToUtf8);
    val row = val::object();
    std::string line;
    val cells = val::array();
    for (const ListCell& cell : view.cells) {
        line += cell.text;
        val shown = val::object();
        shown.set("label", cell.label);
        shown.set("text", cell.text);
        cells.call<void>("push", shown);
    }
    row.set("line", line);
    row.set("cells", cells);
    row.set("findings", web::linesOf(view.findings));
    if (!view.report.empty()) row.set("report", web::linesOf(view.report));
    if (!view.copyOf.empty()) row.set("copyOf", view.copyOf);
    if (view.image) {
        row.set("binName", cp1252ToUtf8(view.binName));
        row.set("image", web::arrayOf(*view.image));
    }
    return row;
}

// Every record of a recording (a File or Blob, or a WAV file's bytes:
// readChosen) as `bv7 list` shows it, with its findings and, where it was
// read whole, its BIN image and name; or the reader's message. `head`: the
// first bytes of the file the user chose (codedFormatHead of them), which
// name its codec where the browser decoded it, as bv7 names it from the file.
val readRecording(const val& chosen, const val& head) {
    val result = val::object();
    ReadingOptions options = pageOptions();
    options.measure = true;
    options.findings = FindingsWanted::OfEveryRecord;
    options.progress = pageProgress();
    CodedFormat coded;
    if (!head.isUndefined()) {
        const std::vector<std::uint8_t> bytes = web::bytesOf(head);
        coded = codedFormatOf(ByteView(bytes));
    }
    ChosenRecording read = readChosen(chosen, options, "", true, coded);
    const SideReading& side = read.side;
    if (side.error) {
        // A WAV of a phone's codec, which bv7 reads through FFmpeg and the
        // browser cannot: the codec named, and where it can be read.
        std::string text = side.messages.front().text;
        if (text == loadString(str::notPcm) && !coded.codec.empty())
            text = "Kein PCM-Format (" + coded.codec + " in " + coded.container +
                   ") – solche Dateien liest bv7 auf dem Rechner";
        result.set("error", text);
        return result;
    }
    result.set("rate", side.rate);
    result.set("seconds", static_cast<double>(side.samples) / side.rate);
    result.set("heading", listHeading());
    val rows = val::array();
    if (side.found())
        for (const ReadRecord& record : side.records) rows.call<void>("push", recordRow(side, record));
    else
        result.set("error", side.messages.front().text);
    result.set("records", rows);
    result.set("whole", web::linesOf(findingLines(side.whole)));
    result.set("wave", keepWave(std::move(read.samples), side));
    return result;
}

// Several recordings (their names and what readChosen reads) as bv7 wav2bin --merge reads
// them: every record of each, with the best blocks of both readers; what was
// not read in bv7's lines as `unread`; the copies of each program put
// together, each program with bv7's report and its BIN where it came out whole.
val readCopies(const val& names, const val& files) {
    val result = val::object();
    std::vector<std::string> unread;
    std::vector<SideReading> sides;
    const int count = files["length"].as<int>();
    ReadingOptions options = pageOptions();
    options.keepBestBlocks = true;   // a copy brings every block it read good
    options.findings = FindingsWanted::OfRecordsNotReadWhole;
    options.originNamesFile = count > 1;
    for (int i = 0; i < count; ++i) {
        const std::string name = names[i].as<std::string>();
        SideReading side = std::move(readChosen(files[i], options, name).side);
        if (side.error) {
            unread.push_back(messageLine(side.messages.front()));
            continue;
        }
        for (const std::string& line : unreadLines(side)) unread.push_back(line);
        sides.push_back(std::move(side));
    }
    const SideReading merged = mergeSides(sides, false);
    val programs = val::array();
    for (std::size_t i = 0; i < merged.programs.size(); ++i) {
        val item = val::object();
        item.set("report", web::linesOf(mergedProgramLines(merged, i, cp1252ToUtf8)));
        offerBin(merged.programs[i], item);
        programs.call<void>("push", item);
    }
    result.set("programs", programs);
    result.set("unread", web::linesOf(unread));
    return result;
}

// Several recordings (their names and what readChosen reads) made into the
// archive `bv7 archive` makes of them in the folder `folder`: the folder as
// the bytes of a stored zip, bv7's summary lines and its messages. The zip
// holds each recording's master: its bytes are taken whole for it, and let
// go before the recording is read.
val archiveRecordings(const val& names, const val& files, const std::string& folder) {
    std::vector<std::string> messages;
    std::vector<SideReading> sides;
    std::vector<ArchiveRecording> recordings;
    std::vector<std::vector<std::uint8_t>> masters;
    ReadingOptions options = archiveReadingOptions(pageOptions());
    options.progress = pageProgress();
    const int count = files["length"].as<int>();
    for (int i = 0; i < count; ++i) {
        const std::string name = names[i].as<std::string>();
        ArchiveMaster master = makeMaster(ByteView(bytesOfChosen(files[i])), name);
        std::vector<std::string> used;
        const ArchiveRecording* same = nullptr;
        for (const ArchiveRecording& other : recordings) {
            used.push_back(other.file);
            if (other.sha256 == master.sha256) same = &other;
        }
        if (same) {
            messages.push_back("Warnung: Aufnahme ist schon im Archiv (als " + same->file +
                               "), nicht noch einmal aufgenommen: " + name);
            continue;
        }
        SideReading side = std::move(readChosen(files[i], options, name).side);
        for (const ReadingMessage& message : side.messages) messages.push_back(messageLine(message));
        if (side.error) continue;
        ArchiveRecording recording;
        recording.source = name;
        recording.sha256 = master.sha256;
        recording.seconds = master.seconds ? master.seconds : side.rate ? double(side.samples) / side.rate : 0;
        recording.file = masterName(name, master.extension, used);
        recordings.push_back(std::move(recording));
        masters.push_back(std::move(master.bytes));
        sides.push_back(std::move(side));
    }
    const SideArchive archive = buildArchive(sides, recordings, SideArchive());
    const std::string json = archiveIndexJson(archive), page = archiveIndexHtml(archive),
                      sums = archiveChecksums(archive), prefix = folder + "/";
    std::vector<ZipEntry> entries;
    for (std::size_t i = 0; i < recordings.size(); ++i)
        entries.push_back(ZipEntry{prefix + recordings[i].file, ByteView(masters[i])});
    for (const ArchiveProgram& program : archive.programs)
        if (!program.file.empty()) entries.push_back(ZipEntry{prefix + cp1252ToUtf8(program.file), ByteView(program.image)});
    auto text = [](const std::string& bytes) {
        return ByteView(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    };
    entries.push_back(ZipEntry{prefix + "SHA256SUMS", text(sums)});
    entries.push_back(ZipEntry{prefix + "index.html", text(page)});
    entries.push_back(ZipEntry{prefix + "index.json", text(json)});
    val result = val::object();
    result.set("zip", web::arrayOf(storedZip(entries)));
    result.set("lines", web::linesOf(archiveSummaryLines(archive, prefix, cp1252ToUtf8)));
    result.set("messages", web::linesOf(messages));
    result.set("complete", archive.complete());
    return result;
}

// The bytes the core's memory has grown to: it never shrinks, so after a
// reading the most the worker held for it (bench/web-speed.mjs shows it).
double heapBytes() { return static_cast<double>(emscripten_get_heap_size()); }
}

EMSCRIPTEN_BINDINGS(reading) {
    emscripten::function("readRecording", &readRecording);
    emscripten::function("readCopies", &readCopies);
    emscripten::function("archiveRecordings", &archiveRecordings);
    emscripten::function("heapBytes", &heapBytes);
}
