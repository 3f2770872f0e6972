#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cli/Commands.h"
#include "support/CommandRun.h"
#include "support/RandomImage.h"
#include "support/TestFiles.h"
#include "tape/Encoder.h"
#include "tape/TapeListing.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"

namespace {
using Samples = std::vector<std::uint8_t>;

// Where data byte `byte` of block `block` lies in a record's bytes.
std::size_t dataByteAt(int block, std::size_t byte) {
    return tape::fixedBytes - 3 + static_cast<std::size_t>(block - 1) * (tape::blockSize + tape::blockFramingBytes) +
           byte;
}

// The record's signal at 44100; a byte flipped in block `spoiled` (0: none)
// fails its checksum, the rest of the block read right.
Samples recordSignal(const std::vector<std::uint8_t>& image, const TapeHeader& header, int spoiled = 0) {
    auto bytes = layoutTapeRecord(image, header);
    if (spoiled > 0) bytes[dataByteAt(spoiled, 10)] ^= 0x10;
    Samples samples(bytes.size() * 240);
    samples.resize(encodeBytesInto(bytes.data(), bytes.size(), 14, samples.data()));
    return samples;
}

std::string writeWav(const std::string& path, const Samples& samples, std::uint32_t rate = 44100) {
    writeFile(path, makeWavFileBytes(AudioFormat{1, 1, rate, rate, 1, 8, 0}, samples.data(),
                                     static_cast<std::uint32_t>(samples.size())));
    return path;
}

// The BIN files written into `dir`, removed.
int takeBins(const std::string& dir) {
    int bins = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.path().extension() == ".BIN") ++bins, std::filesystem::remove(entry.path());
    return bins;
}
}

// A report never calls good what was not read whole, nor writes a mix of two
// programs as one: each row is a recording as an owner meets it, run through
// bv7's own command; its fault is named ("Fehler:"/"Warnung:", the file, the
// reason) and the command fails.
TEST(NothingWrongAsGood, NamesWhatWasNotReadWhole) {
    const std::string dir = freshTestDir("nothing-wrong");
    const TapeHeader header{"PROG", 0x1000, 0, 0x1000};
    const auto image = randomImage(1280, 3);   // five blocks
    // A second version: blocks 3 and 5 another program's.
    auto version2 = image;
    const auto changed = randomImage(1280, 4);
    for (int block : {3, 5})
        std::copy(changed.begin() + (block - 1) * 256, changed.begin() + block * 256, version2.begin() + (block - 1) * 256);
    // A third: two bytes of block 3 patched, fewer than a read error spoils;
    // the checksum read tells it apart.
    auto patched = image;
    patched[2 * 256 + 100] ^= 0x01, patched[2 * 256 + 200] ^= 0x02;
    const Samples whole = recordSignal(image, header);
    const Samples cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * 3 / 5));
    // 1.05 s of silence, then 45 s of lead-in tone and no sync behind it (at 22050).
    Samples tone(23150, 0x80);
    const std::vector<std::uint8_t> zeros(45 * 1470 / 8, 0);
    const std::size_t silence = tone.size();
    tone.resize(silence + zeros.size() * 120);
    tone.resize(silence + encodeBytesInto(zeros.data(), zeros.size(), 7, tone.data() + silence));

    const std::string v1 = writeWav(dir + "v1.wav", recordSignal(image, header, 5));
    const std::string v2 = writeWav(dir + "v2.wav", recordSignal(version2, header, 3));
    const std::string patchedWav = writeWav(dir + "patched.wav", recordSignal(patched, header, 3));
    const std::string cutWav = writeWav(dir + "cut.wav", cut);
    const std::string faultyWav = writeWav(dir + "faulty.wav", recordSignal(image, header, 2));
    const std::string toneWav = writeWav(dir + "tone.wav", tone, 22050);
    const std::string cutEnd = ", Aufnahme endet bei " + tapeTime(cut.size(), 44100) + ")";

    const struct {
        const char* name;
        CommandFunction command;
        CommandArgs args;
        std::vector<std::string> said;   // in what it printed, out and err
    } cases[] = {
        // Read exactly, without soft values: the bytes tell them apart.
        {"two versions, each faulty where the other is good: not merged", wav2binCommand,
         {"--merge", "--exact", v1, v2},
         {"Warnung: Block 3 weicht von Programm 1 ab (gleicher Name, gleiche Adressen): ein anderes Programm, "
          "nicht zusammengesetzt (" + v2 + ", Aufnahme 1)\n",
          "Block 5:\tin keiner Kopie gut gelesen\n", "Block 3:\tin keiner Kopie gut gelesen\n"}},
        {"a version patched in two bytes, faulty there: not merged", wav2binCommand, {"--merge", v1, patchedWav},
         {"Warnung: Block 3 weicht von Programm 1 ab (gleicher Name, gleiche Adressen): ein anderes Programm, "
          "nicht zusammengesetzt (" + patchedWav + ", Aufnahme 1)\n"}},
        {"check: cut off in the data", checkCommand, {cutWav},
         {"0:00.0  PROG\n  Fehler: WAV: Aufnahme endet mitten in den Daten. (" + cutWav + ", Programm ab 0:0", cutEnd}},
        {"check: a checksum error", checkCommand, {faultyWav},
         {"0:00.0  PROG\n  Fehler: Block 2 von 5: Prüfsummenfehler (" + faultyWav + ", bei 0:0"}},
        {"check: a lead-in with no program, timed from where the tone starts", checkCommand, {toneWav},
         {"0:01.0  ?\n  Fehler: WAV: kein SYNC gefunden. (" + toneWav + ", bei 0:45."}},
        {"wav2bin: cut off, where its data begin and where the recording ends", wav2binCommand,
         {cutWav, "-o", dir + "cut.BIN"},
         {"Fehler: WAV: Aufnahme endet mitten in den Daten. (" + cutWav + ", Programm ab 0:0", cutEnd}},
        {"wav2bin: a checksum error, nothing saved, the BIN named", wav2binCommand,
         {faultyWav, "-o", dir + "faulty.BIN"},
         {"Fehler: Aufnahme 1 nicht gespeichert, fehlerhafte Blöcke (--keep-faulty schreibt trotzdem; --merge setzt "
          "Kopien des Programms blockweise zusammen). (" + dir + "faulty.BIN)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandOutcome outcome = runCommand(c.command, c.args);
        const std::string printed = outcome.out + outcome.err;
        EXPECT_EQ(outcome.code, 1) << printed;
        for (const std::string& text : c.said) EXPECT_NE(printed.find(text), std::string::npos) << text << "\n" << printed;
        EXPECT_EQ(printed.find("keine Auffälligkeiten"), std::string::npos) << printed;
        EXPECT_EQ(printed.find("erfolgreich geschrieben"), std::string::npos) << printed;
        EXPECT_EQ(takeBins(dir), 0);
    }
}
