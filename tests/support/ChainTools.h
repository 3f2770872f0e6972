#pragma once
// The recording chains of owners' apps and computers, applied with Debian's
// sox and ffmpeg (scripts/install-deps installs them) as the bench applies
// them (bench/ToolChain.h), and what comes back read as bv7 reads it.
#include <cstdint>
#include <string>
#include <vector>

#include "bench/ToolChain.h"
#include "support/TestFiles.h"
#include "tape/WavFile.h"

struct ChainResult {
    std::string failure;                 // empty when the tool ran and its WAV was read
    std::vector<std::uint8_t> file;      // the tool's WAV file; `wav` points into it
    WavSamples wav;
};

// Runs the shell `command` in a folder of its own named after `name`, with
// $IN the 8-bit mono WAV file of `samples` at `rate`, $OUT the WAV file the
// command must write, and $MID a name for a step between (a lossy file), e.g.
//   "sox $IN $OUT compand 0.3,1 6:-70,-60,-20 -5 -90 0.2"
//   "ffmpeg -v error -i $IN -b:a 48k $MID.m4a && ffmpeg -v error -i $MID.m4a $OUT"
inline ChainResult throughChain(const std::string& name, const std::vector<std::uint8_t>& samples,
                                std::uint32_t rate, const std::string& command) {
    ChainResult result;
    std::string said;
    const std::string path = chain::throughTool(freshTestDir("chain-" + name), samples, rate, command, said);
    if (path.empty()) {
        result.failure = "the tool failed (sox and ffmpeg come with scripts/install-deps): " + command + "\n" + said;
        return result;
    }
    result.file = readFile(path);
    result.wav = parseWavSamples(ByteView(result.file));
    if (result.wav.error) result.failure = "the tool's WAV file could not be read: " + command;
    return result;
}
