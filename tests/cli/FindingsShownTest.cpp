#include <gtest/gtest.h>

#include <sstream>

#include "bench/SignalDegrader.h"
#include "cli/Commands.h"
#include "cli/LabelFile.h"
#include "support/CommandRun.h"
#include "support/TestFiles.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"

namespace {
std::vector<std::uint8_t> recordOf(const char* name, std::size_t size) {
    std::vector<std::uint8_t> image(size);
    for (std::size_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return encodeRecordSamples(image, TapeHeader{name, 0x1000, 0, 0x1000});
}

std::vector<std::uint8_t> humming(const std::vector<std::uint8_t>& samples) {
    degrade::Faults hum;
    hum.hum = 0.1;
    return degrade::degradeSignal(samples, hum);
}

// The records one after the other with a second of silence behind each, as side.wav in `dir`.
std::string sideOf(const std::string& dir, const std::vector<std::vector<std::uint8_t>>& records) {
    std::vector<std::uint8_t> side;
    for (const auto& record : records) {
        side.insert(side.end(), record.begin(), record.end());
        side.resize(side.size() + 44100, 0x80);
    }
    const std::string wav = dir + "side.wav";
    writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, side.data(),
                                    static_cast<std::uint32_t>(side.size())));
    return wav;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
}

// bv7 list gives a record's findings indented under its line, as bv7 check
// words them; a clean record's line stands alone.
TEST(FindingsShown, ListGivesEachRecordsFindingsUnderItsLine) {
    const std::string wav = sideOf(freshTestDir("findings-list"), {recordOf("RUHIG", 300), humming(recordOf("BRUMM", 300))});
    const CommandOutcome listed = runCommand(listCommand, {wav});
    ASSERT_EQ(listed.code, 0) << listed.err;
    const std::vector<std::string> lines = linesOf(listed.out);
    ASSERT_EQ(lines.size(), 4u) << listed.out;
    EXPECT_EQ(lines[1].substr(0, 13), "0:00.0  RUHIG");
    EXPECT_NE(lines[2].find("  BRUMM "), std::string::npos) << lines[2];
    EXPECT_EQ(lines[3].substr(0, 19), "  Hinweis: Brumm 50") << lines[3];
    const CommandOutcome checked = runCommand(checkCommand, {wav});
    EXPECT_NE(checked.out.find(lines[3] + "\n"), std::string::npos) << checked.out;
}

// bv7 wav2bin says why a record was not read whole after its error line;
// of one read whole it says nothing more.
TEST(FindingsShown, Wav2BinSaysWhyARecordWasNotReadWhole) {
    const std::string dir = freshTestDir("findings-wav2bin");
    std::vector<std::uint8_t> cut = humming(recordOf("ZWEI", 600));
    cut.resize(cut.size() * 2 / 3);
    const std::string wav = sideOf(dir, {humming(recordOf("EINS", 300)), cut});
    const CommandOutcome converted = runCommand(wav2binCommand, {wav, "--all"});
    EXPECT_EQ(converted.code, 1) << "ZWEI cannot be read";
    const std::size_t error = converted.err.find("Fehler: WAV:");
    ASSERT_NE(error, std::string::npos) << converted.err;
    const std::size_t finding = converted.err.find('\n', error) + 1;
    EXPECT_EQ(converted.err.substr(finding, 17), "Hinweis: Brumm 50") << converted.err;
    EXPECT_EQ(converted.err.find("Brumm"), finding + 9) << "EINS, read whole, has none shown: " << converted.err;
}

// Every finding with a span is marked over it with its line, after the
// records' own labels; a finding without one is not.
TEST(FindingsShown, LabelsMarkEveryFindingWithASpan) {
    SideReading side;
    side.rate = 44100;
    side.whole = {Finding{FindingKind::Dropout, FindingSeverity::Warning, 100, 44100, 2205, "Aussetzer"},
                  Finding{FindingKind::LowRate, FindingSeverity::Note, 0, std::nullopt, 0, "Abtastrate"}};
    side.records.resize(2);
    side.records[0].findings = {Finding{FindingKind::Hum, FindingSeverity::Note, 20, 0, 0, "Brumm"}};
    side.records[1].findings = {Finding{FindingKind::GainControl, FindingSeverity::Note, 6, 88200, 4410, "Pumpen"}};
    std::string text;
    for (const TapeLabel& label : findingLabels(side)) text += labelLine(label, side.rate);
    EXPECT_EQ(text,
              "1.000000\t1.050000\tWarnung: Aussetzer\n"
              "2.000000\t2.100000\tHinweis: Pumpen\n");
}
