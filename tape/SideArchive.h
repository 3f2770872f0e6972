#pragma once
// The archive of a tape side: every recording of it kept as a lossless
// master, every program found saved once, how sure each is and which reading
// gave which block. The decisions are made here, as a value; bv7 and the page
// write its files (index.json, index.html, SHA256SUMS, the BINs and masters).
#include <cstdint>
#include <string>
#include <vector>

#include "tape/SideReading.h"
#include "tape/TapeListing.h"

// "verified": two readings (two recordings, or two copies on one side) each
// gave the program whole and agree byte for byte; "whole": read whole, from
// one reading or merged block by block; "faulty": a block no reading gave
// good; "unsure": name or run address rest on weak bits.
enum class ArchiveStatus { Verified, Whole, Faulty, Unsure };

struct ArchiveRecording {
    std::string file;                   // the master's name in the folder
    std::string source;                 // the recording's file name as it was given
    std::string sha256;                 // of the master
    double seconds = 0;
    std::vector<std::string> findings;  // "Warnung: ...", "Fehler: ..." of its reading
};

struct ArchiveReading {
    int recording = 0;                  // an index into SideArchive::recordings
    double at = 0;                      // where its lead-in begins in that recording, in seconds
    int good = 0, total = 0;            // blocks
};

// Where a block of a program came from, besides a recording's index.
constexpr int blockFromNone = -1;       // no reading gave it good
constexpr int blockCombined = -2;       // the readings' soft values summed

struct ArchiveProgram {
    TapeHeader header;                  // the name as the BV7 holds it (Windows-1252)
    std::string file;                   // its BIN in the folder; "" where none was saved
    std::string sha256;                 // of the BIN ("" without one)
    std::uint16_t crc = 0;              // CRC (SDLC) of the image
    int blocks = 0;
    ArchiveStatus status = ArchiveStatus::Faulty;
    std::vector<ArchiveReading> readings;
    std::vector<int> blockSources;      // per block: a recording, blockFromNone or blockCombined
    std::vector<std::uint8_t> image;    // the image (read back from its BIN with the index)
    bool fileIsNew = false;             // its BIN is to be written now
    bool keptAsBefore = false;          // in the archive before, not read again now: kept as it was
};

// A record found that was not read to its end: a program missing from the archive.
struct ArchiveGap {
    int recording = 0;
    double at = 0;
    std::string line;                   // the reader's message (messageLine)
};

struct SideArchive {
    std::vector<ArchiveRecording> recordings;
    std::vector<ArchiveProgram> programs;
    std::vector<ArchiveGap> gaps;
    // Every program found saved whole, none missing: the exit code 0.
    bool complete() const;
};

// "verified", "whole", "faulty", "unsure" (index.json), and German for people.
const char* statusKey(ArchiveStatus status);
const char* statusText(ArchiveStatus status);

// The reading options of an archive: every record, the best blocks of both
// readers, findings of the records not read whole.
ReadingOptions archiveReadingOptions(ReadingOptions base);

// The master of a recording: the FLAC stream of a WAV file's integer PCM
// (extension ".flac"), else the file as it is, with the extension of
// `source` (floating point, another sound file); its length and digest.
struct ArchiveMaster {
    std::vector<std::uint8_t> bytes;
    std::string extension;
    double seconds = 0;                 // 0 where the file is kept as it is
    std::string sha256;
};
ArchiveMaster makeMaster(ByteView file, const std::string& source);

// The master's name for the recording `source` ("dir/seite.wav" ->
// "seite.flac", or with `extension` as the original keeps it), numbered
// ("seite-2.flac") where one of `used` has it.
std::string masterName(const std::string& source, const std::string& extension, const std::vector<std::string>& used);

// The archive of `sides`, the readings of `recordings` (read with
// archiveReadingOptions, in the same order; their masters named and hashed),
// where `before` is the archive as its index was read back (its recordings
// the first of `recordings`, each saved program's image read from its BIN). A program saved before keeps its file; one
// saved before that no reading gives again is kept as it was; a new program
// never takes a name a file of `before` has.
SideArchive buildArchive(const std::vector<SideReading>& sides, const std::vector<ArchiveRecording>& recordings,
                         const SideArchive& before);

// The lines of what to record again: each program not verified and each
// record not read, with where it lies on the tape ("PROG_1000_12FF_1000.BIN
// (ganz, nicht bestätigt): seite.wav bei 1:23.4", without a file "PROG 1000
// 12FF 1000 (fehlerhaft): ..."); empty where everything is verified.
// Names from tape reach the lines through `nameText`.
std::vector<std::string> recordAgainLines(const SideArchive& archive, NameText nameText);

// What bv7 and the page say of an archive in `folder`: a line per program
// (name, addresses, status, file), the counts, and what to record again.
std::vector<std::string> archiveSummaryLines(const SideArchive& archive, const std::string& folder, NameText nameText);

// "1:23.4" of a time on the side in seconds.
std::string sideTime(double seconds);

// The files of an archive as bytes: index.json, index.html (German,
// readable offline) and SHA256SUMS (sha256sum's format, over every BIN and
// master of the archive).
std::string archiveIndexJson(const SideArchive& archive);
std::string archiveIndexHtml(const SideArchive& archive);
std::string archiveChecksums(const SideArchive& archive);

// index.json read back: false (with `problem` in German) for a text that is
// not such an index.
bool parseArchiveIndex(const std::string& json, SideArchive& archive, std::string& problem);
