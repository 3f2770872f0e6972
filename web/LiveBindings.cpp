// Recording from the BV7 on the page: the sound input's samples in, a tenth
// of a second at a time, read while they come by the reader of bv7 record
// (ReadingSession.h), which also says when the program is in. At the end the
// record kept as bv7 record keeps it, reported as bv7 record reports it, the
// BIN of a program read whole, and the recording as the WAV file bv7 record
// writes. One reading at a time; its state lives here, so that only plain
// values cross.
#include <emscripten/bind.h>

#include <algorithm>
#include <memory>

#include "shell/Cp1252Text.h"
#include "shell/GlobalSettings.h"
#include "sound/SoundRules.h"
#include "tape/AudioFormat.h"
#include "tape/FloatWav.h"
#include "tape/ReadingSession.h"
#include "tape/ReadingReport.h"
#include "tape/Resampling.h"
#include "tape/SideReading.h"
#include "tape/WavFile.h"
#include "web/Values.h"

using emscripten::val;

namespace {
struct Reading {
    explicit Reading(std::uint32_t inputRate)
        : converter(inputRate), rate(converter.rate()),
          reader(rate, liveRules(decoderSettingsAt(rate, globalSettings().triggerLevel))) {}
    RateConverter converter;
    std::uint32_t rate;                    // the readers'
    ReadingSession reader;
    std::vector<std::uint8_t> recording;   // every sample the readers took, for the WAV file
    std::size_t updatedAt = 0;             // the sample count at the readers' last update
    bool stop = false;
};
std::unique_ptr<Reading> reading;

// Samples the readers take, into the recording and the readers.
void take(Reading& reading, const std::vector<std::uint8_t>& samples) {
    reading.recording.insert(reading.recording.end(), samples.begin(), samples.end());
    reading.reader.append(samples.data(), samples.size());
}

const char* phaseName(LivePhase phase) {
    switch (phase) {
    case LivePhase::WaitingForLeadIn: return "waiting";
    case LivePhase::LeadIn: return "leadIn";
    case LivePhase::Loading: return "loading";
    case LivePhase::Done: return "done";
    }
    return "";
}

// A new reading of samples at `rate` (the AudioContext's), replacing any before.
void liveStart(std::uint32_t rate) { reading = std::make_unique<Reading>(rate); }

// The next samples (a Float32Array); the readers look twice a second, as in
// bv7 record, which stops once the program is read and the sound behind it has
// ended. Gives the level of these samples (bv7's meter), the status text and
// whether to stop.
val liveFeed(const val& floats) {
    val result = val::object();
    if (!reading) return result;
    const std::vector<float> input = emscripten::convertJSArrayToNumberVector<float>(floats);
    std::vector<std::uint8_t> eight(input.size()), samples;
    std::transform(input.begin(), input.end(), eight.begin(), [](float value) { return eightBitSample(value); });
    reading->converter.convert(eight, false, samples);
    take(*reading, samples);
    ReadingSession& reader = reading->reader;
    if (reader.total() >= reading->updatedAt + reading->rate / 2) {
        reading->updatedAt = reader.total();
        reader.update();
        // bv7 record's end: the record is read and the sound behind it has ended.
        reading->stop = reader.soundEnded();
    }
    result.set("level", captureLevel(eight.data(), eight.size()));
    result.set("seconds", static_cast<double>(reader.total()) / reading->rate);
    result.set("status", cp1252ToUtf8(liveStatusText(reader.state())));
    result.set("phase", std::string(phaseName(reader.state().phase)));
    result.set("stop", reading->stop);
    return result;
}

// The lines bv7 record prints for the record kept: what was read, its
// addresses, notes and faulty blocks; or the reader's message.
val reportLines(const SideReading& side, const ReadRecord& record) {
    if (record.message >= 0)
        return web::linesOf(std::vector<std::string>{messageLine(side.messages[static_cast<std::size_t>(record.message)])});
    std::vector<std::string> lines = recordLines(record.reading, cp1252ToUtf8);
    if (!record.sure) lines.push_back("Nichts geschrieben.");
    return web::linesOf(lines);
}

// The reading ended (stopped by itself or by the user): the records given up
// before the one kept ("warnings", each with its findings), the one kept
// ("lines", "findings"), its BIN ("binName", "image") where it is offered,
// and the recording as bv7 record writes it ("wav": 8-bit mono at the
// readers' rate, what they read).
val liveEnd() {
    val result = val::object();
    if (!reading) return result;
    Reading& done = *reading;
    std::vector<std::uint8_t> rest;
    done.converter.convert({}, true, rest);
    take(done, rest);
    std::vector<DecodedRecord> records = done.reader.endRecording();
    const SideReading side = liveSide(std::move(records), done.reader.findings(), done.rate, false, false);
    std::vector<std::string> warnings;
    for (const ReadRecord& record : side.givenUp)
        for (const std::string& line : givenUpLines(record, done.rate)) warnings.push_back(line);
    const ReadRecord& record = side.records.front();
    result.set("warnings", web::linesOf(warnings));
    result.set("lines", reportLines(side, record));
    result.set("findings", web::linesOf(findingLines(record.findings)));
    if (record.program >= 0 && side.programs[static_cast<std::size_t>(record.program)].offered) {
        const OfferedProgram& program = side.programs[static_cast<std::size_t>(record.program)];
        result.set("binName", cp1252ToUtf8(program.binName));
        result.set("image", web::arrayOf(program.record.image));
    }
    const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::size_t>(done.recording.size(), maxWavSampleCount));
    result.set("wav", web::arrayOf(makeWavFileBytes(AudioFormat{1, 1, done.rate, done.rate, 1, 8, 0},
                                                   done.recording.data(), count)));
    result.set("seconds", static_cast<double>(done.recording.size()) / done.rate);
    reading.reset();
    return result;
}
}

EMSCRIPTEN_BINDINGS(live) {
    emscripten::function("liveStart", &liveStart);
    emscripten::function("liveFeed", &liveFeed);
    emscripten::function("liveEnd", &liveEnd);
}
