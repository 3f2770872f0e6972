#include <gtest/gtest.h>

#include "viewer/KalovCommandLine.h"
#include "viewer/SourceDecoder.h"

TEST(KalovCommandLine, TakesTheFirstArgument) {
    struct Case {
        const char* commandLine;
        std::optional<std::string> argument;
    } cases[] = {
        {"kalov.exe PROG.ASM", "PROG.ASM"},
        {"kalov.exe\tPROG.ASM\tOTHER.BIN", "PROG.ASM"},
        {"  kalov.exe   PROG.ASM  ", "PROG.ASM"},
        {"\"C:\\Program Files\\kalov.exe\" \"C:\\Mein Ordner\\PROG.ASM\"", "C:\\Mein Ordner\\PROG.ASM"},
        {"kalov.exe C:\\\"Mein Ordner\"\\PROG.ASM rest", "C:\\Mein Ordner\\PROG.ASM"},
        {"kalov.exe \"a\"\"b\"", "ab"},
        {"kalov.exe", std::nullopt},
        {"kalov.exe   \t ", std::nullopt},
        {"", std::nullopt},
        {"kalov.exe \"\"", std::nullopt},
        {"kalov.exe \"\" PROG.ASM", std::nullopt},
        {"kalov.exe \"PROG.ASM", std::nullopt},
        {"kalov.exe PROG.ASM \"", std::nullopt},
        {"\"kalov.exe PROG.ASM", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(firstArgument(c.commandLine), c.argument) << c.commandLine;
}

TEST(KalovCommandLine, ShowsTheFilePartButOpensThePathGiven) {
    struct Case {
        const char* given;
        const char* name;
    } cases[] = {
        {"PROG.ASM", "PROG.ASM"},
        {"C:\\BV7\\Quellen\\PROG.ASM", "PROG.ASM"},
        {"..\\PROG.BIN", "PROG.BIN"},
        {"quellen/PROG.BIN", "PROG.BIN"},
        {"C:\\BV7\\", ""},
    };
    for (const Case& c : cases) {
        KalovFile file = kalovFile(c.given);
        EXPECT_EQ(file.path, c.given);
        EXPECT_EQ(file.name, c.name);
    }
    EXPECT_EQ(noKalovFile().name, "(keine Datei geladen)");
    EXPECT_EQ(noKalovFile().path, noFileLoaded);
}

TEST(KalovCommandLine, AnchorsTheFileAtTheWorkingDirectoryOfTheStart) {
    struct Case {
        const char* given;
        const char* workingDirectory;
        const char* path;
    } cases[] = {
        {"PROG.ASM", "C:\\BV7", "C:\\BV7\\PROG.ASM"},
        {"PROG.ASM", "C:\\", "C:\\PROG.ASM"},
        {"Quellen\\PROG.ASM", "C:\\BV7", "C:\\BV7\\Quellen\\PROG.ASM"},
        {"..\\PROG.ASM", "C:\\BV7", "C:\\BV7\\..\\PROG.ASM"},
        {"D:\\Ablage\\PROG.ASM", "C:\\BV7", "D:\\Ablage\\PROG.ASM"},
        {"\\\\server\\share\\PROG.ASM", "C:\\BV7", "\\\\server\\share\\PROG.ASM"},
        {"\\Ablage\\PROG.ASM", "D:\\BV7", "D:\\Ablage\\PROG.ASM"},
        {"c:PROG.ASM", "C:\\BV7", "C:\\BV7\\PROG.ASM"},
        {"E:PROG.ASM", "C:\\BV7", "E:\\PROG.ASM"},
        {"PROG.ASM", "/home/bv7", "/home/bv7/PROG.ASM"},
        {"/tmp/PROG.ASM", "/home/bv7", "/tmp/PROG.ASM"},
        {"PROG.ASM", "", "PROG.ASM"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(anchoredKalovFile(kalovFile(c.given), c.workingDirectory).path, c.path)
            << c.given << " in " << c.workingDirectory;
    }
    EXPECT_EQ(anchoredKalovFile(kalovFile("Quellen\\PROG.ASM"), "C:\\BV7").name, "PROG.ASM") << "still shown alone";
    EXPECT_EQ(anchoredKalovFile(noKalovFile(), "C:\\BV7").path, noFileLoaded);
}
