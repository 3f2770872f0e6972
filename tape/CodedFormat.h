#pragma once
// Which lossy codec a sound file holds, and in which container, told from
// its first bytes alone: for a reader that gets the sound already decoded
// (the page, where the browser decodes it) and so never sees the container.
// The names are those bv7 gives when FFmpeg's or the sound-file library
// decodes the same file ("AAC" in "M4A/MP4", "Opus" in "Ogg", "GSM 6.10" in
// "WAV"), so that the diagnosis says the same on either road.
#include <cstddef>
#include <string>

#include "shell/ByteReader.h"

struct CodedFormat {
    std::string codec;       // "" for a lossless or unknown file
    std::string container;   // "" with it
};

// How many of the first bytes codedFormatOf looks at: the headers of an M4A
// file written for streaming, of Ogg's first pages and of a WAV file's chunks
// before its data lie within them. Fewer name what they hold.
constexpr std::size_t codedFormatHead = 4096;
CodedFormat codedFormatOf(ByteView head);
