// One table of recordings through the formatting of the three front ends:
// bv7 (list, wav2bin --all), the page (what its bindings hand on: the
// reading layer's value through recordView and messageLine) and Spulwerk's
// "WAV -> BIN" (the record at the start). They give the same rows, the same
// BIN names and the same messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/CliSupport.h"
#include "shell/Cp1252Text.h"
#include "shell/GlobalSettings.h"
#include "sound/WavToBin.h"
#include "support/CommandRun.h"
#include "support/RandomImage.h"
#include "support/RecordingInterface.h"
#include "support/TestFiles.h"
#include "tape/Encoder.h"
#include "tape/ReadingReport.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"
#include "support/RecordSignal.h"

namespace {
using Samples = std::vector<std::uint8_t>;


std::string writeSide(const std::string& path, const std::vector<Samples>& records) {
    Samples samples(20000, 0x80);
    for (const Samples& r : records) samples.insert(samples.end(), r.begin(), r.end()), samples.insert(samples.end(), 30000, 0x80);
    writeFile(path, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                     static_cast<std::uint32_t>(samples.size())));
    return path;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Whether `lines` stand in `text` one after the other, as whole lines.
bool holdsInOrder(const std::string& text, const std::vector<std::string>& lines) {
    const std::vector<std::string> all = linesOf(text);
    auto at = all.begin();
    for (const std::string& line : lines) {
        at = std::find(at, all.end(), line);
        if (at == all.end()) return false;
        ++at;
    }
    return true;
}

std::string plain(std::string_view text) { return cp1252ToUtf8(text); }
}

TEST(FrontEndsAgree, SameRowsBinNamesAndMessages) {
    const TapeHeader prog{"PROG", 0x1000, 0, 0x1000};
    const auto first = randomImage(768, 21), second = randomImage(600, 22);
    struct Case {
        const char* name;
        std::vector<Samples> records;
    } cases[] = {
        {"one program", {recordSignal(first, prog)}},
        {"two programs of one name", {recordSignal(first, prog), recordSignal(second, prog)}},
        {"a true copy", {recordSignal(first, prog), recordSignal(first, prog)}},
        {"a faulty block", {recordSignal(first, prog, 2)}},
        {"cut short", {recordSignal(first, prog, 0, 0.6), recordSignal(second, {"ZWEI", 0x2000, 0, 0x2000})}},
        {"a control character", {recordSignal(second, {"A\x02" "B", 0x0100, 0, 0x0100})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = freshTestDir("front-ends");
        const std::string wav = writeSide(dir + "seite.wav", c.records);

        // The page: its bindings' options, its lines.
        ReadingOptions options;
        options.triggerLevel = globalSettings().triggerLevel;
        options.everyRecord = true;
        options.measure = true;
        options.findings = FindingsWanted::OfEveryRecord;
        const SideReading page = readSideFile(readFile(wav), options, wav);
        std::vector<std::string> rows, binNames, reports, messages;
        for (const ReadRecord& read : page.records) {
            const RecordView view = recordView(page, read, cp1252ToUtf8);
            std::string row;
            for (const ListCell& cell : view.cells) row += cell.text;
            rows.push_back(row);
            if (!view.binName.empty()) binNames.push_back(cp1252ToUtf8(view.binName));
            reports.insert(reports.end(), view.report.begin(), view.report.end());
        }
        for (const ReadingMessage& message : page.messages) messages.push_back(messageLine(message));

        // bv7 list: its rows, without the heading and the findings under each.
        const CommandOutcome list = runCommand(listCommand, {wav});
        std::vector<std::string> listed;
        for (const std::string& line : linesOf(list.out))
            if (line != listHeading() && line.rfind("  ", 0) != 0 && line != "Ganze Aufnahme:") listed.push_back(line);
        EXPECT_EQ(listed, rows) << list.out;

        // bv7 wav2bin --all: the files it writes, its report, its messages.
        const CommandOutcome converted = runCommand(wav2binCommand, {wav, "--all"});
        std::vector<std::string> written;
        for (const auto& entry : std::filesystem::directory_iterator(dir))
            if (entry.path().extension() == ".BIN") written.push_back(entry.path().filename().string());
        std::sort(written.begin(), written.end());
        std::vector<std::string> offered = binNames;
        std::sort(offered.begin(), offered.end());
        EXPECT_EQ(written, offered);
        EXPECT_TRUE(holdsInOrder(converted.out, reports)) << converted.out;
        EXPECT_TRUE(holdsInOrder(converted.err, messages)) << converted.err;

        // Spulwerk's "WAV -> BIN": the record at the start, its report and
        // the proposed name as the page's, or the same message.
        RecordingInterface seam;
        seam.answers = {Answer::Yes};
        decodeWavToBin(wav, nullptr, nullptr);
        ASSERT_FALSE(seam.messages.empty());
        const ReadRecord& start = page.records.front();
        if (start.whole) {
            std::vector<std::string> box = linesOf(seam.messages[0].text);
            for (std::string& line : box)
                if (!line.empty() && line.back() == '\r') line.pop_back();
            box.front() = "Programmname:\t" + plain(shownName(start.reading.header.name));
            EXPECT_TRUE(holdsInOrder(converted.out, box)) << seam.messages[0].text;
            ASSERT_FALSE(seam.offered.empty());
            EXPECT_EQ(plain(seam.offered[0]), binNames.front());
        } else if (start.reading.status != DecodeStatus::Ok) {
            ASSERT_FALSE(page.messages.empty());
            EXPECT_EQ(seam.messages[0].text, page.messages.front().text);
        }
    }
}
