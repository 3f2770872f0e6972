#pragma once
// What the playback hands the sound device: a WAV file's own format and sound
// as they are, followed by half a second of the idle level. Sound drivers may
// drop what they still hold when a sound ends or the device closes; behind the
// idle level that is silence, never the last bits of a record.
#include <cstdint>
#include <string>
#include <vector>

#include "shell/ByteReader.h"

constexpr std::uint32_t playbackTailMs = 500;

struct PlaybackSound {
    int error = 0;                       // 0, or the string id of what the file lacks
    std::string reason;                  // with `error`, where known: the field and its value ("Kanalzahl 0")
    // The format as the device takes it: the file's format chunk, with the
    // count of its extra bytes behind the first 16 (0 for plain PCM).
    std::vector<std::uint8_t> format;
    ByteView sound;                      // the file's sound in whole frames, a view into the file
    std::vector<std::uint8_t> tail;      // the idle level; none for a compressed format
    std::uint32_t bytesPerSecond = 0;
    std::uint32_t lengthMs = 0;          // of the sound, without the tail
    std::uint32_t blockBytes = 0;        // what one device block holds: about a second, whole frames
};

// Takes a WAV file apart for playing. `file` must outlive the result.
PlaybackSound playbackSoundOf(ByteView file);

// The played time of `bytesPlayed` (sound and tail) for the progress bar,
// never beyond the sound's length.
std::uint32_t playedMs(std::uint32_t bytesPerSecond, std::uint32_t lengthMs, std::uint64_t bytesPlayed);
