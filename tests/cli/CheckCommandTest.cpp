#include <gtest/gtest.h>

#include "bench/SignalDegrader.h"
#include "cli/Commands.h"
#include "support/CommandRun.h"
#include "support/TestFiles.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"

// bv7 check names each record and gives its findings, or says there are none.
TEST(CheckCommand, PrintsEachRecordsFindings) {
    const std::string dir = freshTestDir("check");
    const auto clean = encodeRecordSamples(std::vector<std::uint8_t>(100, 0x5A), TapeHeader{"LEISE", 0x2000, 0, 0x2000});
    degrade::Faults quiet;
    quiet.level = 0.08;
    const struct {
        std::vector<std::uint8_t> samples;
        const char* out;
    } cases[] = {
        {clean, "0:00.0  LEISE\n  keine Auffälligkeiten\n"},
        {degrade::degradeSignal(clean, quiet),
         "0:00.0  LEISE\n  Warnung: Pegel zu niedrig: Spitze 6,3 % – Aufnahmepegel erhöhen\n"},
    };
    for (const auto& c : cases) {
        const std::string wav = dir + "aufnahme.wav";
        writeFile(wav, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, c.samples.data(),
                                        static_cast<std::uint32_t>(c.samples.size())));
        const CommandOutcome checked = runCommand(checkCommand, {wav});
        EXPECT_EQ(checked.code, 0) << checked.err;
        EXPECT_EQ(checked.out, c.out);
    }
}
