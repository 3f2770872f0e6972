// A recording bv7 cannot read, or reads only in part, is told in German with
// the file and the reason, by list, check and wav2bin alike; the decoders'
// own English notes stay off the terminal.
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TestFiles.h"
#include "support/WavBuilder.h"
#include "tape/Encoder.h"

namespace {
struct ProgramRun {
    int code;
    std::string err;
};

// The program itself, so that what the libraries write to the standard error shows.
ProgramRun runProgram(const std::string& dir, const std::string& arguments) {
    const int status = std::system(("cd '" + dir + "' && timeout 20 '" + std::string(BV7_PROGRAM) + "' " + arguments +
                                    " >/dev/null 2>err.txt </dev/null").c_str());
    const auto err = readFile(dir + "err.txt");
    return ProgramRun{WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(err.begin(), err.end())};
}

// An MP3 of a recording, cut after `keep` of its bytes (its header still
// tells the whole length; 1: whole).
void writeCutMp3(const std::string& path, double keep) {
    const auto samples = encodeRecordSamples(std::vector<std::uint8_t>(600, 0x5A), TapeHeader{"KURZ", 0x1000, 0, 0x1000});
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 1;
    info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> frames;
    for (std::uint8_t sample : samples) frames.push_back(static_cast<float>(sample - 128) / 160.0f);
    sf_writef_float(file, frames.data(), static_cast<sf_count_t>(frames.size()));
    sf_close(file);
    auto bytes = readFile(path);
    bytes.resize(static_cast<std::size_t>(static_cast<double>(bytes.size()) * keep));
    writeFile(path, bytes);
}
}

TEST(RecordingInput, ARefusedOrCutRecordingSaysWhyInGerman) {
    const std::string dir = freshTestDir("recording-input");
    using namespace wavtest;
    const std::vector<std::uint8_t> data(4410, 0x80);
    writeFile(dir + "hz1.wav", wav(Format{1, 1, 1, 8}, data));
    writeFile(dir + "hz768000.wav", wav(Format{1, 1, 768000, 8}, data));
    writeFile(dir + "kanal0.wav", wav(Format{1, 0, 44100, 8}, data));
    writeFile(dir + "bits0.wav", wav(Format{1, 1, 44100, 0}, data));
    writeFile(dir + "ohnedaten.wav", riff({chunk("fmt ", fmtBody(Format{})), chunk("LIST", {0, 0})}));
    writeCutMp3(dir + "kurz.mp3", 0.5);
    writeCutMp3(dir + "ganz.mp3", 1.0);
    struct Case {
        const char* file;
        std::string message;
    };
    const std::string unusable = "Fehler: Audiodaten nicht auswertbar: ";
    const Case cases[] = {
        {"hz1.wav", unusable + "Abtastrate 1 Hz im Format-Chunk (lesbar sind 4000 bis 400000 Hz) (hz1.wav)\n"},
        {"hz768000.wav", unusable + "Abtastrate 768000 Hz im Format-Chunk (lesbar sind 4000 bis 400000 Hz) (hz768000.wav)\n"},
        {"kanal0.wav", unusable + "Kanalzahl 0 im Format-Chunk (kanal0.wav)\n"},
        {"bits0.wav", unusable + "Bits je Abtastwert 0 im Format-Chunk (lesbar sind 1 bis 32) (bits0.wav)\n"},
        {"ohnedaten.wav", unusable + "kein \"data\"-Chunk mit Abtastwerten in der Datei (ohnedaten.wav)\n"},
        {"kurz.mp3", "Warnung: Datei abgeschnitten: der Ton endet bei 0:03.5, ihr Kopf gibt 0:07.5 an (kurz.mp3)\n"},
        {"ganz.mp3", ""},
    };
    for (const char* command : {"list", "check", "wav2bin"}) {
        for (const Case& c : cases) {
            const std::string options = std::string(command) == "wav2bin" ? " -o x.BIN --force" : "";
            const ProgramRun run = runProgram(dir, std::string(command) + " " + c.file + options);
            const std::string what = std::string(command) + " " + c.file + ":\n" + run.err;
            EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << what;
            if (c.message.empty()) {
                EXPECT_EQ(run.err.find("abgeschnitten"), std::string::npos) << what;
            }
            EXPECT_EQ(run.err.find("Warning"), std::string::npos) << what;
            if (c.message.rfind("Fehler:", 0) == 0) {
                EXPECT_EQ(run.code, 1) << what;
            }
        }
    }
}
