#pragma once
// Recordings kept as FLAC, Ogg Vorbis, AIFF or W64: turned into the WAV bytes
// the project's own reader takes, so that every recording is decoded the same
// way. WAV is left as it is (the reading layer takes floating point too, as
// the page does). Only the native bv7 has the sound-file
// library; elsewhere nothing is converted.
#include <cstdint>
#include <string>
#include <vector>

// True when `bytes` start like a RIFF WAVE file.
bool looksLikeRiffWave(const std::vector<std::uint8_t>& bytes);

enum class ImportResult { NotASoundFile, Converted, Failed };

// Replaces `bytes` (a whole sound file) by an 8-bit WAV of all its channels
// at its own rate; the WAV reader takes the channel that carries the signal.
// Failed leaves a German reason in `problem`.
ImportResult importSoundFile(std::vector<std::uint8_t>& bytes, std::string& problem);
