#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include <unistd.h>

#include "support/RecordingInterface.h"
#include "viewer/KaloSample.h"
#include "viewer/SourceDecoder.h"

using namespace std::literals;

namespace {
using Bytes = std::vector<std::uint8_t>;

DecodeStop decode(const Bytes& file, SourceListing& listing, bool umlaut = false) {
    // A copy of exactly the file's size, so a read past it is a read past the block.
    std::vector<std::uint8_t> exact(file.begin(), file.end());
    exact.shrink_to_fit();
    return decodeSourceData(exact.data(), exact.size(), umlaut, listing);
}
}

TEST(SourceDecoder, WritesLineNumbersDigitByDigitWithoutCheckingNibbles) {
    struct Case {
        std::uint8_t tensUnits, thousandsHundreds;
        const char* expected;
    } cases[] = {
        {0x10, 0x00, "0010 "}, {0x99, 0x12, "1299 "}, {0x00, 0x00, "0000 "},
        {0xAB, 0xCF, "<?:; "}, {0xFF, 0x0A, "0:?? "}, {0x30, 0x5B, "5;30 "},
    };
    for (const Case& c : cases) {
        for (bool umlaut : {false, true}) {
            SourceListing listing;
            // 0xFF as a line-number byte is a number, not the end of the text.
            EXPECT_EQ(decode(KaloSample().rawLine(c.tensUnits, c.thousandsHundreds, "").finish(), listing, umlaut),
                      DecodeStop::EndBound);
            ASSERT_EQ(listing.size(), 1u);
            EXPECT_EQ(listing[0], c.expected) << "umlaut mode " << umlaut << " never touches line numbers";
        }
    }
}

TEST(SourceDecoder, ExpandsTextBytes) {
    struct Case {
        std::string_view text;
        bool umlaut;
        std::string expected;
    } cases[] = {
        {"\x05", false, "0001      "},
        {"\x1F", false, "0001 " + std::string(31, ' ')},
        {"A\x01" "B\x02" "C", false, "0001 A B  C"},
        {"", false, "0001 "},
        {"[\\]{|}~0", true, "0001 \xC4\xD6\xDC\xE4\xF6\xFC\xDF\xD8"},
        {"[\\]{|}~0", false, "0001 [\\]{|}~0"},
        {"LD A,10H ;Z\xE4hler", true, "0001 LD A,1\xD8H ;Z\xE4hler"},
        {"\x7F\x80\xC4\xFE", true, "0001 \x7F\x80\xC4\xFE"},
        {" !/19:@AZ^_`az", true, "0001  !/19:@AZ^_`az"},
    };
    for (const Case& c : cases) {
        SourceListing listing;
        EXPECT_EQ(decode(KaloSample().line(1, c.text).finish(), listing, c.umlaut), DecodeStop::EndBound);
        ASSERT_EQ(listing.size(), 1u);
        EXPECT_EQ(listing[0], c.expected);
    }
}

TEST(SourceDecoder, MapsOnlyTheTableCodes) {
    const std::uint8_t mapped[][2] = {{0x5B, 0xC4}, {0x5C, 0xD6}, {0x5D, 0xDC}, {0x7B, 0xE4},
                                      {0x7C, 0xF6}, {0x7D, 0xFC}, {0x7E, 0xDF}, {0x30, 0xD8}};
    int changed = 0;
    for (int code = 0; code < 256; ++code) {
        std::uint8_t shown = mapUmlaut(static_cast<std::uint8_t>(code));
        if (shown != code) ++changed;
        for (const auto& pair : mapped) {
            if (pair[0] == code) {
                EXPECT_EQ(shown, pair[1]) << code;
            }
        }
    }
    EXPECT_EQ(changed, 8);
}

TEST(SourceDecoder, StopsByEachRule) {
    auto truncated = [](Bytes file, std::size_t size) {
        file.resize(size);
        return file;
    };
    const Bytes twoLines = KaloSample().line(10, "ORG 1000H").line(20, "END").finish();
    struct Case {
        const char* what;
        Bytes file;
        DecodeStop stop;
        std::vector<std::string> lines;
    } cases[] = {
        {"last line directly before the end marker", twoLines, DecodeStop::EndBound,
         {"0010 ORG 1000H", "0020 END"}},
        {"no lines at all: the empty source", KaloSample().finish(), DecodeStop::EndBound, {}},
        {"no file at all", {}, DecodeStop::NoText, {}},
        {"a header of five bytes only", truncated(twoLines, 5), DecodeStop::NoText, {}},
        {"an end marker inside the header (L = 3)", Bytes{0x03, 0x00, 0xFF, 0x00, 0x00, 0x01, 0x00, 'A', 0x00, 0xFF},
         DecodeStop::NoText, {}},
        {"L = 6 without the end marker at offset 5", Bytes{0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 'A', 0x00},
         DecodeStop::NoText, {}},
        {"bytes behind the end marker are never shown", KaloSample().line(1, "A").finish("\x01\x00X\x00\xFF"sv),
         DecodeStop::EndBound, {"0001 A"}},
        {"0xFF inside a line drops that line", KaloSample().line(1, "A").raw("\x02\x00" "B\xFF"sv).finish(),
         DecodeStop::EndMarker, {"0001 A"}},
        {"marker within the data, no 0x00 before it", KaloSample().raw("\x01\x00" "AB"sv).finish(),
         DecodeStop::EndMarker, {}},
        {"data end inside a line keeps the partial line", truncated(twoLines, twoLines.size() - 3),
         DecodeStop::DataEndInText, {"0010 ORG 1000H", "0020 EN"}},
        {"data end right after a line number", truncated(twoLines, 5 + 12 + 2), DecodeStop::DataEndInText,
         {"0010 ORG 1000H", "0020 "}},
        {"data end inside a line number", truncated(twoLines, 5 + 12 + 1), DecodeStop::DataEndInNumber,
         {"0010 ORG 1000H"}},
        {"one stray byte before the end marker", KaloSample().line(1, "A").raw("\x07").finish("Z\x00"sv),
         DecodeStop::DataEndInNumber, {"0001 A"}},
        {"data cut after a whole line", truncated(twoLines, 5 + 12), DecodeStop::EndBound, {"0010 ORG 1000H"}},
    };
    for (const Case& c : cases) {
        SourceListing listing{"left over from before"};
        EXPECT_EQ(decode(c.file, listing), c.stop) << c.what;
        EXPECT_EQ(listing, c.lines) << c.what;
    }
}

TEST(SourceDecoder, CapsLinesAt4096Characters) {
    const std::size_t textRoom = maxSourceLineLength - 5;
    struct Case {
        std::string text;
        DecodeStop stop;
    } cases[] = {
        {std::string(textRoom, 'X'), DecodeStop::EndBound},
        {std::string(textRoom + 1, 'X'), DecodeStop::LineTooLong},
        {std::string(textRoom - 31, 'X') + "\x1F", DecodeStop::EndBound},
        {std::string(textRoom - 30, 'X') + "\x1F", DecodeStop::LineTooLong},
        {std::string(textRoom / 31 + 1, '\x1F'), DecodeStop::LineTooLong},
    };
    for (const Case& c : cases) {
        SourceListing listing;
        EXPECT_EQ(decode(KaloSample().line(1, "first").line(2, c.text).line(3, "last").finish(), listing), c.stop);
        if (c.stop == DecodeStop::EndBound) {
            ASSERT_EQ(listing.size(), 3u);
            EXPECT_EQ(listing[1].size(), maxSourceLineLength);
        } else {
            EXPECT_EQ(listing, SourceListing{"0001 first"}) << "lines before the long one stay";
        }
    }
}

TEST(SourceDecoder, AsksBeforeTryingAnImplausibleFile) {
    const Bytes good = KaloSample().line(1, "NOP").finish();
    Bytes lastByteNotMarker = good;
    lastByteNotMarker.back() = 0x00;
    const Bytes noMarker(good.begin(), good.end() - 2);    // "NOP" runs into the data end
    Bytes endBeyondFile = good;
    KaloSample::setEnd(endBeyondFile, good.size() + 1);
    const Bytes empty, oneByte{0x07};
    Bytes zeroEnd = good;
    KaloSample::setEnd(zeroEnd, 0);

    for (const Bytes* file : std::initializer_list<const Bytes*>{&lastByteNotMarker, &noMarker, &endBeyondFile, &empty, &oneByte, &zeroEnd}) {
        EXPECT_FALSE(isPlausibleSource(file->data(), file->size()));
        RecordingInterface seam;
        SourceListing listing{"old"};
        seam.answers = {Answer::No};
        EXPECT_EQ(decodeSourceImage(file->data(), file->size(), true, listing), DecodeResult::Failed);
        EXPECT_TRUE(listing.empty());
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].text, "Vermutlich keine KALO*4-Quelldatei, trotzdem Anzeige-Versuch?");
        EXPECT_EQ(seam.messages[0].caption, "Fehler!");
        EXPECT_EQ(seam.messages[0].style & 0xF, mb::yesNo);
        EXPECT_EQ(seam.messages[0].owner, nullptr);
    }

    RecordingInterface seam;
    SourceListing listing;
    EXPECT_EQ(decodeSourceImage(good.data(), good.size(), false, listing), DecodeResult::Decoded);
    EXPECT_TRUE(seam.messages.empty()) << "a plausible file is shown without a question";
    EXPECT_EQ(listing, SourceListing{"0001 NOP"});

    // Yes: a file too short for any line fails, and so does one without its end marker,
    // after showing up to its partial last line.
    const Bytes headerOnly(good.begin(), good.begin() + 5);
    for (const Bytes* file : {&empty, &oneByte, &headerOnly}) {
        seam.answers = {Answer::Yes};
        EXPECT_EQ(decodeSourceImage(file->data(), file->size(), false, listing), DecodeResult::Failed) << file->size();
        EXPECT_TRUE(listing.empty());
    }
    seam.answers = {Answer::Yes};
    EXPECT_EQ(decodeSourceImage(noMarker.data(), noMarker.size(), false, listing), DecodeResult::Failed);
    EXPECT_EQ(listing, SourceListing{"0001 NOP"});
    seam.answers = {Answer::Yes};
    EXPECT_EQ(decodeSourceImage(endBeyondFile.data(), endBeyondFile.size(), false, listing), DecodeResult::Failed);
    EXPECT_EQ(listing, SourceListing{"0001 NOP"}) << "the end marker still ends the text, but L is wrong";
}

TEST(SourceDecoder, NeverReadsPastAnyPrefixOrGarbage) {
    const Bytes full = KaloSample().line(10, "[A]\x05{0}").line(20, "").line(9999, std::string(40, '\x1F')).finish();
    SourceListing whole;
    ASSERT_EQ(decode(full, whole, true), DecodeStop::EndBound);
    for (std::size_t size = 0; size <= full.size(); ++size) {
        SourceListing listing;
        decode(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size)), listing, true);
        ASSERT_LE(listing.size(), whole.size());
        for (std::size_t i = 0; i < listing.size(); ++i)
            EXPECT_EQ(whole[i].compare(0, listing[i].size(), listing[i]), 0) << "prefix " << size;
    }
    std::mt19937 random(7);
    for (int run = 0; run < 2000; ++run) {
        Bytes garbage(random() % 300);
        for (auto& byte : garbage) byte = static_cast<std::uint8_t>(random());
        if (garbage.size() >= 2 && run % 2) KaloSample::setEnd(garbage, random() % (garbage.size() + 3));
        SourceListing listing;
        decode(garbage, listing, run % 3 == 0);
        for (const std::string& line : listing) EXPECT_LE(line.size(), maxSourceLineLength);
    }
}

TEST(SourceDecoder, ReadsFilesAndReportsOnesThatCannotBeOpened) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("kalo-decoder-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const Bytes sample = KaloSample().line(100, "LD A,0").finish("junk");
    const std::string path = (folder / "PROG.ASM").string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(sample.data()),
                                                static_cast<std::streamsize>(sample.size()));

    RecordingInterface seam;
    SourceListing listing{"old"};
    EXPECT_EQ(decodeSourceFile(path, true, listing), DecodeResult::Decoded);
    EXPECT_EQ(listing, SourceListing{"0100 LD A,\xD8"});
    EXPECT_EQ(decodeSourceFile(path, false, listing), DecodeResult::Decoded);
    EXPECT_EQ(listing, SourceListing{"0100 LD A,0"});

    EXPECT_EQ(decodeSourceFile(std::string(noFileLoaded), true, listing), DecodeResult::NoFile);
    EXPECT_EQ(listing, SourceListing{"0100 LD A,0"}) << "no file: the listing is left alone";
    EXPECT_TRUE(seam.messages.empty());

    for (const std::string& unreadable : {(folder / "MISSING.ASM").string(), folder.string()}) {
        seam.messages.clear();
        EXPECT_EQ(decodeSourceFile(unreadable, true, listing), DecodeResult::NotOpened);
        EXPECT_TRUE(listing.empty());
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].text, "Dateiöffnen schlug fehl");
        EXPECT_EQ(seam.messages[0].caption, "Fehler!");
    }
    fs::remove_all(folder);
}
