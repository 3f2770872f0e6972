#pragma once
// Recordings kept as FLAC, Ogg Vorbis, MP3, AIFF or W64 (through the
// sound-file library), and what phones save, AAC in M4A, Opus, Speex, AMR,
// GSM 6.10 in WAV, WMA (through FFmpeg's libraries, where the first cannot):
// turned into the WAV bytes the project's own reader takes, so that every
// recording is decoded the same way. A PCM WAV is left as it is (the reading
// layer takes floating point too, as the page does). Only the native bv7 has
// these libraries; elsewhere nothing is converted.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tape/SoundSource.h"

// True when `bytes` start like a RIFF WAVE file.
bool looksLikeRiffWave(const std::vector<std::uint8_t>& bytes);

// True for a WAV file whose samples are coded (GSM 6.10, ADPCM, ...), neither
// integer PCM nor floating point: the reader takes it only through the import.
bool isCodedWav(const std::vector<std::uint8_t>& bytes);

// The coded format a file held: the codec as owners know it ("AAC",
// "GSM 6.10"), its container ("M4A/MP4"); `lossy` where the codec throws
// sound away. All empty for PCM.
struct SoundFileFormat {
    std::string codec;
    std::string container;
    bool lossy = false;
};

enum class ImportResult { NotASoundFile, Converted, Failed };

// Replaces `bytes` (a whole sound file) by an 8-bit WAV of all its channels
// at its own rate; the WAV reader takes the channel that carries the signal.
// Failed leaves a German reason in `problem`. Converted leaves in `warning`
// what the caller should tell of a file cut short ("" where it is whole);
// the decoders' own messages are kept off the terminal. Where `format` is
// given, it is told the coded format of a converted file.
ImportResult importSoundFile(std::vector<std::uint8_t>& bytes, std::string& problem, std::string& warning,
                             SoundFileFormat* format = nullptr);

// The sound file at `path` (not a WAV file) as a source the reading pulls its
// frames from as floating point, a stretch at a time, never the whole file:
// Converted with `source` set; Failed leaves a German reason in `problem`.
// Once a pass has ended, the source's warning() says where a file was cut
// short.
ImportResult openSoundSource(const std::string& path, std::unique_ptr<SoundSource>& source, std::string& problem);
