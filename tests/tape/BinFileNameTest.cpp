#include <gtest/gtest.h>

#include "support/RecordingInterface.h"
#include "tape/BinFileName.h"

TEST(BinFileName, TakesTheHeaderFromTheName) {
    TapeHeader header;
    ASSERT_TRUE(parseBinFileName("C:\\BV7\\Spiele\\PROG_1000_1FFF_1000.BIN", header));
    EXPECT_EQ(header.name, "PROG");
    EXPECT_EQ(header.aa, 0x1000);
    EXPECT_EQ(header.ea, 0x1FFF);
    EXPECT_EQ(header.sa, 0x1000);

    ASSERT_TRUE(parseBinFileName("_1000_1FFF_1000.BIN", header));
    EXPECT_EQ(header.name, "");
    ASSERT_TRUE(parseBinFileName("/home/bv7/A_0100_01FF_0100.bin", header));
    EXPECT_EQ(header.name, "A");
    EXPECT_EQ(header.ea, 0x01FF);
}

TEST(BinFileName, RefusesNamesOffTheScheme) {
    RecordingInterface seam;
    TapeHeader header;
    for (const char* path : {"MY_PROG_1000_1FFF_1000.BIN", "PROG_1000.BIN", "prog_a000_afff_a000.bin", "____",
                             "PROG_10_1FFF_1000.BIN", "PROG_1000_1FFF_10.B", "", "PROG.BIN",
                             "A_B_C_\\PROG.BIN", "PROG_1000_1FFF_1000"}) {
        TapeHeader h;
        bool parsed = parseBinFileName(path, h);
        if (std::string(path) == "PROG_1000_1FFF_1000") {
            EXPECT_TRUE(parsed) << "the extension is not required";
        } else {
            EXPECT_FALSE(parsed) << path;
        }
    }
    EXPECT_TRUE(seam.messages.empty()) << "a failed parse is silent";
    const std::string longName(5000, 'x');
    EXPECT_FALSE(parseBinFileName(longName, header));
    EXPECT_FALSE(parseBinFileName(longName + "_1_2_3", header)) << "an address is the 4 characters after its '_'";
    ASSERT_TRUE(parseBinFileName(longName + "_1000_1FFF_1000.BIN", header));
    EXPECT_EQ(header.name.size(), longName.size()) << "the name comes whole; cutting it is the caller's rule";
}

TEST(BinFileName, NormalisesAddressFieldsOnLeaving) {
    EXPECT_EQ(checkAddressField("1F"), "001F");
    EXPECT_EQ(checkAddressField(""), "0000");
    EXPECT_EQ(checkAddressField("7"), "0007");
    EXPECT_FALSE(checkAddressField("1 2"));
    EXPECT_FALSE(checkAddressField("1G"));
    EXPECT_FALSE(checkAddressField("a000"));
}

TEST(BinFileName, NormalisesTheProgramNameAndSaysWhatChanged) {
    const std::string cut = "\r\nProgrammname zu lang, wurde auf 16 Zeichen gekürzt.\r\n";
    const std::string replaced = "Programmname enthielt 'Unterstrich', wurde durch 'Bindestrich' ersetzt.";
    struct Case {
        const char* name;
        const char* normalised;
        std::string changes;
    };
    const Case cases[] = {
        {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOP", cut},
        {"A_B", "A-B", "\r\n" + replaced},
        {"ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP", ""},
        {"A_CDEFGHIJKLMNOPQ_", "A-CDEFGHIJKLMNOP", cut + replaced},   // only the cut part is searched
        {"", "", ""},
        {"____", "----", "\r\n" + replaced},
    };
    for (const Case& c : cases) {
        std::string name = c.name;
        EXPECT_EQ(normaliseProgramName(name), c.changes) << c.name;
        EXPECT_EQ(name, c.normalised);
    }
}

// A tape name may hold any byte: every name proposed from one is safe the
// same way, BIN and WAV alike, and none starts with a dot (a hidden file).
TEST(BinFileName, NamesFromTapeAreSafe) {
    struct Case {
        const char* name;
        const char* bin;
        const char* wav;
    };
    const Case cases[] = {
        {"C\x01" "D\x1B" "E\x7F", "C-D-E-_1000_112B_1000.BIN", "C-D-E-.wav"},   // control characters
        {".", "-_1000_112B_1000.BIN", "-.wav"},                                  // a hidden file
        {"..", "--_1000_112B_1000.BIN", "--.wav"},                               // the folder above
        {"../../x", "---..-x_1000_112B_1000.BIN", "---..-x.wav"},                // a way out of the folder
        {"   ", "_1000_112B_1000.BIN", "proggi.wav"},                            // nothing but blanks
    };
    for (const Case& c : cases) {
        EXPECT_EQ(proposeBinFileName(TapeHeader{c.name, 0x1000, 0x112B, 0x1000}), c.bin) << c.name;
        EXPECT_EQ(wavNameFor(c.name), c.wav) << c.name;
    }
    EXPECT_EQ(proposeWavFileName("._1000_112B_1000.BIN"), "-.wav");
    EXPECT_EQ(proposeWavFileName("_1000_112B_1000.BIN"), "proggi.wav");
}

TEST(BinFileName, ProposesSafeNames) {
    EXPECT_EQ(proposeBinFileName(TapeHeader{"A:B             ", 0x0100, 0x01FF, 0x0100}), "A-B_0100_01FF_0100.BIN");
    EXPECT_EQ(proposeBinFileName(TapeHeader{"x/\\<>|?*\" \t", 0, 0xFFFF, 0}), "x--------_0000_FFFF_0000.BIN");
    EXPECT_EQ(proposeBinFileName(TapeHeader{"", 0, 0, 0}), "_0000_0000_0000.BIN");
    EXPECT_EQ(proposeWavFileName("C:\\x\\PROG_1000_1FFF_1000.BIN"), "PROG.wav");
    EXPECT_EQ(proposeWavFileName("C:\\x\\ABCDEFGHIJKLMNOPQRS_1000_1FFF_1000.BIN"), "ABCDEFGHIJKLMNOP.wav");
    EXPECT_EQ(proposeWavFileName("C:\\x\\PROG.BIN"), "proggi.wav");
    std::string text = "a/b";
    sanitiseFileName(text);
    EXPECT_EQ(text, "a-b");
}
