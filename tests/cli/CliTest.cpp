#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/CliSupport.h"
#include "bench/SignalDegrader.h"
#include "cli/Commands.h"
#include "sound/BinToWav.h"
#include "sound/TempWav.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"
#include "support/RandomImage.h"
#include "support/CommandRun.h"
#include "support/TestFiles.h"

namespace {
bool exists(const std::string& path) { return std::ifstream(path).good(); }

// A fresh directory per test, so names never collide.
std::string freshDir(const std::string& name) { return freshTestDir("cli-" + name); }

using Outcome = CommandOutcome;
Outcome run(CommandFunction command, const CommandArgs& args) { return runCommand(command, args); }

std::vector<std::uint8_t> image(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return bytes;
}
}

TEST(Cli, Bin2WavWritesWhatTheEncoderWrites) {
    std::string dir = freshDir("bin2wav");
    std::string bin = dir + "PROG_1000_12BB_1234.BIN";
    writeFile(bin, image(700));
    Outcome result = run(bin2wavCommand, {bin});
    ASSERT_EQ(result.code, 0) << result.err;
    ASSERT_TRUE(exists(dir + "PROG.wav"));

    setTempWavPath(dir + "temp.wav");
    ASSERT_EQ(encodeStandardWav(EncodeVariant::Write, bin, TapeHeader{"PROG", 0x1000, 0x12BB, 0x1234}), 0);
    EXPECT_EQ(readFile(dir + "PROG.wav"), readFile(dir + "temp.wav"));
    setTempWavPath("temp.wav");

    // Never overwritten without --force.
    writeFile(dir + "PROG.wav", {1});
    result = run(bin2wavCommand, {bin});
    EXPECT_EQ(result.code, 1);
    EXPECT_NE(result.err.find("Datei existiert schon"), std::string::npos);
    EXPECT_EQ(readFile(dir + "PROG.wav"), std::vector<std::uint8_t>{1});
    EXPECT_EQ(run(bin2wavCommand, {bin, "--force"}).code, 0);
    EXPECT_EQ(readFile(dir + "PROG.wav"), readFile(dir + "temp.wav"));
}

TEST(Cli, Bin2WavTakesTheHeaderFromOptions) {
    std::string dir = freshDir("options");
    std::string bin = dir + "plain.bin";
    writeFile(bin, image(10));
    struct Case {
        CommandArgs args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {{bin}, 2, "Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben."},
        {{bin, "--name", "X", "--aa", "1000"}, 2, "Du musst jetzt noch Programmname sowie Adressen anpassen"},
        {{bin, "--name", "X", "--aa", "10g0", "--sa", "1000"}, 2, "Eingabe HEX-Adresse fehlerhaft."},
        {{bin, "--bogus"}, 2, "Unbekannte Option: --bogus"},
        {{bin, "-o"}, 2, "Option -o braucht einen Wert."},
        {{}, 2, "Genau eine BIN-Datei angeben."},
        {{dir + "missing_1000_1000_1000.BIN"}, 1, "Binärdatei konnte nicht geöffnet werden."},
    };
    for (const Case& c : cases) {
        Outcome result = run(bin2wavCommand, c.args);
        EXPECT_EQ(result.code, c.code) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }

    // An umlaut typed in UTF-8 goes on tape as the Windows-1252 byte and comes back as UTF-8.
    Outcome encoded = run(bin2wavCommand, {bin, "--name", "MÄRCHEN_1", "--aa", "1000", "--sa", "1003", "-o", dir + "m.wav"});
    ASSERT_EQ(encoded.code, 0) << encoded.err;
    EXPECT_NE(encoded.err.find("Programmname enthielt 'Unterstrich'"), std::string::npos) << encoded.err;
    Outcome decoded = run(wav2binCommand, {dir + "m.wav"});
    ASSERT_EQ(decoded.code, 0) << decoded.err;
    EXPECT_NE(decoded.out.find("Programmname:\tMÄRCHEN-1       \n"), std::string::npos) << decoded.out;
    EXPECT_EQ(readFile(dir + "MÄRCHEN-1_1000_1009_1003.BIN"), image(10));
}

TEST(Cli, Wav2BinReportsAndRefusesFaultyBlocks) {
    std::string dir = freshDir("faulty");
    auto bytes = layoutTapeRecord(image(600), TapeHeader{"BAD", 0x2000, 0, 0x2000});
    bytes[512 + 2 + 16 + 256 + 4 + 256 + 5 + 1] ^= 0x10;   // block 2
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    std::string wav = dir + "bad.wav";
    writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                    static_cast<std::uint32_t>(samples.size())));
    std::string target = dir + "BAD_2000_2257_2000.BIN";

    Outcome refused = run(wav2binCommand, {wav});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("Blöcke gelesen:\t3\ndavon fehlerhaft:\t1"), std::string::npos) << refused.err;
    EXPECT_FALSE(exists(target));

    Outcome kept = run(wav2binCommand, {wav, "--keep-faulty"});
    EXPECT_EQ(kept.code, 0);
    EXPECT_NE(kept.err.find("Warnung: WAV: Prüfsummenfehler in Block 2\n"), std::string::npos) << kept.err;
    EXPECT_EQ(readFile(target).size(), 600u);
}

TEST(Cli, Wav2BinFallsBackToTheSecondReaderUnlessExact) {
    std::string dir = freshDir("worn");
    degrade::Faults faults;
    faults.hum = 2;
    auto samples = degrade::degradeSignal(encodeRecordSamples(image(300), TapeHeader{"BRUMM", 0x1000, 0, 0x1000}), faults);
    std::string wav = dir + "worn.wav";
    writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                    static_cast<std::uint32_t>(samples.size())));

    Outcome exact = run(wav2binCommand, {wav, "--exact", "-o", dir + "exact.bin"});
    EXPECT_EQ(exact.code, 1);
    EXPECT_NE(exact.err.find("WAV: "), std::string::npos) << exact.err;
    EXPECT_FALSE(exists(dir + "exact.bin"));

    Outcome both = run(wav2binCommand, {wav, "-o", dir + "both.bin"});
    EXPECT_EQ(both.code, 0) << both.err;
    EXPECT_NE(both.out.find("Startadresse (SA):\t1000\nmit Störfilter gelesen\n"), std::string::npos) << both.out;
    EXPECT_EQ(readFile(dir + "both.bin"), image(300));
}

// At hiss of 1.25 times the peak (seed 8) the second reader reads "REAL" as
// "ZEAL" with every block good: the weak name bit is reported, and the
// program is not saved as good (only with --keep-faulty).
TEST(Cli, Wav2BinReportsANameReadWithAWeakBitAndSavesItOnlyWhenAsked) {
    std::string dir = freshDir("unsure");
    degrade::Faults faults;
    faults.noise = 1.25;
    faults.seed = 8;
    auto samples = degrade::degradeSignal(encodeRecordSamples(randomImage(2048, 2), TapeHeader{"REAL", 0x1000, 0, 0x1000}), faults);
    std::string wav = dir + "real.wav";
    writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                    static_cast<std::uint32_t>(samples.size())));
    Outcome result = run(wav2binCommand, {wav});
    EXPECT_EQ(result.code, 1) << result.err;
    EXPECT_NE(result.out.find("Programmname:\tZEAL            \n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("mit Störfilter gelesen\nProgrammname unsicher gelesen, bitte prüfen\n"),
              std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Startadresse unsicher"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Binärdatei"), std::string::npos) << result.out;
    EXPECT_NE(result.err.find("Fehler: Aufnahme 1 nicht gespeichert, Programmname unsicher gelesen (--keep-faulty"),
              std::string::npos) << result.err;
    EXPECT_FALSE(exists(dir + "ZEAL_1000_17FF_1000.BIN"));

    Outcome kept = run(wav2binCommand, {wav, "--keep-faulty"});
    EXPECT_EQ(kept.code, 0) << kept.err;
    EXPECT_TRUE(exists(dir + "ZEAL_1000_17FF_1000.BIN"));
}

TEST(Cli, Wav2BinReadsAWholeTapeSide) {
    std::string dir = freshDir("all");
    auto side = encodeRecordSamples(image(300), TapeHeader{"EINS", 0x1000, 0, 0x1000});
    side.insert(side.end(), 30000, 0x80);
    auto second = encodeRecordSamples(image(20), TapeHeader{"ZWEI", 0x4000, 0, 0x4000});
    side.insert(side.end(), second.begin(), second.end());
    std::string wav = dir + "side.wav";
    writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, side.data(),
                                    static_cast<std::uint32_t>(side.size())));

    Outcome single = run(wav2binCommand, {wav, "-o", dir + "first.bin"});
    EXPECT_EQ(single.code, 0);
    EXPECT_EQ(readFile(dir + "first.bin"), image(300));

    Outcome all = run(wav2binCommand, {wav, "--all"});
    EXPECT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(readFile(dir + "EINS_1000_112B_1000.BIN"), image(300));
    EXPECT_EQ(readFile(dir + "ZWEI_4000_4013_4000.BIN"), image(20));
    EXPECT_NE(all.out.find("Aufnahme 2:"), std::string::npos);

    // A first record in hiss that only the second reader finds, and reads with
    // faulty blocks: it is reported, and the search goes on behind it.
    degrade::Faults hiss;
    hiss.noise = 1.25;
    auto worn = degrade::degradeSignal(encodeRecordSamples(image(2048), TapeHeader{"RAUSCH", 0x1000, 0, 0x1000}), hiss);
    worn.insert(worn.end(), 30000, 0x80);
    worn.insert(worn.end(), second.begin(), second.end());
    writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, worn.data(),
                                    static_cast<std::uint32_t>(worn.size())));
    std::remove((dir + "ZWEI_4000_4013_4000.BIN").c_str());
    Outcome past = run(wav2binCommand, {wav, "--all"});
    EXPECT_EQ(past.code, 1) << "not every record was read";
    EXPECT_NE(past.err.find("davon fehlerhaft:"), std::string::npos) << past.err;
    EXPECT_NE(past.out.find("2 Aufnahmen gefunden, 2 gelesen, 1 Programm gespeichert, 1 nicht gespeichert."), std::string::npos) << past.out;
    EXPECT_EQ(readFile(dir + "ZWEI_4000_4013_4000.BIN"), image(20));

    EXPECT_EQ(run(wav2binCommand, {wav, "--all", "-o", dir + "x.bin"}).code, 2);
    EXPECT_EQ(run(wav2binCommand, {wav, "-o", "-", "--labels", "-"}).code, 2) << "both on standard output";
    Outcome silent = run(wav2binCommand, {dir + "first.bin"});
    EXPECT_EQ(silent.code, 1);
    EXPECT_NE(silent.err.find("RIFF-Chunk nicht gefunden."), std::string::npos);
}

TEST(Cli, ListAndLabelsShowWhereATapeFails) {
    std::string dir = freshDir("list");
    // EINS with a wrong byte in block 2, ZWEI, and DREI cut off inside its first block.
    auto eins = layoutTapeRecord(image(600), TapeHeader{"EINS", 0x2000, 0, 0x2000});
    const std::size_t firstLength = tape::leadInBytes + 2 + tape::nameBytes + tape::gapBytes + 1;
    eins[firstLength + 4 + 256 + 5 + 1] ^= 0x10;   // block 2
    auto zwei = layoutTapeRecord(image(20), TapeHeader{"ZWEI", 0x4000, 0, 0x4000});
    auto drei = layoutTapeRecord(image(300), TapeHeader{"DREI", 0x1000, 0, 0x1000});
    drei.resize(firstLength + 100);
    // Where the encoder put byte `index` of a record that starts at sample `at`.
    std::vector<std::uint8_t> side(1200000, 0x80), scratch(side.size());
    auto byteAt = [&scratch](const std::vector<std::uint8_t>& bytes, std::size_t index, std::size_t at) {
        return at + encodeBytesInto(bytes.data(), index, 14, scratch.data());
    };
    const std::size_t zweiAt = byteAt(eins, eins.size(), 0) + 35000, dreiAt = byteAt(zwei, zwei.size(), zweiAt) + 35000;
    const std::pair<const std::vector<std::uint8_t>*, std::size_t> pieces[] = {{&eins, 0}, {&zwei, zweiAt}, {&drei, dreiAt}};
    for (const auto& [bytes, at] : pieces) encodeBytesInto(bytes->data(), bytes->size(), 14, side.data() + at);
    side.resize(byteAt(drei, drei.size(), dreiAt));
    std::string wav = dir + "side.wav";
    writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, side.data(),
                                    static_cast<std::uint32_t>(side.size())));

    // ZWEI begins at 8.380 s, DREI at 13.598 s.
    Outcome listed = run(listCommand, {wav, "--labels", dir + "marken.txt"});
    EXPECT_EQ(listed.code, 0) << listed.err;
    EXPECT_EQ(listed.out,
              "Start   Name              AA   EA   SA    Blöcke  Leser       Spitze  Rauschabstand\n"
              "0:00.0  EINS              2000 2257 2000     2/3  genau         80 %  >40 dB  Block 2 von 3: Prüfsummenfehler\n"
              "0:08.3  ZWEI              4000 4013 4000     1/1  genau         80 %  >40 dB\n"
              "0:13.5  DREI              ---- ---- ----     0/1  genau         80 %  >40 dB  "
              "WAV: Aufnahme endet mitten in den Daten.\n");

    // The label file as an audio editor reads it: start, end, text; six decimals.
    struct Expected {
        std::size_t begin, end;
        const char* text;
        double slack;   // seconds: a record's start is estimated, a block found to a cell or two
    };
    auto block = [&](const std::vector<std::uint8_t>& bytes, std::size_t at, int number, std::size_t count,
                     const char* text) {
        const std::size_t length = firstLength + static_cast<std::size_t>(number - 1) * (256 + 5);
        return Expected{byteAt(bytes, length, at), byteAt(bytes, length + 4 + count, at), text, 0.002};
    };
    const Expected expected[] = {
        {0, byteAt(eins, eins.size(), 0), "EINS AA 2000 EA 2257 SA 2000", 0.01},
        block(eins, 0, 1, 256, "Block 1 gut"),
        block(eins, 0, 2, 256, "Block 2 Prüfsummenfehler"),
        block(eins, 0, 3, 88, "Block 3 gut"),
        {zweiAt, byteAt(zwei, zwei.size(), zweiAt), "ZWEI AA 4000 EA 4013 SA 4000", 0.01},
        block(zwei, zweiAt, 1, 20, "Block 1 gut"),
        {dreiAt, side.size(), "DREI", 0.01},
        {side.size(), side.size(), "WAV: Aufnahme endet mitten in den Daten.", 0},
    };
    const auto file = readFile(dir + "marken.txt");
    std::istringstream labels(std::string(file.begin(), file.end()));
    std::string line;
    for (const Expected& label : expected) {
        ASSERT_TRUE(std::getline(labels, line)) << label.text;
        std::istringstream fields(line);
        std::string begin, end, text;
        ASSERT_TRUE(std::getline(fields, begin, '\t') && std::getline(fields, end, '\t') && std::getline(fields, text));
        EXPECT_EQ(text, label.text);
        for (const auto& [field, sample] : {std::make_pair(begin, label.begin), std::make_pair(end, label.end)}) {
            EXPECT_EQ(field.size() - field.find('.'), 7u) << field;
            EXPECT_NEAR(std::stod(field), sample / 44100.0, label.slack + 0.000001) << label.text;
        }
    }
    EXPECT_FALSE(std::getline(labels, line)) << line;

    // wav2bin --all writes the same labels.
    EXPECT_EQ(run(wav2binCommand, {wav, "--all", "--labels", dir + "all.txt"}).code, 1) << "DREI cannot be read";
    EXPECT_EQ(readFile(dir + "all.txt"), readFile(dir + "marken.txt"));
    EXPECT_EQ(run(listCommand, {wav, "--labels", dir + "all.txt"}).code, 1) << "an existing file is kept";
}

namespace {
// The recording of `header` and `data` with 5 ms (220 samples) at the centre
// line 100 bytes into block `block`.
std::vector<std::uint8_t> withDropout(const std::vector<std::uint8_t>& data, const TapeHeader& header, int block) {
    auto samples = encodeRecordSamples(data, header);
    const double perByte = static_cast<double>(samples.size()) / static_cast<double>(layoutTapeRecord(data, header).size());
    auto at = samples.begin() + static_cast<std::ptrdiff_t>(
                                    perByte * (tape::fixedBytes - 3 + (block - 1) * (256 + tape::blockFramingBytes) + 100));
    std::fill(at, at + 220, std::uint8_t{0x80});
    return samples;
}

std::string writeWav(const std::string& path, const std::vector<std::uint8_t>& samples, std::uint32_t rate = 44100) {
    writeFile(path, makeWavFileBytes(AudioFormat{1, 1, rate, rate, 1, 8, 0}, samples.data(),
                                     static_cast<std::uint32_t>(samples.size())));
    return path;
}
}

// Two copies of a program, each with a dropout in another block: one side
// holding both, or two recordings.
TEST(Cli, Wav2BinMergesCopiesOfAProgram) {
    const TapeHeader header{"DOPPELT", 0x1000, 0, 0x1000};
    auto first = withDropout(image(1024), header, 1), second = withDropout(image(1024), header, 3);
    auto side = first;
    side.insert(side.end(), 30000, 0x80);
    side.insert(side.end(), second.begin(), second.end());
    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> recordings;
        const char* copies;
    } cases[] = {
        {"one side", {side}, "Programm 1: 2 Kopien (Aufnahme 1; Aufnahme 2)\n"},
        {"two recordings", {first, second}, "Programm 1: 2 Kopien (DIR0.wav, Aufnahme 1; DIR1.wav, Aufnahme 1)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = freshDir("merge"), copies = c.copies;
        CommandArgs args{"--merge"};
        for (std::size_t i = 0; i < c.recordings.size(); ++i) {
            std::string wav = writeWav(dir + std::to_string(i) + ".wav", c.recordings[i]);
            args.push_back(wav);
            std::size_t mark = copies.find("DIR" + std::to_string(i));
            if (mark != std::string::npos) copies.replace(mark, 3, dir);
        }
        Outcome alone = run(wav2binCommand, {args[1], "-o", dir + "alone.bin"});
        EXPECT_EQ(alone.code, 1) << "one copy alone has a faulty block";
        args.insert(args.end(), {"--labels", dir + "marken.txt"});
        Outcome merged = run(wav2binCommand, args);
        EXPECT_EQ(merged.code, 0) << merged.err;
        // A label track for each recording, over its own records.
        for (std::size_t i = 0; i < c.recordings.size(); ++i) {
            const auto labels = readFile(c.recordings.size() == 1 ? dir + "marken.txt" : dir + "marken-" + std::to_string(i + 1) + ".txt");
            const std::string text(labels.begin(), labels.end());
            EXPECT_NE(text.find("\tDOPPELT AA 1000 EA 13FF SA 1000\n"), std::string::npos) << i << "\n" << text;
        }
        EXPECT_NE(merged.out.find(copies), std::string::npos) << merged.out;
        EXPECT_NE(merged.out.find("Block 1:\taus Kopie 2\nBlöcke 2-4:\taus Kopie 1\n"), std::string::npos) << merged.out;
        EXPECT_EQ(readFile(dir + "DOPPELT_1000_13FF_1000.BIN"), image(1024));
    }
    EXPECT_EQ(run(wav2binCommand, {"--merge", "x.wav", "-o", "y.bin"}).code, 2);
}

// A block that no copy read good fails the program, unless --keep-faulty. At
// 22050 per second: the first reader takes the threshold of the recording's rate.
TEST(Cli, Wav2BinMergeNamesABlockNoCopyReadGood) {
    std::string dir = freshDir("merge-faulty");
    auto bytes = layoutTapeRecord(image(600), TapeHeader{"BAD", 0x2000, 0, 0x2000});
    bytes[tape::fixedBytes - 3 + 256 + tape::blockFramingBytes + 10] ^= 0x10;   // block 2
    std::vector<std::uint8_t> samples(bytes.size() * 120);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 7, samples.data()));
    auto side = samples;
    side.insert(side.end(), 15000, 0x80);
    side.insert(side.end(), samples.begin(), samples.end());
    std::string wav = writeWav(dir + "bad.wav", side, 22050), target = dir + "BAD_2000_2257_2000.BIN";

    Outcome refused = run(wav2binCommand, {"--merge", wav});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.out.find("Block 1:\taus Kopie 1\nBlock 2:\tin keiner Kopie gut gelesen\nBlock 3:\taus Kopie 1\n"),
              std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("2 Aufnahmen gefunden, 2 gelesen, 0 Programme gespeichert (1 Aufnahme war eine Kopie), 1 nicht gespeichert."), std::string::npos) << refused.out;
    EXPECT_EQ(refused.out.find(filteredReportLine), std::string::npos) << "clean copies: the exact reader's";
    EXPECT_FALSE(exists(target));

    Outcome kept = run(wav2binCommand, {"--merge", wav, "--keep-faulty"});
    EXPECT_EQ(kept.code, 0) << kept.err;
    EXPECT_NE(kept.err.find("Warnung: WAV: Prüfsummenfehler in Block 2\n"), std::string::npos) << kept.err;
    EXPECT_EQ(readFile(target).size(), 600u);
}

// A combination of wav2bin's options that cannot be is refused with its
// reason before the recording is read (which here would fail with exit 1);
// --all with -o and both on standard output: Wav2BinReadsAWholeTapeSide.
TEST(Cli, Wav2BinRefusesOptionsThatCannotGoTogether) {
    const std::string wav = "/nonexistent/x.wav";
    struct Case {
        CommandArgs args;
        const char* message;
    };
    const Case cases[] = {
        {{"--merge", wav, "-o", "x.BIN"}, "-o geht nicht mit --merge"},
        {{"--merge"}, "Mindestens eine WAV-Datei angeben."},
        {{"--merge", wav, wav, "--labels", "-"}, "--labels - geht mit --merge nur bei einer Aufnahme."},
        {{wav, wav}, "Genau eine WAV-Datei angeben."},
    };
    for (const Case& c : cases) {
        Outcome result = run(wav2binCommand, c.args);
        EXPECT_EQ(result.code, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
}

TEST(Cli, CrcAndHexdumpPrintTheToolsLines) {
    std::string dir = freshDir("inspect");
    writeFile(dir + "nine", {'1', '2', '3', '4', '5', '6', '7', '8', '9'});
    writeFile(dir + "empty", {});
    Outcome crc = run(crcCommand, {dir + "nine", dir + "empty", dir + "missing"});
    EXPECT_EQ(crc.code, 1);
    EXPECT_EQ(crc.out, "CRC (SDLC): 29B1  " + dir + "nine\nCRC (SDLC): FFFF  " + dir + "empty\n");
    EXPECT_NE(crc.err.find("Binärdatei konnte nicht geöffnet werden."), std::string::npos);

    writeFile(dir + "AB_1000_1001_1000.BIN", {'A', 'B'});
    Outcome dump = run(hexdumpCommand, {dir + "AB_1000_1001_1000.BIN", "--ascii"});
    EXPECT_EQ(dump.code, 0);
    // CRC-16 (0x1021, start 0xFFFF, unreflected) of "AB", computed bit by bit apart from the program: 4B74.
    EXPECT_EQ(dump.out, "1000H: 41 42" + std::string(14 * 3 + 1, ' ') + "| AB\n \nCRC (SDLC) = 4B74\n");
    EXPECT_EQ(run(hexdumpCommand, {}).code, 2);
    EXPECT_EQ(run(hexdumpCommand, {dir + "empty"}).out, " \nCRC (SDLC) = FFFF\n");
}

TEST(Cli, ConvertsBetweenUtf8AndWindows1252) {
    struct Case {
        std::string utf8;
        std::string cp1252;
    };
    for (const Case& c : {Case{"Prüfsumme", "Pr\xFC" "fsumme"}, Case{"ÄÖÜß", "\xC4\xD6\xDC\xDF"},
                          Case{"€ …", "\x80 \x85"}, Case{"plain", "plain"}}) {
        EXPECT_EQ(cli::utf8ToCp1252(c.utf8), c.cp1252) << c.utf8;
        EXPECT_EQ(cli::cp1252ToUtf8(c.cp1252), c.utf8) << c.utf8;
    }
    EXPECT_EQ(cli::utf8ToCp1252("日本"), "??") << "no such characters in Windows-1252";
    EXPECT_EQ(cli::utf8ToCp1252("\xC3"), "?") << "a cut sequence";
    EXPECT_EQ(cli::utf8ToCp1252("a\xFF" "b"), "a?b");
    EXPECT_EQ(cli::cp1252ToUtf8("\x81"), "?");
}

TEST(Cli, ProgramAnswersWithItsExitCodes) {
    auto exitCode = [](const std::string& arguments) {
        int status = std::system((std::string(BV7_PROGRAM) + " " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(exitCode("--help"), 0);
    EXPECT_EQ(exitCode(""), 2);
    EXPECT_EQ(exitCode("kalo"), 2);
    EXPECT_EQ(exitCode("crc --help"), 0);
    EXPECT_EQ(exitCode("list --help"), 0);
    EXPECT_EQ(exitCode("wav2bin /nonexistent/x.wav"), 1);
    EXPECT_EQ(exitCode("list /nonexistent/x.wav"), 1);
}

TEST(Cli, ControlCharactersFromTapeReachNeitherTerminalNorFileName) {
    std::string dir = freshDir("control");
    auto samples = encodeRecordSamples(image(5), TapeHeader{"A\x1B[2J\n", 0x1000, 0, 0x1000});
    writeFile(dir + "esc.wav", makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                                static_cast<std::uint32_t>(samples.size())));
    Outcome result = run(wav2binCommand, {dir + "esc.wav"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_NE(result.out.find("Programmname:\tA.[2J.          \n"), std::string::npos) << result.out;
    EXPECT_EQ(readFile(dir + "A-[2J-_1000_1004_1000.BIN"), image(5));
    for (CommandFunction command : {listCommand, checkCommand}) {
        Outcome shown = run(command, {dir + "esc.wav"});
        EXPECT_EQ(shown.out.find('\x1B'), std::string::npos) << shown.out;
        EXPECT_NE(shown.out.find("A.[2J."), std::string::npos) << shown.out;
    }
}

// -o naming a folder saves there under the scheme's names, as one program or
// every one; where only a file can be meant, the folder is named as such.
TEST(Cli, OutputIntoAFolderOrSaysItIsOne) {
    struct Case {
        CommandFunction command;
        CommandArgs args;        // in the case's folder, which holds p1.wav, P1_1000_1063_1000.BIN and aus/
        const char* written;     // "" where nothing may be
        const char* message;
    };
    const Case cases[] = {
        {wav2binCommand, {"p1.wav", "-o", "aus"}, "aus/P1_1000_1063_1000.BIN", "erfolgreich geschrieben: @aus/P1_"},
        {wav2binCommand, {"p1.wav", "--all", "-o", "aus/"}, "aus/P1_1000_1063_1000.BIN", "1 Programm gespeichert"},
        {wav2binCommand, {"--merge", "p1.wav", "-o", "aus"}, "aus/P1_1000_1063_1000.BIN", "1 Programm gespeichert"},
        {bin2wavCommand, {"P1_1000_1063_1000.BIN", "-o", "aus"}, "aus/P1.wav", "erfolgreich geschrieben: @aus/P1.wav"},
        {wav2binCommand, {"p1.wav", "--labels", "aus"}, "", "Fehler: Datei kann nicht angelegt werden: @aus (ist ein Ordner)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const std::string dir = freshDir("folder");
        std::filesystem::create_directory(dir + "aus");
        writeFile(dir + "P1_1000_1063_1000.BIN", image(100));
        auto samples = encodeRecordSamples(image(100), TapeHeader{"P1", 0x1000, 0, 0x1000});
        writeFile(dir + "p1.wav", makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                                   static_cast<std::uint32_t>(samples.size())));
        // Files and folders given in the case's folder, "@" in a message standing for it.
        CommandArgs args;
        for (const std::string& arg : c.args) args.push_back(arg[0] == '-' ? arg : dir + arg);
        std::string message = c.message;
        if (std::size_t at = message.find('@'); at != std::string::npos) message.replace(at, 1, dir);
        Outcome result = run(c.command, args);
        EXPECT_EQ(result.code, *c.written ? 0 : 1) << result.err;
        EXPECT_NE((result.out + result.err).find(message), std::string::npos) << result.out << result.err;
        if (*c.written) {
            EXPECT_TRUE(exists(dir + c.written));
        }
        EXPECT_TRUE(std::filesystem::is_directory(dir + "aus"));
    }
}

// A name given for the tape may hold control characters too: the file's name
// and the terminal get none.
TEST(Cli, Bin2WavNamesItsFileSafely) {
    std::string dir = freshDir("bin2wav-name");
    writeFile(dir + "P_1000_1063_1000.BIN", image(100));
    Outcome result = run(bin2wavCommand, {dir + "P_1000_1063_1000.BIN", "--name", "C\x01" "D\x1B" "E"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_TRUE(exists(dir + "C-D-E.wav"));
    EXPECT_EQ((result.out + result.err).find_first_of("\x01\x1B"), std::string::npos) << result.out << result.err;
}
