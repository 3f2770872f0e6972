// A 3 KiB program named TELEFON, encoded by the project, with a second of
// silence before and after, through what a phone makes of a recording: voice
// memo (AAC), a voice note (Opus), a call (GSM, AMR), and the phone on the
// table next to the speaker (the room's echo and noise). Room noise is added
// by the bench before the tool (white, its RMS the given dB below the
// signal's), the rest is Debian's sox or ffmpeg. Each result is read as `bv7
// wav2bin` reads it: today's readers (the equaliser off), with the equaliser,
// and a detector that is given the true bit timing (the encoder's cells, laid
// over the recording at the delay the chain added) and decides each cell by
// its second half against its first: what the signal itself still holds.
// A block counts as good when all its bytes (pre-byte to checksum) come back.
#include "bench/PhoneChainsBench.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/SignalDegrader.h"
#include "bench/ToolChain.h"
#include "cli/RecordingInput.h"
#include "shell/FileIo.h"
#include "tape/Encoder.h"
#include "tape/SideReading.h"
#include "tape/TapeRecord.h"
#include "tape/WavFile.h"

namespace {
constexpr std::uint32_t rate = 44100;
constexpr double pauseSeconds = 1;
const TapeHeader header{"TELEFON", 0x3000, 0x3BFF, 0x3010};

std::vector<std::uint8_t> telefonImage() {
    // Random bytes, as code and data look, with a stretch of zero bytes (a
    // cleared table): on tape the same steady tone as the lead-in and the gap.
    std::mt19937 random(33);
    std::vector<std::uint8_t> image(3072);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    std::fill(image.begin() + 0x500, image.begin() + 0x5A0, 0);
    return image;
}

struct Row {
    const char* chain;
    const char* command;   // sox or ffmpeg; empty: the recording as it is
    double noiseDb;        // room noise this far below the signal, added before the tool; 0: none
};

const Row rows[] = {
    {"Kabel, WAV (zum Vergleich)", "", 0},
    {"Sprachmemo: AAC 64 kbit/s (m4a)",
     "ffmpeg -v error -i $IN -c:a aac -b:a 64k $MID.m4a && ffmpeg -v error -i $MID.m4a -ar 44100 $OUT", 0},
    {"Sprachmemo leise: -12 dB, AAC 32 kbit/s",
     "ffmpeg -v error -i $IN -af volume=-12dB -c:a aac -b:a 32k $MID.m4a && ffmpeg -v error -i $MID.m4a -ar 44100 $OUT",
     0},
    {"Pegelautomatik schnell (10 ms) + AAC 64 kbit/s",
     "sox -R $IN -b 16 $MID.wav compand 0.01,0.2 6:-70,-60,-20 -5 -90 0.01 && ffmpeg -v error -i $MID.wav -c:a aac "
     "-b:a 64k $MID.m4a && ffmpeg -v error -i $MID.m4a -ar 44100 $OUT",
     0},
    {"Sprachnachricht: Opus 16 kbit/s",
     "ffmpeg -v error -i $IN -c:a libopus -b:a 16k $MID.opus && ffmpeg -v error -i $MID.opus -ar 44100 $OUT", 0},
    {"Sprachnachricht: Opus 12 kbit/s, 8-kHz-Band",
     "ffmpeg -v error -i $IN -ar 16000 -c:a libopus -b:a 12k $MID.opus && ffmpeg -v error -i $MID.opus -ar 44100 $OUT",
     0},
    {"Sprachnachricht: Speex, 8 kHz",
     "ffmpeg -v error -i $IN -ar 8000 -c:a libspeex $MID.spx && ffmpeg -v error -i $MID.spx -ar 44100 $OUT", 0},
    {"Telefonat: GSM 6.10, 8 kHz, 300-3400 Hz",
     "sox -R $IN -r 8000 $MID.gsm sinc 300-3400 && sox -R $MID.gsm -r 44100 -b 16 $OUT", 0},
    {"Internettelefonat: G.722, 16 kHz",
     "ffmpeg -v error -i $IN -ar 16000 -c:a g722 -f g722 $MID.g722 && ffmpeg -v error -f g722 -i $MID.g722 -ar 44100 $OUT",
     0},
    {"Telefon auf dem Tisch: Echo 150 ms -4 dB", "sox -R $IN -b 16 $OUT echo 0.8 0.88 150 0.5", 20},
    {"Telefon auf dem Tisch: Echo 150 ms -6 dB", "ffmpeg -v error -i $IN -af aecho=0.8:0.9:150:0.4 $OUT", 20},
    {"Telefon auf dem Tisch: Echo 150 ms -4 dB, Aufnahme mit 22050 Hz",
     "sox -R $IN -r 22050 -b 16 $OUT echo 0.8 0.88 150 0.5", 20},
    {"Tisch im Raum mit Nachhall: Echos 150/300/450 ms, -6/-12/-18 dB",
     "ffmpeg -v error -i $IN -af \"aecho=0.8:0.9:150|300|450:0.4|0.2|0.1\" $OUT", 20},
    {"Tisch mit Nachhall wie oben, Telefonband 300-3400 Hz, Pegelautomatik, AAC 64 kbit/s",
     "ffmpeg -v error -i $IN -af \"aecho=0.8:0.9:150|300|450:0.4|0.2|0.1,highpass=f=300,lowpass=f=3400,dynaudnorm\" "
     "-c:a aac -b:a 64k $MID.m4a && ffmpeg -v error -i $MID.m4a -ar 44100 $OUT",
     20},
    {"Zwei Wände: Echos 150 ms -6 dB und 320 ms -10 dB",
     "ffmpeg -v error -i $IN -af \"aecho=0.8:0.9:150|320:0.4|0.25\" $OUT", 20},
    {"Echo 150 ms -6 dB, Mikrofonband 100-8000 Hz, Pegelautomatik, AAC 64 kbit/s",
     "ffmpeg -v error -i $IN -af aecho=0.8:0.9:150:0.4,highpass=f=100,lowpass=f=8000,dynaudnorm -c:a aac -b:a 64k "
     "$MID.m4a && ffmpeg -v error -i $MID.m4a -ar 44100 $OUT",
     20},
    {"Echo 150 ms -6 dB, Telefonband, Pegelautomatik, AAC 32 kbit/s",
     "ffmpeg -v error -i $IN -af \"aecho=0.8:0.9:150:0.4,highpass=f=300,lowpass=f=3400,dynaudnorm\" -c:a aac -b:a 32k "
     "$MID.m4a && ffmpeg -v error -i $MID.m4a -ar 44100 $OUT",
     20},
    {"Raumhall (sox reverb 30 %)", "sox -R $IN -b 16 $OUT reverb 30", 26},
    {"Raumhall (sox reverb 50 %) und Echo 150 ms -4 dB", "sox -R $IN -b 16 $OUT reverb 50 echo 0.8 0.88 150 0.5", 20},
};

// The phone on the table of the issue: echoes, room noise, the phone's band,
// its gain control and AAC.
constexpr std::size_t phoneOnTable = 13;

// The program with a pause before and after, and room noise where asked.
std::vector<std::uint8_t> recordingOf(const std::vector<std::uint8_t>& record, double noiseDb) {
    const std::size_t pause = static_cast<std::size_t>(pauseSeconds * rate);
    std::vector<std::uint8_t> samples(pause + record.size() + pause, 0x80);
    std::copy(record.begin(), record.end(), samples.begin() + static_cast<std::ptrdiff_t>(pause));
    if (noiseDb <= 0) return samples;
    double power = 0;
    for (std::uint8_t sample : record) power += (sample - 128.0) * (sample - 128.0);
    const double noise = std::sqrt(power / static_cast<double>(record.size())) * std::pow(10, -noiseDb / 20);
    std::mt19937 random(7);
    for (std::uint8_t& sample : samples)
        sample = static_cast<std::uint8_t>(std::clamp(std::lround(sample + noise * degrade::gaussian(random)), 0L, 255L));
    return samples;
}

// The encoder's bit cells: where each begins in its signal, and where its
// first half ends (a cell that begins with a transition has a ramp there).
struct Cells {
    std::vector<std::size_t> start, middle;
    std::vector<bool> bit;
};

Cells cellsOf(const std::vector<std::uint8_t>& bytes) {
    constexpr std::size_t ramp = 15, hold = 14;   // at 14 samples per half-cell
    Cells cells;
    std::size_t at = 0;
    int previous = -1;
    for (std::uint8_t byte : bytes)
        for (int k = 7; k >= 0; --k) {
            const int bit = (byte >> k) & 1;
            const std::size_t first = previous < 0 || previous == bit ? ramp : hold;
            cells.start.push_back(at);
            cells.middle.push_back(at + first);
            cells.bit.push_back(bit != 0);
            at += first + ramp;
            previous = bit;
        }
    cells.start.push_back(at);
    return cells;
}

// The delay the chain added (and its polarity): the clean record laid over
// the recording where it fits best, around its sync and name.
long chainDelay(const std::vector<std::uint8_t>& clean, const WavSamples& wav, std::size_t pause, std::size_t syncAt,
                int& polarity) {
    double best = 0;
    long delay = 0;
    polarity = 1;
    const std::size_t from = syncAt - 2000, to = syncAt + 6000;
    for (long shift = -4000; shift <= 4000; ++shift) {
        double sum = 0;
        for (std::size_t m = from; m < to; ++m) {
            const long at = static_cast<long>(pause + m) + shift;
            if (at < 0 || at >= static_cast<long>(wav.samples.size)) continue;
            sum += (clean[m] - 128.0) * (wav.samples[static_cast<std::size_t>(at)] - 128.0);
        }
        if (std::fabs(sum) > best) best = std::fabs(sum), delay = shift, polarity = sum < 0 ? -1 : 1;
    }
    return delay;
}

// Good blocks of the detector that knows the timing.
int detectorBlocks(const std::vector<std::uint8_t>& bytes, const std::vector<std::uint8_t>& clean, const WavSamples& wav,
                   int blocks) {
    const Cells cells = cellsOf(bytes);
    const std::size_t pause = static_cast<std::size_t>(pauseSeconds * rate);
    const std::size_t syncAt = cells.start[(tape::leadInBytes + 1) * 8];
    int polarity = 1;
    const long delay = chainDelay(clean, wav, pause, syncAt, polarity);
    auto at = [&](std::size_t position) {
        const long index = static_cast<long>(pause + position) + delay;
        return index >= 0 && index < static_cast<long>(wav.samples.size) ? wav.samples[static_cast<std::size_t>(index)] - 128.0
                                                                          : 0.0;
    };
    auto right = [&](std::size_t byte) {
        for (std::size_t i = byte * 8; i < byte * 8 + 8; ++i) {
            double first = 0, second = 0;
            for (std::size_t n = cells.start[i]; n < cells.middle[i]; ++n) first += at(n);
            for (std::size_t n = cells.middle[i]; n < cells.start[i + 1]; ++n) second += at(n);
            const double first_ = first / static_cast<double>(cells.middle[i] - cells.start[i]);
            const double second_ = second / static_cast<double>(cells.start[i + 1] - cells.middle[i]);
            if (((second_ - first_) * polarity > 0) != cells.bit[i]) return false;
        }
        return true;
    };
    int good = 0;
    const std::size_t firstBlock = tape::leadInBytes + 2 + tape::nameBytes + tape::gapBytes;
    for (int k = 0; k < blocks; ++k) {
        const std::size_t begin = firstBlock + static_cast<std::size_t>(k) * (tape::blockSize + tape::blockFramingBytes);
        const std::size_t end = std::min(bytes.size() - 3, begin + tape::blockSize + tape::blockFramingBytes);
        bool whole = true;
        for (std::size_t byte = begin; byte < end && whole; ++byte) whole = right(byte);
        good += whole;
    }
    return good;
}

// Good blocks of a reading: read with a true checksum and the bytes of the program.
int readBlocks(const DecodedRecord& record, const std::vector<std::uint8_t>& image, int blocks) {
    if (!foundRecord(record)) return 0;
    int good = 0;
    for (int k = 1; k <= std::min(record.blocks, blocks); ++k) {
        const std::size_t from = static_cast<std::size_t>(k - 1) * tape::blockSize;
        const std::size_t to = std::min(image.size(), from + tape::blockSize);
        if (isFaultyBlock(record, k) || record.image.size() < to || static_cast<int>(record.blockSpans.size()) < k) continue;
        good += std::equal(image.begin() + static_cast<std::ptrdiff_t>(from), image.begin() + static_cast<std::ptrdiff_t>(to),
                           record.image.begin() + static_cast<std::ptrdiff_t>(from));
    }
    return good;
}

struct Reading {
    int good = 0;
    bool whole = false;     // name, addresses and image byte for byte, every block good
    bool wrongName = false; // a name other than TELEFON, not said to be unsure
};

Reading readAsBv7(const WavSamples& wav, bool equalise, const std::vector<std::uint8_t>& image, int blocks) {
    ReadingOptions options = settingsReadingOptions(false);
    options.equalise = equalise;
    const SideReading side = readSide(wav.samples, wav.rate, sourceFactsOf(wav), options);
    Reading reading;
    if (side.records.empty()) return reading;
    const DecodedRecord& record = side.records.front().reading;
    reading.good = readBlocks(record, image, blocks);
    std::string name = record.header.name;
    while (!name.empty() && name.back() == ' ') name.pop_back();
    reading.whole = readWhole(record) && name == header.name && record.header.aa == header.aa &&
                    record.header.sa == header.sa && record.image == image;
    reading.wrongName = record.nameRead && name != header.name && !record.nameUnsure;
    return reading;
}

std::string cell(const Reading& reading, int blocks) {
    std::string text = std::to_string(reading.good) + "/" + std::to_string(blocks);
    if (reading.whole) text += " ganz";
    if (reading.wrongName) text += " (falscher Name!)";
    return text;
}
}

bool writePhoneOnTable(const char* path) {
    const std::vector<std::uint8_t> record = encodeRecordSamples(telefonImage(), header);
    const std::string dir = "/tmp/bv7-telefon-" + std::to_string(getpid()) + "/";
    std::filesystem::create_directories(dir);
    std::string failure;
    const Row& row = rows[phoneOnTable];
    const std::string made = chain::throughTool(dir, recordingOf(record, row.noiseDb), rate, row.command, failure);
    bool written = !made.empty();
    if (written) {
        std::filesystem::copy_file(made, path, std::filesystem::copy_options::overwrite_existing);
    } else {
        std::fprintf(stderr, "%s\n", failure.c_str());
    }
    std::filesystem::remove_all(dir);
    return written;
}

int printPhoneChainsTable() {
    const std::vector<std::uint8_t> image = telefonImage();
    const std::vector<std::uint8_t> bytes = layoutTapeRecord(image, header);
    const std::vector<std::uint8_t> record = encodeRecordSamples(image, header);
    const int blocks = static_cast<int>((image.size() + tape::blockSize - 1) / tape::blockSize);
    const std::string dir = "/tmp/bv7-telefon-" + std::to_string(getpid()) + "/";
    std::printf("\n| Kette | Befehl | Raumrauschen | heutiger Leser | mit Entzerrer | Detektor mit bekanntem Takt |\n"
                "|---|---|---|---|---|---|\n");
    int worse = 0, today = 0, equalised = 0, limit = 0, all = 0;
    double seconds[2] = {0, 0};   // reading the phone on the table without and with the equaliser
    for (std::size_t i = 0; i < sizeof rows / sizeof rows[0]; ++i) {
        const Row& row = rows[i];
        const std::string rowDir = dir + std::to_string(i) + "/";
        std::filesystem::create_directories(rowDir);
        std::string failure;
        const std::string made = chain::throughTool(rowDir, recordingOf(record, row.noiseDb), rate, row.command, failure);
        WavSamples wav;
        std::ostringstream messages;
        const std::string noise = row.noiseDb > 0 ? "-" + std::to_string(static_cast<int>(row.noiseDb)) + " dB" : "–";
        const std::string command = row.command[0] ? std::string("`") + row.command + "`" : "–";
        if (made.empty() || !readRecordingSamples(made, wav, messages)) {
            if (failure.empty()) failure = messages.str();
            std::printf("| %s | %s | %s | nicht gemacht: %s | | |\n", row.chain, command.c_str(), noise.c_str(),
                        failure.substr(0, failure.find('\n')).c_str());
            continue;
        }
        using Clock = std::chrono::steady_clock;
        const auto begin = Clock::now();
        const Reading plain = readAsBv7(wav, false, image, blocks);
        const auto middle = Clock::now();
        const Reading withEqualiser = readAsBv7(wav, true, image, blocks);
        if (i == phoneOnTable)
            seconds[0] = std::chrono::duration<double>(middle - begin).count(),
            seconds[1] = std::chrono::duration<double>(Clock::now() - middle).count();
        const int detector = wav.rate == rate ? detectorBlocks(bytes, record, wav, blocks) : -1;
        worse += withEqualiser.good < plain.good || (plain.whole && !withEqualiser.whole);
        today += plain.good, equalised += withEqualiser.good, limit += std::max(detector, 0), all += blocks;
        std::printf("| %s | %s | %s | %s | %s | %s |\n", row.chain, command.c_str(), noise.c_str(),
                    cell(plain, blocks).c_str(), cell(withEqualiser, blocks).c_str(),
                    detector < 0 ? "–" : (std::to_string(detector) + "/" + std::to_string(blocks)).c_str());
        std::fflush(stdout);
    }
    std::printf("\nGute Blöcke: heutiger Leser %d, mit Entzerrer %d, Detektor mit bekanntem Takt %d von %d; "
                "Zeilen mit Entzerrer schlechter: %d\n",
                today, equalised, limit, all, worse);
    std::printf("Lesen des Telefons auf dem Tisch (Zeile %zu) wie bv7 wav2bin: heutiger Leser %.0f ms, mit Entzerrer "
                "%.0f ms\n",
                phoneOnTable + 1, seconds[0] * 1e3, seconds[1] * 1e3);
    std::filesystem::remove_all(dir);
    std::fflush(stdout);
    return worse;
}
