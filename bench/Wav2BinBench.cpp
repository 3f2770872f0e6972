// The built bv7 runs `wav2bin PROG.wav -o PROG.BIN` on the WAV file of a
// random 64 KiB image (about 16 M samples), timed from start to end of the
// process. Beside it, in this process, the bare loop: the reading wav2bin does
// of a single program (decodeRecordEitherWay) over the same samples already in
// memory. The two take turns, so that both meet the same load of the shared
// machine, and each figure is the best of its turns. Then the steps of the
// command's road one by one in this process, to show where the rest goes.
#include "bench/Wav2BinBench.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "bench/TapeSideBench.h"
#include "cli/FindingsReport.h"
#include "cli/RecordingConversion.h"
#include "cli/RecordingInput.h"
#include "shell/FileIo.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/WavFile.h"

namespace {
using Clock = std::chrono::steady_clock;
constexpr int turns = 10;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <typename Work>
double timed(Work&& work) {
    const auto start = Clock::now();
    work();
    return secondsSince(start);
}
}

int printWav2BinRatio(const char* bv7Program) {
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

    const WavSamples wav = parseWavSamples(ByteView(file));
    const DecoderSettings settings = decoderSettingsAt(wav.rate, DecoderSettings{}.triggerLevel);
    const ReadingChoice choice;
    double command = 1e9, bare = 1e9;
    bool commandRead = true, bareRead = true;
    long peakKiB = 0;
    for (int turn = 0; turn < turns; ++turn) {
        const Bv7Run run = runBv7(bv7Program, {"wav2bin", "PROG.wav", "-o", "PROG.BIN", "--force"}, dir);
        std::vector<std::uint8_t> saved;
        commandRead = commandRead && run.code == 0 && readFile(dir + "PROG.BIN", saved) == ReadOutcome::Ok &&
                      saved == image;
        command = std::min(command, run.seconds);
        peakKiB = std::max(peakKiB, run.peakKiB);
        DecodedRecord record;
        bare = std::min(bare, timed([&] { record = decodeRecordEitherWay(wav.samples, settings, wav.rate, 0, nullptr, choice); }));
        bareRead = bareRead && record.status == DecodeStatus::Ok && record.image == image;
    }

    // The road in this process: the file read as bv7 reads it, the reading, the diagnosis.
    double input = 1e9, reading = 1e9, diagnosis = 1e9;
    for (int turn = 0; turn < 3; ++turn) {
        RecordingInput recording;
        input = std::min(input, timed([&] { readRecording(dir + "PROG.wav", recording, std::cerr); }));
        std::vector<DecodedRecord> records;
        reading = std::min(reading, timed([&] { records = cli::readRecords(recording, cli::ConversionOptions{}); }));
        diagnosis = std::min(diagnosis, timed([&] { cli::findingsOf(recording, records); }));
    }
    std::filesystem::remove_all(dir);

    const double ratio = command / bare;
    std::printf("\n`bv7 wav2bin` eines sauberen 64-KiB-Programms (%zu Samples, WAV-Datei %zu Bytes), im Wechsel mit\n"
                "der bloßen Leseschleife über dieselben Samples im Speicher, je beste von %d:\n\n",
                samples.size(), file.size(), turns);
    std::printf("| | Zeit |\n|---|---|\n");
    std::printf("| `bv7 wav2bin PROG.wav` (gebautes bv7, ganzer Prozess) | %.1f ms%s, Speicher %ld MiB |\n",
                command * 1e3, commandRead ? "" : " FEHLER: Bild verschieden", peakKiB / 1024);
    std::printf("| bloße Leseschleife (decodeRecordEitherWay) | %.1f ms%s |\n", bare * 1e3,
                bareRead ? "" : " FEHLER: Bild verschieden");
    std::printf("| Verhältnis | %.2f%s |\n", ratio, ratio <= 1.5 ? "" : " (Ziel höchstens 1,5)");
    std::printf("\nIm Bench-Prozess: Datei einlesen wie bv7 (readRecording) %.1f ms, Lesen (readRecords) %.1f ms,\n"
                "Diagnose (findingsOf) %.1f ms.\n",
                input * 1e3, reading * 1e3, diagnosis * 1e3);
    std::fflush(stdout);
    return commandRead && bareRead ? 0 : 1;
}
