#pragma once
// The recording chains of owners' apps and computers, applied with Debian's
// sox and ffmpeg (scripts/install-deps installs them): a signal goes out as a
// WAV file, the tool runs on it, and what comes back is read as bv7 reads it.
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/TestFiles.h"
#include "tape/AudioFormat.h"
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
    const std::string dir = freshTestDir("chain-" + name);
    writeFile(dir + "in.wav", makeWavFileBytes(AudioFormat{1, 1, rate, rate, 1, 8, 0}, samples.data(),
                                               static_cast<std::uint32_t>(samples.size())));
    const std::string script = "IN=in.wav OUT=out.wav MID=mid\n" + command + "\n";
    writeFile(dir + "chain.sh", std::vector<std::uint8_t>(script.begin(), script.end()));
    const std::string line = "cd '" + dir + "' && timeout 60 sh -e chain.sh </dev/null >tool.out 2>&1";
    const int status = std::system(line.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        const std::vector<std::uint8_t> out = readFile(dir + "tool.out");
        result.failure = "the tool failed (sox and ffmpeg come with scripts/install-deps): " + command + "\n" +
                         std::string(out.begin(), out.end());
        return result;
    }
    result.file = readFile(dir + "out.wav");
    result.wav = parseWavSamples(ByteView(result.file));
    if (result.wav.error) result.failure = "the tool's WAV file could not be read: " + command;
    return result;
}
