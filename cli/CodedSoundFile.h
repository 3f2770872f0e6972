#pragma once
// What phones and their apps save (AAC in M4A, Opus and Speex in Ogg, AMR,
// GSM 6.10 in WAV, WMA ...) decoded through FFmpeg's libraries, a chunk of
// frames at a time, from the file's bytes in memory (standard input works as
// well as a file). Only the native bv7 built with those libraries' headers
// (BV7_HAVE_FFMPEG) decodes; elsewhere nothing is recognised. The libraries
// themselves are loaded by the first open().
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "shell/ByteReader.h"

enum class CodedOpening { NotRecognised, Opened, Failed };

class CodedSoundFile {
public:
    CodedSoundFile();
    ~CodedSoundFile();
    CodedSoundFile(const CodedSoundFile&) = delete;
    CodedSoundFile& operator=(const CodedSoundFile&) = delete;

    // Opens the sound in `bytes`, which must outlive this object.
    // NotRecognised: no format the libraries know for sure. Failed: a format
    // they know but cannot decode, or the libraries are missing; `problem`
    // then says in German which and why ("AMR-NB in AMR: kein Decoder für
    // AMR-NB vorhanden").
    CodedOpening open(ByteView bytes, std::string& problem);

    // Up to `frames` frames of interleaved samples (full scale 1) into `out`,
    // which has room for frames * channels(); how many came, 0 at the end.
    std::size_t read(float* out, std::size_t frames);

    std::uint32_t rate() const;
    std::uint16_t channels() const;
    // The codec as owners know it ("AAC", "Opus", "GSM 6.10") and the
    // container ("M4A", "Ogg", "WAV"); set once opened.
    const std::string& formatName() const;
    const std::string& containerName() const;
    // Whether the codec throws sound away (every one but PCM and the lossless ones).
    bool lossy() const;
    // Packets the decoder refused on the way (damaged data).
    std::size_t damagedPackets() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
