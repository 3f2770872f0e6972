#pragma once
// A recording given on the command line, ready for the readers: read (a file
// or standard input), other sound formats imported, the WAV's samples taken,
// and the readers' settings for its rate.
#include <ostream>
#include <string>

#include "tape/Decoder.h"
#include "tape/WavFile.h"

struct RecordingInput {
    WavSamples wav;
    DecoderSettings settings;   // the threshold of the recording's own rate, the trigger level
};

// Reads `path` ("-": standard input) into `recording`; false after the message
// on `err`, which names the file.
bool readRecording(const std::string& path, RecordingInput& recording, std::ostream& err);
