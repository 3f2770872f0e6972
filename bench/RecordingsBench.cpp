#include "bench/RecordingsBench.h"

#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/DegradationBench.h"
#include "bench/SignalDegrader.h"
#include "cli/SoundFileImport.h"
#include "shell/FileIo.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/WavFile.h"

namespace {
constexpr unsigned seeds = 3;

struct Kind {
    const char* what;
    int format;              // of the file written
    double compression;      // the library's compression level, -1: none set
    bool rightOnly;          // stereo: the signal on the right, hiss and hum on the left
};

const Kind kinds[] = {
    {"MP3 32 kbit/s mono, voll ausgesteuert", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1.0, false},
    {"Ogg Vorbis Qualität 0, voll ausgesteuert", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1.0, false},
    {"WAV 16 Bit stereo, Signal nur rechts", SF_FORMAT_WAV | SF_FORMAT_PCM_16, -1, true},
};

struct Wear {
    const char* what;
    double noise, hum;
};
const Wear wears[] = {{"sauber", 0, 0}, {"Rauschen 0,5 + Brumm 1", 0.5, 1}};

const TapeHeader& header = benchHeader;

// Writes the 8-bit samples as `kind`, normalised so that the loudest sample
// is full scale; false when the library refuses. Sets the file's bit rate.
bool writeSoundFile(const std::string& path, const std::vector<std::uint8_t>& samples, const Kind& kind,
                    unsigned seed, double& kbits) {
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = kind.rightOnly ? 2 : 1;
    info.format = kind.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    if (kind.compression >= 0) {
        int constant = SF_BITRATE_MODE_CONSTANT;
        sf_command(file, SFC_SET_BITRATE_MODE, &constant, sizeof constant);
        double level = kind.compression;
        sf_command(file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level);
    }
    int peak = 1;
    for (std::uint8_t sample : samples) peak = std::max(peak, std::abs(sample - 128));
    std::vector<float> frames;
    std::vector<std::uint8_t> left;
    if (kind.rightOnly) {
        degrade::Faults other;
        other.noise = 0.5, other.hum = 1, other.seed = seed + 100;
        left = degrade::degradeSignal(std::vector<std::uint8_t>(samples.size(), 0x80), other);
        left.resize(samples.size(), 0x80);   // the transport gives a sample less than it took
    }
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (kind.rightOnly) frames.push_back(static_cast<float>((left[i] - 128) / 128.0));
        frames.push_back(static_cast<float>(static_cast<double>(samples[i] - 128) / peak));
    }
    sf_writef_float(file, frames.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    std::vector<std::uint8_t> bytes;
    if (readFile(path, bytes) != ReadOutcome::Ok) return false;
    kbits = bytes.size() * 8.0 / 1000 / (samples.size() / 44100.0);
    return true;
}

// How a recording came back: whole; or image and addresses exact with a name
// the report marks unsure; or not.
enum class Reading { Whole, NameFlagged, Failed };

Reading readBack(const std::string& path, const std::vector<std::uint8_t>& image, bool exact) {
    std::vector<std::uint8_t> bytes;
    if (readFile(path, bytes) != ReadOutcome::Ok) return Reading::Failed;
    std::string problem, warning;
    if (importSoundFile(bytes, problem, warning) == ImportResult::Failed) return Reading::Failed;
    WavSamples wav = adoptWavSamples(std::move(bytes));
    if (wav.error) return Reading::Failed;
    DecoderSettings settings;
    settings.threshold = stretchThresholdAt(wav.rate);
    ReadingChoice choice;
    choice.exact = exact;
    DecodedRecord record = decodeRecordEitherWay(wav.samples, settings, wav.rate, 0, nullptr, choice);
    if (sameRecord(record, image, header)) return Reading::Whole;
    DecodedRecord named = record;
    named.header.name = header.name;
    named.nameUnsure = false;
    return record.nameUnsure && sameRecord(named, image, header) ? Reading::NameFlagged : Reading::Failed;
}

// "3/3", and how many of the others had their name marked unsure.
std::string counted(int whole, int flagged) {
    std::string text = std::to_string(whole) + "/" + std::to_string(seeds);
    if (flagged > 0) text += " (" + std::to_string(flagged) + " mit Name \"unsicher\")";
    return text;
}
}

int printRecordingsTable() {
    const std::vector<std::uint8_t> image = benchImage();
    const std::vector<std::uint8_t> clean = encodeRecordSamples(image, header);
    const std::string path = "/tmp/bv7-bench-" + std::to_string(getpid());
    std::printf("\n| Aufnahme | Zustand | kbit/s | nur erster Leser | beide Leser |\n|---|---|---|---|---|\n");
    int missed = 0;
    for (const Kind& kind : kinds) {
        const char* extension = (kind.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG  ? ".mp3"
                                : (kind.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG ? ".ogg"
                                                                                      : ".wav";
        for (const Wear& wear : wears) {
            int first = 0, both = 0, firstFlagged = 0, bothFlagged = 0;
            double kbits = 0;
            bool written = true;
            for (unsigned seed = 1; seed <= seeds && written; ++seed) {
                degrade::Faults faults;
                faults.noise = wear.noise, faults.hum = wear.hum, faults.seed = seed;
                std::vector<std::uint8_t> samples = degrade::degradeSignal(clean, faults);
                written = writeSoundFile(path + extension, samples, kind, seed, kbits);
                if (!written) break;
                Reading alone = readBack(path + extension, image, true), either = readBack(path + extension, image, false);
                first += alone == Reading::Whole, firstFlagged += alone == Reading::NameFlagged;
                both += either == Reading::Whole, bothFlagged += either == Reading::NameFlagged;
            }
            std::remove((path + extension).c_str());
            if (!written) {
                std::printf("| %s | %s | - | nicht geschrieben: %s | |\n", kind.what, wear.what, sf_strerror(nullptr));
                ++missed;
                continue;
            }
            std::printf("| %s | %s | %.0f | %s | %s |\n", kind.what, wear.what, kbits, counted(first, firstFlagged).c_str(),
                        counted(both, bothFlagged).c_str());
            if (both < static_cast<int>(seeds)) ++missed;
        }
    }
    return missed;
}
