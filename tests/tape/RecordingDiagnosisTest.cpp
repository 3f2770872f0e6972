#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bench/SignalDegrader.h"
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
        {"heavy wow", 44100, heavyWow, 0, false, {FindingKind::Flutter}, 7.5, 8.5, "Warnung: Gleichlauf schwankt um ±8 %"},
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
