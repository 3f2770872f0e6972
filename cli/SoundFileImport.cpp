#include "cli/SoundFileImport.h"

#include <cstring>

#include "tape/AudioFormat.h"
#include "tape/WavFile.h"

bool looksLikeRiffWave(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

#ifndef BV7_HAVE_SNDFILE
ImportResult importSoundFile(std::vector<std::uint8_t>&, std::string&, std::string&) { return ImportResult::NotASoundFile; }
#else
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "tape/TapeListing.h"

namespace {
// The sound-file library reads from our bytes in memory, so standard input
// works as well as a file.
struct MemoryStream {
    const std::vector<std::uint8_t>& bytes;
    sf_count_t position = 0;
};

sf_count_t streamLength(void* user) { return static_cast<sf_count_t>(static_cast<MemoryStream*>(user)->bytes.size()); }

sf_count_t streamSeek(sf_count_t offset, int whence, void* user) {
    auto* stream = static_cast<MemoryStream*>(user);
    sf_count_t base = whence == SEEK_CUR ? stream->position : whence == SEEK_END ? streamLength(user) : 0;
    sf_count_t target = base + offset;
    if (target < 0 || target > streamLength(user)) return -1;
    stream->position = target;
    return target;
}

sf_count_t streamRead(void* out, sf_count_t count, void* user) {
    auto* stream = static_cast<MemoryStream*>(user);
    sf_count_t available = std::max<sf_count_t>(0, streamLength(user) - stream->position);
    sf_count_t taken = std::min(count, available);
    if (taken > 0) std::memcpy(out, stream->bytes.data() + stream->position, static_cast<std::size_t>(taken));
    stream->position += taken;
    return taken;
}

sf_count_t streamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t streamTell(void* user) { return static_cast<MemoryStream*>(user)->position; }

struct SoundFileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

// While it lives, what is written to the standard error goes nowhere: the
// decoders behind the library print their own English notes there ("Xing
// stream size off ..."); bv7 says what matters in its own words.
class QuietStandardError {
public:
    QuietStandardError() {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
        if (nowhere >= 0) close(nowhere);
    }
    ~QuietStandardError() {
        std::fflush(stderr);
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

// A file whose sound ends well before the length its header states (an MP3
// with its frame count, a FLAC with its sample count) was cut short.
std::string cutShortWarning(sf_count_t stated, sf_count_t read, int rate) {
    if (stated <= 0 || read >= stated - stated / 100) return "";
    const auto at = [rate](sf_count_t frames) { return tapeTime(static_cast<std::size_t>(frames), static_cast<std::uint32_t>(rate)); };
    return "Datei abgeschnitten: der Ton endet bei " + at(read) + ", ihr Kopf gibt " + at(stated) + " an";
}
}

ImportResult importSoundFile(std::vector<std::uint8_t>& bytes, std::string& problem, std::string& warning) {
    if (looksLikeRiffWave(bytes)) return ImportResult::NotASoundFile;   // the reading layer takes every WAV
    const QuietStandardError quiet;
    MemoryStream stream{bytes};
    SF_VIRTUAL_IO io{streamLength, streamSeek, streamRead, streamWrite, streamTell};
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SoundFileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &stream));
    if (!file) return ImportResult::NotASoundFile;
    if (info.channels < 1 || info.channels > 1024) {
        problem = "Audiodaten nicht auswertbar: Kanalzahl " + std::to_string(info.channels) + " (lesbar sind 1 bis 1024)";
        return ImportResult::Failed;
    }
    if (info.samplerate < 1 || info.frames < 0) {
        problem = "Audiodaten nicht auswertbar: Abtastrate " + std::to_string(info.samplerate) + " Hz";
        return ImportResult::Failed;
    }

    // The top byte of every channel, as the WAV reader takes 16-bit samples;
    // the reader then takes the channel that carries the signal. Read as
    // floating point and clipped here: lossy decoders overshoot past full
    // scale, and the library's own conversion to integers would wrap an
    // overshoot around to the other extreme.
    const std::size_t channels = static_cast<std::size_t>(info.channels);
    std::vector<std::uint8_t> samples;
    std::vector<float> frames(4096 * channels);
    for (;;) {
        sf_count_t got = sf_readf_float(file.get(), frames.data(), 4096);
        if (got <= 0) break;
        for (std::size_t i = 0; i < static_cast<std::size_t>(got) * channels; ++i) {
            long level = std::lrint(frames[i] * 32768.0f);
            auto value = static_cast<std::uint16_t>(std::clamp(level, -32768L, 32767L));
            samples.push_back(static_cast<std::uint8_t>((value >> 8) ^ 0x80));
        }
        if (samples.size() > maxWavSampleCount) {
            problem = "Nicht genügend Speicher verfügbar.";
            return ImportResult::Failed;
        }
    }
    warning = cutShortWarning(info.frames, static_cast<sf_count_t>(samples.size() / channels), info.samplerate);
    AudioFormat format;
    format.channels = static_cast<std::uint16_t>(channels);
    format.blockAlign = format.channels;
    format.samplesPerSecond = static_cast<std::uint32_t>(info.samplerate);
    format.bytesPerSecond = format.samplesPerSecond * format.channels;
    bytes = makeWavFileBytes(format, samples.data(), static_cast<std::uint32_t>(samples.size()));
    return ImportResult::Converted;
}
#endif
