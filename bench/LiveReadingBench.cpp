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
#include "tape/ReadingSession.h"
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
    double finalRead = 0;        // handing over the record read and saving the program
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
    ReadingSession reader(rate, liveRules(settings));
    std::size_t fed = 0;
    double start = processorSeconds();
    for (int n = 1; fed + chunk <= sound.size(); ++n) {
        const std::uint8_t* samples = sound.data() + fed;
        fed += chunk;
        file.append(samples, chunk);
        reader.append(samples, chunk);
        if (n % chunksPerUpdate != 0) continue;
        header = makeWavHeader(AudioFormat{1, 1, rate, rate, 1, 8, 0}, static_cast<std::uint32_t>(fed));
        file.writeAt(0, header.data(), header.size());
        reader.update();
        if (reader.soundEnded()) break;
    }
    file.close();
    figures.processor = processorSeconds() - start;
    figures.soundSeconds = static_cast<double>(signal.size()) / rate;
    figures.endDetection = (static_cast<double>(fed) - signalEnd) / rate;

    // The end: the record the live reading read, and the program written.
    auto wall = std::chrono::steady_clock::now();
    const bool done = reader.state().phase == LivePhase::Done;
    std::vector<DecodedRecord> records = reader.endRecording();
    const DecodedRecord& result = records.back();
    std::string bin = path + ".BIN";
    writeFile(bin, result.image.data(), result.image.size());
    figures.finalRead = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    figures.same = records.size() == 1 && result.status == DecodeStatus::Ok && result.faulty == 0 &&
                   result.image == image && done;
    removeFile(bin);
    removeFile(path);
    return figures;
}

// A tape side of `hours`: `signal` every ten minutes, hiss between, fed in
// tenths of a second and read twice a second with the search going on
// behind each program, as bv7 record --all does (the WAV file left out).
void printSideFigures(const std::vector<std::uint8_t>& signal, double hours) {
    constexpr std::size_t period = 600 * rate;
    std::mt19937 random(11);
    std::vector<std::uint8_t> hiss(10 * rate);
    for (auto& sample : hiss) sample = static_cast<std::uint8_t>(128 + static_cast<int>(random() % 21) - 10);
    const std::size_t total = static_cast<std::size_t>(hours * 3600 * rate);
    ReadingSession reader(rate, liveRules(DecoderSettings{}));
    std::vector<std::uint8_t> piece(chunk);
    std::size_t held = 0, updates = 0;
    double slowest = 0, sum = 0, lastHourSlowest = 0;
    for (std::size_t at = 0, n = 1; at + chunk <= total; at += chunk, ++n) {
        for (std::size_t i = 0; i < chunk; ++i) {
            std::size_t inPeriod = (at + i) % period;
            piece[i] = inPeriod < signal.size() ? signal[inPeriod] : hiss[(at + i) % hiss.size()];
        }
        reader.append(piece.data(), chunk);
        if (n % chunksPerUpdate != 0) continue;
        auto wall = std::chrono::steady_clock::now();
        reader.update();
        if (reader.soundEnded()) reader.next();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
        held = std::max(held, reader.heldBytes());
        slowest = std::max(slowest, seconds);
        sum += seconds;
        ++updates;
        if (at + 3600 * rate >= total) lastHourSlowest = std::max(lastHourSlowest, seconds);
    }
    const std::size_t programs = total / period + (total % period >= signal.size() ? 1 : 0);
    std::size_t read = 0;
    for (const DecodedRecord& record : reader.endRecording()) read += record.status == DecodeStatus::Ok;
    std::printf("  Bandseite von %.0f h (alle 10 min das Programm, dazwischen Rauschen), in Zehntelsekunden:\n"
                "    höchstens %.1f MB für die Leser gehalten; je Mitlesen im Mittel %.1f ms, höchstens %.0f ms\n"
                "    (in der letzten Stunde höchstens %.0f ms); %zu von %zu Programmen gelesen\n",
                hours, held / 1e6, 1e3 * sum / std::max<std::size_t>(updates, 1), 1e3 * slowest,
                1e3 * lastHourSlowest, read, programs);
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
    printSideFigures(clean, 3);
}
