#include <gtest/gtest.h>

#include "support/CommandRun.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "viewer/KaloSample.h"
#include "viewer/SourceDecoder.h"
#include "viewer/TextExport.h"

namespace {
using Bytes = std::vector<std::uint8_t>;

using Outcome = CommandOutcome;
Outcome runKalo(const CommandArgs& args) { return runCommand(kaloCommand, args); }

std::string freshDir(const std::string& name) { return freshTestDir("kalo-" + name); }
std::string readText(const std::string& path) {
    auto bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

const Bytes sample = KaloSample().line(10, "\x05ORG E000H").line(20, ";Z[hler f}r \\l   ").line(30, "").finish("X");
}

TEST(KaloCommand, PrintsTheListingInUtf8) {
    std::string dir = freshDir("print");
    writeFile(dir + "PROG.ASM", sample);
    Outcome shown = runKalo({dir + "PROG.ASM"});
    EXPECT_EQ(shown.code, 0) << shown.err;
    EXPECT_EQ(shown.out, "0010      ORG E\xC3\x98\xC3\x98\xC3\x98H\n0020 ;Z\xC3\x84hler f\xC3\xBCr \xC3\x96l   \n0030 \n");
    EXPECT_EQ(shown.err, "");
    Outcome oem = runKalo({"--oem", dir + "PROG.ASM"});
    EXPECT_EQ(oem.code, 0);
    EXPECT_EQ(oem.out, "0010      ORG E000H\n0020 ;Z[hler f}r \\l   \n0030 \n");
}

TEST(KaloCommand, WritesTheTextFileKalovWrites) {
    std::string dir = freshDir("write");
    writeFile(dir + "PROG.ASM", sample);
    SourceListing listing;
    decodeSourceData(sample.data(), sample.size(), true, listing);
    const Bytes expected = listingTextBytes(listing);

    Outcome written = runKalo({dir + "PROG.ASM", "-o", dir + "PROG.TXT"});
    EXPECT_EQ(written.code, 0) << written.err;
    EXPECT_EQ(written.out, "");
    EXPECT_EQ(readText(dir + "PROG.TXT"), std::string(expected.begin(), expected.end()));
    EXPECT_EQ(readText(dir + "PROG.TXT"), "0010      ORG E\xD8\xD8\xD8H\r\n0020 ;Z\xC4hler f\xFCr \xD6l\r\n0030\r\n");

    Outcome refused = runKalo({dir + "PROG.ASM", "--oem", "-o", dir + "PROG.TXT"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(readText(dir + "PROG.TXT"), std::string(expected.begin(), expected.end())) << "never overwritten";
    Outcome forced = runKalo({dir + "PROG.ASM", "--oem", "--force", "-o", dir + "PROG.TXT"});
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(readText(dir + "PROG.TXT"), "0010      ORG E000H\r\n0020 ;Z[hler f}r \\l\r\n0030\r\n");
}

TEST(KaloCommand, FailsOnFilesItCannotConvert) {
    std::string dir = freshDir("fail");
    Bytes cut = sample;
    cut.resize(cut.size() - 4);     // the last line's end and the end marker are gone
    writeFile(dir + "CUT.BIN", cut);
    writeFile(dir + "EMPTY.ASM", KaloSample().finish());
    writeFile(dir + "TINY.BIN", {0x05, 0x00, 0x4B, 0x34, 0xFF});
    struct Case {
        CommandArgs args;
        int code;
        const char* out;
        const char* errPart;    // "" = nothing on the error stream
    } cases[] = {
        {{dir + "CUT.BIN"}, 1, "0010      ORG E\xC3\x98\xC3\x98\xC3\x98H\n0020 ;Z\xC3\x84hler f\xC3\xBCr \xC3\x96l   \n",
         "Keine KALO*4-Datei, hier nicht darstellbar."},
        {{dir + "CUT.BIN"}, 1, nullptr, "Vermutlich keine KALO*4-Quelldatei"},
        {{dir + "CUT.BIN", "-o", dir + "CUT.TXT"}, 1, "", "Keine KALO*4-Datei"},
        {{dir + "FEHLT.ASM"}, 1, "", "Dateiöffnen schlug fehl"},
        {{dir + "EMPTY.ASM"}, 0, "", ""},
        {{dir + "TINY.BIN"}, 1, "", "Keine KALO*4-Datei, hier nicht darstellbar."},
        {{dir + "EMPTY.ASM", "-o", dir + "EMPTY.TXT"}, 1, "", "Nichts da zum Sichern :-)"},
        {{}, 2, "", "Aufruf: bv7 kalo"},
        {{dir + "A.ASM", dir + "B.ASM"}, 2, "", "Aufruf"},
        {{dir + "PROG.ASM", "-o"}, 2, "", "Aufruf"},
        {{dir + "PROG.ASM", "--umlaute"}, 2, "", "Aufruf"},
        {{"--help"}, 0, nullptr, ""},
    };
    for (const Case& c : cases) {
        Outcome outcome = runKalo(c.args);
        EXPECT_EQ(outcome.code, c.code) << outcome.err;
        if (c.out) {
            EXPECT_EQ(outcome.out, c.out);
        }
        if (*c.errPart) {
            EXPECT_NE(outcome.err.find(c.errPart), std::string::npos) << outcome.err;
        } else {
            EXPECT_EQ(outcome.err, "");
        }
    }
    EXPECT_FALSE(std::ifstream(dir + "CUT.TXT").good()) << "a failed decoding writes no file";
    EXPECT_FALSE(std::ifstream(dir + "EMPTY.TXT").good());
}
