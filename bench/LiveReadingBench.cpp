#include "bench/LiveReadingBench.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "bench/SignalDegrader.h"
#include "shell/FileIo.h"
#include "tape/AudioFormat.h"
#include "tape/Encoder.h"
#include "tape/LiveReader.h"
#include "tape/ReaderFallback.h"
#include "tape/WavFile.h"

namespace {
constexpr std::uint32_t rate = 44100;
constexpr std::size_t chunk = rate / 10;   // bv7 record reads tenths of a second
constexpr int chunksPerUpdate = 5;         // and looks twice a second

double processorSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

struct Figures {
    double soundSeconds = 0;
    double processor = 0;        // writing and reading while recording
    double endDetection = 0;     // sound time from the end of the signal to the stop
    double finalRead = 0;        // reading the kept WAV file and saving the program
    bool same = false;
};

// The recording as bv7 record makes it: `signal` with a second of silence
// before and behind, written and read as it comes.
Figures record(const std::vector<std::uint8_t>& signal, const std::vector<std::uint8_t>& image, const std::string& path) {
    const std::size_t signalEnd = rate + signal.size();
    std::vector<std::uint8_t> sound(signalEnd + 3 * rate, 128);
    std::copy(signal.begin(), signal.end(), sound.begin() + rate);

    Figures figures;
    removeFile(path);
    GrowingFile file;
    auto header = makeWavHeader(AudioFormat{1, 1, rate, rate, 1, 8, 0}, 0);
    file.create(path);
    file.append(header.data(), header.size());
    DecoderSettings settings;
    LiveReader reader(rate, settings);
    std::vector<std::uint8_t> samples;
    double start = processorSeconds();
    for (int n = 1; samples.size() + chunk <= sound.size(); ++n) {
        samples.insert(samples.end(), sound.begin() + static_cast<std::ptrdiff_t>(samples.size()),
                       sound.begin() + static_cast<std::ptrdiff_t>(samples.size() + chunk));
        file.append(samples.data() + samples.size() - chunk, chunk);
        if (n % chunksPerUpdate != 0) continue;
        header = makeWavHeader(AudioFormat{1, 1, rate, rate, 1, 8, 0}, static_cast<std::uint32_t>(samples.size()));
        file.writeAt(0, header.data(), header.size());
        reader.update(ByteView(samples));
        if (reader.soundEnded(ByteView(samples))) break;
    }
    file.close();
    figures.processor = processorSeconds() - start;
    figures.soundSeconds = static_cast<double>(signal.size()) / rate;
    figures.endDetection = (static_cast<double>(samples.size()) - signalEnd) / rate;

    // The end: the kept file read as bv7 wav2bin reads it, and the program written.
    auto wall = std::chrono::steady_clock::now();
    WavSamples wav = readWavSamples(path);
    DecoderSettings reading;
    reading.threshold = stretchThresholdAt(wav.rate);
    DecodedRecord result = decodeRecordEitherWay(wav.samples, reading, wav.rate, 0, nullptr, ReadingChoice{});
    std::string bin = path + ".BIN";
    writeFile(bin, result.image.data(), result.image.size());
    figures.finalRead = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    figures.same = result.status == DecodeStatus::Ok && result.faulty == 0 && result.image == image &&
                   reader.state().phase == LivePhase::Done;
    removeFile(bin);
    removeFile(path);
    return figures;
}
}

void printLiveReadingFigures() {
    // A program whose signal lasts three minutes: about 32 KiB.
    std::mt19937 random(7);
    std::vector<std::uint8_t> image(32 * 1024);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    std::vector<std::uint8_t> clean = encodeRecordSamples(image, TapeHeader{"DREI", 0x1000, 0, 0x1000}, 14);
    degrade::Faults faults;
    faults.noise = 0.5;
    faults.hum = 1;
    std::vector<std::uint8_t> worn = degrade::degradeSignal(clean, faults);
    std::string path = "/tmp/bv7-live-" + std::to_string(getpid()) + ".wav";
    std::printf("\nbv7 record, ein Programm von %zu KiB:\n", image.size() / 1024);
    for (auto [name, signal] : {std::pair<const char*, const std::vector<std::uint8_t>*>{"sauber", &clean},
                                {"abgenutzt (Rauschen 0,5, Brumm 1)", &worn}}) {
        Figures figures = record(*signal, image, path);
        std::printf("  %s, %.0f s Ton: Schreiben und Mitlesen %.2f s Rechenzeit = %.1f %% eines Kerns;\n"
                    "    Ende erkannt %.2f s nach dem Ton, gelesen und gespeichert in %.2f s: BIN %.2f s nach dem Ton (%s)\n",
                    name, figures.soundSeconds, figures.processor, 100 * figures.processor / figures.soundSeconds,
                    figures.endDetection, figures.finalRead, figures.endDetection + figures.finalRead,
                    figures.same ? "Bild gleich" : "FEHLER");
    }
}
