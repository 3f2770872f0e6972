// bv7 between pipes, named pipes and the sound-file formats people keep their
// recordings in.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "support/TestFiles.h"
#include "tape/Encoder.h"

namespace {
std::string freshDir(const std::string& name) { return freshTestDir("streams-" + name); }

// Runs a shell line with the built bv7 as "$BV7", bounded so that a hang fails.
struct Shell {
    int code;
    std::string err;
};
Shell shell(const std::string& dir, const std::string& line) {
    std::string command = "cd '" + dir + "' && BV7='" + std::string(BV7_PROGRAM) + "' timeout 10 sh -c '" + line +
                          "' >stdout.txt 2>stderr.txt";
    int status = std::system(command.c_str());
    auto err = readFile(dir + "stderr.txt");
    return Shell{WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
}

std::vector<std::uint8_t> image(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return bytes;
}
}

TEST(Streams, DashIsStandardInputAndOutput) {
    std::string dir = freshDir("dash");
    writeFile(dir + "PROG_1000_11FF_1000.BIN", image(512));
    struct Case {
        const char* line;
        const char* file;                 // what must hold the image afterwards
    };
    const Case cases[] = {
        {"$BV7 bin2wav PROG_1000_11FF_1000.BIN -o - | $BV7 wav2bin - -o piped.BIN", "piped.BIN"},
        {"$BV7 bin2wav PROG_1000_11FF_1000.BIN -o - > p.wav && mkdir in && cd in && $BV7 wav2bin - < ../p.wav",
         "in/PROG_1000_11FF_1000.BIN"},
        {"$BV7 wav2bin p.wav -o - > out.BIN", "out.BIN"},
    };
    for (const Case& c : cases) {
        Shell result = shell(dir, c.line);
        EXPECT_EQ(result.code, 0) << c.line << "\n" << result.err;
        EXPECT_EQ(readFile(dir + c.file), image(512)) << c.line;
    }
    // What goes to standard output is the same WAV as the file, and nothing else.
    ASSERT_EQ(shell(dir, "$BV7 bin2wav PROG_1000_11FF_1000.BIN").code, 0);
    EXPECT_EQ(readFile(dir + "p.wav"), readFile(dir + "PROG.wav"));
    ASSERT_EQ(shell(dir, "$BV7 crc - < p.wav > crc.txt").code, 0);
    auto crc = readFile(dir + "crc.txt");
    EXPECT_EQ(std::string(crc.begin(), crc.end()).substr(0, 12), "CRC (SDLC): ");
    EXPECT_EQ(std::string(crc.end() - 3, crc.end()), " -\n");
}

TEST(Streams, ANamedPipeIsRefusedAtOnce) {
    std::string dir = freshDir("fifo");
    ASSERT_EQ(mkfifo((dir + "pipe").c_str(), 0600), 0);
    for (const char* line : {"$BV7 wav2bin pipe", "$BV7 bin2wav pipe --name X --aa 1000 --sa 1000",
                             "$BV7 crc pipe", "$BV7 hexdump pipe", "$BV7 kalo pipe"}) {
        Shell result = shell(dir, line);
        EXPECT_EQ(result.code, 1) << line;
        EXPECT_NE(result.err.find("keine gewöhnliche Datei"), std::string::npos) << line << "\n" << result.err;
    }
}

TEST(Streams, AnEmptyBinGivesNoWav) {
    std::string dir = freshDir("empty");
    writeFile(dir + "LEER_1000_1000_1000.BIN", {});
    std::ostringstream out, err;
    cli::TerminalInterface terminal(err);
    cli::CommandIo io{out, err};
    EXPECT_EQ(bin2wavCommand({dir + "LEER_1000_1000_1000.BIN"}, io), 1);
    EXPECT_NE(err.str().find("Die BIN-Datei ist leer"), std::string::npos) << err.str();
    struct stat info {};
    EXPECT_NE(stat((dir + "LEER.wav").c_str(), &info), 0);
}

// Recordings kept in other formats, stereo with the signal in the second
// channel only (a mono cable in a stereo input), at a rate of their own. Lossy
// files normalised to full scale decode to samples a little beyond it: those
// are clipped to the extremes, never wrapped around to the other one.
TEST(Streams, ReadsRecordingsKeptInOtherSoundFormats) {
    std::string dir = freshDir("formats");
    auto samples = encodeRecordSamples(image(300), TapeHeader{"KLANG", 0x2000, 0, 0x2000});
    struct Case {
        const char* name;
        int format;
        float peak;   // of the signal, full scale being 1
    };
    const Case cases[] = {
        {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 0.6f},
        {"a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.6f},
        {"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 0.6f},
        {"a.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_U8, 0.6f},
        {"voll.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1.0f},
        {"voll.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1.0f},
    };
    for (const Case& c : cases) {
        SF_INFO info{};
        info.samplerate = 48000;
        info.channels = 2;
        info.format = c.format;
        SNDFILE* file = sf_open((dir + c.name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr) << c.name << ": " << sf_strerror(nullptr);
        std::vector<float> frames;
        for (std::size_t i = 0; i * 44100 < (samples.size() - 1) * 48000; ++i) {
            std::size_t at = i * 44100 / 48000;
            frames.push_back(static_cast<float>(static_cast<int>(i % 7) * 40 - 120) / 32768.0f);
            frames.push_back(c.peak * static_cast<float>(samples[at] - 128) / 100.0f);
        }
        sf_writef_float(file, frames.data(), static_cast<sf_count_t>(frames.size() / 2));
        sf_close(file);

        std::ostringstream out, err;
        cli::TerminalInterface terminal(err);
        cli::CommandIo io{out, err};
        std::string target = dir + c.name + ".BIN";
        EXPECT_EQ(wav2binCommand({dir + c.name, "-o", target}, io), 0) << c.name << "\n" << err.str();
        EXPECT_EQ(readFile(target), image(300)) << c.name;
    }
}
