#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "bench/SignalDegrader.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "tape/BinFileName.h"
#include "tape/Encoder.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"
#include "support/RandomImage.h"
#include "support/CommandRun.h"
#include "support/TestFiles.h"

namespace {
using Samples = std::vector<std::uint8_t>;

using Outcome = CommandOutcome;
Outcome run(const CommandArgs& args) { return runCommand(wav2binCommand, args); }

std::string writeWav(const std::string& path, const Samples& samples) {
    writeFile(path, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                     static_cast<std::uint32_t>(samples.size())));
    return path;
}

// The record with data byte 10 of block `faultyBlock` (0: none) wrong on tape in bit 4.
Samples record(const std::vector<std::uint8_t>& image, const TapeHeader& header, int faultyBlock = 0) {
    auto bytes = layoutTapeRecord(image, header);
    if (faultyBlock > 0) bytes[tape::fixedBytes - 3 + (faultyBlock - 1) * (256 + tape::blockFramingBytes) + 4 + 10] ^= 0x10;
    Samples samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    return samples;
}

Samples side(const std::vector<Samples>& records) {
    Samples samples;
    for (const Samples& r : records) samples.insert(samples.end(), r.begin(), r.end()), samples.insert(samples.end(), 30000, 0x80);
    return samples;
}

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}

// ALPHA clean; BETA at the same addresses but another sa, another block 2, in
// hum and hiss with block 2 worn away: two programs, neither taken for the other.
TEST(Saving, MergeKeepsDifferentProgramsApart) {
    const std::string dir = freshTestDir("saving-apart");
    const auto alpha = randomImage(768, 1);
    auto beta = alpha;
    for (std::size_t i = 256; i < 512; ++i) beta[i] ^= 0x5A;
    degrade::Faults faults;
    faults.hum = 0.3;
    faults.noise = 0.3;
    auto worn = degrade::degradeSignal(encodeRecordSamples(beta, TapeHeader{"BETA", 0x1000, 0, 0x2000}), faults);
    const std::size_t block2 = worn.size() * (tape::fixedBytes + 256 + 100) / layoutTapeRecord(beta, {}).size();
    std::fill(worn.begin() + static_cast<std::ptrdiff_t>(block2), worn.begin() + static_cast<std::ptrdiff_t>(block2 + 400), 0x80);
    Outcome result = run({"--merge", writeWav(dir + "alpha.wav", encodeRecordSamples(alpha, {"ALPHA", 0x1000, 0, 0x1000})),
                          writeWav(dir + "beta.wav", worn)});
    EXPECT_EQ(result.code, 1) << "BETA's block 2 was read by no copy";
    EXPECT_TRUE(has(result.out, "Startadresse (SA):\t2000\n")) << result.out;
    EXPECT_EQ(readFile(dir + "ALPHA_1000_12FF_1000.BIN"), alpha);
    EXPECT_FALSE(std::ifstream(dir + "BETA_1000_12FF_2000.BIN").good());
}

// Every program found is kept: another of the same name gets "-2" behind the
// sa, a true copy is saved once, --force replaces only files from before the run.
TEST(Saving, KeepsEveryProgramFound) {
    const TapeHeader header{"PROG", 0x1000, 0, 0x1000};
    const auto first = randomImage(768, 2), second = randomImage(768, 3);
    const Samples a = record(first, header), b = record(second, header), aFaulty = record(first, header, 2);
    auto firstFaulty = first;
    firstFaulty[256 + 10] ^= 0x10;
    Samples cut = a;
    cut.resize(cut.size() * 2 / 3);
    const std::string base = "PROG_1000_12FF_1000.BIN", numbered = "PROG_1000_12FF_1000-2.BIN";
    struct Case {
        const char* name;
        std::vector<Samples> records;
        CommandArgs options;
        bool fileBefore;   // a file of the name from before the run
        int code;
        std::vector<std::uint8_t> numbered;   // empty: no numbered file
        const char* summary;
    } cases[] = {
        {"--all", {a, b}, {"--all"}, false, 0, second, "2 Aufnahmen gefunden, 2 gelesen, 2 Programme gespeichert.\n"},
        {"--all --force", {a, b}, {"--all", "--force"}, true, 0, second, "2 gelesen, 2 Programme gespeichert.\n"},
        {"--merge", {a, b}, {"--merge"}, false, 0, second, "2 gelesen, 2 Programme gespeichert.\n"},
        {"a faulty copy", {a, aFaulty}, {"--all", "--keep-faulty", "--force"}, true, 0, firstFaulty,
         "2 gelesen, 2 Programme gespeichert.\n"},
        {"true copies", {a, a, a}, {"--all"}, false, 0, {}, "1 Programm gespeichert (2 Aufnahmen waren Kopien).\n"},
        {"a broken copy", {a, cut}, {"--merge"}, false, 1, {}, "2 Aufnahmen gefunden, 1 gelesen, 1 Programm gespeichert.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = freshTestDir("saving-kept");
        if (c.fileBefore) writeFile(dir + base, {1});
        CommandArgs args = c.options;
        args.push_back(writeWav(dir + "side.wav", side(c.records)));
        Outcome result = run(args);
        EXPECT_EQ(result.code, c.code) << result.err;
        EXPECT_TRUE(has(result.out, c.summary)) << result.out;
        EXPECT_EQ(readFile(dir + base), first);
        EXPECT_EQ(readFile(dir + numbered), c.numbered);
    }
    TapeHeader parsed;
    EXPECT_TRUE(parseBinFileName(numbered, parsed) && parsed.name == "PROG" && parsed.aa == 0x1000 &&
                parsed.ea == 0x12FF && parsed.sa == 0x1000);
}

// Each faulty block is named in every way of reading; plain wav2bin points to
// the options that may still save the program.
TEST(Saving, NamesEachFaultyBlock) {
    const std::string dir = freshTestDir("saving-faulty");
    const std::string wav = writeWav(dir + "bad.wav", record(randomImage(3000, 4), {"BAD", 0x2000, 0, 0x2000}, 4));
    for (const CommandArgs& args : {CommandArgs{wav}, CommandArgs{wav, "--all"}, CommandArgs{"--merge", wav}}) {
        Outcome result = run(args);
        EXPECT_EQ(result.code, 1);
        EXPECT_TRUE(has(result.out, "Block 4 von 12: Prüfsummenfehler\n")) << result.out;
        EXPECT_EQ(has(result.err, "--merge"), args[0] == wav) << result.err;
        EXPECT_TRUE(has(result.err, "--keep-faulty")) << result.err;
    }
}

TEST(Saving, SaysPlainlyThatTheProgramWentToStandardOutput) {
    const std::string dir = freshTestDir("saving-stdout");
    const auto image = randomImage(300, 5);
    const std::string wav = writeWav(dir + "one.wav", record(image, {"EINS", 0x1000, 0, 0x1000}));
    const std::string command = std::string(BV7_PROGRAM) + " wav2bin " + wav + " -o - >" + dir + "out 2>" + dir + "err";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(dir + "out"), image);
    const auto err = readFile(dir + "err");
    const std::string text(err.begin(), err.end());
    EXPECT_TRUE(has(text, "Programm auf die Standardausgabe geschrieben.\n")) << text;
    EXPECT_FALSE(has(text, "geschrieben: -")) << text;
}
