// A 2 KiB program encoded by the project, worn along each fault at growing
// strength (bench/SignalDegrader.h), read by the first reader alone and by
// both readers. Combinations take three faults at middle strength. Hiss
// behind level dips of 20 % (amplifier noise) is beyond reach: inside a dip it
// stands to the signal as noise of 2.5 times the peak; hiss on the tape
// (Bandrauschen) dips with the signal. A cell counts as read when name, addresses and image come
// back byte for byte with every block good. A second, small table: two copies
// of the program on one side, by one copy alone and merged as
// `bv7 wav2bin --merge` does (dropouts of 5 ms in different blocks; hiss).
#include "bench/DegradationBench.h"

#include <cstdio>
#include <random>
#include <vector>

#include "bench/SignalDegrader.h"
#include "tape/Decoder.h"
#include "shell/FileIo.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/CopyMerge.h"
#include "tape/TapeRecord.h"
#include "tape/TapeScan.h"
#include "tape/WavFile.h"

namespace {
constexpr unsigned seeds = 3;

struct Cell {
    const char* fault;
    const char* strength;
    degrade::Faults faults;
    bool target;    // a strength both readers must read
};

degrade::Faults with(void (*set)(degrade::Faults&)) {
    degrade::Faults faults;
    set(faults);
    return faults;
}

#define FAULTS(body) with([](degrade::Faults& f) { body; })

const Cell cells[] = {
    {"Rauschen, RMS / Spitze", "0,1", FAULTS(f.noise = 0.1), true},
    {"Rauschen, RMS / Spitze", "0,25", FAULTS(f.noise = 0.25), true},
    {"Rauschen, RMS / Spitze", "0,5", FAULTS(f.noise = 0.5), true},
    {"Rauschen, RMS / Spitze", "0,75", FAULTS(f.noise = 0.75), true},
    {"Rauschen, RMS / Spitze", "1,0", FAULTS(f.noise = 1.0), true},
    {"Rauschen, RMS / Spitze", "1,25", FAULTS(f.noise = 1.25), false},
    {"Rauschen, RMS / Spitze", "1,5", FAULTS(f.noise = 1.5), false},
    {"Pegel", "50 %", FAULTS(f.level = 0.5), true},
    {"Pegel", "10 %", FAULTS(f.level = 0.1), true},
    {"Pegel", "5 %", FAULTS(f.level = 0.05), true},
    {"Pegel", "2 %", FAULTS(f.level = 0.02), true},
    {"Pegel", "1 %", FAULTS(f.level = 0.01), false},
    {"Brumm 50 Hz, x Spitze", "0,5", FAULTS(f.hum = 0.5), true},
    {"Brumm 50 Hz, x Spitze", "1", FAULTS(f.hum = 1), true},
    {"Brumm 50 Hz, x Spitze", "2", FAULTS(f.hum = 2), true},
    {"Brumm 50 Hz, x Spitze", "4", FAULTS(f.hum = 4), false},
    {"Drift 0,3/1,1 Hz, x Spitze", "0,5", FAULTS(f.drift = 0.5), true},
    {"Drift 0,3/1,1 Hz, x Spitze", "1", FAULTS(f.drift = 1), true},
    {"Drift 0,3/1,1 Hz, x Spitze", "2", FAULTS(f.drift = 2), true},
    {"Drift 0,3/1,1 Hz, x Spitze", "4", FAULTS(f.drift = 4), false},
    {"Tiefpass (2. Ordnung)", "3 kHz", FAULTS(f.lowPassHz = 3000), true},
    {"Tiefpass (2. Ordnung)", "2 kHz", FAULTS(f.lowPassHz = 2000), true},
    {"Tiefpass (2. Ordnung)", "1,5 kHz", FAULTS(f.lowPassHz = 1500), true},
    {"Tiefpass (2. Ordnung)", "1 kHz", FAULTS(f.lowPassHz = 1000), true},
    {"Tiefpass (2. Ordnung)", "800 Hz", FAULTS(f.lowPassHz = 800), false},
    {"Tiefpass (2. Ordnung)", "600 Hz", FAULTS(f.lowPassHz = 600), false},
    {"Geschwindigkeit", "-20 %", FAULTS(f.speed = -0.2), true},
    {"Geschwindigkeit", "-10 %", FAULTS(f.speed = -0.1), true},
    {"Geschwindigkeit", "+10 %", FAULTS(f.speed = 0.1), true},
    {"Geschwindigkeit", "+20 %", FAULTS(f.speed = 0.2), true},
    {"Geschwindigkeit", "-25 %", FAULTS(f.speed = -0.25), false},
    {"Geschwindigkeit", "+25 %", FAULTS(f.speed = 0.25), false},
    {"Gleichlauf 5 %", "0,5 Hz", FAULTS(f.wobble = 0.05; f.wobbleHz = 0.5), true},
    {"Gleichlauf 5 %", "1 Hz", FAULTS(f.wobble = 0.05; f.wobbleHz = 1), true},
    {"Gleichlauf 5 %", "2 Hz", FAULTS(f.wobble = 0.05; f.wobbleHz = 2), true},
    {"Gleichlauf 10 %", "2 Hz", FAULTS(f.wobble = 0.1; f.wobbleHz = 2), false},
    {"Gleichlauf 5 %", "5 Hz", FAULTS(f.wobble = 0.05; f.wobbleHz = 5), false},
    {"Pegeleinbrüche 10 ms auf", "50 %", FAULTS(f.dipLevel = 0.5), true},
    {"Pegeleinbrüche 10 ms auf", "20 %", FAULTS(f.dipLevel = 0.2), true},
    {"Pegeleinbrüche 10 ms auf", "10 %", FAULTS(f.dipLevel = 0.1), true},
    {"Pegeleinbrüche 10 ms auf", "5 %", FAULTS(f.dipLevel = 0.05), true},
    {"Pegeleinbrüche 10 ms auf", "2 %", FAULTS(f.dipLevel = 0.02), false},
    {"Rauschen + Brumm + Tiefpass", "0,5 / 1 / 1,5 kHz", FAULTS(f.noise = 0.5; f.hum = 1; f.lowPassHz = 1500), true},
    {"Geschw. + Gleichlauf + Rauschen", "+10 % / 2,5 % 1 Hz / 0,5",
     FAULTS(f.speed = 0.1; f.wobble = 0.025; f.noise = 0.5), true},
    {"Einbrüche + Pegel + Drift", "20 % / 10 % / 1", FAULTS(f.dipLevel = 0.2; f.level = 0.1; f.drift = 1), true},
    {"Tiefpass + Geschw. + Einbrüche", "1,5 kHz / -10 % / 20 %",
     FAULTS(f.lowPassHz = 1500; f.speed = -0.1; f.dipLevel = 0.2), true},
    {"Brumm + Gleichlauf + Pegel", "1 / 2,5 % 1 Hz / 10 %", FAULTS(f.hum = 1; f.wobble = 0.025; f.level = 0.1), true},
    {"Bandrauschen + Drift + Einbrüche", "0,5 / 1 / 20 %", FAULTS(f.tapeNoise = 0.5; f.drift = 1; f.dipLevel = 0.2),
     true},
    {"Rauschen + Drift + Einbrüche", "0,5 / 1 / 20 %", FAULTS(f.noise = 0.5; f.drift = 1; f.dipLevel = 0.2), false},
    {"Rauschen + Tiefpass + Geschw.", "1,0 / 1 kHz / +20 %",
     FAULTS(f.noise = 1.0; f.lowPassHz = 1000; f.speed = 0.2), false},
};

const TapeHeader& header = benchHeader;

// 5 ms (220 samples) at the centre line, 100 bytes into block `block`.
std::vector<std::uint8_t> withDropout(std::vector<std::uint8_t> samples, int block) {
    const std::size_t bytes = tape::fixedBytes + 8 * (tape::blockSize + tape::blockFramingBytes);
    const double perByte = static_cast<double>(samples.size()) / static_cast<double>(bytes);
    auto at = samples.begin() + static_cast<std::ptrdiff_t>(
                                    perByte * (tape::fixedBytes - 3 + (block - 1) * (tape::blockSize + tape::blockFramingBytes) + 100));
    std::fill(at, at + 220, std::uint8_t{0x80});
    return samples;
}

// Two copies of the program on one side: read exactly by the first copy alone
// (both readers), and by bv7 wav2bin --merge's way (every record, merged).
void countCopies(const std::vector<std::uint8_t>& first, const std::vector<std::uint8_t>& second,
                 const std::vector<std::uint8_t>& image, int& alone, int& merged) {
    alone += sameRecord(decodeRecordEitherWay(ByteView(first), DecoderSettings{}, 44100, 0, nullptr, ReadingChoice{}),
                        image, header);
    std::vector<std::uint8_t> side = first;
    side.insert(side.end(), 30000, 0x80);
    side.insert(side.end(), second.begin(), second.end());
    ReadingChoice keep;
    keep.keepBestBlocks = true;
    std::vector<MergedProgram> programs = mergeCopies(readEveryRecord(ByteView(side), DecoderSettings{}, 44100, keep));
    merged += programs.size() == 1 && sameRecord(programs[0].record, image, header);
}

void printCopiesTable(const std::vector<std::uint8_t>& image, const std::vector<std::uint8_t>& clean) {
    std::printf("\n| Zwei Kopien | Aufnahmen | eine Kopie allein | zusammengesetzt (--merge) |\n|---|---|---|---|\n");
    const std::pair<int, int> dropouts[] = {{1, 8}, {2, 6}, {3, 4}, {5, 2}, {7, 1}};
    int alone = 0, merged = 0;
    for (auto [first, second] : dropouts)
        countCopies(withDropout(clean, first), withDropout(clean, second), image, alone, merged);
    const int cases = static_cast<int>(sizeof dropouts / sizeof dropouts[0]);
    std::printf("| Aussetzer 5 ms, in jeder Kopie in einem anderen Block | %d | %d/%d | %d/%d |\n", cases, alone, cases,
                merged, cases);
    constexpr unsigned hissSeeds = 20;
    alone = 0, merged = 0;
    for (unsigned seed = 1; seed <= hissSeeds; ++seed) {
        degrade::Faults faults;
        faults.noise = 1.25;
        faults.seed = seed;
        std::vector<std::uint8_t> first = degrade::degradeSignal(clean, faults);
        faults.seed = seed + 1000;
        countCopies(first, degrade::degradeSignal(clean, faults), image, alone, merged);
    }
    std::printf("| Rauschen 1,25 x Spitze | %u | %d/%u | %d/%u |\n", hissSeeds, alone, hissSeeds, merged, hissSeeds);
}
}

// Read surely (name and sa not marked unsure too) and right.
bool sameRecord(const DecodedRecord& record, const std::vector<std::uint8_t>& image, const TapeHeader& header) {
    return readSure(record) && record.image == image &&
           record.header.aa == header.aa && record.header.sa == header.sa &&
           record.header.name.substr(0, header.name.size()) == header.name;
}

std::vector<std::uint8_t> benchImage() {
    std::mt19937 random(2);
    std::vector<std::uint8_t> image(2048);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    return image;
}

bool writeWornExample(const char* path) {
    for (const Cell& cell : cells) {
        if (cell.faults.noise == 0 || cell.faults.hum == 0 || cell.faults.lowPassHz == 0) continue;
        std::vector<std::uint8_t> samples = degrade::degradeSignal(encodeRecordSamples(benchImage(), header), cell.faults);
        std::vector<std::uint8_t> file = makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                                          static_cast<std::uint32_t>(samples.size()));
        return writeFile(path, file.data(), file.size()) == WriteOutcome::Ok;
    }
    return false;
}

int printDegradationTable() {
    const std::vector<std::uint8_t> image = benchImage();
    const std::vector<std::uint8_t> clean = encodeRecordSamples(image, header);

    std::printf("\n| Störung | Stärke | nur erster Leser | beide Leser |\n|---|---|---|---|\n");
    int missed = 0, firstRead = 0, bothRead = 0, count = 0;
    for (const Cell& cell : cells) {
        // Three recordings per cell, with different noise.
        int first = 0, both = 0;
        for (unsigned seed = 1; seed <= seeds; ++seed) {
            degrade::Faults faults = cell.faults;
            faults.seed = seed;
            std::vector<std::uint8_t> samples = degrade::degradeSignal(clean, faults);
            DecoderSettings settings;
            ReadingChoice exact;
            exact.exact = true;
            first += sameRecord(decodeRecordEitherWay(ByteView(samples), settings, 44100, 0, nullptr, exact), image,
                                header);
            both += sameRecord(decodeRecordEitherWay(ByteView(samples), settings, 44100, 0, nullptr, ReadingChoice{}),
                               image, header);
        }
        std::printf("| %s | %s%s | %d/%u | %d/%u |\n", cell.fault, cell.strength, cell.target ? "" : " (über Ziel)", first,
                    seeds, both, seeds);
        firstRead += first == seeds, bothRead += both == seeds, ++count;
        if (cell.target && both < static_cast<int>(seeds)) ++missed;
    }
    std::printf("\nGanz gelesen: erster Leser %d, beide Leser %d von %d Zellen; Zielzellen nicht ganz gelesen: %d\n", firstRead,
                bothRead, count, missed);
    printCopiesTable(image, clean);
    return missed;
}
