// What bv7 tells the user, and that a failed write never costs a file.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/Commands.h"
#include "cli/PulseAudio.h"
#include "shell/Version.h"
#include "support/CommandRun.h"
#include "support/TestFiles.h"
#include "support/WavBuilder.h"
#include "tape/WavFile.h"

#ifdef BV7_HAVE_PULSE
#include <pulse/def.h>
#include <pulse/error.h>
#endif

namespace {
using Outcome = CommandOutcome;
Outcome run(CommandFunction command, const CommandArgs& args) { return runCommand(command, args); }

std::vector<std::uint8_t> image(std::size_t size) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);
    return bytes;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string textOf(const std::string& path) {
    std::vector<std::uint8_t> bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// The program itself, its standard output and its exit code.
Outcome runProgram(const std::string& arguments, const std::string& dir) {
    int status = std::system(("'" + std::string(BV7_PROGRAM) + "' " + arguments + " >'" + dir + "out' 2>'" + dir +
                              "err' </dev/null")
                                 .c_str());
    return Outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, textOf(dir + "out"), textOf(dir + "err")};
}

// The source tree, from this file's own path.
std::string sourcePath(const std::string& relative) {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string() + "/" + relative;
}
}

// A write that fails part-way (here the file-size limit of a child process,
// which makes write() fail as a full disk does) leaves the old file whole and
// nothing beside it.
TEST(Messages, ForceNeverLosesTheOldFile) {
    std::string dir = freshTestDir("messages-force");
    writeFile(dir + "SPIEL_1000_1FFF_1000.BIN", image(0x1000));
    writeFile(dir + "SPIEL.wav", {1, 2, 3});
    pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        Outcome result = run(bin2wavCommand, {dir + "SPIEL_1000_1FFF_1000.BIN", "--force"});
        std::ofstream(dir + "child.err") << result.err;
        _exit(result.code);
    }
    int status = -1;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(readFile(dir + "SPIEL.wav"), (std::vector<std::uint8_t>{1, 2, 3}));
    std::string err = textOf(dir + "child.err");
    EXPECT_TRUE(contains(err, "SPIEL.wav (Datei zu groß")) << err;
    EXPECT_TRUE(contains(err, "unverändert")) << err;
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 3u) << "the BIN, the old WAV and the child's messages, nothing beside";
}

// Every error names the file and gives the reason in German; a warning is one.
TEST(Messages, ErrorsNameTheFileAndTheReason) {
    std::string dir = freshTestDir("messages-reasons");
    const std::string bin = dir + "P_1000_10FF_1000.BIN";
    writeFile(bin, image(256));
    writeFile(dir + "kein.wav", image(64));
    const std::string longName = dir + std::string(300, 'n') + ".wav";
    // Loud noise and no record in it.
    std::vector<std::uint8_t> noise(44100);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<std::uint8_t>((i * 7919 + i * i * 31) >> 3);
    writeFile(dir + "rauschen.wav", makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, noise.data(),
                                                     static_cast<std::uint32_t>(noise.size())));
    struct Case {
        CommandFunction command;
        CommandArgs args;
        std::string message;
    };
    const Case cases[] = {
        {bin2wavCommand, {dir + "fehlt_1000_1000_1000.BIN"}, "fehlt_1000_1000_1000.BIN: Datei nicht gefunden)"},
        {crcCommand, {longName}, ".wav: Name zu lang)"},
        {bin2wavCommand, {bin, "-o", dir + "ordner/x.wav"}, "ordner/x.wav (Ordner nicht gefunden)"},
        {bin2wavCommand, {bin, "-o", longName}, "nnnn.wav (Name zu lang)"},
        {wav2binCommand, {dir + "kein.wav"}, "RIFF-Chunk nicht gefunden. (" + dir + "kein.wav)"},
        {listCommand, {dir + "kein.wav"}, "RIFF-Chunk nicht gefunden. (" + dir + "kein.wav)"},
        {listCommand, {dir + "rauschen.wav"}, "WAV: kein SYNC gefunden. (" + dir + "rauschen.wav)"},
        {wav2binCommand, {dir + "rauschen.wav", "--all"}, "WAV: kein SYNC gefunden. (" + dir + "rauschen.wav)"},
    };
    for (const Case& c : cases) {
        Outcome result = run(c.command, c.args);
        EXPECT_EQ(result.code, 1) << c.message;
        EXPECT_TRUE(contains(result.err, c.message)) << result.err;
    }
    Outcome cut = run(bin2wavCommand, {bin, "--name", "EIN_SEHR_LANGER_NAME", "-o", dir + "cut.wav"});
    EXPECT_EQ(cut.code, 0) << cut.err;
    EXPECT_TRUE(contains(cut.err, "Warnung: Programmname zu lang, wurde auf 16 Zeichen gekürzt.")) << cut.err;
    EXPECT_TRUE(contains(cut.err, "Warnung: Programmname enthielt 'Unterstrich'")) << cut.err;
    EXPECT_FALSE(contains(cut.err, "Fehler")) << cut.err;
}

// Up to 64 KiB are encoded, wrapping past FFFF as the 16-bit block addresses
// do; the file's length decides the EA.
TEST(Messages, Bin2WavRefusesWhatTheBv7CannotHold) {
    std::string dir = freshTestDir("messages-memory");
    writeFile(dir + "GROSS_1000_1000_1000.BIN", image(65537));
    writeFile(dir + "RAND.bin", image(16));
    writeFile(dir + "SPIEL_1000_1FFF_1000.BIN", image(700));
    struct Case {
        CommandArgs args;
        int code;
        const char* message;   // on the error stream
    };
    const Case cases[] = {
        {{dir + "GROSS_1000_1000_1000.BIN"}, 1,
         "65537 Bytes ab AA 1000 reichen über FFFF hinaus (höchstens 65536 Bytes)"},
        {{dir + "RAND.bin", "--name", "RAND", "--aa", "FFF0", "--sa", "FFF0"}, 0, ""},
        {{dir + "SPIEL_1000_1FFF_1000.BIN"}, 0,
         "Warnung: Der Dateiname nennt EA 1FFF, die Datei (700 Bytes ab AA 1000) endet aber bei EA 12BB"},
    };
    for (const Case& c : cases) {
        Outcome result = run(bin2wavCommand, c.args);
        EXPECT_EQ(result.code, c.code) << result.err;
        if (*c.message) EXPECT_TRUE(contains(result.err, c.message)) << result.err;
        else EXPECT_EQ(result.err, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "GROSS.wav"));
}

// An image running past FFFF goes to tape with its block addresses wrapped to
// 0000 and comes back whole, its EA taken to 16 bits.
TEST(Messages, AnImagePastFfffWrapsAndReadsBack) {
    std::string dir = freshTestDir("messages-wrap");
    const std::vector<std::uint8_t> bytes = image(300);
    writeFile(dir + "OBEN_FFF0_011B_FFF0.BIN", bytes);
    Outcome encoded = run(bin2wavCommand, {dir + "OBEN_FFF0_011B_FFF0.BIN"});
    ASSERT_EQ(encoded.code, 0) << encoded.err;
    EXPECT_EQ(encoded.err, "Warnung: 300 Bytes ab AA FFF0 reichen über FFFF hinaus; die Blockadressen laufen bei 0000 "
                           "weiter, der BV7 lädt den Rest ab 0000 (EA 011B). (" +
                               dir + "OBEN_FFF0_011B_FFF0.BIN)\n");
    Outcome listed = run(listCommand, {dir + "OBEN.wav"});
    EXPECT_TRUE(contains(listed.out, "FFF0 011B FFF0")) << listed.out;
    Outcome decoded = run(wav2binCommand, {dir + "OBEN.wav", "-o", dir + "back.bin"});
    ASSERT_EQ(decoded.code, 0) << decoded.err;
    EXPECT_EQ(readFile(dir + "back.bin"), bytes);
}

// 32-bit floating-point WAV, plain and extensible, reads as the same program.
TEST(Messages, Wav2BinReadsFloatWav) {
    std::string dir = freshTestDir("messages-float");
    writeFile(dir + "F_2000_22FF_2000.BIN", image(768));
    ASSERT_EQ(run(bin2wavCommand, {dir + "F_2000_22FF_2000.BIN"}).code, 0);
    const std::vector<std::uint8_t> encoded = readFile(dir + "F.wav");
    WavSamples wav = parseWavSamples(ByteView(encoded));
    ASSERT_EQ(wav.error, 0);
    std::vector<std::uint8_t> data;
    for (std::size_t i = 0; i < wav.samples.size; ++i) {
        float value = (wav.samples[i] - 128) / 128.0f;
        std::uint8_t bytes[4];
        std::memcpy(bytes, &value, 4);
        data.insert(data.end(), bytes, bytes + 4);
    }
    std::vector<std::uint8_t> extensible = wavtest::fmtBody({1, 1, 44100, 32, true});
    extensible[0] = 0xFE;   // extensible with the floating-point subformat
    extensible[24] = 0x03;
    const std::vector<std::uint8_t> files[] = {
        wavtest::wav({3, 1, 44100, 32, false}, data),
        wavtest::riff({wavtest::chunk("fmt ", extensible), wavtest::chunk("data", data)}),
    };
    for (const std::vector<std::uint8_t>& file : files) {
        writeFile(dir + "float.wav", file);
        Outcome result = run(wav2binCommand, {dir + "float.wav", "-o", dir + "out.BIN", "--force"});
        EXPECT_EQ(result.code, 0) << result.err;
        EXPECT_EQ(readFile(dir + "out.BIN"), image(768));
    }
}

// A file that gives no listing is no KALO*4 source: said so, exit 1.
TEST(Messages, KaloSaysWhenAFileGivesNoListing) {
    std::string dir = freshTestDir("messages-kalo");
    writeFile(dir + "NICHTS.BIN", std::vector<std::uint8_t>(20, 0xFF));
    Outcome result = run(kaloCommand, {dir + "NICHTS.BIN"});
    EXPECT_EQ(result.code, 1);
    EXPECT_TRUE(contains(result.err, "Keine KALO*4-Datei, hier nicht darstellbar. (" + dir + "NICHTS.BIN)")) << result.err;
}

#ifdef BV7_HAVE_PULSE
// Every failure of the sound server reads German first; its own words only in brackets.
TEST(Messages, SoundServerFailuresAreGerman) {
    for (int error = 0; error < PA_ERR_MAX; ++error) {
        std::string text = pulse::problemText(error, "");
        SCOPED_TRACE(text);
        EXPECT_EQ(text.rfind("Fehler: ", 0), 0u);
        std::size_t bracket = text.find(" [");
        if (error != 0) {
            EXPECT_NE(bracket, std::string::npos);
            EXPECT_FALSE(contains(text.substr(0, bracket), pa_strerror(error)));
        }
    }
    EXPECT_TRUE(contains(pulse::problemText(PA_ERR_CONNECTIONTERMINATED, ""), "Verbindung zum Tonserver ist abgerissen"));
}
#endif

// help, --version, and the manual page and README agree with the program.
TEST(Messages, HelpVersionAndDocsAgreeWithTheProgram) {
    std::string dir = freshTestDir("messages-help");
    Outcome version = runProgram("--version", dir);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("bv7 (Spulwerk) ") + spulwerkVersion + "\n");
    Outcome help = runProgram("help bin2wav", dir);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.out.rfind("Aufruf: bv7 bin2wav", 0), 0u) << help.out;
    EXPECT_EQ(runProgram("help gibtsnicht", dir).code, 2);

    Outcome list = runProgram("help", dir);
    ASSERT_EQ(list.code, 0);
    const std::string manual = textOf(sourcePath("cli/bv7.1"));
    const std::string readme = textOf(sourcePath("README.md"));
    EXPECT_TRUE(contains(manual, std::string("\"Spulwerk ") + spulwerkVersion + "\""));
    std::istringstream lines(list.out.substr(list.out.find("Befehle:")));
    std::string line;
    int commands = 0;
    while (std::getline(lines, line) && line != "") {
        if (line.rfind("  ", 0) != 0) continue;
        std::string name = line.substr(2, line.find(' ', 2) - 2);
        ++commands;
        EXPECT_TRUE(contains(manual, ".B bv7 " + name)) << name;
        EXPECT_TRUE(contains(readme, "bv7 " + name)) << name;
    }
    EXPECT_GE(commands, 9);
    for (const char* doc : {"README.md", "bench/README.md"})
        EXPECT_FALSE(contains(textOf(sourcePath(doc)), "build/native/bench")) << doc << ": make bench builds build/bench/bench";
}

// A recording of eight channels plays as the one that carries the signal (the
// server has no channel map for eight). Runs with the sound group under
// scripts/with-audio.
TEST(SoundCommands, PlaysARecordingOfEightChannels) {
    const char* audio = std::getenv("SPULWERK_AUDIO");
    if (!audio || std::string(audio) != "cable") GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::string dir = freshTestDir("messages-channels");
    writeFile(dir + "ACHT_1000_10FF_1000.BIN", image(256));
    ASSERT_EQ(run(bin2wavCommand, {dir + "ACHT_1000_10FF_1000.BIN"}).code, 0);
    const std::vector<std::uint8_t> mono = readFile(dir + "ACHT.wav");
    WavSamples wav = parseWavSamples(ByteView(mono));
    ASSERT_EQ(wav.error, 0);
    std::vector<std::uint8_t> frames;
    for (std::size_t i = 0; i < wav.samples.size; ++i)
        for (int channel = 0; channel < 8; ++channel) frames.push_back(channel == 5 ? wav.samples[i] : 0x80);
    writeFile(dir + "acht.wav", wavtest::wav({1, 8, 44100, 8, false}, frames));
    std::string script =
        "parecord --latency-msec=20 --file-format=wav --format=u8 --rate=44100 --channels=1 cable.wav & rec=$!\n"
        "sleep 0.3\n"
        "PULSE_LATENCY_MSEC=2000 '" + std::string(BV7_PROGRAM) + "' play acht.wav >play.out 2>&1 || echo play failed >&2\n"
        "sleep 0.2; kill -INT $rec; wait $rec\n"
        "'" + std::string(BV7_PROGRAM) + "' wav2bin cable.wav -o back.BIN >read.out 2>&1\n";
    std::ofstream(dir + "run.sh") << script;
    int status = std::system(("cd '" + dir + "' && timeout -k 5 60 bash run.sh 2>script.err").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << textOf(dir + "script.err");
    EXPECT_EQ(readFile(dir + "back.BIN"), image(256)) << textOf(dir + "play.out") << textOf(dir + "read.out");
}
