#include "tape/WavFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "shell/FileIo.h"
#include "shell/LargeBuffer.h"
#include "shell/StringTable.h"
#include "tape/Resampling.h"

namespace {
constexpr std::uint16_t pcmTag = 1;
constexpr std::uint16_t floatTag = 3;
constexpr std::uint16_t extensibleTag = 0xFFFE;
// The part of the KSDATAFORMAT_SUBTYPE_PCM GUID after its first two bytes (01 00);
// the floating-point subformat (03 00) has the same.
constexpr std::uint8_t pcmSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                               0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// Rates the reader converts; outside them a file is taken as unusable.
constexpr std::uint32_t lowestRate = 4000;
constexpr std::uint32_t highestRate = 400000;
constexpr std::uint32_t resampledRate = 44100;
constexpr std::uint32_t unsetSize = 0xFFFFFFFFu;

void putU16(std::uint8_t* at, std::uint16_t value) {
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}
void putU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct Chunk {
    bool found = false;
    bool complete = false;   // the whole declared size is present
    ByteView body;
};

// The first chunk `id` among the chunks of `area` (each padded to an even size).
Chunk findChunk(ByteView area, const char* id) {
    ByteReader reader(area);
    while (reader.remaining() >= 8) {
        bool match = reader.tag(id);
        if (!match) reader.skip(4);
        std::uint32_t size = reader.u32le();
        // A streaming writer leaves the size of the samples unset (0 or FFFFFFFF):
        // they run to the end of the stream.
        if (match && size == 0 && std::strcmp(id, "data") == 0) size = unsetSize;
        Chunk chunk;
        chunk.body = reader.take(size);
        chunk.complete = reader.ok();
        if (match) {
            chunk.found = true;
            return chunk;
        }
        if (size & 1) reader.skip(1);
    }
    return {};
}

// What follows the form type of the first top-level RIFF chunk of form type
// "WAVE", up to the end of the file: recorders that crashed or wrote to a pipe
// leave the RIFF size wrong or unset, the chunks inside carry their own sizes.
bool findWaveForm(ByteView file, ByteView& form) {
    ByteReader reader(file);
    while (reader.remaining() >= 8) {
        bool riff = reader.tag("RIFF");
        if (!riff) reader.skip(4);
        std::uint32_t size = reader.u32le();
        ByteView rest = file.sub(reader.position());
        if (riff && rest.size >= 4 && std::memcmp(rest.data, "WAVE", 4) == 0) {
            form = rest.sub(4);
            return true;
        }
        reader.take(size);
        if (size & 1) reader.skip(1);
    }
    return false;
}

int wavReadFailure(ReadOutcome outcome) {
    return outcome == ReadOutcome::OutOfMemory ? str::outOfMemory : str::cannotOpenWav;
}

// The channel that carries the tape signal. Each channel is taken through a
// comb, y[n] = x[n] - x[n - k] with k about a quarter of the signal's period:
// it keeps the tape's tones and takes out what changes slowly (the centre
// line, mains hum, drift). Then the products of each y with the one before add
// up to the tones' power, while those of hiss cancel. The first channel stays
// unless another one has more than twice its sum: a mono cable in one input
// of a stereo recording leaves the other channel with hiss and hum only. Not
// an average of the channels, which would add that to the signal.
// The products of the combs of each pair (of the first few channels) give
// their correlation. `level(frame, channel)` gives a sample on the scale of a byte.
constexpr std::size_t correlatedChannels = 8;
template <typename Level>
ChannelFacts strongestChannel(std::size_t frames, std::size_t channels, std::uint32_t rate, Level level) {
    ChannelFacts facts;
    facts.count = static_cast<std::uint16_t>(std::max<std::size_t>(1, channels));
    if (channels < 2) return facts;
    const std::size_t k = std::max<std::size_t>(1, (rate + 3150) / 6300);   // 7 at 44100
    if (frames < k + 2) return facts;
    const std::size_t paired = std::min(channels, correlatedChannels);
    std::vector<std::int64_t> sums(channels, 0), previous(channels), comb(channels), products(paired * paired, 0);
    for (std::size_t channel = 0; channel < channels; ++channel) previous[channel] = level(k, channel) - level(0, channel);
    if (channels == 2) {
        // Stereo, the usual case, with the loops over the channels written out:
        // an hour of a stereo master is hundreds of millions of frames.
        std::int64_t previous0 = previous[0], previous1 = previous[1], sum0 = 0, sum1 = 0, square0 = 0, square1 = 0,
                     cross = 0;
        for (std::size_t frame = k + 1; frame < frames; ++frame) {
            const std::int64_t comb0 = level(frame, 0) - level(frame - k, 0), comb1 = level(frame, 1) - level(frame - k, 1);
            sum0 += comb0 * previous0;
            sum1 += comb1 * previous1;
            square0 += comb0 * comb0;
            square1 += comb1 * comb1;
            cross += comb1 * comb0;
            previous0 = comb0;
            previous1 = comb1;
        }
        sums = {sum0, sum1};
        products = {square0, 0, cross, square1};
    } else {
        for (std::size_t frame = k + 1; frame < frames; ++frame) {
            for (std::size_t channel = 0; channel < channels; ++channel) {
                comb[channel] = level(frame, channel) - level(frame - k, channel);
                sums[channel] += comb[channel] * previous[channel];
                previous[channel] = comb[channel];
            }
            for (std::size_t a = 0; a < paired; ++a)
                for (std::size_t b = 0; b <= a; ++b) products[a * paired + b] += comb[a] * comb[b];
        }
    }
    return channelFactsOf(sums.data(), products.data(), channels, paired);
}

WavSamples failed(int id) {
    WavSamples result;
    result.error = id;
    return result;
}
}

std::size_t findSignalChannel(ByteView sound, std::size_t channels, std::size_t containerBytes, std::uint32_t rate,
                              bool floating) {
    return findChannelFacts(sound, channels, containerBytes, rate, floating).taken;
}

ChannelFacts findChannelFacts(ByteView sound, std::size_t channels, std::size_t containerBytes, std::uint32_t rate,
                              bool floating) {
    if (channels < 2 || containerBytes == 0) {
        ChannelFacts facts;
        facts.count = static_cast<std::uint16_t>(std::max<std::size_t>(1, channels));
        return facts;
    }
    const std::size_t frameBytes = containerBytes * channels;
    const std::size_t frames = sound.size / frameBytes;
    if (floating && containerBytes == 4)
        return strongestChannel(frames, channels, rate, [&](std::size_t frame, std::size_t channel) {
            float value;
            std::memcpy(&value, sound.data + frame * frameBytes + channel * 4, 4);
            if (!(value >= -1.0f)) value = -1.0f;   // NaN too
            if (value > 1.0f) value = 1.0f;
            return static_cast<std::int64_t>(value * 128.0f);
        });
    const std::uint8_t unsign = containerBytes == 1 ? 0x00 : 0x80;   // wider samples are signed
    return strongestChannel(frames, channels, rate, [&](std::size_t frame, std::size_t channel) {
        return static_cast<std::int64_t>(sound.data[frame * frameBytes + channel * containerBytes + containerBytes - 1] ^ unsign);
    });
}

std::array<std::uint8_t, wavHeaderBytes> makeWavHeader(const AudioFormat& format, std::uint32_t count) {
    std::array<std::uint8_t, wavHeaderBytes> header{};
    std::uint8_t* at = header.data();
    std::memcpy(at, "RIFF", 4);
    putU32(at + 4, 38 + count + (count & 1));
    std::memcpy(at + 8, "WAVEfmt ", 8);
    putU32(at + 16, audioFormatBytes);
    putU16(at + 20, format.formatTag);
    putU16(at + 22, format.channels);
    putU32(at + 24, format.samplesPerSecond);
    putU32(at + 28, format.bytesPerSecond);
    putU16(at + 32, format.blockAlign);
    putU16(at + 34, format.bitsPerSample);
    putU16(at + 36, format.extraSize);
    std::memcpy(at + 38, "data", 4);
    putU32(at + 42, count);
    return header;
}

std::vector<std::uint8_t> makeWavFileBytes(const AudioFormat& format, const std::uint8_t* samples, std::uint32_t count) {
    auto header = makeWavHeader(format, count);
    std::vector<std::uint8_t> bytes;
    reserveLargeBuffer(bytes, wavHeaderBytes + count + (count & 1));
    bytes.insert(bytes.end(), header.begin(), header.end());
    if (count) bytes.insert(bytes.end(), samples, samples + count);
    if (count & 1) bytes.push_back(0);
    return bytes;
}

WavWriteOutcome writeWavFile(const std::string& path, const AudioFormat& format, const std::uint8_t* samples,
                             std::uint32_t count) {
    if (count > maxWavSampleCount) return WavWriteOutcome::TooManySamples;
    auto header = makeWavHeader(format, count);
    const std::uint8_t pad = 0;
    switch (writeFile(path, {ByteView(header), ByteView(samples, count), ByteView(&pad, count & 1)})) {
    case WriteOutcome::Ok: return WavWriteOutcome::Written;
    case WriteOutcome::CannotCreate:
    case WriteOutcome::CannotReplace: return WavWriteOutcome::CannotCreate;
    case WriteOutcome::ShortWrite: return WavWriteOutcome::ShortWrite;
    }
    return WavWriteOutcome::ShortWrite;
}

bool isFloatWav(ByteView file) {
    WavParts parts = findWavParts(file);
    if (parts.error) return false;
    ByteReader reader(parts.format);
    std::uint16_t tag = reader.u16le();
    if (tag == floatTag) return true;
    if (tag != extensibleTag || parts.format.size < 40) return false;
    ByteView subFormat = parts.format.sub(24, 16);
    return subFormat[0] == floatTag && subFormat[1] == 0x00 &&
           std::memcmp(subFormat.data + 2, pcmSubFormatTail, sizeof pcmSubFormatTail) == 0;
}

WavParts findWavParts(ByteView file) {
    WavParts parts;
    ByteView form;
    Chunk fmt, data;
    if (!findWaveForm(file, form))
        parts.error = str::riffNotFound;
    else if (!(fmt = findChunk(form, "fmt ")).found || fmt.body.size < 16)
        parts.error = str::formatNotFound;
    else if (!fmt.complete || !(data = findChunk(form, "data")).found)
        parts.error = str::audioNotFound;
    if (parts.error) return parts;
    parts.format = fmt.body;
    parts.sound = data.body;
    return parts;
}

namespace {
// What the format chunk says, as far as the reader needs it.
struct WavFormat {
    std::uint16_t channels = 0;
    std::uint32_t rate = 0;
    std::uint16_t bits = 0;
};

// The format chunk of `form`: integer PCM (also as the extensible format's
// PCM subformat), or the message why not.
int readWavFormat(ByteView form, WavFormat& format, bool& complete) {
    // The format chunk need not come first ("bext", "JUNK" or "LIST" may precede it).
    Chunk fmt = findChunk(form, "fmt ");
    if (!fmt.found || fmt.body.size < 16) return str::formatNotFound;
    ByteReader reader(fmt.body);
    std::uint16_t tag = reader.u16le();
    format.channels = reader.u16le();
    format.rate = reader.u32le();
    reader.skip(6);   // bytes per second, block align
    format.bits = reader.u16le();
    bool pcm = tag == pcmTag;
    if (tag == extensibleTag && fmt.body.size >= 40) {
        ByteView subFormat = fmt.body.sub(24, 16);
        pcm = subFormat[0] == 0x01 && subFormat[1] == 0x00 &&
              std::memcmp(subFormat.data + 2, pcmSubFormatTail, sizeof pcmSubFormatTail) == 0;
    }
    complete = fmt.complete;
    return pcm ? 0 : str::notPcm;
}

// Samples of other sizes and channel counts: the most significant byte of the
// channel that carries the signal, made unsigned; other rates: linear
// interpolation to resampledRate. Into `result.storage`; false when it does
// not fit into memory.
bool convertSamples(ByteView body, const WavFormat& format, bool directRate, WavSamples& result) {
    const std::size_t containerBytes = (format.bits + 7u) / 8u;
    const std::size_t frameBytes = containerBytes * format.channels;
    const std::size_t frames = body.size / frameBytes;
    result.channels = findChannelFacts(body, format.channels, containerBytes, format.rate);
    const std::size_t channel = result.channels.taken;
    auto sampleAt = [&](std::size_t frame) -> std::uint8_t {
        std::uint8_t top = body[frame * frameBytes + channel * containerBytes + containerBytes - 1];
        return containerBytes == 1 ? top : static_cast<std::uint8_t>(top ^ 0x80);
    };
    std::uint64_t outCount = frames;
    if (!directRate && frames > 0) outCount = (static_cast<std::uint64_t>(frames) - 1) * resampledRate / format.rate + 1;
    try {
        if (outCount > result.storage.max_size()) throw std::bad_alloc();
        const auto count = static_cast<std::size_t>(outCount);
        result.storage.clear();
        reserveLargeBuffer(result.storage, count);
        if (directRate) {
            appendInStretches(result.storage, count, [&](std::uint8_t* out, std::size_t first, std::size_t n) {
                for (std::size_t i = 0; i < n; ++i) out[i] = sampleAt(first + i);
            });
        } else {
            appendInStretches(result.storage, count, [&](std::uint8_t* out, std::size_t first, std::size_t n) {
                for (std::size_t i = 0; i < n; ++i)
                    out[i] = resampledAt(first + i, format.rate, resampledRate, frames,
                                         [&](std::uint64_t frame) { return sampleAt(static_cast<std::size_t>(frame)); });
            });
        }
    } catch (const std::exception&) {
        return false;
    }
    result.samples = ByteView(result.storage);
    return true;
}

// Why the samples of a file with this format chunk cannot be read, in the
// user's words: the field and its value; "" where they can.
std::string unusableFormat(const WavFormat& format, bool dataFound) {
    if (!dataFound) return "kein \"data\"-Chunk mit Abtastwerten in der Datei";
    if (format.channels == 0) return "Kanalzahl 0 im Format-Chunk";
    if (format.bits == 0 || format.bits > 32)
        return "Bits je Abtastwert " + std::to_string(format.bits) + " im Format-Chunk (lesbar sind 1 bis 32)";
    if (format.rate < lowestRate || format.rate > highestRate)
        return "Abtastrate " + std::to_string(format.rate) + " Hz im Format-Chunk (lesbar sind " +
               std::to_string(lowestRate) + " bis " + std::to_string(highestRate) + " Hz)";
    return "";
}
}

std::string unusableRate(std::uint32_t rate) {
    WavFormat format;
    format.channels = 1;
    format.bits = 8;
    format.rate = rate;
    return unusableFormat(format, true);
}

std::string wavErrorText(const WavSamples& wav) {
    const std::string text = loadString(wav.error);
    return wav.reason.empty() ? text : text + ": " + wav.reason;
}

WavSamples parseWavSamples(ByteView file) {
    ByteView form;
    if (!findWaveForm(file, form)) return failed(str::riffNotFound);
    WavFormat format;
    bool complete = false;
    if (int error = readWavFormat(form, format, complete)) return failed(error);

    WavSamples result;
    result.fileRate = format.rate;
    bool usableRate = format.rate >= lowestRate && format.rate <= highestRate;
    bool directRate = format.rate == 22050 || format.rate == 44100;
    result.rate = directRate ? format.rate : usableRate ? resampledRate : 0;

    if (!complete) result.error = str::audioNotFound;
    Chunk data = findChunk(form, "data");
    if (!result.error) result.reason = unusableFormat(format, data.found);
    if (!result.reason.empty()) result.error = str::audioUnusable;
    if (result.error) return result;

    // A data chunk cut short (a truncated file, or a size left open by a
    // streaming writer) gives the samples that are there.
    if (format.bits <= 8 && format.channels == 1 && directRate) {
        result.samples = data.body;
        return result;
    }
    if (!convertSamples(data.body, format, directRate, result)) return failed(str::outOfMemory);
    return result;
}

WavLayout findWavLayout(ByteView head, std::uint64_t fileSize) {
    WavLayout layout;
    ByteView form;
    if (!findWaveForm(head, form)) {
        layout.error = str::riffNotFound;
        return layout;
    }
    const bool floating = isFloatWav(head);
    WavFormat format;
    bool complete = false;
    const int formatError = readWavFormat(form, format, complete);
    // A float file of other sizes is left as it is, and is no PCM.
    if (formatError && !(floating && format.channels != 0 && (format.bits == 32 || format.bits == 64))) {
        layout.error = formatError;
        return layout;
    }
    layout.floating = floating;
    layout.channels = format.channels;
    layout.bits = format.bits;
    layout.fileRate = format.rate;
    const bool usableRate = format.rate >= lowestRate && format.rate <= highestRate;
    const bool directRate = format.rate == 22050 || format.rate == 44100;
    layout.rate = directRate ? format.rate : usableRate ? resampledRate : 0;
    if (!complete) layout.error = str::audioNotFound;
    // The "data" chunk's header, wherever its body ends.
    ByteReader reader(form);
    bool found = false;
    std::uint64_t declared = 0;
    while (reader.remaining() >= 8) {
        const bool match = reader.tag("data");
        if (!match) reader.skip(4);
        std::uint32_t size = reader.u32le();
        if (match) {
            found = true;
            declared = size == 0 ? unsetSize : size;
            break;
        }
        reader.take(size);
        if (size & 1) reader.skip(1);
    }
    // A float file is taken as the 8-bit one made of it: its format is 8-bit PCM.
    WavFormat checked = format;
    if (floating) checked.bits = 8;
    if (!layout.error) layout.reason = unusableFormat(checked, found);
    if (!layout.reason.empty()) layout.error = str::audioUnusable;
    if (layout.error) return layout;
    layout.dataOffset = static_cast<std::uint64_t>(form.data - head.data) + reader.position();
    const std::uint64_t there = fileSize > layout.dataOffset ? fileSize - layout.dataOffset : 0;
    layout.dataBytes = std::min<std::uint64_t>(declared, there);
    return layout;
}

WavSamples adoptWavSamples(std::vector<std::uint8_t>&& bytes) {
    WavSamples result = parseWavSamples(ByteView(bytes));
    if (result.error) {
        WavSamples rates = failed(result.error);   // what the file states, without samples
        rates.fileRate = result.fileRate;
        rates.rate = result.rate;
        rates.reason = std::move(result.reason);
        return rates;
    }
    // Samples used in place stay valid: moving a vector keeps its block.
    if (result.storage.empty() && !result.samples.empty()) result.storage = std::move(bytes);
    return result;
}

WavSamples readWavSamples(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    ReadOutcome read = readFile(path, bytes);
    if (read != ReadOutcome::Ok) return failed(wavReadFailure(read));
    return adoptWavSamples(std::move(bytes));
}

ChannelFacts channelFactsOf(const std::int64_t* sums, const std::int64_t* products, std::size_t channels,
                            std::size_t paired) {
    ChannelFacts facts;
    facts.count = static_cast<std::uint16_t>(std::max<std::size_t>(1, channels));
    if (channels < 2) return facts;
    std::size_t best = 0;
    std::int64_t bestSum = 0;
    for (std::size_t channel = 0; channel < channels; ++channel)
        if (sums[channel] > bestSum) bestSum = sums[channel], best = channel;
    const std::size_t taken = bestSum > 2 * std::max<std::int64_t>(sums[0], 0) ? best : 0;
    std::size_t other = taken == 0 ? 1 : 0;
    for (std::size_t channel = 0; channel < channels; ++channel)
        if (channel != taken && sums[channel] > sums[other]) other = channel;
    facts.taken = static_cast<std::uint16_t>(taken);
    if (sums[taken] > 0)
        facts.otherDecibels = sums[other] > 0 ? std::max(noChannelDecibels, 10 * std::log10(static_cast<double>(sums[other]) / sums[taken]))
                                              : noChannelDecibels;
    if (taken < paired && other < paired) {
        const std::size_t high = std::max(taken, other), low = std::min(taken, other);
        const double energy = static_cast<double>(products[taken * paired + taken]) * products[other * paired + other];
        if (energy > 0) facts.correlation = products[high * paired + low] / std::sqrt(energy);
    }
    return facts;
}
