// Build step of the Windows program: writes the test tone as the WAV file that
// becomes its WAVE resource 101. Built for the build machine, run once.
#include <cstdio>

#include "shell/FileIo.h"
#include "sound/TestTone.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-test-tone OUT.wav\n");
        return 2;
    }
    std::vector<std::uint8_t> file = testToneWavFile();
    if (writeFile(argv[1], file.data(), file.size()) != WriteOutcome::Ok) {
        std::fprintf(stderr, "make-test-tone: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
