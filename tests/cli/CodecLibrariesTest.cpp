// FFmpeg's libraries are loaded by bv7 when a file first needs them: where
// one cannot be loaded, reading a phone's file says which and what to install.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TestFiles.h"

#ifdef BV7_HAVE_FFMPEG
extern "C" {
#include <libavutil/macros.h>
#include <libavutil/version.h>
}

TEST(CodecLibraries, MissingLibraryNamedWithItsPackage) {
    const std::string dir = freshTestDir("codec-libraries");
    // A library of that name that cannot be loaded, found before the system's own.
    const std::string library = "libavutil.so." AV_STRINGIFY(LIBAVUTIL_VERSION_MAJOR);
    writeFile(dir + library, {});
    writeFile(dir + "anruf.m4a", std::vector<std::uint8_t>(4000, 0x5A));
    const int status = std::system(("cd '" + dir + "' && LD_LIBRARY_PATH=. timeout 20 '" + std::string(BV7_PROGRAM) +
                                    "' wav2bin anruf.m4a -o out.BIN >/dev/null 2>err.txt </dev/null").c_str());
    const auto err = readFile(dir + "err.txt");
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
    EXPECT_EQ(std::string(err.begin(), err.end()),
              "Fehler: Tonformat nicht lesbar: Die Bibliothek " + library + " fehlt – Paket libavutil" AV_STRINGIFY(
                  LIBAVUTIL_VERSION_MAJOR) " installieren (anruf.m4a)\n");
}
#endif
