#include "bench/TapeSideBench.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sndfile.h>

#include "bench/TapeSide.h"
#include "shell/FileIo.h"
#include "tape/WavFile.h"

namespace {
constexpr double sideSeconds = 30 * 60;

std::vector<std::uint8_t> randomImage(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::uint8_t> image(size);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    return image;
}
}

// Ten programs of 1 to 12 KiB, hiss of a blank tape between them; program 3
// and 8 with a dropout, 5 and 6 both "PROG" at the same addresses, 9 saved
// twice; two minutes of music before the last, hiss to the end of the side.
BenchSide buildBenchSide() {
    BenchSide side;
    side::TapeSide& tape = side.tape;
    const std::size_t sizes[] = {2048, 5000, 12288, 1024, 4096, 4096, 8000, 6000, 3000, 10000};
    const char* names[] = {"START", "EDITOR", "KALO4", "UHR", "PROG", "PROG", "SPIEL", "MUSIK", "DEMO", "TEXT"};
    tape.hiss(8, 4);
    for (int i = 0; i < 10; ++i) {
        const TapeHeader header{names[i], static_cast<std::uint16_t>(i == 5 ? 0x1000 : 0x1000 + 0x400 * i), 0,
                                static_cast<std::uint16_t>(i == 5 ? 0x1000 : 0x1000 + 0x400 * i)};
        const auto image = randomImage(sizes[i], 100 + i);
        const std::size_t begin = tape.samples().size();
        tape.program(header, image);
        ++side.realRecords;
        ++side.programs;
        // 10 ms of the centre line in the middle of the data.
        if (i == 2 || i == 7) tape.dropout((begin + tape.samples().size()) / 2, 441);
        if (i == 8) {
            tape.hiss(3, 4);
            tape.program(header, image);
            ++side.realRecords;
        }
        if (i == 8) tape.music(120);
        tape.hiss(i == 9 ? 20 : 40 + 10 * i, 3 + i % 3);
    }
    const double left = sideSeconds - static_cast<double>(tape.samples().size()) / tape.rate();
    for (double chunk = 0; chunk < left; chunk += 60) tape.hiss(std::min(60.0, left - chunk), 4);
    return side;
}

// Forked, not spawned: a spawned child would report this process's peak as its own.
Bv7Run runBv7(const char* program, const std::vector<std::string>& args, const std::string& dir) {
    Bv7Run run;
    const std::string outPath = dir + "out.txt";
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) return run;
    if (pid == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), none = open("/dev/null", O_WRONLY);
        if (out < 0 || none < 0 || chdir(dir.c_str()) != 0) _exit(127);
        dup2(out, 1);
        dup2(none, 2);
        execv(program, argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outPath);
    run.out.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

namespace {
// The lines of `bv7 list` that stand for a record: those that start with its
// time ("12:34.5"), not the heading nor a finding under a record.
int countRecordLines(const std::string& text) {
    int lines = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::size_t digits = 0;
        while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
        lines += digits > 0 && line.size() >= digits + 5 && line[digits] == ':' &&
                 std::isdigit(static_cast<unsigned char>(line[digits + 1])) &&
                 std::isdigit(static_cast<unsigned char>(line[digits + 2])) && line[digits + 3] == '.' &&
                 std::isdigit(static_cast<unsigned char>(line[digits + 4]));
    }
    return lines;
}
}

namespace {
constexpr int masterRate = 96000, masterCopies = 4;

// A master as an archivist keeps it: the bench side four times over (two
// hours) as a FLAC file of 24 bits on two channels at 96000 frames per second,
// written through libsndfile; the side resampled linearly from its 44100 per
// second, both channels with a little noise of their own in the low bits, as
// a converter leaves it. False when it cannot be written.
bool writeMasterFlac(const BenchSide& side, const std::string& path) {
    SF_INFO info{};
    info.samplerate = masterRate;
    info.channels = 2;
    info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    const auto& samples = side.tape.samples();
    const std::uint64_t frames = (static_cast<std::uint64_t>(samples.size()) - 1) * masterRate / 44100 + 1;
    constexpr std::size_t framesAtOnce = 1 << 16;
    std::vector<int> buffer(2 * framesAtOnce);
    std::uint32_t noise = 1;
    bool written = true;
    for (int copy = 0; copy < masterCopies && written; ++copy) {
        for (std::uint64_t first = 0; first < frames && written; first += framesAtOnce) {
            const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(framesAtOnce, frames - first));
            for (std::size_t i = 0; i < 2 * count; ++i) {
                const std::uint64_t position = (first + i / 2) * 44100;
                const std::size_t at = static_cast<std::size_t>(position / masterRate);
                const std::int64_t fraction = static_cast<std::int64_t>(position % masterRate);
                const std::int64_t low = samples[at] - 128, high = at + 1 < samples.size() ? samples[at + 1] - 128 : low;
                noise = noise * 1664525u + 1013904223u;
                const std::int64_t level = (low * masterRate + (high - low) * fraction) * (std::int64_t{1} << 24) / masterRate +
                                           (static_cast<std::int64_t>(noise >> 26) - 32) * 256;
                buffer[i] = static_cast<int>(std::clamp<std::int64_t>(level, INT32_MIN, INT32_MAX));
            }
            written = sf_writef_int(file, buffer.data(), static_cast<sf_count_t>(count)) == static_cast<sf_count_t>(count);
        }
    }
    return sf_close(file) == 0 && written;
}
}

bool writeBenchSideWav(const BenchSide& side, const std::string& path, std::size_t leadingSilence) {
    std::vector<std::uint8_t> samples(leadingSilence, 0x80);
    samples.insert(samples.end(), side.tape.samples().begin(), side.tape.samples().end());
    const std::vector<std::uint8_t> wav = makeWavFileBytes(AudioFormat{1, 1, 44100, 44100, 1, 8, 0}, samples.data(),
                                                           static_cast<std::uint32_t>(samples.size()));
    return writeFile(path, wav.data(), wav.size()) == WriteOutcome::Ok;
}

int printTapeSideTable(const char* bv7Program) {
    const std::string dir = "/tmp/bv7-side-" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(dir);
    int realRecords = 0, programs = 0;
    std::size_t sampleCount = 0, fileBytes = 0;
    {
        // Built, written and let go before bv7 runs, so that its memory is its own.
        const BenchSide side = buildBenchSide();
        // The second recording of the side for the archive: the same side, started half a second later.
        if (!writeBenchSideWav(side, dir + "SEITE.wav") || !writeBenchSideWav(side, dir + "ZWEITE.wav", 22050)) return 1;
        realRecords = side.realRecords, programs = side.programs;
        sampleCount = side.tape.samples().size();
        fileBytes = static_cast<std::size_t>(std::filesystem::file_size(dir + "SEITE.wav"));
    }

    const Bv7Run list = runBv7(bv7Program, {"list", "SEITE.wav"}, dir);
    const Bv7Run all = runBv7(bv7Program, {"wav2bin", "--all", "--keep-faulty", "SEITE.wav"}, dir);
    const Bv7Run archive = runBv7(bv7Program, {"archive", "SEITE.wav", "ZWEITE.wav", "-o", "ARCHIV"}, dir);
    const Bv7Run soxFlac = runBv7("/usr/bin/sox", {"SEITE.wav", "SOX.flac"}, dir);
    // The programs in the archive, as its summary counts them ("10 Programme: ...").
    const std::size_t counted = archive.out.find(" Programme: ");
    const std::size_t lineStart = counted == std::string::npos ? 0 : archive.out.rfind('\n', counted) + 1;
    const int archived = counted == std::string::npos ? 0 : std::atoi(archive.out.c_str() + lineStart);
    bool masterWritten = false;
    const auto masterStart = std::chrono::steady_clock::now();
    {
        const BenchSide side = buildBenchSide();
        masterWritten = writeMasterFlac(side, dir + "MASTER.flac");
    }
    const double masterSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - masterStart).count();
    const std::size_t masterBytes = masterWritten ? static_cast<std::size_t>(std::filesystem::file_size(dir + "MASTER.flac")) : 0;
    const Bv7Run master = masterWritten ? runBv7(bv7Program, {"list", "MASTER.flac"}, dir) : Bv7Run{};
    int saved = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        saved += entry.path().extension() == ".BIN";
    std::filesystem::remove_all(dir);

    const int found = list.code == 0 ? countRecordLines(list.out) : 0;
    const bool foundRight = found == realRecords, savedRight = saved == programs, fast = list.seconds < 1.0;
    std::printf("\nEine Kassettenseite (30 min, %zu Samples, 10 Programme, Rauschen dazwischen, zwei Aussetzer,\n"
                "zwei Programme \"PROG\" mit gleichen Adressen, ein Programm zweimal, 2 min Musik), gelesen vom\n"
                "gebauten bv7:\n\n",
                sampleCount);
    std::printf("| Befehl | Aufnahmen gefunden (echt) | Programme gespeichert (verschieden) | Zeit | Speicher (Spitze) |\n");
    std::printf("|---|---|---|---|---|\n");
    std::printf("| `bv7 list` | %d (%d)%s | – | %.2f s%s | %ld MiB |\n", found, realRecords, foundRight ? "" : " FEHLER",
                list.seconds, fast ? "" : " (Ziel unter 1 s)", list.peakKiB / 1024);
    std::printf("| `bv7 wav2bin --all --keep-faulty` | – | %d (%d)%s | %.2f s | %ld MiB |\n", saved, programs,
                savedRight ? "" : " FEHLER", all.seconds, all.peakKiB / 1024);
    // Reading both recordings (as wav2bin --all does) and writing their masters
    // (as sox writes one with the reference FLAC library): not much more.
    const double reference = 2 * all.seconds + 2 * soxFlac.seconds;
    const bool archiveRight = archived == programs, archiveFast = soxFlac.code != 0 || archive.seconds < 1.5 * reference;
    std::printf("| `bv7 archive SEITE.wav ZWEITE.wav -o ARCHIV` (zwei Aufnahmen, FLAC-Master) | – | %d im Archiv (%d)%s | "
                "%.2f s%s | %ld MiB |\n",
                archived, programs, archiveRight ? "" : " FEHLER", archive.seconds,
                archiveFast ? "" : " (Ziel unter 1,5 × Lesen und FLAC)", archive.peakKiB / 1024);
    const int masterFound = master.code == 0 ? countRecordLines(master.out) : 0;
    const bool masterRight = masterFound == masterCopies * realRecords;
    std::printf("| `bv7 list` 2 h, %d kHz, 24 Bit stereo (FLAC, %zu MiB) | %d (%d)%s | – | %.1f s | %ld MiB |\n",
                masterRate / 1000, masterBytes >> 20, masterFound, masterCopies * realRecords,
                masterRight ? "" : " FEHLER", master.seconds, master.peakKiB / 1024);
    std::printf("\nDie WAV-Datei allein: %zu MiB; die FLAC-Datei ist die Seite viermal, mit 96 kHz und 24 Bit auf beiden\n"
                "Kanälen (geschrieben in %.0f s). Zum Archiv: zweimal wav2bin --all und zweimal die Seite als FLAC\n"
                "mit sox (%.2f s je Seite) brauchen zusammen %.2f s.\n",
                fileBytes >> 20, masterSeconds, soxFlac.seconds, reference);
    std::fflush(stdout);
    return (foundRight ? 0 : 1) + (savedRight ? 0 : 1) + (fast ? 0 : 1) + (masterRight ? 0 : 1) + (archiveRight ? 0 : 1) +
           (archiveFast ? 0 : 1);
}
