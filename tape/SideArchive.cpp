#include "tape/SideArchive.h"

#include <algorithm>

#include "shell/Cp1252Text.h"
#include "shell/Crc16.h"
#include "shell/FileIo.h"
#include "shell/HexText.h"
#include "shell/Sha256.h"
#include "tape/CopyMerge.h"
#include "tape/FlacMaster.h"
#include "tape/ReaderFallback.h"
#include "tape/ReadingReport.h"
#include "tape/TapeListing.h"

namespace {
bool sameProgram(const TapeHeader& header, const std::vector<std::uint8_t>& image, const ArchiveProgram& program) {
    return header.name == program.header.name && header.aa == program.header.aa && header.ea == program.header.ea &&
           header.sa == program.header.sa && image == program.image;
}

bool sameReading(const DecodedRecord& a, const DecodedRecord& b) {
    return a.header.name == b.header.name && a.header.aa == b.header.aa && a.header.ea == b.header.ea &&
           a.header.sa == b.header.sa && a.image == b.image;
}

double secondsAt(std::size_t sample, std::uint32_t rate) { return rate ? static_cast<double>(sample) / rate : 0; }
}

std::string sideTime(double seconds) {
    const long tenths = static_cast<long>(seconds * 10 + 0.5);
    std::string text = std::to_string(tenths / 600) + ":";
    if (tenths % 600 < 100) text += "0";
    return text + std::to_string(tenths % 600 / 10) + "." + std::to_string(tenths % 10);
}

namespace {

ArchiveStatus statusOf(const OfferedProgram& program, const SideReading& merged) {
    const DecodedRecord& record = program.record;
    if (!readWhole(record)) return ArchiveStatus::Faulty;
    if (record.nameUnsure || record.startUnsure) return ArchiveStatus::Unsure;
    int agreeing = 0;
    for (std::size_t copy : program.copies) {
        const ReadRecord& read = merged.records[copy];
        if (read.whole && !read.reading.nameUnsure && !read.reading.startUnsure && sameReading(read.reading, record))
            ++agreeing;
    }
    return agreeing >= 2 ? ArchiveStatus::Verified : ArchiveStatus::Whole;
}

// The findings and messages of a recording's reading, as lines.
std::vector<std::string> findingsOf(const SideReading& side) {
    std::vector<std::string> lines;
    for (const ReadingMessage& message : side.messages) lines.push_back(messageLine(message));
    for (const ReadRecord& record : side.records)
        if (record.findingsShown)
            for (const std::string& line : findingLines(record.findings, ""))
                lines.push_back(line + " (" + record.origin + ")");
    for (const std::string& line : findingLines(side.whole, "")) lines.push_back(line);
    return lines;
}
}

bool SideArchive::complete() const {
    return gaps.empty() && std::all_of(programs.begin(), programs.end(),
                                       [](const ArchiveProgram& program) { return !program.file.empty(); });
}

const char* statusKey(ArchiveStatus status) {
    switch (status) {
    case ArchiveStatus::Verified: return "verified";
    case ArchiveStatus::Whole: return "whole";
    case ArchiveStatus::Faulty: return "faulty";
    default: return "unsure";
    }
}

const char* statusText(ArchiveStatus status) {
    switch (status) {
    case ArchiveStatus::Verified: return "bestätigt";
    case ArchiveStatus::Whole: return "ganz, nicht bestätigt";
    case ArchiveStatus::Faulty: return "fehlerhaft";
    default: return "unsicher (Name oder Adressen)";
    }
}

ReadingOptions archiveReadingOptions(ReadingOptions base) {
    base.everyRecord = true;
    base.keepBestBlocks = true;
    base.offerFaulty = true;
    base.findings = FindingsWanted::OfRecordsNotReadWhole;
    base.originNamesFile = false;
    return base;
}

ArchiveMaster makeMaster(ByteView file, const std::string& source) {
    ArchiveMaster master;
    PcmView pcm;
    if (pcmOfWav(file, pcm)) {
        master.bytes = encodeFlac(pcm);
        master.extension = ".flac";
        master.seconds = static_cast<double>(pcm.frames()) / pcm.rate;
    } else {
        master.bytes.assign(file.data, file.data + file.size);
        const std::string name(fileNamePart(source));
        const std::size_t dot = name.rfind('.');
        master.extension = dot == std::string::npos || dot == 0 ? "" : name.substr(dot);
    }
    master.sha256 = sha256Hex(ByteView(master.bytes));
    return master;
}

std::string masterName(const std::string& source, const std::string& extension, const std::vector<std::string>& used) {
    const std::string base = replaceExtension(fileNamePart(source), extension);
    std::string name = base.empty() || base == extension ? "aufnahme" + extension : base;
    const std::string first = name;
    for (int number = 2; std::find(used.begin(), used.end(), name) != used.end(); ++number)
        name = numberedBinName(first, number);
    return name;
}

SideArchive buildArchive(const std::vector<SideReading>& sides, const std::vector<ArchiveRecording>& recordings,
                         const SideArchive& before) {
    SideArchive archive;
    archive.recordings = recordings;
    const SideReading merged = mergeSides(sides, true);
    // Which recording each record of the merge (read to its end) came from.
    std::vector<int> recordingOf;
    std::vector<std::uint32_t> rateOf;
    for (std::size_t s = 0; s < sides.size(); ++s) {
        if (s < archive.recordings.size()) {
            std::vector<std::string>& findings = archive.recordings[s].findings;
            if (findings.empty()) findings = findingsOf(sides[s]);
        }
        for (const ReadRecord& record : sides[s].records) {
            if (record.reading.status == DecodeStatus::Ok) {
                recordingOf.push_back(static_cast<int>(s));
                rateOf.push_back(sides[s].rate);
            } else if (foundRecord(record.reading) && record.message >= 0) {
                archive.gaps.push_back(ArchiveGap{static_cast<int>(s), secondsAt(record.start, sides[s].rate),
                                                  messageLine(sides[s].messages[static_cast<std::size_t>(record.message)])});
            }
        }
    }
    std::vector<std::string> usedNames;
    for (const ArchiveProgram& program : before.programs)
        if (!program.file.empty()) usedNames.push_back(program.file);
    std::vector<bool> beforeMatched(before.programs.size(), false);
    for (const OfferedProgram& offered : merged.programs) {
        ArchiveProgram program;
        program.header = offered.record.header;
        // The name as the BIN name and the index give it: without the blanks that fill it on tape.
        std::string& name = program.header.name;
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\0')) name.pop_back();
        program.image = offered.record.image;
        program.blocks = offered.record.blocks;
        program.crc = crc16Sdlc(program.image.data(), program.image.size());
        program.status = statusOf(offered, merged);
        for (std::size_t copy : offered.copies) {
            const ReadRecord& read = merged.records[copy];
            program.readings.push_back(ArchiveReading{recordingOf[copy], secondsAt(read.start, rateOf[copy]),
                                                      read.reading.blocks - read.reading.faulty, read.reading.blocks});
        }
        for (int block = 1; block <= program.blocks; ++block) {
            int source = recordingOf[offered.copies.front()];
            if (static_cast<std::size_t>(block) <= offered.blockSources.size()) {
                const int copy = offered.blockSources[static_cast<std::size_t>(block - 1)];
                source = copy >= 1 ? recordingOf[offered.copies[static_cast<std::size_t>(copy - 1)]]
                         : copy == combinedCopies ? blockCombined : blockFromNone;
            } else if (std::find(offered.record.faultyBlocks.begin(), offered.record.faultyBlocks.end(), block) !=
                       offered.record.faultyBlocks.end()) {
                source = blockFromNone;
            }
            program.blockSources.push_back(source);
        }
        if (program.status != ArchiveStatus::Faulty) {
            for (std::size_t i = 0; i < before.programs.size() && program.file.empty(); ++i)
                if (!before.programs[i].file.empty() && sameProgram(program.header, program.image, before.programs[i])) {
                    program.file = before.programs[i].file;
                    beforeMatched[i] = true;
                }
            if (program.file.empty()) {
                // Numbered as wav2bin --all numbers them, past every name the archive gave.
                const std::string base = binNameFor(program.header);
                program.file = base;
                for (int number = 2; std::find(usedNames.begin(), usedNames.end(), program.file) != usedNames.end();
                     ++number)
                    program.file = numberedBinName(base, number);
                usedNames.push_back(program.file);
                program.fileIsNew = true;
            }
            program.sha256 = sha256Hex(ByteView(program.image));
        }
        archive.programs.push_back(std::move(program));
    }
    // What was saved before and is not read again stays as it was.
    for (std::size_t i = 0; i < before.programs.size(); ++i)
        if (!beforeMatched[i] && !before.programs[i].file.empty()) {
            archive.programs.push_back(before.programs[i]);
            archive.programs.back().keptAsBefore = true;
            archive.programs.back().fileIsNew = false;
        }
    return archive;
}

std::vector<std::string> recordAgainLines(const SideArchive& archive, NameText nameText) {
    std::vector<std::string> lines;
    auto place = [&archive](int recording, double at) {
        const std::string source = recording >= 0 && static_cast<std::size_t>(recording) < archive.recordings.size()
                                       ? archive.recordings[static_cast<std::size_t>(recording)].source
                                       : "?";
        return source + " bei " + sideTime(at);
    };
    for (const ArchiveProgram& program : archive.programs) {
        if (program.status == ArchiveStatus::Verified) continue;
        // Programs of one name told apart by their files, or by their addresses.
        const std::string what = !program.file.empty() ? nameText(program.file)
                                 : nameText(shownName(program.header.name)) + " " + formatHex4(program.header.aa) +
                                       " " + formatHex4(program.header.ea) + " " + formatHex4(program.header.sa);
        std::string line = what + " (" + statusText(program.status) + "): ";
        for (std::size_t i = 0; i < program.readings.size(); ++i)
            line += (i ? ", " : "") + place(program.readings[i].recording, program.readings[i].at);
        if (program.readings.empty()) line += "Stelle nicht bekannt";
        lines.push_back(line);
    }
    for (const ArchiveGap& gap : archive.gaps)
        lines.push_back("nicht gelesen: " + place(gap.recording, gap.at) + ": " + gap.line);
    return lines;
}

std::vector<std::string> archiveSummaryLines(const SideArchive& archive, const std::string& folder, NameText nameText) {
    std::vector<std::string> lines;
    int counts[4] = {};
    for (const ArchiveProgram& program : archive.programs) {
        ++counts[static_cast<int>(program.status)];
        lines.push_back(nameText(shownName(program.header.name)) + "  " + formatHex4(program.header.aa) + " " +
                        formatHex4(program.header.ea) + " " + formatHex4(program.header.sa) + "  " +
                        statusText(program.status) + "  " +
                        (program.file.empty() ? std::string("nicht gespeichert") : nameText(program.file)));
    }
    const std::size_t programs = archive.programs.size(), recordings = archive.recordings.size();
    lines.push_back("");
    lines.push_back(std::to_string(programs) + (programs == 1 ? " Programm: " : " Programme: ") +
                    std::to_string(counts[0]) + " bestätigt, " + std::to_string(counts[1]) + " ganz, " +
                    std::to_string(counts[3]) + " unsicher, " + std::to_string(counts[2]) + " fehlerhaft; " +
                    std::to_string(recordings) + (recordings == 1 ? " Aufnahme" : " Aufnahmen") + " im Archiv " +
                    folder);
    const std::vector<std::string> again = recordAgainLines(archive, nameText);
    if (!again.empty())
        lines.push_back("Noch nicht bestätigt, diese Stellen der Seite noch einmal aufnehmen und hinzufügen:");
    for (const std::string& line : again) lines.push_back("  " + line);
    return lines;
}

std::string archiveChecksums(const SideArchive& archive) {
    std::string text;
    for (const ArchiveRecording& recording : archive.recordings) text += recording.sha256 + "  " + recording.file + "\n";
    for (const ArchiveProgram& program : archive.programs)
        if (!program.file.empty()) text += program.sha256 + "  " + cp1252ToUtf8(program.file) + "\n";
    return text;
}
