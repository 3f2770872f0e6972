#include "cli/CodedSoundFile.h"

#include <vector>

#ifndef BV7_HAVE_FFMPEG
struct CodedSoundFile::State {};
CodedSoundFile::CodedSoundFile() = default;
CodedSoundFile::~CodedSoundFile() = default;
CodedOpening CodedSoundFile::open(ByteView, std::string&) { return CodedOpening::NotRecognised; }
std::size_t CodedSoundFile::read(float*, std::size_t) { return 0; }
std::uint32_t CodedSoundFile::rate() const { return 0; }
std::uint16_t CodedSoundFile::channels() const { return 0; }
const std::string& CodedSoundFile::formatName() const {
    static const std::string none;
    return none;
}
const std::string& CodedSoundFile::containerName() const { return formatName(); }
bool CodedSoundFile::lossy() const { return false; }
std::size_t CodedSoundFile::damagedPackets() const { return 0; }
#else
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {
// FFmpeg's libraries are loaded when a file first needs them, not with the
// program: with what they bring along (some 130 libraries) they took most of
// the time bv7 needs to start, on every command. These are the functions
// taken from them, each library by the major version built against.
#define BV7_FFMPEG_FUNCTIONS(use)                                                                        \
    use(av_log_set_level) use(av_malloc) use(av_free) use(av_freep) use(av_frame_alloc)                  \
    use(av_frame_free) use(av_frame_unref)                                                               \
    use(avcodec_descriptor_get) use(avcodec_alloc_context3) use(avcodec_free_context)                    \
    use(avcodec_parameters_to_context) use(avcodec_open2) use(avcodec_send_packet)                       \
    use(avcodec_receive_frame) use(av_packet_alloc) use(av_packet_free) use(av_packet_unref)             \
    use(avio_alloc_context) use(avio_context_free) use(av_probe_input_buffer2)                           \
    use(avformat_alloc_context) use(avformat_open_input) use(avformat_close_input)                       \
    use(avformat_find_stream_info) use(av_find_best_stream) use(av_read_frame)                           \
    use(swr_alloc_set_opts2) use(swr_init) use(swr_convert) use(swr_free)

struct CodecLibraries {
#define BV7_FFMPEG_POINTER(name) decltype(&::name) name = nullptr;
    BV7_FFMPEG_FUNCTIONS(BV7_FFMPEG_POINTER)
#undef BV7_FFMPEG_POINTER
};

// The files and the Debian packages that hold them, the one each needs first.
struct LibraryFile {
    const char* file;
    const char* package;
};
const LibraryFile libraryFiles[] = {
    {"libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR), "libavutil" AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR)},
    {"libswresample.so." AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR),
     "libswresample" AV_STRINGIFY(LIBSWRESAMPLE_VERSION_MAJOR)},
    {"libavcodec.so." AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR), "libavcodec" AV_STRINGIFY(LIBAVCODEC_VERSION_MAJOR)},
    {"libavformat.so." AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR), "libavformat" AV_STRINGIFY(LIBAVFORMAT_VERSION_MAJOR)},
};

// The functions, or null where a library cannot be loaded; `missing` then
// says in German which and what to install.
const CodecLibraries* codecLibraries(std::string& missing) {
    static std::string why;
    static const CodecLibraries* const loaded = []() -> const CodecLibraries* {
        std::vector<void*> handles;
        for (const LibraryFile& file : libraryFiles) {
            void* handle = dlopen(file.file, RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                why = std::string("Die Bibliothek ") + file.file + " fehlt – Paket " + file.package + " installieren";
                return nullptr;
            }
            handles.push_back(handle);
        }
        static CodecLibraries functions;
        const char* absent = nullptr;
        auto find = [&](const char* name) -> void* {
            for (void* handle : handles)
                if (void* found = dlsym(handle, name)) return found;
            if (!absent) absent = name;
            return nullptr;
        };
#define BV7_FFMPEG_BIND(name) functions.name = reinterpret_cast<decltype(&::name)>(find(#name));
        BV7_FFMPEG_FUNCTIONS(BV7_FFMPEG_BIND)
#undef BV7_FFMPEG_BIND
        if (absent) {
            why = std::string("FFmpegs Bibliotheken ohne ") + absent + " (andere Version?)";
            return nullptr;
        }
        return &functions;
    }();
    missing = why;
    return loaded;
}

// Set once the libraries are loaded (CodedSoundFile::open).
const CodecLibraries* ff = nullptr;

constexpr int ioBufferBytes = 1 << 14;
constexpr int mostChannels = 1024;

}

// The bytes in memory as FFmpeg's reading layer takes them (a member of
// CodedSoundFile::State, so not private to this file).
struct CodedMemoryInput {
    ByteView bytes;
    std::int64_t position = 0;
};

namespace {

int readPacketBytes(void* user, std::uint8_t* out, int size) {
    auto* input = static_cast<CodedMemoryInput*>(user);
    const std::int64_t left = static_cast<std::int64_t>(input->bytes.size) - input->position;
    if (left <= 0) return AVERROR_EOF;
    const int taken = static_cast<int>(std::min<std::int64_t>(size, left));
    std::memcpy(out, input->bytes.data + input->position, static_cast<std::size_t>(taken));
    input->position += taken;
    return taken;
}

std::int64_t seekBytes(void* user, std::int64_t offset, int whence) {
    auto* input = static_cast<CodedMemoryInput*>(user);
    const auto size = static_cast<std::int64_t>(input->bytes.size);
    if (whence & AVSEEK_SIZE) return size;
    whence &= ~AVSEEK_FORCE;
    const std::int64_t base = whence == SEEK_CUR ? input->position : whence == SEEK_END ? size : 0;
    if (base + offset < 0 || base + offset > size) return -1;
    return input->position = base + offset;
}

// The names owners know, where FFmpeg's own are the developers' ("aac",
// "gsm_ms", "amr_nb"); else its long name.
std::string codecName(AVCodecID id) {
    switch (id) {
    case AV_CODEC_ID_AAC: return "AAC";
    case AV_CODEC_ID_OPUS: return "Opus";
    case AV_CODEC_ID_SPEEX: return "Speex";
    case AV_CODEC_ID_VORBIS: return "Vorbis";
    case AV_CODEC_ID_MP3: return "MP3";
    case AV_CODEC_ID_AMR_NB: return "AMR-NB";
    case AV_CODEC_ID_AMR_WB: return "AMR-WB";
    case AV_CODEC_ID_GSM:
    case AV_CODEC_ID_GSM_MS: return "GSM 6.10";
    case AV_CODEC_ID_WMAV1:
    case AV_CODEC_ID_WMAV2:
    case AV_CODEC_ID_WMAPRO:
    case AV_CODEC_ID_WMAVOICE: return "WMA";
    case AV_CODEC_ID_AC3: return "AC-3";
    case AV_CODEC_ID_FLAC: return "FLAC";
    case AV_CODEC_ID_ALAC: return "ALAC";
    default: break;
    }
    const AVCodecDescriptor* descriptor = ff->avcodec_descriptor_get(id);
    return descriptor ? (descriptor->long_name ? descriptor->long_name : descriptor->name) : "unbekannt";
}

// The container by the file type owners see; FFmpeg names some families at once ("mov,mp4,m4a,3gp,3g2,mj2").
std::string containerOf(const AVInputFormat* format) {
    const std::string name = format ? format->name : "";
    if (name.rfind("mov,", 0) == 0) return "M4A/MP4";
    if (name == "ogg") return "Ogg";
    if (name == "wav") return "WAV";
    if (name == "amr" || name == "amrnb" || name == "amrwb") return "AMR";
    if (name == "asf") return "WMA/ASF";
    if (name == "matroska,webm") return "WebM/MKV";
    if (name == "caf") return "CAF";
    if (name == "3gp") return "3GP";
    std::string upper = name.substr(0, name.find(','));
    for (char& letter : upper) letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    return upper;
}
}

struct CodedSoundFile::State {
    CodedMemoryInput input;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;
    bool inputEnded = false, decoderEnded = false;
    std::uint32_t rate = 0;
    std::uint16_t channels = 0;
    std::string formatName, containerName;
    bool lossy = true;
    std::size_t damaged = 0;
    std::vector<float> pending;   // converted, not yet handed out
    std::size_t pendingFrom = 0;

    ~State() {
        if (!ff) return;   // nothing was made without the libraries
        ff->swr_free(&resampler);
        ff->av_frame_free(&frame);
        ff->av_packet_free(&packet);
        ff->avcodec_free_context(&codec);
        ff->avformat_close_input(&format);
        if (io) ff->av_freep(&io->buffer);
        ff->avio_context_free(&io);
    }

    // The next decoded frame of the stream into `frame`; false at the end.
    bool nextFrame() {
        for (;;) {
            const int received = ff->avcodec_receive_frame(codec, frame);
            if (received == 0) return true;
            if (received == AVERROR_EOF) return false;
            if (received != AVERROR(EAGAIN)) {
                ++damaged;
                if (decoderEnded) return false;
            }
            if (inputEnded) {
                if (decoderEnded) return false;
                decoderEnded = true;
                ff->avcodec_send_packet(codec, nullptr);   // flush what the decoder holds
                continue;
            }
            const int got = ff->av_read_frame(format, packet);
            if (got < 0) {
                inputEnded = true;
                continue;
            }
            if (packet->stream_index == stream && ff->avcodec_send_packet(codec, packet) < 0) ++damaged;
            ff->av_packet_unref(packet);
        }
    }

    // The frame taken to interleaved floats behind `pending`, at its own rate;
    // the converter is set up by the first frame. False where it cannot be.
    bool convertFrame() {
        if (!resampler) {
            if (ff->swr_alloc_set_opts2(&resampler, &frame->ch_layout, AV_SAMPLE_FMT_FLT, frame->sample_rate,
                                    &frame->ch_layout, static_cast<AVSampleFormat>(frame->format), frame->sample_rate,
                                    0, nullptr) < 0 ||
                ff->swr_init(resampler) < 0)
                return false;
        }
        const std::size_t have = pending.size();
        pending.resize(have + static_cast<std::size_t>(frame->nb_samples) * channels);
        auto* out = reinterpret_cast<std::uint8_t*>(pending.data() + have);
        const int made = ff->swr_convert(resampler, &out, frame->nb_samples, const_cast<const std::uint8_t**>(frame->extended_data),
                                     frame->nb_samples);
        pending.resize(have + static_cast<std::size_t>(std::max(made, 0)) * channels);
        ff->av_frame_unref(frame);
        return made >= 0;
    }
};

CodedSoundFile::CodedSoundFile() : state_(std::make_unique<State>()) {}
CodedSoundFile::~CodedSoundFile() = default;

CodedOpening CodedSoundFile::open(ByteView bytes, std::string& problem) {
    State& s = *state_;
    std::string missing;
    ff = codecLibraries(missing);
    if (!ff) {
        problem = missing;
        return CodedOpening::Failed;
    }
    ff->av_log_set_level(AV_LOG_QUIET);   // bv7 says what matters in its own words
    s.input = CodedMemoryInput{bytes, 0};
    auto* buffer = static_cast<std::uint8_t*>(ff->av_malloc(ioBufferBytes));
    if (!buffer) return CodedOpening::NotRecognised;
    s.io = ff->avio_alloc_context(buffer, ioBufferBytes, 0, &s.input, readPacketBytes, nullptr, seekBytes);
    if (!s.io) {
        ff->av_free(buffer);
        return CodedOpening::NotRecognised;
    }
    // Only a format recognised for sure: random bytes are sometimes taken
    // for a raw stream at a low score.
    const AVInputFormat* found = nullptr;
    const int score = ff->av_probe_input_buffer2(s.io, &found, "", nullptr, 0, 0);
    if (score <= AVPROBE_SCORE_RETRY || !found) return CodedOpening::NotRecognised;
    s.format = ff->avformat_alloc_context();
    if (!s.format) return CodedOpening::NotRecognised;
    s.format->pb = s.io;
    s.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    s.containerName = containerOf(found);
    if (ff->avformat_open_input(&s.format, nullptr, found, nullptr) < 0) {
        // Recognised, but its index is missing (an M4A cut before the index at its end) or damaged.
        problem = s.containerName + "-Datei unvollständig oder beschädigt (abgeschnitten?)";
        return CodedOpening::Failed;
    }
    ff->avformat_find_stream_info(s.format, nullptr);

    const AVCodec* decoder = nullptr;
    s.stream = ff->av_find_best_stream(s.format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
    if (s.stream == AVERROR_STREAM_NOT_FOUND) {
        problem = s.containerName + "-Datei ohne Tonspur";
        return CodedOpening::Failed;
    }
    const AVCodecParameters* parameters = s.stream >= 0 ? s.format->streams[s.stream]->codecpar : nullptr;
    if (parameters) {
        s.formatName = codecName(parameters->codec_id);
        const AVCodecDescriptor* descriptor = ff->avcodec_descriptor_get(parameters->codec_id);
        s.lossy = !descriptor || !(descriptor->props & AV_CODEC_PROP_LOSSLESS);
    }
    const std::string named = s.formatName + " in " + s.containerName;
    if (s.stream < 0 || !decoder) {
        problem = named + ": kein Decoder für " + (s.formatName.empty() ? "diese Tonspur" : s.formatName) + " vorhanden";
        return CodedOpening::Failed;
    }
    s.codec = ff->avcodec_alloc_context3(decoder);
    s.packet = ff->av_packet_alloc();
    s.frame = ff->av_frame_alloc();
    if (!s.codec || !s.packet || !s.frame || ff->avcodec_parameters_to_context(s.codec, parameters) < 0 ||
        ff->avcodec_open2(s.codec, decoder, nullptr) < 0) {
        problem = named + ": Decoder lässt sich nicht öffnen";
        return CodedOpening::Failed;
    }
    // The first frame fixes rate and channels (some containers state none).
    if (!s.nextFrame()) {
        problem = named + ": keine dekodierbaren Tondaten";
        return CodedOpening::Failed;
    }
    const int channels = s.frame->ch_layout.nb_channels;
    if (channels < 1 || channels > mostChannels || s.frame->sample_rate < 1) {
        problem = named + ": Kanalzahl " + std::to_string(channels) + ", Abtastrate " +
                  std::to_string(s.frame->sample_rate) + " Hz";
        return CodedOpening::Failed;
    }
    s.channels = static_cast<std::uint16_t>(channels);
    s.rate = static_cast<std::uint32_t>(s.frame->sample_rate);
    if (!s.convertFrame()) {
        problem = named + ": Abtastwerte lassen sich nicht umwandeln";
        return CodedOpening::Failed;
    }
    return CodedOpening::Opened;
}

std::size_t CodedSoundFile::read(float* out, std::size_t frames) {
    State& s = *state_;
    if (!s.channels) return 0;
    std::size_t given = 0;
    while (given < frames) {
        if (s.pendingFrom == s.pending.size()) {
            s.pending.clear(), s.pendingFrom = 0;
            // A frame of another layout than the first (a stream that changes
            // midway) is left out: the converter is set up for the first.
            bool converted = false;
            while (!converted && s.nextFrame()) {
                if (s.frame->ch_layout.nb_channels != s.channels ||
                    static_cast<std::uint32_t>(s.frame->sample_rate) != s.rate) {
                    ++s.damaged;
                    ff->av_frame_unref(s.frame);
                    continue;
                }
                converted = s.convertFrame();
            }
            if (!converted) break;
        }
        const std::size_t available = (s.pending.size() - s.pendingFrom) / s.channels;
        const std::size_t taken = std::min(available, frames - given);
        std::copy_n(s.pending.data() + s.pendingFrom, taken * s.channels, out + given * s.channels);
        s.pendingFrom += taken * s.channels;
        given += taken;
    }
    return given;
}

std::uint32_t CodedSoundFile::rate() const { return state_->rate; }
std::uint16_t CodedSoundFile::channels() const { return state_->channels; }
const std::string& CodedSoundFile::formatName() const { return state_->formatName; }
const std::string& CodedSoundFile::containerName() const { return state_->containerName; }
bool CodedSoundFile::lossy() const { return state_->lossy; }
std::size_t CodedSoundFile::damagedPackets() const { return state_->damaged; }
#endif
