// Recording from the BV7 on the page: the sound input's samples in, a tenth
// of a second at a time, read while they come by the reader of bv7 record
// (LiveReader.h), which also says when the program is in. At the end the
// record kept as bv7 record keeps it, reported as bv7 record reports it, the
// BIN of a program read whole, and the recording as the WAV file bv7 record
// writes. One reading at a time; its state lives here, so that only plain
// values cross.
#include <emscripten/bind.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <sstream>

#include "cli/RecordSaving.h"
#include "cli/Terminal.h"
#include "cli/TextConversion.h"
#include "shell/StringTable.h"
#include "sound/SoundRules.h"
#include "tape/AudioFormat.h"
#include "tape/LiveReader.h"
#include "tape/WavFile.h"
#include "web/Values.h"

using emscripten::val;

namespace {
// The readers take 22050 or 44100 samples per second; any other rate of the
// input is brought to 44100 as the WAV reader brings a file's (WavFile.h):
// linear interpolation between the 8-bit samples, as they come.
class RateConverter {
  public:
    explicit RateConverter(std::uint32_t rate) : from_(rate), to_(rate == 22050 || rate == 44100 ? rate : 44100) {}
    std::uint32_t rate() const { return to_; }
    // The next input samples in; the output samples they complete out, into `out`.
    // At the end (`last`) the final input sample needs no successor.
    void convert(const std::vector<std::uint8_t>& in, bool last, std::vector<std::uint8_t>& out) {
        if (from_ == to_) {
            out = in;
            return;
        }
        held_.insert(held_.end(), in.begin(), in.end());
        out.clear();
        const std::uint64_t received = base_ + held_.size();
        for (;; ++next_) {
            const std::uint64_t position = next_ * from_;
            const std::uint64_t frame = position / to_;
            if (frame + (last ? 0 : 1) >= received) break;
            const std::int64_t fraction = static_cast<std::int64_t>(position % to_);
            const int first = held_[frame - base_];
            const int second = frame + 1 < received ? held_[frame + 1 - base_] : first;
            out.push_back(static_cast<std::uint8_t>(first + ((second - first) * fraction + to_ / 2) / to_));
        }
        // Kept: the samples the next output still needs.
        const std::uint64_t needed = std::min<std::uint64_t>(next_ * from_ / to_, received);
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(needed - base_));
        base_ = needed;
    }

  private:
    std::uint32_t from_, to_;
    std::vector<std::uint8_t> held_;   // the input from base_ on
    std::uint64_t base_ = 0, next_ = 0;
};

struct Reading {
    explicit Reading(std::uint32_t inputRate)
        : converter(inputRate), rate(converter.rate()),
          reader(rate, decoderSettingsAt(rate, DecoderSettings{}.triggerLevel)) {}
    RateConverter converter;
    std::uint32_t rate;                    // the readers'
    LiveReader reader;
    std::vector<std::uint8_t> recording;   // every sample the readers took, for the WAV file
    std::size_t updatedAt = 0;             // the sample count at the readers' last update
    bool stop = false;
};
std::unique_ptr<Reading> reading;

// The input's float samples as 8-bit: the top byte of the 16-bit sample, as
// the sound server hands bv7 record its capture of a 16-bit source; clipped,
// so that an overshoot never wraps to the other extreme.
std::uint8_t eightBit(float value) {
    long level = std::lrint(std::clamp(value, -1.0f, 1.0f) * 32768.0f);
    auto sample = static_cast<std::uint16_t>(std::clamp(level, -32768L, 32767L));
    return static_cast<std::uint8_t>((sample >> 8) ^ 0x80);
}

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
    std::transform(input.begin(), input.end(), eight.begin(), eightBit);
    reading->converter.convert(eight, false, samples);
    take(*reading, samples);
    LiveReader& reader = reading->reader;
    if (reader.total() >= reading->updatedAt + reading->rate / 2) {
        reading->updatedAt = reader.total();
        reader.update();
        // bv7 record's end: the record is read and the sound behind it has ended.
        reading->stop = reader.soundEnded();
    }
    result.set("level", captureLevel(eight.data(), eight.size()));
    result.set("seconds", static_cast<double>(reader.total()) / reading->rate);
    result.set("status", cli::cp1252ToUtf8(liveStatusText(reader.state())));
    result.set("phase", std::string(phaseName(reader.state().phase)));
    result.set("stop", reading->stop);
    return result;
}

// The lines bv7 record prints for the record kept: what was read, its
// addresses, notes and faulty blocks; or the reader's message.
val reportLines(const DecodedRecord& record, std::uint32_t rate) {
    std::ostringstream out;
    cli::CommandIo io{out, out};
    if (record.status != DecodeStatus::Ok) {
        cli::reportUnread(record, "", rate, out);
    } else {
        cli::printRecord(record, io);
        if (record.faulty > 0) out << "Nichts geschrieben.\n";
    }
    return web::linesOfText(out.str());
}

// The reading ended (stopped by itself or by the user): the records given up
// before the one kept ("warnings", each with its findings), the one kept
// ("lines", "findings"), its BIN ("binName", "image") where it was read to its
// end without a faulty block, and the recording as bv7 record writes it ("wav":
// 8-bit mono at the readers' rate, what they read).
val liveEnd() {
    val result = val::object();
    if (!reading) return result;
    Reading& done = *reading;
    std::vector<std::uint8_t> rest;
    done.converter.convert({}, true, rest);
    take(done, rest);
    std::vector<DecodedRecord> records = done.reader.endRecording();
    const std::vector<std::vector<Finding>>& findings = done.reader.findings();
    const std::size_t kept = keptRecord(records);
    val warnings = val::array();
    for (std::size_t i = 0; i < kept; ++i) {
        warnings.call<void>("push", "Warnung: Aufnahme bei " +
                                        cli::minutesText(std::uint64_t{records[i].syncPosition} * 1000 / done.rate) +
                                        " nicht lesbar (" + loadString(decodeStatusMessage(records[i].status)) +
                                        "), die Suche ging dahinter weiter.");
        if (i < findings.size())
            for (const Finding& finding : findings[i]) warnings.call<void>("push", findingLine(finding));
    }
    const DecodedRecord& record = records[kept];
    result.set("warnings", warnings);
    result.set("lines", reportLines(record, done.rate));
    result.set("findings", web::linesOf(kept < findings.size() ? findings[kept] : std::vector<Finding>{}));
    if (record.status == DecodeStatus::Ok && record.faulty == 0) {
        result.set("binName", cli::binNameFor(record.header));
        result.set("image", web::arrayOf(record.image));
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
