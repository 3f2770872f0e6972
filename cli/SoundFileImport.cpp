#include "cli/SoundFileImport.h"

#include <cstring>

#include "tape/AudioFormat.h"
#include "tape/FloatWav.h"
#include "tape/WavFile.h"

bool looksLikeRiffWave(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           std::memcmp(bytes.data() + 8, "WAVE", 4) == 0;
}

bool isCodedWav(const std::vector<std::uint8_t>& bytes) {
    if (!looksLikeRiffWave(bytes)) return false;
    const WavParts parts = findWavParts(ByteView(bytes));
    if (parts.error) return false;
    constexpr std::uint16_t pcm = 1, floating = 3, extensible = 0xFFFE;
    std::uint16_t tag = static_cast<std::uint16_t>(parts.format[0] | parts.format[1] << 8);
    // The extensible format names its codec in the first two bytes of its subformat.
    if (tag == extensible && parts.format.size >= 40)
        tag = static_cast<std::uint16_t>(parts.format[24] | parts.format[25] << 8);
    return tag != pcm && tag != floating && tag != extensible;
}

#ifndef BV7_HAVE_SNDFILE
ImportResult importSoundFile(std::vector<std::uint8_t>&, std::string&, std::string&, SoundFileFormat*) {
    return ImportResult::NotASoundFile;
}
ImportResult openSoundSource(const std::string&, std::unique_ptr<SoundSource>&, std::string&) {
    return ImportResult::NotASoundFile;
}
#else
#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "cli/CodedSoundFile.h"
#include "shell/FileIo.h"
#include "shell/LargeBuffer.h"
#include "tape/TapeListing.h"
#include "tape/WavStream.h"

namespace {
// The sound-file library reads through our bytes where they lie (a file
// through the file layer, a stretch at a time, or standard input in memory).
struct SoundFileStream {
    ReadableBytes& bytes;
    sf_count_t position = 0;
};

sf_count_t streamLength(void* user) { return static_cast<sf_count_t>(static_cast<SoundFileStream*>(user)->bytes.size()); }

sf_count_t streamSeek(sf_count_t offset, int whence, void* user) {
    auto* stream = static_cast<SoundFileStream*>(user);
    sf_count_t base = whence == SEEK_CUR ? stream->position : whence == SEEK_END ? streamLength(user) : 0;
    sf_count_t target = base + offset;
    if (target < 0 || target > streamLength(user)) return -1;
    stream->position = target;
    return target;
}

sf_count_t streamRead(void* out, sf_count_t count, void* user) {
    auto* stream = static_cast<SoundFileStream*>(user);
    const std::size_t got = stream->bytes.read(static_cast<std::uint64_t>(stream->position), static_cast<std::uint8_t*>(out),
                                               static_cast<std::size_t>(std::max<sf_count_t>(0, count)));
    stream->position += static_cast<sf_count_t>(got);
    return static_cast<sf_count_t>(got);
}

sf_count_t streamWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t streamTell(void* user) { return static_cast<SoundFileStream*>(user)->position; }

SF_VIRTUAL_IO soundFileIo() { return {streamLength, streamSeek, streamRead, streamWrite, streamTell}; }

// Whether the library's facts of an opened file can be read on; `problem` says why not.
bool readableInfo(const SF_INFO& info, std::string& problem) {
    if (info.channels < 1 || info.channels > 1024) {
        problem = "Audiodaten nicht auswertbar: Kanalzahl " + std::to_string(info.channels) + " (lesbar sind 1 bis 1024)";
        return false;
    }
    if (info.samplerate < 1 || info.frames < 0) {
        problem = "Audiodaten nicht auswertbar: Abtastrate " + std::to_string(info.samplerate) + " Hz";
        return false;
    }
    return true;
}

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
    // Some Ogg files state a length of centuries when cut: no length at all.
    constexpr sf_count_t unknownLength = sf_count_t{1} << 40;
    if (stated <= 0 || stated >= unknownLength || read >= stated - stated / 100) return "";
    const auto at = [rate](sf_count_t frames) { return tapeTime(static_cast<std::size_t>(frames), static_cast<std::uint32_t>(rate)); };
    return "Datei abgeschnitten: der Ton endet bei " + at(read) + ", ihr Kopf gibt " + at(stated) + " an";
}

// The 8-bit WAV file a converted sound becomes: the top byte of every
// channel, as the WAV reader takes 16-bit samples; the reader then takes the
// channel that carries the signal. Taken as floating point and clipped here:
// lossy decoders overshoot past full scale, and a conversion to integers
// would wrap an overshoot around to the other extreme. Written behind the
// header straight away, into room for as many frames as the file says.
class EightBitWav {
public:
    explicit EightBitWav(std::size_t channels) : channels_(channels) {}

    // Room for `frames` frames, where the file states them and they fit.
    void expect(std::uint64_t frames) {
        const std::uint64_t stated = frames * channels_;
        if (stated > maxWavSampleCount) return;
        try {
            reserveLargeBuffer(wav_, static_cast<std::size_t>(wavHeaderBytes + stated + (stated & 1)));
        } catch (const std::exception&) {
            // No room for what the file states: it grows as the samples come, as far as they fit.
        }
    }

    // Throws bad_alloc where memory or a WAV file's sizes run out.
    void append(const float* frames, std::size_t count) {
        if (wav_.empty()) wav_.resize(wavHeaderBytes);
        const std::size_t values = count * channels_;
        if (wav_.size() - wavHeaderBytes + values > maxWavSampleCount) throw std::bad_alloc();
        converted_.resize(values);
        for (std::size_t i = 0; i < values; ++i) converted_[i] = eightBitOfFloat(frames[i]);
        wav_.insert(wav_.end(), converted_.begin(), converted_.end());
    }

    std::uint64_t frames() const { return wav_.empty() ? 0 : (wav_.size() - wavHeaderBytes) / channels_; }

    std::vector<std::uint8_t> finish(std::uint32_t rate) {
        if (wav_.empty()) wav_.resize(wavHeaderBytes);
        AudioFormat format;
        format.channels = static_cast<std::uint16_t>(channels_);
        format.blockAlign = format.channels;
        format.samplesPerSecond = rate;
        format.bytesPerSecond = format.samplesPerSecond * format.channels;
        const auto count = static_cast<std::uint32_t>(wav_.size() - wavHeaderBytes);
        const auto header = makeWavHeader(format, count);
        std::copy(header.begin(), header.end(), wav_.begin());
        if (count & 1) wav_.push_back(0);
        return std::move(wav_);
    }

private:
    std::size_t channels_;
    std::vector<std::uint8_t> wav_;
    std::vector<std::uint8_t> converted_;
};

constexpr std::size_t framesAtOnce = 4096;

// The codec of a file the sound-file library reads, where it throws sound away.
SoundFileFormat formatOf(const SF_INFO& info) {
    SoundFileFormat format;
    switch (info.format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_VORBIS: format.codec = "Vorbis"; break;
    case SF_FORMAT_OPUS: format.codec = "Opus"; break;
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III: format.codec = "MP3"; break;
    case SF_FORMAT_GSM610: format.codec = "GSM 6.10"; break;
    case SF_FORMAT_IMA_ADPCM:
    case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_VOX_ADPCM: format.codec = "ADPCM"; break;
    default: return format;
    }
    switch (info.format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_OGG: format.container = "Ogg"; break;
    case SF_FORMAT_MPEG: format.container = "MP3"; break;
    case SF_FORMAT_WAV: format.container = "WAV"; break;
    default: format.container = "Datei"; break;
    }
    format.lossy = true;
    return format;
}

// Through the sound-file library; NotASoundFile where it does not know the format.
ImportResult importThroughSndfile(std::vector<std::uint8_t>& bytes, std::string& problem, std::string& warning,
                                  SoundFileFormat& format) {
    BytesInMemory held{ByteView(bytes)};
    SoundFileStream stream{held};
    SF_VIRTUAL_IO io = soundFileIo();
    SF_INFO info{};
    std::unique_ptr<SNDFILE, SoundFileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &stream));
    if (!file) return ImportResult::NotASoundFile;
    if (!readableInfo(info, problem)) return ImportResult::Failed;
    const std::size_t channels = static_cast<std::size_t>(info.channels);
    EightBitWav wav(channels);
    // A length the library does not know (SF_COUNT_MAX) leaves the room to grow.
    if (info.frames < SF_COUNT_MAX) wav.expect(static_cast<std::uint64_t>(info.frames));
    std::vector<float> frames(framesAtOnce * channels);
    try {
        for (;;) {
            sf_count_t got = sf_readf_float(file.get(), frames.data(), framesAtOnce);
            if (got <= 0) break;
            wav.append(frames.data(), static_cast<std::size_t>(got));
        }
    } catch (const std::exception&) {   // bad_alloc, or more samples than a WAV file holds
        problem = "Nicht genügend Speicher verfügbar.";
        return ImportResult::Failed;
    }
    warning = cutShortWarning(info.frames, static_cast<sf_count_t>(wav.frames()), info.samplerate);
    format = formatOf(info);
    bytes = wav.finish(static_cast<std::uint32_t>(info.samplerate));
    return ImportResult::Converted;
}

// Through FFmpeg's libraries, chunk by chunk; NotASoundFile where they do not know the format for sure.
ImportResult importThroughCodec(std::vector<std::uint8_t>& bytes, std::string& problem, std::string& warning,
                                SoundFileFormat& format) {
    CodedSoundFile file;
    switch (file.open(ByteView(bytes), problem)) {
    case CodedOpening::NotRecognised: return ImportResult::NotASoundFile;
    case CodedOpening::Failed: problem = "Tonformat nicht lesbar: " + problem; return ImportResult::Failed;
    case CodedOpening::Opened: break;
    }
    EightBitWav wav(file.channels());
    std::vector<float> frames(framesAtOnce * file.channels());
    try {
        for (std::size_t got; (got = file.read(frames.data(), framesAtOnce)) > 0;) wav.append(frames.data(), got);
    } catch (const std::exception&) {
        problem = "Nicht genügend Speicher verfügbar.";
        return ImportResult::Failed;
    }
    format.codec = file.formatName();
    format.container = file.containerName();
    format.lossy = file.lossy();
    if (file.damagedPackets() > 0)
        warning = "Datei beschädigt: " + std::to_string(file.damagedPackets()) + " Pakete (" + format.codec +
                  ") nicht dekodierbar";
    bytes = wav.finish(file.rate());
    return ImportResult::Converted;
}
}

ImportResult importSoundFile(std::vector<std::uint8_t>& bytes, std::string& problem, std::string& warning,
                             SoundFileFormat* format) {
    // The reading layer takes every WAV of PCM or floating-point samples.
    const bool coded = isCodedWav(bytes);
    if (looksLikeRiffWave(bytes) && !coded) return ImportResult::NotASoundFile;
    const QuietStandardError quiet;
    SoundFileFormat found;
    ImportResult result = ImportResult::NotASoundFile;
    // A coded WAV goes to FFmpeg first: the sound-file library knows only some of those codecs.
    if (!coded) result = importThroughSndfile(bytes, problem, warning, found);
    if (result == ImportResult::NotASoundFile) result = importThroughCodec(bytes, problem, warning, found);
    if (result == ImportResult::NotASoundFile && coded) result = importThroughSndfile(bytes, problem, warning, found);
    if (result == ImportResult::Converted && format) *format = found;
    return result;
}
#endif

#ifdef BV7_HAVE_SNDFILE
namespace {
// A file the library reads through the file layer, a stretch at a time.
struct FileStream {
    FileBytes file;
    SoundFileStream stream{file};
};

class SoundFileSource final : public SoundSource {
  public:
    explicit SoundFileSource(std::unique_ptr<FileStream> stream) : stream_(std::move(stream)) {}
    bool open() {
        const QuietStandardError quiet;
        stream_->stream.position = 0;
        info_ = SF_INFO{};
        file_.reset(sf_open_virtual(&io_, SFM_READ, &info_, &stream_->stream));
        read_ = 0;
        return file_ != nullptr;
    }
    const SF_INFO& info() const { return info_; }
    std::uint32_t rate() const override { return static_cast<std::uint32_t>(info_.samplerate); }
    std::size_t channels() const override { return static_cast<std::size_t>(info_.channels); }
    SoundChunk pull() override {
        SoundChunk chunk;
        frames_.resize(framesAtOnce * channels());
        const QuietStandardError quiet;
        const sf_count_t got = file_ ? sf_readf_float(file_.get(), frames_.data(), framesAtOnce) : 0;
        if (got <= 0) {
            passed_ = std::max(passed_, read_);
            return chunk;
        }
        read_ += got;
        chunk.floats = frames_.data();
        chunk.frames = static_cast<std::size_t>(got);
        return chunk;
    }
    bool rewind() override {
        {
            const QuietStandardError quiet;
            if (file_ && sf_seek(file_.get(), 0, SEEK_SET) == 0) {
                read_ = 0;
                return true;
            }
        }
        return open();
    }
    std::string warning() const override { return passed_ < 0 ? "" : cutShortWarning(info_.frames, passed_, info_.samplerate); }
    std::string codec() const override { return formatOf(info_).lossy ? formatOf(info_).codec : ""; }
    std::string container() const override { return formatOf(info_).lossy ? formatOf(info_).container : ""; }

  private:
    static constexpr sf_count_t framesAtOnce = 1 << 14;
    std::unique_ptr<FileStream> stream_;
    SF_VIRTUAL_IO io_ = soundFileIo();
    SF_INFO info_{};
    std::unique_ptr<SNDFILE, SoundFileCloser> file_;
    std::vector<float> frames_;
    sf_count_t read_ = 0, passed_ = -1;   // frames of this pass; of a whole pass, once one ended
};
}

ImportResult openSoundSource(const std::string& path, std::unique_ptr<SoundSource>& source, std::string& problem) {
    auto stream = std::make_unique<FileStream>();
    if (stream->file.open(path) != ReadOutcome::Ok) return ImportResult::NotASoundFile;
    auto file = std::make_unique<SoundFileSource>(std::move(stream));
    if (!file->open()) return ImportResult::NotASoundFile;
    if (!readableInfo(file->info(), problem)) return ImportResult::Failed;
    source = std::move(file);
    return ImportResult::Converted;
}
#endif
