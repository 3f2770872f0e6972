#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "bench/SignalDegrader.h"
#include "tape/Encoder.h"
#include "tape/TapeListing.h"
#include "tape/TapeScan.h"

namespace {
std::string asIs(std::string_view text) { return std::string(text); }
}

TEST(TapeListing, TimesAndLabelLinesInTheirFormats) {
    struct Case {
        std::size_t sample;
        std::uint32_t rate;
        const char* time;       // m:ss.s, cut to the tenth
        const char* seconds;    // six decimals
    };
    const Case cases[] = {
        {0, 44100, "0:00.0", "0.000000"},
        {1, 44100, "0:00.0", "0.000023"},
        {44100 * 61 + 4410 * 3 - 1, 44100, "1:01.2", "61.299977"},
        {22050 * 3600, 22050, "60:00.0", "3600.000000"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tapeTime(c.sample, c.rate), c.time);
        EXPECT_EQ(labelLine(TapeLabel{c.sample, c.sample, "Block 5 Prüfsummenfehler"}, c.rate),
                  std::string(c.seconds) + "\t" + c.seconds + "\tBlock 5 Prüfsummenfehler\n");
    }
    // Where no record was found at all, the reader's message stands at the start.
    DecodedRecord nothing;
    nothing.status = DecodeStatus::NoSync;
    nothing.endPosition = 1000;
    const auto labels = recordLabels({nothing}, 44100, asIs);
    ASSERT_EQ(labels.size(), 1u);
    EXPECT_EQ(labelLine(labels[0], 44100), "0.000000\t0.000000\tWAV: kein SYNC gefunden.\n");

    // A name read with a weak bit is marked in the list and in the record's label.
    DecodedRecord unsure;
    unsure.status = DecodeStatus::Ok;
    unsure.header = TapeHeader{"ZEAL", 0x1000, 0x10FF, 0x1000};
    unsure.blocks = 1;
    unsure.nameUnsure = true;
    const std::string line = listLine(unsure, 0, 44100, SignalFigures{}, asIs);
    EXPECT_EQ(line.substr(line.size() - 15), "  Name unsicher") << line;
    EXPECT_EQ(recordLabels({unsure}, 44100, asIs)[0].text, "ZEAL AA 1000 EA 10FF SA 1000 (Name unsicher)");

    // Faulty blocks are named, as wav2bin names them.
    DecodedRecord faulty = unsure;
    faulty.nameUnsure = false;
    faulty.blocks = 12;
    faulty.faultyBlocks = {4, 7};
    const std::string faultyLine = listLine(faulty, 0, 44100, SignalFigures{}, asIs);
    EXPECT_EQ(faultyLine.substr(faultyLine.find("  Blöcke")), "  Blöcke 4, 7 von 12: Prüfsummenfehler") << faultyLine;
}

TEST(TapeListing, LeadInStartAndSignalToNoiseAtAnySpeed) {
    std::vector<std::uint8_t> image(300);
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<std::uint8_t>(i * 29 + 3);
    const auto clean = encodeRecordSamples(image, TapeHeader{"LAUT", 0x1000, 0, 0x1000});
    // The lead-in tone's RMS against its peak (100).
    double squares = 0;
    for (std::size_t i = 0; i < 100000; ++i) squares += (clean[i] - 128.0) * (clean[i] - 128.0);
    const double tone = std::sqrt(squares / 100000) / 100;

    struct Case {
        double noise, speed;    // as bench/SignalDegrader.h takes them
        bool cut;               // ends inside the gap: no block gives the tape's speed
    };
    const Case cases[] = {{0, 0, false}, {0.1, 0, false}, {0.5, 0.1, false}, {1.0, -0.15, false}, {0.1, -0.15, true}};
    for (const Case& c : cases) {
        degrade::Faults faults;
        faults.noise = c.noise;
        faults.speed = c.speed;
        auto recording = clean;
        if (c.cut) recording.resize(800 * 240);
        const auto samples = degrade::degradeSignal(recording, faults);
        const auto records = readEveryRecord(ByteView(samples), DecoderSettings{}, 44100, ReadingChoice{});
        ASSERT_EQ(records.size(), 1u);
        // The lead-in begins the recording, whatever the tape's speed (where a block shows it).
        const std::size_t start = recordStarts(records, 44100)[0];
        if (!c.cut) {
            EXPECT_LT(start, 441u) << "speed " << c.speed;
        }
        const SignalFigures figures = measureSignal(ByteView(samples), records[0], start, 44100);
        ASSERT_TRUE(figures.noiseKnown);
        const double expected = c.noise > 0 ? 20 * std::log10(tone / c.noise) : maxSignalToNoise;
        EXPECT_NEAR(figures.signalToNoise, std::min<double>(expected, maxSignalToNoise), 1.5)
            << "noise " << c.noise << ", speed " << c.speed;
    }
}
