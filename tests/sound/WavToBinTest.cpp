#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "sound/SampleRate.h"
#include "support/FieldLog.h"
#include "support/RandomImage.h"
#include "support/RecordingInterface.h"
#include "support/WavBuilder.h"
#include "bench/SignalDegrader.h"
#include "shell/HexText.h"
#include "sound/WavToBin.h"
#include "tape/Encoder.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"
#include "support/TestFiles.h"

namespace {
// 700 bytes from 0x1000 on: ea = 0x12BB, three blocks.
const std::vector<std::uint8_t> image = [] {
    std::vector<std::uint8_t> bytes(700);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return bytes;
}();
const TapeHeader header{"TEST", 0x1000, 0, 0x1234};
WindowRef dialog = reinterpret_cast<WindowRef>(0x1234);

std::string writeWav(const std::string& name, const std::vector<std::uint8_t>& samples, std::uint32_t rate = 44100) {
    std::string path = testing::TempDir() + name;
    writeFile(path, makeWavFileBytes(AudioFormat{1, 1, rate, rate, 1, 8, 0}, samples.data(),
                                     static_cast<std::uint32_t>(samples.size())));
    return path;
}
}

TEST(DecodeWavToBin, ReportsFillsTheFieldsAndSavesUnderTheProposal) {
    RecordingInterface seam;
    std::string wav = writeWav("flow.wav", encodeRecordSamples(image, header));
    std::string target = testing::TempDir() + "PROG";
    std::remove((target + ".BIN").c_str());
    seam.answers = {Answer::Yes};
    seam.chosenFiles = {target};
    FieldLog log;

    EXPECT_EQ(decodeWavToBin(wav, &log, dialog), DecodeOutcome::Saved);
    EXPECT_EQ(log.fields, (FieldLog::Fields{
                              {HeaderField::Name, "TEST            "},
                              {HeaderField::Aa, "1000"},
                              {HeaderField::Ea, "12BB"},
                              {HeaderField::Sa, "1234"}}));
    EXPECT_EQ(seam.statuses.back(), std::make_pair(2, std::string("44 kHz")));
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[0].caption, "WAV wurde konvertiert. Jetzt als BIN speichern?");
    EXPECT_EQ(seam.messages[0].text.rfind("Programmname:\tTEST            \r\ngelesene Blöcke: \t3\r\n"
                                          "Programmlänge:\t700\r\nPrüfsumme:\t", 0), 0u);
    EXPECT_EQ(seam.messages[0].style & 0xF, mb::yesNo);
    EXPECT_EQ(seam.messages[0].owner, dialog);
    ASSERT_EQ(seam.choosers.size(), 1u);
    EXPECT_TRUE(seam.choosers[0].save);
    EXPECT_EQ(seam.choosers[0].title, "Binärdatei speichern unter");
    EXPECT_EQ(seam.choosers[0].filter, std::string("Binärdateien (*.bin)\0*.bin\0\0", 29));
    EXPECT_EQ(std::string(seam.offered[0]), "TEST_1000_12BB_1234.BIN");
    EXPECT_EQ(seam.messages[1].text, "Binärdatei erfolgreich geschrieben");
    EXPECT_EQ(seam.messages[1].caption, "WAV-->BV7");
    EXPECT_EQ(seam.messages[1].owner, dialog);
    EXPECT_EQ(readFile(target + ".BIN"), image) << "PROG becomes PROG.BIN";
    std::remove((target + ".BIN").c_str());
    std::remove(wav.c_str());
}

TEST(DecodeWavToBin, ShowsTheChecksumOfTheImage) {
    RecordingInterface seam;
    std::string wav = writeWav("crc.wav", encodeRecordSamples({'1', '2', '3', '4', '5', '6', '7', '8', '9'}, header));
    EXPECT_EQ(decodeWavToBin(wav, nullptr, nullptr), DecodeOutcome::NotSaved);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text,
              "Programmname:\tTEST            \r\ngelesene Blöcke: \t1\r\nProgrammlänge:\t9\r\nPrüfsumme:\t29B1");
    EXPECT_TRUE(seam.choosers.empty()) << "No ends the decoding";
    std::remove(wav.c_str());
}

TEST(DecodeWavToBin, AsksBeforeOverwritingAndKeepsAChosenExtension) {
    RecordingInterface seam;
    std::string wav = writeWav("exists.wav", encodeRecordSamples(image, header));
    std::string existing = testing::TempDir() + "old.bin";
    writeFile(existing, {1, 2, 3});

    // No: the chooser comes again with the same proposal; Cancel: nothing is written.
    seam.answers = {Answer::Yes, Answer::No, Answer::Cancel};
    seam.chosenFiles = {existing, existing};
    EXPECT_EQ(decodeWavToBin(wav, nullptr, dialog), DecodeOutcome::NotSaved);
    ASSERT_EQ(seam.offered.size(), 2u);
    EXPECT_EQ(std::string(seam.offered[1]), "TEST_1000_12BB_1234.BIN");
    ASSERT_EQ(seam.messages.size(), 3u);
    EXPECT_EQ(seam.messages[1].text, "Datei existiert schon. Überschreiben?");
    EXPECT_EQ(seam.messages[1].caption, "Fehler");
    EXPECT_EQ(seam.messages[1].style & 0xF, mb::yesNoCancel);
    EXPECT_EQ(seam.messages[1].owner, nullptr);
    EXPECT_EQ(readFile(existing), (std::vector<std::uint8_t>{1, 2, 3}));

    // Yes overwrites; ".bin" in any case is kept as chosen.
    seam.messages.clear();
    seam.answers = {Answer::Yes, Answer::Yes};
    seam.chosenFiles = {existing};
    EXPECT_EQ(decodeWavToBin(wav, nullptr, dialog), DecodeOutcome::Saved);
    EXPECT_EQ(readFile(existing), image);
    std::remove(existing.c_str());
    std::remove(wav.c_str());
}

TEST(DecodeWavToBin, OffersNothingForFaultyBlocks) {
    RecordingInterface seam;
    auto bytes = layoutTapeRecord(image, header);
    bytes[512 + 2 + 16 + 256 + 4 + 3] ^= 0x40;
    std::vector<std::uint8_t> samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    std::string wav = writeWav("faulty.wav", samples);
    EXPECT_EQ(decodeWavToBin(wav, nullptr, dialog), DecodeOutcome::Faulty);
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_EQ(seam.messages[0].text, "Blöcke gelesen:\t3\r\ndavon fehlerhaft:\t1");
    EXPECT_EQ(seam.messages[0].caption, "Fehler");
    EXPECT_EQ(seam.messages[0].owner, dialog);
    EXPECT_TRUE(seam.choosers.empty());
    std::remove(wav.c_str());
}

TEST(DecodeWavToBin, SaysWhenTheBinFileCannotBeWritten) {
    RecordingInterface seam;
    std::string wav = writeWav("nowrite.wav", encodeRecordSamples(image, header));
    seam.answers = {Answer::Yes};
    seam.chosenFiles = {testing::TempDir() + "no/such/dir/PROG.BIN"};
    EXPECT_EQ(decodeWavToBin(wav, nullptr, dialog), DecodeOutcome::CannotWrite);
    EXPECT_EQ(seam.traces, std::vector<std::string>{"Kann BIN-Datei nicht schreiben"});
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[1].text, "Binärdatei konnte nicht geschrieben werden.");
    EXPECT_EQ(seam.messages[1].caption, "Fehler");
    std::remove(wav.c_str());
}

TEST(DecodeWavToBin, ReportsEmptyAndSilentFiles) {
    for (const auto& samples : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>(10000, 0x80)}) {
        RecordingInterface seam;
        std::string wav = writeWav("silent.wav", samples, 22050);
        EXPECT_EQ(decodeWavToBin(wav, nullptr, dialog), DecodeOutcome::Failed);
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].text, "WAV: zu leise oder gar kein Ton.");
        EXPECT_EQ(seam.statuses.back().second, "22 kHz");
        std::remove(wav.c_str());
    }
}

TEST(DecodeWavToBin, SaysWhyTheWavCannotBeRead) {
    RecordingInterface seam;
    std::string wav = testing::TempDir() + "float.wav";
    writeFile(wav, wavtest::wav(wavtest::Format{3, 1, 44100, 32}, {1, 2, 3, 4}));
    EXPECT_EQ(decodeWavToBin(wav, nullptr, dialog), DecodeOutcome::Failed);
    EXPECT_EQ(decodeWavToBin(testing::TempDir() + "fehlt.wav", nullptr, dialog), DecodeOutcome::Failed);
    ASSERT_EQ(seam.messages.size(), 2u);
    EXPECT_EQ(seam.messages[0].text, "Kein PCM-Format.");
    EXPECT_EQ(seam.messages[0].caption, "Fehler");
    EXPECT_EQ(seam.messages[1].text, "WAV-Datei konnte nicht geöffnet werden.");
    std::remove(wav.c_str());
}

TEST(DecodeWavToBin, Reads16BitStereoAt48000) {
    RecordingInterface seam;
    // The encoder's signal at 48000 per second (nearest sample), 16-bit, left channel; right is noise.
    auto signal = encodeRecordSamples(image, header);
    std::mt19937 random(4);
    std::vector<std::uint8_t> data;
    std::size_t frames = signal.size() * 48000 / 44100;
    for (std::size_t i = 0; i < frames; ++i) {
        int value = (signal[std::min(signal.size() - 1, i * 44100 / 48000)] - 128) * 256;
        wavtest::putLe(data, static_cast<std::uint16_t>(value), 2);
        wavtest::putLe(data, static_cast<std::uint16_t>(random()), 2);
    }
    std::string wav = testing::TempDir() + "stereo48.wav";
    writeFile(wav, wavtest::wav(wavtest::Format{1, 2, 48000, 16}, data));
    seam.answers = {Answer::No};
    EXPECT_EQ(decodeWavToBin(wav, nullptr, dialog), DecodeOutcome::NotSaved);
    EXPECT_EQ(seam.statuses.back(), std::make_pair(2, std::string("48 kHz")));
    ASSERT_EQ(seam.messages.size(), 1u);
    EXPECT_NE(seam.messages[0].text.find("Programmlänge:\t700"), std::string::npos) << seam.messages[0].text;
    std::remove(wav.c_str());
}

// The report names the second reader, and a name or sa it read with a weak
// bit: at hiss of 1.25 times the peak (seed 8) it reads "REAL" as "ZEAL", every
// block good.
TEST(DecodeWavToBin, ReadsAWornRecordingWithTheSecondReaderAndSaysSo) {
    struct Case {
        const char* name;
        TapeHeader header;
        std::vector<std::uint8_t> image;
        degrade::Faults faults;
        const char* start;
        const char* end;
    } cases[] = {
        {"hiss, low-pass", header, image, [] { degrade::Faults f; f.noise = 0.5; f.lowPassHz = 1500; return f; }(),
         "Programmname:\tTEST            \r\ngelesene Blöcke: \t3\r\nProgrammlänge:\t700\r\n",
         "\r\nmit Störfilter gelesen"},
        {"a weak name bit", TapeHeader{"REAL", 0x1000, 0, 0x1000}, randomImage(2048, 2),
         [] { degrade::Faults f; f.noise = 1.25; f.seed = 8; return f; }(), "Programmname:\tZEAL            \r\n",
         "\r\nmit Störfilter gelesen\r\nProgrammname unsicher gelesen, bitte prüfen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingInterface seam;
        std::string wav = writeWav("worn.wav", degrade::degradeSignal(encodeRecordSamples(c.image, c.header), c.faults));
        FieldLog log;
        EXPECT_EQ(decodeWavToBin(wav, &log, dialog), DecodeOutcome::NotSaved);
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].caption, "WAV wurde konvertiert. Jetzt als BIN speichern?");
        const std::string& text = seam.messages[0].text;
        EXPECT_EQ(text.rfind(c.start, 0), 0u) << text;
        const std::string line = c.end;
        ASSERT_GT(text.size(), line.size());
        EXPECT_EQ(text.substr(text.size() - line.size()), line) << text;
        EXPECT_EQ(log.fields.back(), std::make_pair(HeaderField::Sa, formatHex4(c.header.sa)));
        std::remove(wav.c_str());
    }
    DecodedRecord unsureStart;
    unsureStart.startUnsure = true;
    const std::string text = decodeReportText(unsureStart), line = "Prüfsumme:\tFFFF\r\nStartadresse unsicher gelesen, bitte prüfen";
    EXPECT_EQ(text.substr(text.size() - line.size()), line);
}
