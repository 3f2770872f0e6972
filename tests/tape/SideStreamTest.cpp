#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "support/RandomImage.h"
#include "support/RecordSignal.h"
#include "tape/AudioFormat.h"
#include "tape/SideStream.h"
#include "tape/WavFile.h"

namespace {
using Samples = std::vector<std::uint8_t>;

// Everything of a reading a front end shows, as text to compare.
std::string described(const SideReading& side) {
    std::ostringstream out;
    out << side.error << " " << side.rate << " " << side.samples << " " << side.diagnosed << "\n";
    auto findings = [&out](const std::vector<Finding>& list) {
        for (const Finding& finding : list)
            out << "  " << static_cast<int>(finding.kind) << " " << finding.figure << " "
                << (finding.where ? static_cast<long long>(*finding.where) : -1) << " " << finding.length << " "
                << finding.text << "\n";
    };
    for (const ReadRecord& record : side.records) {
        const DecodedRecord& r = record.reading;
        out << static_cast<int>(r.status) << " " << r.header.name << " " << r.header.aa << " " << r.header.ea << " "
            << r.blocks << " " << r.faulty << " " << r.syncPosition << " " << r.endPosition << " " << r.filtered << " "
            << r.image.size() << " " << (r.image == Samples() ? 0 : r.image.back()) << " " << record.start << " "
            << record.figures.peakPercent << " " << record.figures.signalToNoise << " " << record.origin << " "
            << record.message << " " << record.program << "\n";
        for (const BlockSpan& span : r.blockSpans) out << span.begin << "-" << span.end << " ";
        out << "\n";
        findings(record.findings);
    }
    findings(side.whole);
    for (const OfferedProgram& program : side.programs) out << program.binName << " " << program.offered << "\n";
    for (const ReadingMessage& message : side.messages)
        out << message.text << " " << (message.at ? static_cast<long long>(*message.at) : -1) << "\n";
    return out.str();
}

// Hiss of `seconds` at 44100 around the centre line.
void addHiss(Samples& samples, double seconds, std::mt19937& random) {
    std::normal_distribution<double> hiss(0, 4);
    for (int i = 0; i < static_cast<int>(seconds * 44100); ++i)
        samples.push_back(static_cast<std::uint8_t>(std::clamp(128.0 + hiss(random), 0.0, 255.0)));
}

// `mono` at 44100 in the right channel of a stereo recording at 48000 frames
// per second, the left one hiss alone: taken apart and resampled as bv7
// reads a file.
Samples stereoAt48k(const Samples& mono) {
    std::mt19937 random(9);
    Samples stereo;
    const std::uint64_t frames = (mono.size() - 1) * 48000 / 44100 + 1;
    for (std::uint64_t frame = 0; frame < frames; ++frame) {
        stereo.push_back(static_cast<std::uint8_t>(128 + random() % 5 - 2));
        stereo.push_back(mono[frame * 44100 / 48000]);
    }
    return stereo;
}

// A side of four records between hiss, one of them faulty, the last cut short.
Samples stereoSide() {
    const TapeHeader prog{"PROG", 0x1000, 0, 0x1000};
    const auto image = randomImage(700, 5);
    std::mt19937 random(9);
    Samples mono;
    addHiss(mono, 1.5, random);
    for (const Samples& record : {recordSignal(image, prog), recordSignal(randomImage(300, 6), {"ZWEI", 0x2000, 0, 0}),
                                  recordSignal(image, prog, 2), recordSignal(image, prog, 0, 0.7)}) {
        mono.insert(mono.end(), record.begin(), record.end());
        addHiss(mono, 1.2, random);
    }
    return stereoAt48k(mono);
}

SideReading readWhole(const Samples& frames, std::size_t channels, std::uint32_t rate, const ReadingOptions& options) {
    AudioFormat format;
    format.channels = static_cast<std::uint16_t>(channels);
    format.samplesPerSecond = rate;
    format.blockAlign = format.channels;
    format.bytesPerSecond = rate * format.channels;
    std::vector<std::uint8_t> wav = makeWavFileBytes(format, frames.data(), static_cast<std::uint32_t>(frames.size()));
    return readSideFile(std::move(wav), options, "seite.wav");
}
}

// A recording far longer than what the session holds of it at once (a few
// records' worth here, the longest record's in bv7) reads as the whole of it
// in memory: the same records, figures, findings, names and messages.
TEST(SideStream, ReadsALongRecordingAsTheWholeOfIt) {
    const Samples frames = stereoSide();
    ReadingOptions list;
    list.everyRecord = true;
    list.measure = true;
    list.findings = FindingsWanted::OfEveryRecord;
    ReadingOptions wav2bin;
    wav2bin.findings = FindingsWanted::OfRecordsNotReadWhole;
    for (ReadingOptions options : {list, wav2bin}) {
        const SideReading whole = readWhole(frames, 2, 48000, options);
        ASSERT_GE(whole.records.size(), options.everyRecord ? 4u : 1u);
        options.heldAhead = 150000;
        MemorySoundSource source(frames.data(), frames.size() / 2, 2, 48000, 5000);
        EXPECT_EQ(described(readSideStream(source, options, "seite.wav")), described(whole));
    }
}

// Where the chunks a source gives end does not matter: a record split
// across their borders at any place reads the same.
TEST(SideStream, ChunkBordersDoNotShowInTheReading) {
    const Samples frames = stereoAt48k(recordSignal(randomImage(500, 7), {"TEIL", 0x3000, 0, 0x3000}));
    ReadingOptions options;
    options.findings = FindingsWanted::OfRecordsNotReadWhole;
    const SideReading whole = readWhole(frames, 2, 48000, options);
    ASSERT_TRUE(whole.records.front().whole);
    for (std::size_t framesAtOnce : {1, 777, 4096}) {
        SCOPED_TRACE(framesAtOnce);
        MemorySoundSource source(frames.data(), frames.size() / 2, 2, 48000, framesAtOnce);
        EXPECT_EQ(described(readSideStream(source, options, "seite.wav")), described(whole));
    }
}
