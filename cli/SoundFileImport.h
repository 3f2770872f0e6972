#pragma once
// Recordings kept as FLAC, Ogg Vorbis, AIFF or W64: turned into the WAV bytes
// the project's own reader takes, so that every recording is decoded the same
// way. WAV is left as it is (the reading layer takes floating point too, as
// the page does). Only the native bv7 has the sound-file
// library; elsewhere nothing is converted.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tape/SoundSource.h"

// True when `bytes` start like a RIFF WAVE file.
bool looksLikeRiffWave(const std::vector<std::uint8_t>& bytes);

enum class ImportResult { NotASoundFile, Converted, Failed };

// Replaces `bytes` (a whole sound file) by an 8-bit WAV of all its channels
// at its own rate; the WAV reader takes the channel that carries the signal.
// Failed leaves a German reason in `problem`. Converted leaves in `warning`
// what the caller should tell of a file cut short ("" where it is whole);
// the decoders' own messages are kept off the terminal.
ImportResult importSoundFile(std::vector<std::uint8_t>& bytes, std::string& problem, std::string& warning);

// The sound file at `path` (not a WAV file) as a source the reading pulls its
// frames from as floating point, a stretch at a time, never the whole file:
// Converted with `source` set; Failed leaves a German reason in `problem`.
// Once a pass has ended, the source's warning() says where a file was cut
// short.
ImportResult openSoundSource(const std::string& path, std::unique_ptr<SoundSource>& source, std::string& problem);
