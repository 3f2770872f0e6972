#include "tape/CodedFormat.h"

#include <cstring>
#include <string_view>

namespace {
bool startsWith(ByteView bytes, std::size_t at, std::string_view tag) {
    return bytes.size >= at + tag.size() && std::memcmp(bytes.data + at, tag.data(), tag.size()) == 0;
}

// Whether `tag` occurs anywhere in `bytes` (a codec's four letters in an M4A
// file's sample description, a Matroska codec id).
bool holds(ByteView bytes, std::string_view tag) {
    for (std::size_t at = 0; at + tag.size() <= bytes.size; ++at)
        if (startsWith(bytes, at, tag)) return true;
    return false;
}

// A WAV file's format tag (its "fmt " chunk), 0 where the head holds none.
std::uint16_t wavFormatTag(ByteView head) {
    ByteReader reader(head.sub(12));
    while (reader.ok() && !reader.atEnd()) {
        const bool format = reader.tag("fmt ");
        if (!format) reader.skip(4);
        const std::uint32_t size = reader.u32le();
        if (format) return reader.u16le();
        reader.skip(size + (size & 1));
    }
    return 0;
}

CodedFormat ofWav(ByteView head) {
    switch (wavFormatTag(head)) {
    case 0x0031: return {"GSM 6.10", "WAV"};
    case 0x0002:
    case 0x0011: return {"ADPCM", "WAV"};
    case 0x0055: return {"MP3", "WAV"};
    default: return {};   // PCM, float, extensible and the rest
    }
}

// The codec of an Ogg file: its first packet opens the first page, behind
// the page's segment table.
CodedFormat ofOgg(ByteView head) {
    if (head.size < 27) return {};
    const ByteView packet = head.sub(27 + head[26]);
    if (startsWith(packet, 0, "OpusHead")) return {"Opus", "Ogg"};
    if (startsWith(packet, 0, "Speex   ")) return {"Speex", "Ogg"};
    if (startsWith(packet, 0, "\x01vorbis")) return {"Vorbis", "Ogg"};
    return {};   // FLAC in Ogg and what else it may hold
}

// An MPEG audio frame's first two bytes: its sync and a layer (AAC's ADTS has none).
bool mpegFrame(ByteView head, std::size_t at) {
    return head.size >= at + 2 && head[at] == 0xFF && (head[at + 1] & 0xE0) == 0xE0;
}
}

CodedFormat codedFormatOf(ByteView head) {
    head = head.sub(0, codedFormatHead);
    if (startsWith(head, 0, "RIFF") && startsWith(head, 8, "WAVE")) return ofWav(head);
    if (startsWith(head, 0, "OggS")) return ofOgg(head);
    if (startsWith(head, 4, "ftyp")) {
        // Where the sample description lies in the head, it tells the codec;
        // a file written in one go has it at its end, and then it is AAC,
        // what phones and their apps put there.
        if (holds(head, "alac")) return {};
        if (holds(head, "samr")) return {"AMR-NB", "M4A/MP4"};
        if (holds(head, "sawb")) return {"AMR-WB", "M4A/MP4"};
        return {"AAC", "M4A/MP4"};
    }
    if (startsWith(head, 0, "#!AMR-WB\n")) return {"AMR-WB", "AMR"};
    if (startsWith(head, 0, "#!AMR\n")) return {"AMR-NB", "AMR"};
    if (startsWith(head, 0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11")) return {"WMA", "WMA/ASF"};
    if (startsWith(head, 0, "\x1A\x45\xDF\xA3")) {
        if (holds(head, "A_OPUS")) return {"Opus", "WebM/MKV"};
        if (holds(head, "A_VORBIS")) return {"Vorbis", "WebM/MKV"};
        if (holds(head, "A_AAC")) return {"AAC", "WebM/MKV"};
        return {};
    }
    if (startsWith(head, 0, "ID3")) return {"MP3", "MP3"};
    if (mpegFrame(head, 0)) {
        // ADTS: the layer bits are 00; MPEG audio: layer I to III.
        if ((head[1] & 0x06) == 0) return {"AAC", "AAC"};
        return {"MP3", "MP3"};
    }
    return {};
}
