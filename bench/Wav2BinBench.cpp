// The built bv7 runs `wav2bin PROG.wav -o PROG.BIN` on the WAV file of a
// random 64 KiB image (about 16 M samples). Beside it the bare loop, run as a
// process of its own as well (this bench with --leseschleife): it starts with
// the same libraries, maps the file (the least it takes to have the samples
// in memory: no copy, no page taken in one at a time), takes the samples in
// place and reads them as wav2bin reads a single program
// (decodeRecordEitherWay), and nothing else. The two take turns, so that both
// meet the same load of the shared machine; each figure is the best of its
// turns, and the ratio is of processor time (user and system), which the load
// of the other cores changes far less than the time on the clock. Then the
// steps of the command's road one by one in this process, to show where the
// rest goes.
#include "bench/Wav2BinBench.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "cli/RecordingInput.h"
#include "shell/FileIo.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/SideReading.h"
#include "tape/WavFile.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int turns = 10;

template <typename Work>
double timed(Work&& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

DecodedRecord readSingleProgram(const WavSamples& wav) {
    const DecoderSettings settings = decoderSettingsAt(wav.rate, DecoderSettings{}.triggerLevel);
    return decodeRecordEitherWay(wav.samples, settings, wav.rate, 0, nullptr, ReadingChoice{});
}

struct Run {
    int code = -1;
    double cpu = 0, wall = 0;   // processor time (user and system) and time on the clock
};

// `program` with `args`, its output thrown away. Spawned, not forked: a forked
// child would copy this process's page tables and pay for letting them go.
Run runTimed(const std::string& program, std::vector<std::string> args) {
    Run run;
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& word : args) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    const bool spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    if (!spawned) return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.wall = std::chrono::duration<double>(Clock::now() - start).count();
    run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Best {
    double cpu = 1e9, wall = 1e9;
    bool allRight = true;
    void add(const Run& run, bool right) {
        cpu = std::min(cpu, run.cpu);
        wall = std::min(wall, run.wall);
        allRight = allRight && right;
    }
};
}

int runBareReadingLoop(const char* path) {
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (descriptor < 0 || fstat(descriptor, &status) != 0 || status.st_size <= 0) return 1;
    const auto size = static_cast<std::size_t>(status.st_size);
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0);
    close(descriptor);
    if (mapped == MAP_FAILED) return 1;
    const WavSamples wav = parseWavSamples(ByteView(static_cast<const std::uint8_t*>(mapped), size));
    const DecodedRecord record = readSingleProgram(wav);
    munmap(mapped, size);
    return record.status == DecodeStatus::Ok && record.faulty == 0 ? 0 : 1;
}

int printWav2BinRatio(const char* bv7Program, const char* benchProgram) {
    const std::string dir = "/tmp/bv7-wav2bin-" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(dir);
    std::mt19937 random(7);
    std::vector<std::uint8_t> image(65536);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> samples(encoderBufferSize(image.size()));
    samples.resize(encodeRecordInto(image.data(), image.size(), TapeHeader{"PROG", 0x0000, 0xFFFF, 0x0000}, 14,
                                    samples.data()));
    const std::vector<std::uint8_t> file = makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                                            static_cast<std::uint32_t>(samples.size()));
    if (writeFile(dir + "PROG.wav", file.data(), file.size()) != WriteOutcome::Ok) return 1;

    const std::string wavPath = dir + "PROG.wav", binPath = dir + "PROG.BIN";
    Best command, bare, start;
    for (int turn = 0; turn < turns; ++turn) {
        const Run run = runTimed(bv7Program, {"wav2bin", wavPath, "-o", binPath, "--force"});
        std::vector<std::uint8_t> saved;
        command.add(run, run.code == 0 && readFile(binPath, saved) == ReadOutcome::Ok && saved == image);
        const Run loop = runTimed(benchProgram, {"--leseschleife", wavPath});
        bare.add(loop, loop.code == 0);
        start.add(runTimed(bv7Program, {"wav2bin"}), true);   // the usage: started, nothing read
    }

    // The road in this process: the file read as bv7 reads it, the reading,
    // the diagnosis; and the bare loop over the samples already in memory.
    const WavSamples wav = parseWavSamples(ByteView(file));
    double input = 1e9, reading = 1e9, diagnosis = 1e9, inMemory = 1e9;
    for (int turn = 0; turn < 3; ++turn) {
        WavSamples recording;
        input = std::min(input, timed([&] { readRecordingSamples(wavPath, recording, std::cerr); }));
        const SourceFacts source = sourceFactsOf(recording);
        ReadingOptions options = settingsReadingOptions(false);
        reading = std::min(reading, timed([&] { readSide(recording.samples, recording.rate, source, options); }));
        // What the diagnosis adds where it is shown (a record not read whole).
        options.findings = FindingsWanted::OfEveryRecord;
        diagnosis = std::min(diagnosis, timed([&] { readSide(recording.samples, recording.rate, source, options); }) -
                                            reading);
        inMemory = std::min(inMemory, timed([&] { readSingleProgram(wav); }));
    }
    std::filesystem::remove_all(dir);

    const double ratio = command.cpu / bare.cpu;
    std::printf("\n`bv7 wav2bin` eines sauberen 64-KiB-Programms (%zu Samples, WAV-Datei %zu Bytes) im Wechsel mit der\n"
                "bloßen Leseschleife über dieselbe Datei als eigener Prozess, je beste von %d:\n\n",
                samples.size(), file.size(), turns);
    std::printf("| | Prozessorzeit | Uhrzeit |\n|---|---|---|\n");
    std::printf("| `bv7 wav2bin PROG.wav` (gebautes bv7)%s | %.1f ms | %.1f ms |\n",
                command.allRight ? "" : " FEHLER: Bild verschieden", command.cpu * 1e3, command.wall * 1e3);
    std::printf("| bloße Leseschleife (Datei eingeblendet, decodeRecordEitherWay)%s | %.1f ms | %.1f ms |\n",
                bare.allRight ? "" : " FEHLER: nicht gelesen", bare.cpu * 1e3, bare.wall * 1e3);
    std::printf("| Verhältnis | %.2f%s | %.2f |\n", ratio, ratio <= 1.5 ? "" : " (Ziel höchstens 1,5)",
                command.wall / bare.wall);
    std::printf("| nur der Start von bv7 (`bv7 wav2bin` ohne Datei) | %.1f ms | %.1f ms |\n", start.cpu * 1e3,
                start.wall * 1e3);
    std::printf("\nIm Bench-Prozess (Uhrzeit, beste von 3): Datei einlesen wie bv7 (readRecordingSamples) %.1f ms,\n"
                "Lesen (readSide) %.1f ms, Diagnose, wo gezeigt, zusätzlich %.1f ms; die Leseschleife über die Samples\n"
                "im Speicher allein %.1f ms.\n",
                input * 1e3, reading * 1e3, diagnosis * 1e3, inMemory * 1e3);
    std::fflush(stdout);
    return command.allRight && bare.allRight ? 0 : 1;
}
