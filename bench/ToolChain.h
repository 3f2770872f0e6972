#pragma once
// A recording chain of an owner's app or computer, applied with Debian's sox
// or ffmpeg: a signal goes out as an 8-bit mono WAV file, the shell command
// runs on it in a folder of its own, and the file it writes is left for the
// caller to read as bv7 reads it.
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "shell/FileIo.h"
#include "tape/AudioFormat.h"
#include "tape/WavFile.h"

namespace chain {
// In `dir` (ending in '/'): in.wav holds `samples` at `rate`; the shell
// `command` runs with $IN that file, $OUT the WAV file it must write and
// $MID a name for a step between (a lossy file), e.g.
//   "sox $IN $OUT compand 0.3,1 6:-70,-60,-20 -5 -90 0.2"
// An empty command leaves in.wav as the result; a command may write
// out.m4a, out.ogg or out.opus instead of $OUT. Returns the path of the
// result, or empty after putting the tool's own words into `failure`.
inline std::string throughTool(const std::string& dir, const std::vector<std::uint8_t>& samples, std::uint32_t rate,
                               const std::string& command, std::string& failure) {
    const std::vector<std::uint8_t> wav = makeWavFileBytes(AudioFormat{1, 1, rate, rate, 1, 8, 0}, samples.data(),
                                                           static_cast<std::uint32_t>(samples.size()));
    if (writeFile(dir + "in.wav", wav.data(), wav.size()) != WriteOutcome::Ok) {
        failure = "in.wav nicht geschrieben";
        return {};
    }
    if (command.empty()) return dir + "in.wav";
    const std::string script = "IN=in.wav OUT=out.wav MID=mid\n" + command + "\n";
    if (writeFile(dir + "chain.sh", reinterpret_cast<const std::uint8_t*>(script.data()), script.size()) !=
        WriteOutcome::Ok) {
        failure = "chain.sh nicht geschrieben";
        return {};
    }
    const std::string line = "cd '" + dir + "' && timeout 120 sh -e chain.sh </dev/null >tool.out 2>&1";
    const int status = std::system(line.c_str());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::ifstream out(dir + "tool.out");
        failure.assign(std::istreambuf_iterator<char>(out), {});
        if (failure.empty()) failure = "Werkzeug fehlgeschlagen";
        return {};
    }
    // A chain that ends in a lossy file leaves it as it is ($MID.m4a copied to
    // out.m4a), for the reader to take as an owner's phone saved it.
    for (const char* kept : {"out.wav", "out.m4a", "out.ogg", "out.opus"})
        if (std::ifstream(dir + kept).good()) return dir + kept;
    return dir + "out.wav";
}
}
