// Speed of the cassette codec on a random 64 KiB image (about 16 M samples):
// encoding into memory, and decoding from the WAV file's bytes in memory, by
// the first reader and by the noise-proof one, clean and worn. Then the
// degradation table (DegradationBench.cpp). `bench --abgenutzt AUS.wav` writes
// one of its worn recordings; `bench --mitlesen` gives only the figures of bv7
// record (LiveReadingBench.cpp), `bench --kette` only the diagnosis of
// recording chains (ChainDiagnosisBench.cpp), `bench --telefon` only the
// phone chains (PhoneChainsBench.cpp; `--telefon-tisch AUS.wav` writes the
// phone on the table), `bench --wav2bin` only bv7
// wav2bin against the bare reading loop (Wav2BinBench.cpp), `bench --seite`
// only the tape side; these two take another bv7 to measure (an older build)
// as a second argument.
// The memory taken while decoding is measured in a second run of this program
// that only reads the WAV file and decodes it.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <random>
#include <vector>

#include "bench/ChainDiagnosisBench.h"
#include "bench/DegradationBench.h"
#include "bench/LiveReadingBench.h"
#include "bench/PhoneChainsBench.h"
#include "bench/RecordingsBench.h"
#include "bench/TapeSideBench.h"
#include "bench/Wav2BinBench.h"
#include "bench/SignalDegrader.h"
#include "shell/FileIo.h"
#include "tape/AudioFormat.h"
#include "tape/Decoder.h"
#include "tape/Encoder.h"
#include "tape/RobustReader.h"
#include "tape/WavFile.h"

namespace {
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long peakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <typename Work>
double bestOf(int runs, Work&& work) {
    double best = 1e9;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        work();
        double seconds = secondsSince(start);
        if (seconds < best) best = seconds;
    }
    return best;
}
}

// The second run: baseline, the file read whole, then the decoding.
int decodeOnly(const char* path) {
    long baseline = peakRssKiB();
    std::vector<std::uint8_t> file;
    if (readFile(path, file) != ReadOutcome::Ok) return 1;
    long withFile = peakRssKiB();
    WavSamples wav = parseWavSamples(ByteView(file));
    DecoderSettings settings;
    settings.threshold = stretchThresholdAt(wav.rate);
    DecodedRecord record = decodeRecord(wav.samples, settings);
    long afterDecode = peakRssKiB();
    long fileKiB = static_cast<long>(file.size() / 1024);
    std::printf("Speicher beim Dekodieren (eigener Prozess): Grundlast %ld KiB, Datei %ld KiB,\n"
                "  Spitze nach dem Einlesen %ld KiB, nach dem Dekodieren %ld KiB:\n"
                "  %ld KiB über Grundlast + Datei (Grenze 1024 KiB)%s\n",
                baseline, fileKiB, withFile, afterDecode, afterDecode - baseline - fileKiB,
                record.status == DecodeStatus::Ok ? "" : "  FEHLER: nicht dekodiert");
    return record.status == DecodeStatus::Ok ? 0 : 1;
}

namespace {
const TapeHeader benchHeader{"BENCH", 0x0000, 0xFFFF, 0x0000};

// Encoding the 64 KiB image into memory and decoding it from WAV bytes; true
// when the image comes back.
bool printCodecSpeed(const std::vector<std::uint8_t>& image, std::vector<std::uint8_t>& samples,
                     std::vector<std::uint8_t>& file) {
    samples.assign(encoderBufferSize(image.size()), 0);
    std::size_t count = 0;
    double encode = bestOf(10, [&] { count = encodeRecordInto(image.data(), image.size(), benchHeader, 14, samples.data()); });
    samples.resize(count);
    file = makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(), static_cast<std::uint32_t>(count));

    DecodedRecord record;
    double decode = bestOf(10, [&] {
        WavSamples wav = parseWavSamples(ByteView(file));
        DecoderSettings settings;
        settings.threshold = stretchThresholdAt(wav.rate);
        record = decodeRecord(wav.samples, settings);
    });
    bool same = record.status == DecodeStatus::Ok && record.image == image;
    std::printf("Bild 64 KiB, %zu Samples (WAV-Datei %zu Bytes)\n", count, file.size());
    std::printf("Kodieren in den Speicher:   %7.2f ms  %6.0f M Samples/s\n", encode * 1e3, count / encode / 1e6);
    std::printf("Dekodieren aus WAV-Bytes:   %7.2f ms  %6.0f M Samples/s  (%s)\n", decode * 1e3, count / decode / 1e6,
                same ? "Bild gleich" : "FEHLER: Bild verschieden");
    return same;
}

// The second reader on the same recording, and both on a worn one (the first
// reader then fails and the second takes over), and on pure noise.
void printReaderSpeed(const std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& samples) {
    const std::size_t count = samples.size();
    // Turn about with the first reader, so that both meet the same load of
    // the machine: each figure is the best of its turns.
    DecodedRecord record, filtered;
    double first = 1e9, second = 1e9;
    DecoderSettings plain;
    for (int turn = 0; turn < 10; ++turn) {
        first = std::min(first, bestOf(1, [&] { record = decodeRecord(ByteView(samples), plain); }));
        second = std::min(second, bestOf(1, [&] { filtered = decodeRecordFiltered(ByteView(samples), 44100); }));
    }
    std::printf("Zweiter Leser (Störfilter), gleiche Aufnahme: %7.2f ms  %6.0f M Samples/s  (%s), %.1f x erster (%.2f ms)\n",
                second * 1e3, count / second / 1e6, filtered.image == image ? "Bild gleich" : "FEHLER: Bild verschieden",
                second / first, first * 1e3);
    degrade::Faults worn;
    worn.noise = 0.5;
    worn.hum = 1;
    std::vector<std::uint8_t> noisy = degrade::degradeSignal(samples, worn);
    DecoderSettings settings;
    DecodedRecord firstWorn;
    double wornFirst = bestOf(3, [&] { firstWorn = decodeRecord(ByteView(noisy), settings); });
    double wornSecond = bestOf(3, [&] { filtered = decodeRecordFiltered(ByteView(noisy), 44100); });
    std::printf("Abgenutzt (Rauschen 0,5, Brumm 1): erster Leser %.2f ms (%s), zweiter %.2f ms (%s), %.1f x erster\n",
                wornFirst * 1e3, firstWorn.status == DecodeStatus::Ok && firstWorn.faulty == 0 ? "gelesen" : "gescheitert",
                wornSecond * 1e3, filtered.image == image && filtered.faulty == 0 ? "Bild gleich" : "FEHLER",
                wornSecond / wornFirst);
    // Pure noise of the same length: both readers must give up within about one pass.
    std::mt19937 hiss(3);
    for (auto& sample : noisy) sample = static_cast<std::uint8_t>(hiss());
    DecodedRecord none;
    double noiseFirst = bestOf(3, [&] { none = decodeRecord(ByteView(noisy), settings); });
    double noiseSecond = bestOf(3, [&] { none = decodeRecordFiltered(ByteView(noisy), 44100); });
    std::printf("Reines Rauschen, gleiche Länge: erster Leser %.2f ms, zweiter %.2f ms (%s)\n", noiseFirst * 1e3,
                noiseSecond * 1e3, none.status == DecodeStatus::NoSync ? "kein SYNC" : "FEHLER");
    std::fflush(stdout);
}

// This program's own path, to run a part of it as a process of its own.
std::string benchProgram() { return std::filesystem::canonical("/proc/self/exe").string(); }

// The memory of a decoding, measured in a process of its own (--dekodieren).
int runDecodeOnly(const char* program, const std::vector<std::uint8_t>& file) {
    std::string path = "/tmp/bv7-bench-" + std::to_string(getpid()) + ".wav";
    if (writeFile(path, file.data(), file.size()) != WriteOutcome::Ok) return 1;
    int status = std::system(("'" + std::string(program) + "' --dekodieren '" + path + "'").c_str());
    std::remove(path.c_str());
    return status;
}
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--dekodieren") == 0) return decodeOnly(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "--mitlesen") == 0) {
        printLiveReadingFigures();
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--abgenutzt") == 0) return writeWornExample(argv[2]) ? 0 : 1;
    if (argc >= 2 && argc <= 3 && std::strcmp(argv[1], "--seite") == 0)
        return printTapeSideTable(argc == 3 ? argv[2] : BV7_PROGRAM) == 0 ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--seite-wav") == 0) return writeBenchSideWav(buildBenchSide(), argv[2]) ? 0 : 1;
    if (argc >= 2 && argc <= 3 && std::strcmp(argv[1], "--wav2bin") == 0)
        return printWav2BinRatio(argc == 3 ? argv[2] : BV7_PROGRAM, benchProgram().c_str());
    if (argc == 3 && std::strcmp(argv[1], "--leseschleife") == 0) return runBareReadingLoop(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "--kette") == 0) return printChainDiagnosisTable(BV7_PROGRAM) == 0 ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "--telefon") == 0) return printPhoneChainsTable() == 0 ? 0 : 1;
    if (argc == 3 && std::strcmp(argv[1], "--telefon-tisch") == 0) return writePhoneOnTable(argv[2]) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "--abnutzung") == 0) {
        const int missed = printDegradationTable();
        printRecordingsTable();
        return missed == 0 ? 0 : 1;
    }

    std::mt19937 random(1);
    std::vector<std::uint8_t> image(65536);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> samples, file;
    const bool same = printCodecSpeed(image, samples, file);
    printReaderSpeed(image, samples);
    const int status = runDecodeOnly(argv[0], file);
    const int wav2bin = printWav2BinRatio(BV7_PROGRAM, benchProgram().c_str());
    printLiveReadingFigures();
    printDegradationTable();
    printRecordingsTable();
    const int sideMisses = printTapeSideTable(BV7_PROGRAM);
    printChainDiagnosisTable(BV7_PROGRAM);
    const int phoneWorse = printPhoneChainsTable();
    return same && status == 0 && wav2bin == 0 && sideMisses == 0 && phoneWorse == 0 ? 0 : 1;
}
