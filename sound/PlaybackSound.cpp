#include "sound/PlaybackSound.h"

#include <algorithm>

#include "shell/StringTable.h"
#include "tape/WavFile.h"

namespace {
constexpr std::uint16_t pcmTag = 1;
constexpr std::uint16_t floatTag = 3;
constexpr std::uint16_t extensibleTag = 0xFFFE;
constexpr std::size_t formatWithSizeBytes = 18;
constexpr std::size_t extensibleFormatBytes = 40;

std::uint16_t u16At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return u16At(bytes, at) | static_cast<std::uint32_t>(u16At(bytes, at + 2)) << 16;
}
void putU16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
void putU32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// The sample kind of a format: its tag, or the tag within the sub-format of an
// extensible one (whose GUID begins with the tag).
std::uint16_t sampleTag(const std::vector<std::uint8_t>& format) {
    std::uint16_t tag = u16At(format, 0);
    if (tag == extensibleTag && format.size() >= extensibleFormatBytes) return u16At(format, 24);
    return tag;
}
}

PlaybackSound playbackSoundOf(ByteView file) {
    PlaybackSound result;
    WavParts parts = findWavParts(file);
    if (parts.error) {
        result.error = parts.error;
        return result;
    }
    // The chunk as it is, its extra bytes counted in the size field; a count
    // beyond the chunk is cut to what is there.
    std::vector<std::uint8_t>& format = result.format;
    format.assign(parts.format.data, parts.format.data + parts.format.size);
    std::size_t extra = format.size() >= formatWithSizeBytes ? u16At(format, 16) : 0;
    if (extra > format.size() - std::min(format.size(), formatWithSizeBytes)) extra = format.size() - formatWithSizeBytes;
    format.resize(formatWithSizeBytes + extra, 0);
    putU16(format, 16, static_cast<std::uint32_t>(extra));

    std::uint16_t tag = sampleTag(format);
    std::uint16_t channels = u16At(format, 2);
    std::uint32_t rate = u32At(format, 4);
    std::uint16_t bits = u16At(format, 14);
    bool uncompressed = tag == pcmTag || tag == floatTag;
    if (uncompressed) {
        // Writers that get the derived fields wrong are common; the device checks them.
        if (channels == 0 || bits == 0 || bits > 64 || rate == 0) {
            result.error = str::audioUnusable;
            result.reason = channels == 0 ? "Kanalzahl 0 im Format-Chunk"
                            : rate == 0   ? "Abtastrate 0 Hz im Format-Chunk"
                                          : "Bits je Abtastwert " + std::to_string(bits) + " im Format-Chunk (abspielbar sind 1 bis 64)";
            return result;
        }
        std::uint32_t frameBytes = channels * ((bits + 7u) / 8u);
        putU16(format, 12, frameBytes);
        putU32(format, 8, rate * frameBytes);
        if (u16At(format, 0) == pcmTag) {
            format.resize(formatWithSizeBytes);
            putU16(format, 16, 0);
        }
    }
    std::uint32_t frameBytes = u16At(format, 12);
    result.bytesPerSecond = u32At(format, 8);
    if (frameBytes == 0 || result.bytesPerSecond == 0) {
        result.error = str::audioUnusable;
        result.reason = frameBytes == 0 ? "Blockausrichtung 0 im Format-Chunk" : "Bytes je Sekunde 0 im Format-Chunk";
        return result;
    }
    result.sound = parts.sound.sub(0, parts.sound.size - parts.sound.size % frameBytes);
    result.lengthMs = static_cast<std::uint32_t>(result.sound.size * 1000ull / result.bytesPerSecond);
    result.blockBytes = std::max(frameBytes, result.bytesPerSecond - result.bytesPerSecond % frameBytes);
    if (uncompressed) {
        std::uint64_t tailBytes = static_cast<std::uint64_t>(result.bytesPerSecond) * playbackTailMs / 1000;
        std::uint8_t idle = tag == pcmTag && bits <= 8 ? 0x80 : 0x00;
        result.tail.assign(static_cast<std::size_t>(tailBytes - tailBytes % frameBytes), idle);
    }
    return result;
}

std::uint32_t playedMs(std::uint32_t bytesPerSecond, std::uint32_t lengthMs, std::uint64_t bytesPlayed) {
    if (bytesPerSecond == 0) return 0;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(bytesPlayed * 1000 / bytesPerSecond, lengthMs));
}
