// What phones save, read through FFmpeg's libraries: a program written by
// bv7 bin2wav and coded by Debian's ffmpeg (scripts/install-deps installs it)
// comes back exact where the codec keeps the signal; where it does not, the
// reading fails with its reason and writes nothing as good.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "cli/CodedSoundFile.h"
#include "support/CommandRun.h"
#include "support/RandomImage.h"
#include "support/TestFiles.h"

namespace {
bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}

TEST(PhoneFormats, CodedRecordingsReadExactOrSayWhy) {
#ifndef BV7_HAVE_FFMPEG
    GTEST_SKIP() << "bv7 built without FFmpeg's libraries";
#endif
    const std::string dir = freshTestDir("phone-formats");
    const std::vector<std::uint8_t> image = randomImage(512, 33);
    writeFile(dir + "TELEFON_1000_11FF_1000.BIN", image);
    const CommandOutcome written = runCommand(bin2wavCommand, {dir + "TELEFON_1000_11FF_1000.BIN", "-o", dir + "p.wav"});
    ASSERT_EQ(written.code, 0) << written.err;
    // Half a second after the signal, as a phone goes on recording: Speex
    // loses the last few milliseconds of a file.
    const std::string coding = "cd '" + dir + "' && ffmpeg -v error -i p.wav -af apad=pad_dur=0.5 q.wav && "
                               "ffmpeg -v error -i q.wav -c:a aac -b:a 64k p.m4a && "
                               "ffmpeg -v error -i q.wav -ar 16000 -c:a libspeex -f ogg p.spx && "
                               "ffmpeg -v error -i q.wav -c:a wmav2 -b:a 64k p.wma && "
                               "ffmpeg -v error -i q.wav -ar 8000 -c:a libgsm_ms p-gsm.wav && "
                               "head -c 20000 p.m4a >cut.m4a";
    ASSERT_EQ(std::system(coding.c_str()), 0) << "ffmpeg comes with scripts/install-deps";

    struct Case {
        const char* file;
        bool exact;   // GSM at 8 kHz keeps too little of the signal to be sure of
    };
    for (const Case& c : {Case{"p.m4a", true}, Case{"p.spx", true}, Case{"p.wma", true}, Case{"p-gsm.wav", false}}) {
        const std::string out = dir + c.file + ".BIN";
        const CommandOutcome read = runCommand(wav2binCommand, {dir + c.file, "-o", out});
        EXPECT_FALSE(contains(read.err, "RIFF-Chunk") || contains(read.err, "Kein PCM-Format")) << c.file << read.err;
        if (c.exact) {
            EXPECT_EQ(read.code, 0) << c.file << read.err;
            EXPECT_EQ(readFile(out), image) << c.file;
        } else if (read.code == 0) {
            EXPECT_EQ(readFile(out), image) << c.file << ": written as good, but not the program";
        }
    }
    // The codec the container names is a finding of its own.
    EXPECT_TRUE(contains(runCommand(checkCommand, {dir + "p.m4a"}).out,
                         "Hinweis: Verlustbehaftet komprimiert (AAC in M4A/MP4) – liest sich noch; besser als WAV aufnehmen"));
    const CommandOutcome call = runCommand(checkCommand, {dir + "p-gsm.wav"});
    EXPECT_TRUE(contains(call.out, "Telefon-Codec GSM 6.10 in WAV")) << call.out;
    const CommandOutcome cut = runCommand(listCommand, {dir + "cut.m4a"});
    EXPECT_EQ(cut.code, 1);
    EXPECT_TRUE(contains(cut.err, "Fehler: Tonformat nicht lesbar: M4A/MP4-Datei unvollständig")) << cut.err;

    // Chunk by chunk as a streaming reader takes it: the same samples whatever the chunk.
    const std::vector<std::uint8_t> bytes = readFile(dir + "p.m4a");
    std::vector<std::vector<float>> decoded;
    for (std::size_t chunk : {4096, 333}) {
        CodedSoundFile file;
        std::string problem;
        ASSERT_EQ(file.open(ByteView(bytes), problem), CodedOpening::Opened) << problem;
        EXPECT_EQ(file.formatName(), "AAC");
        EXPECT_EQ(file.rate(), 44100u);
        std::vector<float> all, buffer(chunk * file.channels());
        for (std::size_t got; (got = file.read(buffer.data(), chunk)) > 0;)
            all.insert(all.end(), buffer.begin(), buffer.begin() + static_cast<long>(got * file.channels()));
        decoded.push_back(std::move(all));
    }
    EXPECT_GT(decoded[0].size(), 44100u);
    EXPECT_EQ(decoded[0], decoded[1]);
}
