// bv7 play, record and devices through the sound server. Most of them need
// the private cable of scripts/with-audio (a null sink whose monitor is the
// default source); run-tests runs this group under it, elsewhere they skip.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "bench/SignalDegrader.h"
#include "shell/CommonServices.h"
#include "support/TestFiles.h"
#include "tape/AudioFormat.h"
#include "tape/Decoder.h"
#include "tape/Encoder.h"
#include "tape/WavFile.h"

namespace {
bool haveCable() {
    const char* audio = std::getenv("SPULWERK_AUDIO");
    return audio && std::string(audio) == "cable";
}

std::string text(const std::string& path) {
    auto bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Runs `script` with bash in `dir`, the built bv7 as "$BV7", bounded by
// `seconds` so that a hang fails; gives its exit code.
int runScript(const std::string& dir, const std::string& script, int seconds) {
    std::ofstream(dir + "run.sh") << script;
    std::string command = "cd '" + dir + "' && BV7='" + std::string(BV7_PROGRAM) + "' timeout -k 5 " +
                          std::to_string(seconds) + " bash run.sh >script.out 2>script.err";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::uint8_t> image(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 37 + seed);
    return bytes;
}

// The signal of `bytes` under `header` as bin2wav writes it, worn when
// `worn`; with `broken`, a copy with 100 samples lost in block 2 before it.
void writeRecordingWav(const std::string& path, const std::vector<std::uint8_t>& bytes, const TapeHeader& header,
                       bool worn, bool broken = false) {
    std::vector<std::uint8_t> samples = encodeRecordSamples(bytes, header, halfCellSamplesAt(44100));
    if (broken) {
        std::vector<std::uint8_t> copy = samples;
        const BlockSpan second = decodeRecord(ByteView(samples), DecoderSettings{}).blockSpans.at(1);
        auto cut = copy.begin() + static_cast<std::ptrdiff_t>((second.begin + second.end) / 2);
        copy.erase(cut, cut + 100);
        copy.resize(copy.size() + 44100, 128);
        samples.insert(samples.begin(), copy.begin(), copy.end());
    }
    if (worn) {
        degrade::Faults faults;
        faults.noise = 0.5;
        faults.hum = 1;
        samples = degrade::degradeSignal(samples, faults);
    }
    writeFile(path, makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                     static_cast<std::uint32_t>(samples.size())));
}

const char* const recordLog = "record.err";

// Runs the recording `script` (see runScript) until record.rc holds
// `expectedCode` and the program `bin` is saved, at most twice. A player that is late on a loaded machine
// makes the sound server play silence into the signal, and a gap in the only
// copy leaves nothing to read: such a run is repeated once, and the log says
// so. A fault of the program fails both. Each script bounds its bv7 record
// with --seconds, so that no recording outlives its run.
int runRecording(const std::string& dir, const std::string& script, const char* expectedCode, const char* bin) {
    int code = runScript(dir, script, 45);
    if (code != 0 || text(dir + "record.rc") != expectedCode || !fileExists(dir + bin)) {
        std::cout << "repeated once after:\n" << text(dir + "record.out") << text(dir + recordLog);
        code = runScript(dir, script, 45);
    }
    return code;
}
}

TEST(SoundCommands, PlayedBinIsRecordedToTheLastByteEveryTime) {
    if (!haveCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::string dir = freshTestDir("sound-play");
    auto bytes = image(100, 3);
    writeFile(dir + "PROG_1000_1063_1234.BIN", bytes);
    // Each run: parecord on the cable's monitor, bv7 play, then the
    // recording read by bv7 wav2bin into a folder of its own. Two seconds in
    // the server's buffer: a play that returned before they were played out
    // would lose the end of the record when parecord stops.
    int code = runScript(dir,
                         "for run in 1 2 3 4; do\n"
                         "  mkdir run$run\n"
                         "  parecord --latency-msec=20 --file-format=wav --format=u8 --rate=44100 --channels=1 run$run/cable.wav & rec=$!\n"
                         "  sleep 0.3\n"
                         "  PULSE_LATENCY_MSEC=2000 $BV7 play PROG_1000_1063_1234.BIN >run$run/play.out 2>&1 || echo \"run $run: play failed\"\n"
                         "  sleep 0.2; kill -INT $rec; wait $rec\n"
                         "  $BV7 wav2bin run$run/cable.wav >run$run/read.out 2>&1\n"
                         "done\n",
                         120);
    EXPECT_EQ(code, 0) << text(dir + "script.err");
    int exact = 0;
    for (int run = 1; run <= 4; ++run) {
        std::string folder = dir + "run" + std::to_string(run) + "/";
        bool same = readFile(folder + "PROG_1000_1063_1234.BIN") == bytes;
        exact += same;
        EXPECT_TRUE(same) << "run " << run << ": " << text(folder + "play.out") << text(folder + "read.out");
    }
    std::cout << "bv7 play into the cable: " << exact << " of 4 recordings read back exactly\n";
}

TEST(SoundCommands, RecordStopsByItselfOnAWornTapeAndKeepsBoth) {
    if (!haveCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::string dir = freshTestDir("sound-record");
    auto bytes = image(600, 5);
    writeRecordingWav(dir + "worn.wav", bytes, TapeHeader{"WORN", 0x2000, 0, 0x2010}, true);
    int code = runRecording(dir,
                            "rm -f aufnahme.wav WORN_*.BIN\n"
                            "TIMEFORMAT='bv7 record: %U s user + %S s system processor time in %R s'\n"
                            "{ time $BV7 record --seconds 30 --wav aufnahme.wav >record.out 2>record.err; echo $? >record.rc; } 2>record.time &\n"
                            // The tape starts once bv7 listens (a fixed pause is too short on a busy machine).
                            "for i in $(seq 100); do grep -q 'warte auf Vorton' record.err 2>/dev/null && break; sleep 0.1; done\n"
                            "paplay worn.wav\n"
                            "played=$(date +%s%N)\n"
                            "wait\n"
                            "echo \"BIN saved $(( ($(date +%s%N) - played) / 1000000 )) ms after the end of the sound\" >>record.time\n",
                            "0\n", "WORN_2000_2257_2010.BIN");
    EXPECT_EQ(code, 0) << text(dir + "script.err");
    EXPECT_EQ(text(dir + "record.rc"), "0\n") << text(dir + recordLog);
    EXPECT_EQ(readFile(dir + "WORN_2000_2257_2010.BIN"), bytes) << text(dir + "record.out") << text(dir + recordLog);
    const std::size_t recorded = readFile(dir + "aufnahme.wav").size();
    EXPECT_GT(recorded, 6 * 44100u);
    EXPECT_LT(recorded, 15 * 44100u) << "not ended by itself";
    std::string log = text(dir + recordLog);
    for (const char* status : {"  warte auf Vorton\n", "  Vorton\n", "  WORN: Block ", "  fertig\n"})
        EXPECT_NE(log.find(status), std::string::npos) << status << " missing in:\n" << log;
    // The tape's hum is named at the end, though the program was read whole.
    const std::size_t hum = log.find("\nWarnung: Brumm 50 Hz");
    EXPECT_TRUE(hum != std::string::npos && hum > log.find("  fertig\n")) << log;
    std::cout << log << text(dir + "record.time");
}

// A copy that cannot be read to its end is given up, the search goes on
// behind it, and the good copy ends the recording and is saved.
TEST(SoundCommands, RecordGivesUpABrokenCopyAndKeepsTheNext) {
    if (!haveCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::string dir = freshTestDir("sound-record-broken");
    auto bytes = image(600, 7);
    writeRecordingWav(dir + "copies.wav", bytes, TapeHeader{"HALLO", 0x2000, 0, 0x2000}, false, true);
    int code = runRecording(dir,
                            "rm -f aufnahme.wav HALLO_*.BIN\n"
                            "$BV7 record --seconds 30 --wav aufnahme.wav >record.out 2>record.err & rec=$!\n"
                            "sleep 0.5\npaplay copies.wav\nwait $rec; echo $? >record.rc\n",
                            "0\n", "HALLO_2000_2257_2000.BIN");
    EXPECT_EQ(code, 0) << text(dir + "script.err");
    EXPECT_EQ(text(dir + "record.rc"), "0\n") << text(dir + recordLog);
    EXPECT_EQ(readFile(dir + "HALLO_2000_2257_2000.BIN"), bytes) << text(dir + "record.out") << text(dir + recordLog);
    std::string log = text(dir + recordLog);
    for (const char* status : {"  HALLO: Block 1\n", "Warnung: Aufnahme bei 0:"})
        EXPECT_NE(log.find(status), std::string::npos) << status << " missing in:\n" << log;
}

// A disk that fills while the tape plays (a tmpfs of 200 KB in a mount
// namespace of its own: the recording fills it long before the program is
// read): the room kept from the start takes the program, the WAV file is the
// one cut short, with its own message, and record fails.
TEST(SoundCommands, RecordOnAFullDiskStillSavesTheProgram) {
    if (!haveCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::string dir = freshTestDir("sound-record-full");
    auto bytes = image(600, 9);
    writeRecordingWav(dir + "prog.wav", bytes, TapeHeader{"VOLL", 0x2000, 0, 0x2000}, false);
    int code = runRecording(dir,
                            "rm -f aufnahme.wav VOLL_*.BIN voll.ls; mkdir -p voll\n"
                            "unshare --mount --map-root-user true || exit 77\n"
                            "exec unshare --mount --map-root-user sh -c '\n"
                            "  mount -t tmpfs -o size=200k tmpfs voll || exit 77\n"
                            "  cd voll\n"
                            "  $BV7 record --seconds 30 --wav aufnahme.wav >../record.out 2>../record.err & rec=$!\n"
                            "  sleep 0.5; paplay ../prog.wav; wait $rec; echo $? >../record.rc\n"
                            "  ls -l >../voll.ls; cp aufnahme.wav VOLL_*.BIN ..'\n",
                            "1\n", "VOLL_2000_2257_2000.BIN");
    if (code == 77) GTEST_SKIP() << "no tmpfs in a mount namespace here: " << text(dir + "script.err");
    EXPECT_EQ(code, 0) << text(dir + "script.err");
    EXPECT_EQ(text(dir + "record.rc"), "1\n") << text(dir + recordLog);
    EXPECT_EQ(readFile(dir + "VOLL_2000_2257_2000.BIN"), bytes) << text(dir + "record.out") << text(dir + recordLog);
    EXPECT_EQ(text(dir + "record.out").find("Aufnahme gespeichert"), std::string::npos) << text(dir + "record.out");
    EXPECT_NE(text(dir + recordLog).find("Fehler: Die Aufnahme konnte nicht vollständig geschrieben werden: aufnahme.wav ("),
              std::string::npos) << text(dir + recordLog);
    EXPECT_LT(readFile(dir + "aufnahme.wav").size(), 200u * 1024) << text(dir + "voll.ls");
    EXPECT_EQ(text(dir + "voll.ls").find(".platz"), std::string::npos) << text(dir + "voll.ls");
}

// With --all the recording goes on behind each program; it ends with Ctrl-C,
// a termination request, a closed terminal or after --seconds, and every
// complete program in it is saved, the WAV header telling its whole length.
TEST(SoundCommands, RecordAllKeepsEveryProgramUntilStopped) {
    if (!haveCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    struct Case {
        const char* name;
        int programs;
        const char* options;
        const char* stop;   // after the last program
    };
    const Case cases[] = {
        {"interrupted", 1, "--all", "sleep 0.5; kill -INT $rec"},
        {"terminated", 1, "--all", "sleep 0.5; kill -TERM $rec"},
        {"hung-up", 1, "--all", "sleep 0.5; kill -HUP $rec"},
        {"two", 2, "--all --seconds 12", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = freshTestDir(std::string("sound-all-") + c.name);
        std::string play;
        std::vector<std::vector<std::uint8_t>> images;
        for (int n = 0; n < c.programs; ++n) {
            images.push_back(image(100, 11 + n));
            std::string name = "P" + std::to_string(n + 1);
            writeRecordingWav(dir + name + ".wav", images.back(), TapeHeader{name, 0x3000, 0, 0x3000}, false);
            play += "paplay " + name + ".wav\n";
        }
        int code = runScript(dir,
                             "$BV7 record " + std::string(c.options) +
                                 " --wav aufnahme.wav >record.out 2>record.err & rec=$!\n"
                                 "sleep 0.5\n" + play + c.stop + "\nwait $rec; echo $? >record.rc\n",
                             40);
        EXPECT_EQ(code, 0) << text(dir + "script.err");
        EXPECT_EQ(text(dir + "record.rc"), "0\n") << text(dir + "record.out") << text(dir + recordLog);
        for (int n = 0; n < c.programs; ++n)
            EXPECT_EQ(readFile(dir + "P" + std::to_string(n + 1) + "_3000_3063_3000.BIN"), images[n])
                << text(dir + "record.out") << text(dir + recordLog);
        auto wav = readFile(dir + "aufnahme.wav");
        ASSERT_GT(wav.size(), 4 * 44100u * c.programs);
        const std::uint8_t* size = &wav[wavHeaderBytes - 4];   // the data chunk's
        EXPECT_EQ(size[0] | size[1] << 8 | size[2] << 16 | size[3] << 24, wav.size() - wavHeaderBytes);
    }
}

// A missing server or device is named at once, with exit code 1, and leaves no file.
TEST(SoundCommands, MissingServerOrDeviceFailsAtOnce) {
    struct Case {
        bool cable;             // needs the private cable
        const char* command;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {false, "PULSE_SERVER=unix:/nonexistent/bv7-socket $BV7 record --wav aufnahme.wav", 1, "Kein Tonserver erreichbar"},
        {false, "PULSE_SERVER=unix:/nonexistent/bv7-socket $BV7 play P_1000_1063_1000.BIN", 1, "Kein Tonserver erreichbar"},
        {false, "PULSE_SERVER=unix:/nonexistent/bv7-socket $BV7 devices", 1, "Kein Tonserver erreichbar"},
        {true, "$BV7 record --device gibtsnicht --wav aufnahme.wav", 1, "Gerät nicht gefunden: gibtsnicht"},
        // The program's file is checked before a whole side is recorded.
        {false, "PULSE_SERVER=unix:/nonexistent/bv7-socket $BV7 record -o P_1000_1063_1000.BIN --wav aufnahme.wav", 1,
         "Datei existiert schon: P_1000_1063_1000.BIN"},
        {true, "$BV7 play --device gibtsnicht P_1000_1063_1000.BIN", 1, "Gerät nicht gefunden: gibtsnicht"},
        {true, "$BV7 devices", 0, "* vcable.monitor"},
        // A WAV the server cannot take is refused, with the reason, before the server is asked.
        {false, "PULSE_SERVER=unix:/nonexistent/bv7-socket $BV7 play hz768000.wav", 1,
         "Fehler: Dieses Tonformat kann bv7 nicht abspielen: Kanalzahl 1, 8 Bit, 768000 Hz (hz768000.wav)"},
        {false, "PULSE_SERVER=unix:/nonexistent/bv7-socket $BV7 play kanal0.wav", 1,
         "Fehler: Audiodaten nicht auswertbar: Kanalzahl 0 im Format-Chunk (kanal0.wav)"},
    };
    for (const Case& c : cases) {
        if (c.cable && !haveCable()) continue;
        SCOPED_TRACE(c.command);
        std::string dir = freshTestDir("sound-missing");
        writeFile(dir + "P_1000_1063_1000.BIN", image(100, 1));
        writeFile(dir + "hz768000.wav", makeWavFileBytes(AudioFormat{1, 1, 768000, 768000, 1, 8, 0}, image(100, 1).data(), 100));
        writeFile(dir + "kanal0.wav", makeWavFileBytes(AudioFormat{1, 0, 44100, 44100, 1, 8, 0}, image(100, 1).data(), 100));
        int code = runScript(dir,
                             std::string("start=$(date +%s%N)\n") + c.command +
                                 "\ncode=$?\necho \"$(( ($(date +%s%N) - start) / 1000000 )) ms\" >&2\nexit $code\n",
                             10);
        EXPECT_EQ(code, c.code);
        std::string output = text(dir + "script.out") + text(dir + "script.err");
        EXPECT_NE(output.find(c.message), std::string::npos) << output;
        EXPECT_FALSE(std::ifstream(dir + "aufnahme.wav").good());
        std::cout << c.command << ": " << output.substr(output.rfind('\n', output.size() - 2) + 1);
    }
}

// Every file of a recording is made, or found impossible with its reason,
// before the tape plays: here no sound server is reached at all, and nothing
// is left behind. Three recordings started at once in one folder each get a
// name of their own.
TEST(SoundCommands, RecordChecksItsFilesBeforeTheTapePlays) {
    const std::string noServer = "PULSE_SERVER=unix:/nonexistent/bv7-socket $BV7 record ";
    struct Case {
        std::string command;
        const char* message;
    };
    const Case cases[] = {
        {noServer + "--wav /nonexistent/x.wav",
         "Fehler: Datei kann nicht angelegt werden: /nonexistent/x.wav (Ordner nicht gefunden)"},
        {noServer + "--wav schon.wav", "Fehler: Datei existiert schon: schon.wav (eine Aufnahme überschreibt nichts)"},
        {noServer + "--wav aufnahme.wav -o /nonexistent/P.BIN",
         "Fehler: BIN-Datei kann nicht angelegt werden: /nonexistent/P.BIN (Ordner nicht gefunden)"},
        {"mkdir nur-lesen; unshare --mount --map-root-user true || exit 77\n"
         "unshare --mount --map-root-user sh -c 'mount -t tmpfs -o ro tmpfs nur-lesen || exit 77\n" +
             noServer + "--wav aufnahme.wav -o nur-lesen/P.BIN'",
         "Fehler: BIN-Datei kann nicht angelegt werden: nur-lesen/P.BIN (Datenträger schreibgeschützt)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        std::string dir = freshTestDir("sound-record-files");
        writeFile(dir + "schon.wav", image(10, 1));
        int code = runScript(dir, c.command, 10);
        if (code == 77) continue;   // no mount namespace here
        EXPECT_EQ(code, 1);
        EXPECT_NE(text(dir + "script.err").find(c.message), std::string::npos) << text(dir + "script.err");
        EXPECT_FALSE(fileExists(dir + "aufnahme.wav"));
        EXPECT_EQ(readFile(dir + "schon.wav"), image(10, 1));
    }
    if (!haveCable()) return;
    std::string dir = freshTestDir("sound-record-same-second");
    EXPECT_EQ(runScript(dir,
                        "for n in 1 2 3; do $BV7 record --seconds 1 >record$n.out 2>record$n.err & done; wait\n"
                        "ls aufnahme-*.wav | wc -l\n",
                        20),
              0);
    EXPECT_EQ(text(dir + "script.out"), "3\n") << text(dir + "record1.err") << text(dir + "record2.err")
                                                << text(dir + "record3.err");
}

// Ctrl-C ends a playback at once (the script's bound is far below the
// program's length), says so, and exits with 1.
TEST(SoundCommands, PlayStopsAtOnceOnCtrlC) {
    if (!haveCable()) GTEST_SKIP() << "needs the audio cable of scripts/with-audio";
    std::string dir = freshTestDir("sound-play-int");
    writeFile(dir + "LANG_1000_2FFF_1000.BIN", image(8192, 3));   // about a minute of sound
    int code = runScript(dir,
                         "$BV7 play --volume 3 LANG_1000_2FFF_1000.BIN >play.out 2>play.err & play=$!\n"
                         "sleep 1\nstart=$(date +%s%N)\nkill -INT $play\nwait $play; echo $? >play.rc\n"
                         "echo \"$(( ($(date +%s%N) - start) / 1000000 )) ms\" >&2\n",
                         10);
    EXPECT_EQ(code, 0) << text(dir + "script.err");
    EXPECT_EQ(text(dir + "play.rc"), "1\n");
    EXPECT_NE(text(dir + "play.err").find("Wiedergabe abgebrochen."), std::string::npos) << text(dir + "play.err");
    std::cout << "Ctrl-C to the end of bv7 play: " << text(dir + "script.err");
}
