#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "bench/SignalDegrader.h"
#include "support/ChainTools.h"
#include "support/RandomImage.h"
#include "tape/Encoder.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/TapeScan.h"

// Each fault of the recording chain on the encoder's own signal gives its one
// finding with its figure; a clean and a merely worn recording give none.
TEST(RecordingDiagnosis, EachChainFaultGivesItsFindingAndNoFalseAlarm) {
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const auto clean = encodeRecordSamples(image, TapeHeader{"DIAGNOSE", 0x1000, 0, 0x1000});
    const auto clean22 = encodeRecordSamples(image, TapeHeader{"DIAGNOSE", 0x1000, 0, 0x1000}, 7);
    degrade::Faults worn, quiet, loud, fast, slow, hum50, hum60, loudHum, wow, heavyWow;
    worn.noise = 0.5;
    quiet.level = 0.08;
    loud.level = 1.5;   // clamped at 0 and 255
    fast.speed = 0.06;
    slow.speed = -0.12;
    hum50.hum = 0.2;
    hum60.hum = 0.1, hum60.humHz = 60;
    loudHum.hum = 0.4;
    wow.wobble = 0.05, wow.noise = 0.5;
    heavyWow.wobble = 0.08, heavyWow.wobbleHz = 0.5;
    struct Row {
        const char* name;
        std::uint32_t rate;
        degrade::Faults faults;
        int offset;         // added to every sample
        bool invert;
        std::vector<FindingKind> kinds;
        double least, most; // the first finding's figure
        const char* line;   // the first finding's line begins so
    };
    const Row rows[] = {
        {"clean", 44100, {}, 0, false, {}, 0, 0, ""},
        {"clean at 22050", 22050, {}, 0, false, {}, 0, 0, ""},
        {"worn", 44100, worn, 0, false, {}, 0, 0, ""},
        {"quiet", 44100, quiet, 0, false, {FindingKind::LowLevel}, 5, 8, "Warnung: Pegel zu niedrig: Spitze 6,3 %"},
        {"clipped", 44100, loud, 0, false, {FindingKind::Clipping}, 10, 100, "Warnung: Übersteuert: "},
        {"offset", 44100, {}, 16, false, {FindingKind::DcOffset}, 12, 13, "Hinweis: Nullpunkt um 12 % nach oben"},
        {"fast", 44100, fast, 0, false, {FindingKind::Speed}, 5.5, 6.5, "Hinweis: Band läuft 6,1 % zu schnell – liest sich noch"},
        {"slow", 44100, slow, 0, false, {FindingKind::Speed}, -12.5, -11.5, "Warnung: Band läuft 12 % zu langsam – Geschwindigkeit"},
        {"wow", 44100, wow, 0, false, {FindingKind::Flutter}, 4.5, 5.5, "Hinweis: Gleichlauf schwankt um ±5"},
        {"heavy wow", 44100, heavyWow, 0, false, {FindingKind::Flutter}, 7.5, 8.5, "Warnung: Gleichlauf schwankt um ±8"},
        {"hum 50", 44100, hum50, 0, false, {FindingKind::Hum}, 14, 18, "Hinweis: Brumm 50 Hz, 1"},
        {"hum 60", 44100, hum60, 0, false, {FindingKind::Hum}, 19, 24, "Hinweis: Brumm 60 Hz, 2"},
        {"loud hum", 44100, loudHum, 0, false, {FindingKind::Hum}, 5, 12, "Warnung: Brumm 50 Hz, "},
        {"inverted", 44100, {}, 0, true, {FindingKind::Inverted}, 0, 0, "Hinweis: Polarität umgekehrt"},
    };
    for (const Row& row : rows) {
        auto samples = row.faults.level != 1 || row.faults.noise || row.faults.speed || row.faults.hum ||
                               row.faults.wobble
                           ? degrade::degradeSignal(clean, row.faults)
                           : row.rate == 44100 ? clean : clean22;
        for (auto& sample : samples) {
            const int value = row.invert ? 256 - sample : sample + row.offset;
            sample = static_cast<std::uint8_t>(std::clamp(value, 0, 255));
        }
        const auto records = readEveryRecord(ByteView(samples), decoderSettingsAt(row.rate, DecoderSettings{}.triggerLevel), row.rate, ReadingChoice{});
        ASSERT_EQ(records.size(), 1u) << row.name;
        ASSERT_EQ(records[0].status, DecodeStatus::Ok) << row.name;
        const auto findings = diagnoseRecording(ByteView(samples), row.rate, records);
        ASSERT_EQ(findings.size(), 1u);
        std::vector<FindingKind> kinds;
        for (const Finding& finding : findings[0]) kinds.push_back(finding.kind);
        EXPECT_EQ(kinds, row.kinds) << row.name << ": " << (findings[0].empty() ? "" : findingLine(findings[0][0]));
        if (findings[0].empty() || row.kinds.empty()) continue;
        const Finding& first = findings[0][0];
        EXPECT_EQ(findingLine(first).rfind(row.line, 0), 0u) << row.name << ": " << findingLine(first);
        if (row.most != 0) {
            EXPECT_GE(first.figure, row.least) << row.name;
            EXPECT_LE(first.figure, row.most) << row.name;
        }
    }
}

// The band, the rate and the channels of real recording chains (sox, ffmpeg),
// read from their files as bv7 reads them; a clean chain, a deck's roll-off
// and a merely worn tape give none of these findings.
TEST(RecordingDiagnosis, EachToolChainGivesItsBandRateOrChannelFinding) {
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const auto clean = encodeRecordSamples(image, TapeHeader{"DIAGNOSE", 0x1000, 0, 0x1000});
    degrade::Faults wear;
    wear.lowPassHz = 4000, wear.noise = 0.5, wear.wobble = 0.03, wear.drift = 0.2;
    const auto worn = degrade::degradeSignal(clean, wear);
    const std::string decode = " && ffmpeg -v error -i $MID.x $OUT";
    struct Row {
        const char* name;
        bool worn;
        std::string chain;
        std::vector<FindingKind> kinds;
        FindingSeverity severity;
        double least, most;  // the finding's figure
        const char* line;    // its line begins so
    };
    using K = FindingKind;
    const FindingSeverity note = FindingSeverity::Note;
    const Row rows[] = {
        {"clean", false, "cp $IN $OUT", {}, note, 0, 0, ""},
        {"worn", true, "cp $IN $OUT", {}, note, 0, 0, ""},
        {"deck roll-off", false, "sox $IN $OUT lowpass 4000", {}, note, 0, 0, ""},
        {"channels alike", false, "sox $IN $OUT remix 1 1", {}, note, 0, 0, ""},
        {"sharp filter", false, "sox $IN $OUT sinc -5000", {K::BandLimit}, note, 4.4, 5.0,
         "Hinweis: Verlustbehaftet komprimiert oder gefiltert (nichts über 4,"},
        // An edge up to 16 kHz is looked for: a middle-rate codec's, which does not hinder reading.
        {"filter at 15 kHz", false, "sox $IN $OUT sinc -15000", {K::BandLimit}, note, 12.5, 15.5,
         "Hinweis: Verlustbehaftet komprimiert oder gefiltert (nichts über 1"},
        {"phone band", false, "sox $IN $OUT sinc 300-3400", {K::BandLimit}, note, 2.9, 3.7,
         "Hinweis: Nur Telefonband (nichts über 3,"},
        {"MP3 32k", false, "ffmpeg -v error -i $IN -f mp3 -c:a libmp3lame -b:a 32k $MID.x" + decode, {K::BandLimit}, note,
         7.4, 10.3, "Hinweis: Verlustbehaftet"},
        {"AAC 32k", false, "ffmpeg -v error -i $IN -f adts -c:a aac -b:a 32k -cutoff 6000 $MID.x" + decode,
         {K::BandLimit}, note, 5.5, 7.3, "Hinweis: Verlustbehaftet"},
        // The record no longer reads whole: the band is named as a likely cause.
        {"Opus 16k", false, "ffmpeg -v error -i $IN -f ogg -c:a libopus -b:a 16k $MID.x" + decode, {K::BandLimit},
         FindingSeverity::Warning, 7.4, 10.3, "Warnung: Verlustbehaftet komprimiert oder gefiltert (nichts über 8,"},
        {"rate 11025", false, "sox $IN $OUT rate 11025", {K::LowRate}, note, 11025, 11025,
         "Hinweis: Abtastrate nur 11025 Hz – mit 44,1 kHz aufnehmen; liest sich noch"},
        {"rate 8000, worn", true, "sox $IN $OUT rate 8000", {K::LowRate}, note, 8000, 8000, "Hinweis: Abtastrate nur 8000 Hz"},
        {"rate 6000", false, "sox $IN $OUT rate 6000", {K::LowRate}, FindingSeverity::Warning, 6000, 6000,
         "Warnung: Abtastrate nur 6000 Hz, zu niedrig"},
        {"left only", false, "sox $IN $OUT remix 1 0", {K::OneChannel}, note, noChannelDecibels, -20,
         "Hinweis: Signal nur im linken Kanal – liest sich; Kabel auf Mono prüfen"},
        {"right only", true, "sox $IN $OUT remix 0 1", {K::OneChannel}, note, noChannelDecibels, -20,
         "Hinweis: Signal nur im rechten Kanal"},
        {"opposite phase", false, "sox $IN $OUT remix 1 1v-1", {K::OppositePhase}, note, -1, -0.95,
         "Hinweis: Kanäle gegenphasig (Korrelation -1,00)"},
    };
    for (const Row& row : rows) {
        const ChainResult result = throughChain("diagnosis", row.worn ? worn : clean, 44100, row.chain);
        ASSERT_TRUE(result.failure.empty()) << row.name << ": " << result.failure;
        const WavSamples& wav = result.wav;
        const auto records = readEveryRecord(wav.samples, decoderSettingsAt(wav.rate, DecoderSettings{}.triggerLevel),
                                             wav.rate, ReadingChoice{});
        const RecordingFindings findings = diagnoseWhole(wav.samples, wav.rate, sourceFactsOf(wav), records);
        std::vector<Finding> these;
        for (const Finding& finding : findings.whole) these.push_back(finding);
        for (const auto& record : findings.perRecord)
            for (const Finding& finding : record)
                if (finding.kind == K::BandLimit) these.push_back(finding);
        std::vector<FindingKind> kinds;
        std::string lines;
        for (const Finding& finding : these) kinds.push_back(finding.kind), lines += findingLine(finding) + "\n";
        EXPECT_EQ(kinds, row.kinds) << row.name << ":\n" << lines;
        if (these.empty() || row.kinds.empty()) continue;
        EXPECT_EQ(findingLine(these[0]).rfind(row.line, 0), 0u) << row.name << ": " << lines;
        EXPECT_EQ(these[0].severity, row.severity) << row.name;
        EXPECT_GE(these[0].figure, row.least) << row.name;
        EXPECT_LE(these[0].figure, row.most) << row.name;
    }
}

namespace {
// Two records of the encoder's signal with a second before, two between and
// one after, worn by `faults` (hiss in the pauses as well) unless none.
std::vector<std::uint8_t> twoRecordSide(const degrade::Faults* faults) {
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 37 + 11);
    const auto record = encodeRecordSamples(image, TapeHeader{"PEGEL", 0x1000, 0, 0x1000});
    std::vector<std::uint8_t> side(44100, 0x80);
    side.insert(side.end(), record.begin(), record.end());
    side.insert(side.end(), 2 * 44100, 0x80);
    side.insert(side.end(), record.begin(), record.end());
    side.insert(side.end(), 44100, 0x80);
    return faults ? degrade::degradeSignal(side, *faults) : side;
}

bool fromLevel(FindingKind kind) {
    return kind == FindingKind::GainControl || kind == FindingKind::NoiseGate || kind == FindingKind::Dropout;
}
}

// The level over time: a gain control, a noise gate and dropouts, made by
// the real tools or cut into the signal, each give their findings; a clean
// and a merely worn recording give none of them.
TEST(RecordingDiagnosis, LevelOverTimeGivesItsFindingsAndNoFalseAlarm) {
    degrade::Faults worn, heavy, hiss, dips;
    worn.noise = 0.05, worn.lowPassHz = 5000, worn.drift = 0.1, worn.dipLevel = 0.5, worn.wobble = 0.02;
    heavy = worn, heavy.noise = 0.5, heavy.lowPassHz = 4000;
    hiss = worn, hiss.noise = 0.1;
    dips = worn, dips.dipLevel = 0;   // 10 ms to the hiss every 250 ms
    constexpr std::size_t cutAt = 244100, cutLength = 1764;   // 40 ms into the first record's data
    struct Row {
        const char* name;
        const degrade::Faults* faults;
        const char* chain;               // through throughChain, "cut" for the 40 ms to the centre,
                                         // "music" for a swelling chord between the records
        std::vector<FindingKind> kinds;  // of the level, the whole recording's first, then each record's
        double least, most;              // the first one's figure
        const char* line;                // in one of their lines
    };
    const Row rows[] = {
        {"clean", nullptr, "", {}, 0, 0, ""},
        {"worn", &worn, "", {}, 0, 0, ""},
        {"heavy hiss", &heavy, "", {}, 0, 0, ""},
        {"slow compander", &worn, "sox $IN $OUT compand 1,3 6:-70,-60,-20 -5 -90 0.5", {FindingKind::GainControl},
         4, 6, "Hinweis: Automatische Aussteuerung erkannt: Pegel schwankt um 5 dB – in der Aufnahme-App"},
        {"fast compander", &worn, "sox $IN $OUT compand 0.01,0.2 6:-70,-60,-20 -5 -90 0.05",
         {FindingKind::GainControl}, 8, 11, "Hinweis: Automatische Aussteuerung erkannt: Rauschen steigt in der Pause bei 0:07.0 um 9 dB"},
        // Without look-ahead, as a phone's: each lead-in sets in too loud.
        {"fast compander, clean", nullptr, "sox $IN $OUT compand 0.01,0.2 6:-70,-60,-20 -5 -90 0",
         {FindingKind::GainControl, FindingKind::GainControl}, 3, 8,
         "Hinweis: Automatische Aussteuerung erkannt: Vorton setzt bei 0:00.9 um 5 dB zu laut ein"},
        {"level normaliser", &worn, "ffmpeg -v error -i $IN -af dynaudnorm=f=100:g=5 $OUT", {FindingKind::GainControl},
         10, 15, "Hinweis: Automatische Aussteuerung erkannt: Rauschen steigt"},
        {"gate to silence", &hiss, "ffmpeg -v error -i $IN -af agate=threshold=0.3:range=0:ratio=9000 $OUT",
         {FindingKind::NoiseGate}, 25, 40, "Hinweis: Pausen digital still, obwohl das Signal rauscht – Rauschunterdrückung?"},
        {"gate by 24 dB", &hiss, "ffmpeg -v error -i $IN -af agate=threshold=0.1:ratio=9000 $OUT",
         {FindingKind::NoiseGate}, 21, 27, "Hinweis: Rauschunterdrückung erkannt: Pausen 24 dB leiser als das Rauschen im Signal"},
        {"music between", &worn, "music", {}, 0, 0, ""},
        {"cut", &worn, "cut", {FindingKind::Dropout}, 30, 60, "Warnung: Aussetzer bei 0:05.5 (40 ms, "},
        {"dropouts", &dips, "", std::vector<FindingKind>(12, FindingKind::Dropout), 20, 30,
         " weitere Aussetzer bis "},
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> samples = twoRecordSide(row.faults);
        ChainResult chain;
        ByteView view(samples);
        if (std::string(row.chain) == "cut") {
            std::fill_n(samples.begin() + cutAt, cutLength, 0x80);
        } else if (std::string(row.chain) == "music") {
            const std::size_t record = (samples.size() - 4 * 44100) / 2, from = 44100 + record + 4410;
            for (std::size_t i = 0; i < 2 * 44100 - 8820; ++i) {
                const double t = i / 44100.0, swell = 5 + 35 * t / 1.8;
                samples[from + i] = static_cast<std::uint8_t>(
                    std::lround(128 + swell * (std::sin(2 * 3.14159265 * 440 * t) + 0.5 * std::sin(2 * 3.14159265 * 660 * t))));
            }
        } else if (*row.chain) {
            chain = throughChain("level", samples, 44100, row.chain);
            ASSERT_EQ(chain.failure, "") << row.name;
            view = chain.wav.samples;
        }
        const auto records = readEveryRecord(view, decoderSettingsAt(44100, DecoderSettings{}.triggerLevel), 44100, ReadingChoice{});
        ASSERT_EQ(records.size(), 2u) << row.name;
        const RecordingFindings findings = diagnoseWhole(view, 44100, sourceFactsOf(chain.wav), records);
        std::vector<const Finding*> found;
        for (const Finding& finding : findings.whole) found.push_back(&finding);
        for (const auto& list : findings.perRecord)
            for (const Finding& finding : list) found.push_back(&finding);
        found.erase(std::remove_if(found.begin(), found.end(), [](const Finding* f) { return !fromLevel(f->kind); }),
                    found.end());
        std::vector<FindingKind> kinds;
        std::string lines;
        for (const Finding* finding : found) kinds.push_back(finding->kind), lines += findingLine(*finding) + "\n";
        EXPECT_EQ(kinds, row.kinds) << row.name << ":\n" << lines;
        if (found.empty() || row.kinds.empty()) continue;
        EXPECT_GE(found[0]->figure, row.least) << row.name;
        EXPECT_LE(found[0]->figure, row.most) << row.name;
        EXPECT_NE(lines.find(row.line), std::string::npos) << row.name << ":\n" << lines;
        if (std::string(row.chain) == "cut") {
            // Marked to the sample but for rounding, for a label track.
            EXPECT_NEAR(static_cast<double>(*found[0]->where), cutAt, 30) << lines;
            EXPECT_NEAR(static_cast<double>(found[0]->length), cutLength, 30) << lines;
        }
    }
}

// A phone call (GSM 6.10 at 8 kHz, decoded back): the record is found though
// the line turns a bit of its sync, its name is right or marked unsure, and
// the smeared crossings of its lead-in are not taken for wow: the bit clock
// that locked onto it runs steadily.
TEST(RecordingDiagnosis, APhoneCallIsFoundAndItsSteadyClockTellsNoWow) {
    const auto clean = encodeRecordSamples(randomImage(3072, 3), TapeHeader{"TELEFON", 0x3000, 0, 0x3010});
    const ChainResult call = throughChain("gsm", clean, 44100,
                                          "sox -R $IN -r 8000 -e gsm-full-rate $MID.wav && "
                                          "sox -R $MID.wav -e signed-integer -b 16 $OUT");
    ASSERT_EQ(call.failure, "");
    const WavSamples& wav = call.wav;
    const auto records = readEveryRecord(wav.samples, decoderSettingsAt(wav.rate, DecoderSettings{}.triggerLevel),
                                         wav.rate, ReadingChoice{});
    ASSERT_EQ(records.size(), 1u);
    ASSERT_TRUE(records[0].nameRead) << static_cast<int>(records[0].status);
    EXPECT_TRUE(records[0].header.name == "TELEFON         " || records[0].nameUnsure) << records[0].header.name;
    const auto findings = diagnoseRecording(wav.samples, wav.rate, records);
    for (const Finding& finding : findings[0])
        EXPECT_NE(finding.kind, FindingKind::Flutter) << findingLine(finding);
}

// A phone keeps one record and stops soon after it: a gate or a gain control
// shows in the second behind it (the gate shutting as the signal ends, the
// hiss climbing), a room's echo as the signal sounding on; a worn or
// resampled recording shows nothing there.
TEST(RecordingDiagnosis, TheSecondBehindTheLastRecordShowsGateAndGainControl) {
    std::vector<std::uint8_t> image(300, 0x5A);
    const auto record = encodeRecordSamples(image, TapeHeader{"TELEFON", 0x1000, 0, 0x1000});
    std::vector<std::uint8_t> side(44100, 0x80);
    side.insert(side.end(), record.begin(), record.end());
    side.insert(side.end(), 44100, 0x80);
    degrade::Faults worn;
    worn.noise = 0.05, worn.lowPassHz = 5000;
    side = degrade::degradeSignal(side, worn);
    struct Row {
        const char* name;
        const char* chain;
        std::vector<FindingKind> kinds;
    };
    const Row rows[] = {
        {"worn", "", {}},
        {"resampled to 8000", "sox $IN -b 16 $OUT rate 8000", {}},
        {"gate", "ffmpeg -v error -i $IN -af agate $OUT", {FindingKind::NoiseGate}},
        {"fast level normaliser", "ffmpeg -v error -i $IN -af dynaudnorm=f=100:g=5 $OUT", {FindingKind::GainControl}},
        // The phone beside the speaker: the room's echo sounds on behind the record.
        {"room echo", "ffmpeg -v error -i $IN -af aecho=0.6:1:150:0.3 $OUT", {FindingKind::Echo}},
    };
    for (const Row& row : rows) {
        const ChainResult chain = throughChain("behind", side, 44100, row.chain);
        ASSERT_EQ(chain.failure, "") << row.name;
        const auto records = readEveryRecord(chain.wav.samples, decoderSettingsAt(chain.wav.rate, DecoderSettings{}.triggerLevel),
                                             chain.wav.rate, ReadingChoice{});
        ASSERT_EQ(records.size(), 1u) << row.name;
        const RecordingFindings findings = diagnoseWhole(chain.wav.samples, chain.wav.rate, sourceFactsOf(chain.wav), records);
        std::vector<FindingKind> kinds;
        std::string lines;
        for (const Finding& finding : findings.whole)
            if (fromLevel(finding.kind)) kinds.push_back(finding.kind), lines += findingLine(finding) + "\n";
        for (const Finding& finding : findings.perRecord[0])
            if (finding.kind == FindingKind::Echo) kinds.push_back(finding.kind), lines += findingLine(finding) + "\n";
        EXPECT_EQ(kinds, row.kinds) << row.name << ":\n" << lines;
    }
}

// A phone in a reverberant room with a wall's echo spoils the record before
// its end, where its echo would show: the echo is named from what the
// equaliser learns, and the level it beats is not taken for a gain control;
// a voice note's codec and a quiet voice memo, which spoil it as well, show
// no echo, neither learnt nor behind an end misread.
TEST(RecordingDiagnosis, AnEchoThatSpoilsTheRecordIsNamedFromWhatTheEqualiserLearns) {
    // The phone chains bench's program and room noise, 20 dB below the signal.
    std::mt19937 random(33);
    std::vector<std::uint8_t> image(3072);
    for (auto& byte : image) byte = static_cast<std::uint8_t>(random());
    std::fill(image.begin() + 0x500, image.begin() + 0x5A0, 0);
    const auto record = encodeRecordSamples(image, TapeHeader{"TELEFON", 0x3000, 0, 0x3010});
    std::vector<std::uint8_t> side(44100, 0x80);
    side.insert(side.end(), record.begin(), record.end());
    side.insert(side.end(), 44100, 0x80);
    double power = 0;
    for (std::uint8_t sample : record) power += (sample - 128.0) * (sample - 128.0);
    const double noise = std::sqrt(power / static_cast<double>(record.size())) / 10;
    std::mt19937 hiss(7);
    for (std::uint8_t& sample : side)
        sample = static_cast<std::uint8_t>(std::clamp(std::lround(sample + noise * degrade::gaussian(hiss)), 0L, 255L));
    struct Row {
        const char* chain;
        bool echo;
    };
    for (const Row& row : {Row{"sox -R $IN -b 16 $OUT reverb 50 echo 0.8 0.88 150 0.5", true},
                           Row{"ffmpeg -v error -i $IN -c:a libopus -b:a 16k $MID.opus && "
                               "ffmpeg -v error -i $MID.opus -ar 44100 $OUT",
                               false},
                           // Its end byte misread after half the blocks: the rest is no echo.
                           Row{"ffmpeg -v error -i $IN -af volume=-12dB -c:a aac -b:a 32k $MID.m4a && "
                               "ffmpeg -v error -i $MID.m4a -ar 44100 $OUT",
                               false}}) {
        const ChainResult chain = throughChain("room", side, 44100, row.chain);
        ASSERT_EQ(chain.failure, "") << row.chain;
        const auto records = readEveryRecord(chain.wav.samples, decoderSettingsAt(44100, DecoderSettings{}.triggerLevel),
                                             44100, ReadingChoice{});
        ASSERT_FALSE(records.empty()) << row.chain;
        ASSERT_FALSE(readWhole(records[0])) << row.chain;
        std::vector<FindingKind> kinds;
        std::string lines;
        const auto findings = diagnoseRecording(chain.wav.samples, 44100, records);
        for (const Finding& finding : findings[0])
            if (finding.kind == FindingKind::Echo || finding.kind == FindingKind::GainControl)
                kinds.push_back(finding.kind), lines += findingLine(finding) + "\n";
        EXPECT_EQ(kinds, row.echo ? std::vector<FindingKind>{FindingKind::Echo} : std::vector<FindingKind>{})
            << row.chain << ":\n" << lines;
        if (row.echo) {
            EXPECT_NE(lines.find("Raumecho: das Signal kommt 150 ms später"), std::string::npos) << lines;
        }
    }
}

// A reading out of step (an echo's) can put the first block far too close
// behind the sync: a cell a tenth as long is no tape running ten times as
// fast, and no speed is named from it.
TEST(RecordingDiagnosis, NoSpeedFromACellNoTapeRunsAt) {
    const auto samples = encodeRecordSamples(randomImage(600, 9), TapeHeader{"TAKT", 0x1000, 0, 0x1000});
    auto records = readEveryRecord(ByteView(samples), decoderSettingsAt(44100, DecoderSettings{}.triggerLevel), 44100,
                                   ReadingChoice{});
    ASSERT_EQ(records.size(), 1u);
    DecodedRecord& record = records[0];
    ASSERT_FALSE(record.blockSpans.empty());
    record.blockSpans.front().begin = record.syncPosition + (record.blockSpans.front().begin - record.syncPosition) / 11;
    const auto findings = diagnoseRecording(ByteView(samples), 44100, records);
    for (const Finding& finding : findings[0]) EXPECT_NE(finding.kind, FindingKind::Speed) << findingLine(finding);
}
