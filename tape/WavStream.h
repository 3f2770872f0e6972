#pragma once
// A WAV file as a SoundSource: its head is read for the layout, its samples a
// stretch at a time as the reading pulls them, never the whole file at once.
// Integer samples are handed on as their top byte, 32-bit floating point as
// it is, 64-bit as the 8-bit sample it becomes (eightBitSample).
#include <memory>
#include <string>

#include "shell/FileIo.h"
#include "tape/SoundSource.h"
#include "tape/WavFile.h"

struct WavOpening {
    ReadResult read{ReadOutcome::Ok};   // of opening the file
    WavLayout layout;
    // The layout was found in the whole file: its error stands. Otherwise
    // an error may lie in what was not read (the file as a whole tells).
    bool seenWhole = false;
    std::unique_ptr<SoundSource> source;   // where the file opened and its layout has no error
};
WavOpening openWavStream(const std::string& path);
