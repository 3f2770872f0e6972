#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "sound/DeviceList.h"
#include "sound/MmError.h"
#include "sound/SoundRules.h"
#include "sound/TestTone.h"
#include "support/RecordingInterface.h"

TEST(CaptureLevel, PeakAboveTheCentreLineInPerCentRounded) {
    struct Case {
        std::uint8_t peak;
        int level;
    };
    // (peak - 128) mod 256 * 100 / 128: 144 -> 12.5 (halves up), 255 -> 99.2, 233 -> 82.03, 234 -> 82.8, 192 -> 50, 129 -> 0.78.
    for (Case c : {Case{128, 0}, Case{129, 1}, Case{144, 13}, Case{192, 50}, Case{233, 82}, Case{234, 83}, Case{255, 99},
                   Case{0, 100}}) {
        std::vector<std::uint8_t> block(2048, 0x80);
        if (c.peak < 128) block.assign(2048, c.peak);
        block[1000] = c.peak;
        EXPECT_EQ(captureLevel(block.data(), block.size()), c.level) << "peak " << int(c.peak);
    }
    std::vector<std::uint8_t> block(2048, 0x80);
    block[2047] = 200;
    EXPECT_EQ(captureLevel(block.data(), block.size()), 56) << "the last byte counts";
    EXPECT_EQ(levelText(0), "0 %");
    EXPECT_EQ(levelText(99), "99 %");
}

TEST(CaptureLevel, MeterIsDarkGreenAboveEightyTwoElseRed) {
    const RgbColour red = rgbColour(0xFF, 0, 0), green = rgbColour(0, 0x90, 0);
    EXPECT_EQ(meterColour(0), red);
    EXPECT_EQ(meterColour(82), red);
    EXPECT_EQ(meterColour(83), green);
    EXPECT_EQ(meterColour(99), green);
}

TEST(StatusTexts, KilobytesAndDurationRoundHalvesUp) {
    EXPECT_EQ(kilobytesText(0), "0 kB");
    EXPECT_EQ(kilobytesText(511), "0 kB");
    EXPECT_EQ(kilobytesText(1535), "1 kB");
    EXPECT_EQ(kilobytesText(1536), "2 kB");
    EXPECT_EQ(kilobytesText(0xFFFFFFFFu), "4194304 kB");
    EXPECT_EQ(durationText(4400), "Dauer ca. 4 sek.");
    EXPECT_EQ(durationText(4500), "Dauer ca. 5 sek.");
    EXPECT_EQ(durationText(499), "Dauer ca. 0 sek.");
    EXPECT_EQ(durationText(180000), "Dauer ca. 180 sek.");
}

TEST(Volume, LevelTimes0x1999InBothChannelsAndTheSliderUpsideDown) {
    EXPECT_EQ(volumeOfLevel(0), 0u);
    EXPECT_EQ(volumeOfLevel(1), 0x19991999u);
    EXPECT_EQ(volumeOfLevel(5), 0x7FFD7FFDu);
    EXPECT_EQ(volumeOfLevel(10), 0xFFFAFFFAu);
    for (int level = 0; level <= 10; ++level) {
        EXPECT_EQ(sliderPositionOfLevel(level), 10 - level);
        EXPECT_EQ(levelOfSliderPosition(sliderPositionOfLevel(level)), level);
    }
    EXPECT_EQ(levelOfSliderPosition(0), 10) << "the top of the slider is the loudest";
}

TEST(DeviceLists, MapperFirstQualifyingDevicesAndTheSingleDeviceRule) {
    const DeviceCaps cd{"CD", 0x1}, low{"Karte A", format2M08}, high{"Karte B", format4M08}, both{"Karte C", 0x110};
    struct Case {
        std::vector<DeviceCaps> devices;
        std::int32_t stored;
        std::vector<std::string> entries;
        std::int32_t device;   // the stored number afterwards
        int selected;
    };
    const Case cases[] = {
        {{}, 1, {"WAVE-Mapper"}, 1, 2},                                   // nothing selected, the number stays
        {{cd, low}, 1, {"WAVE-Mapper", "Karte A"}, 0, 1},                   // single device: entry 1 whatever was stored
        {{low, cd, high, both}, 1, {"WAVE-Mapper", "Karte A", "Karte B", "Karte C"}, 1, 2},
        {{low, high}, -1, {"WAVE-Mapper", "Karte A", "Karte B"}, -1, 0},   // the mapper
    };
    for (const Case& c : cases) {
        std::int32_t device = c.stored;
        DeviceList list = recordingDeviceList(c.devices, device);
        EXPECT_EQ(list.entries, c.entries);
        EXPECT_EQ(device, c.device);
        EXPECT_EQ(list.selected, c.selected);
    }
    std::int32_t output = 3;
    DeviceList playback = playbackDeviceList({cd, both}, output);
    EXPECT_EQ(playback.entries, std::vector<std::string>{"Karte C"});
    EXPECT_EQ(output, 0);
    EXPECT_EQ(playback.selected, 0);
    output = 1;
    EXPECT_EQ(playbackDeviceList({low, high}, output).selected, 1);
    EXPECT_EQ(output, 1);
    output = 2;
    EXPECT_TRUE(playbackDeviceList({}, output).entries.empty());
    EXPECT_EQ(output, 2);

    EXPECT_EQ(inputDeviceOfEntry(0), -1);
    EXPECT_EQ(inputDeviceOfEntry(2), 1);
    EXPECT_EQ(outputDeviceOfEntry(2), 2);
}

TEST(MmErrors, TheTableInWordsAndNothingForSuccess) {
    struct Case {
        unsigned code;
        const char* text;
    };
    const Case cases[] = {{2, "Angegebene ID außerhalb zulässigem Bereich"},
                          {4, "Angegebene Resource bereits verwendet"},
                          {5, "ungültiges Devicehandle"},
                          {6, "Treiberfehler"},
                          {7, "Speicherproblem"},
                          {32, "Nicht unterstütztes WAV-Format"},
                          {34, "Buffer nicht vorbereitet"},
                          {1, "sonstiger MM-Fehler"},
                          {33, "sonstiger MM-Fehler"}};
    RecordingInterface seam;
    EXPECT_EQ(reportMmError(0), 0);
    EXPECT_TRUE(seam.messages.empty());
    for (const Case& c : cases) {
        seam.messages.clear();
        EXPECT_EQ(reportMmError(c.code), 1);
        ASSERT_EQ(seam.messages.size(), 1u);
        EXPECT_EQ(seam.messages[0].text, c.text);
        EXPECT_EQ(seam.messages[0].caption, "Fehler");
        EXPECT_EQ(seam.messages[0].style, mb::ok);
        EXPECT_EQ(seam.messages[0].owner, nullptr);
    }
}

TEST(TestTone, FifteenSamplePeriodAt22050EndingOnTheCentreLine) {
    const std::vector<std::uint8_t> period = {0x80, 0xB0, 0xC9, 0xD5, 0xDB, 0xDE, 0xDF, 0xE2,
                                              0x80, 0x4E, 0x35, 0x28, 0x21, 0x1D, 0x1B};
    std::vector<std::uint8_t> samples = testToneSamplesOf();
    ASSERT_EQ(samples.size(), 2191u);
    for (std::size_t i = 0; i < samples.size(); ++i) ASSERT_EQ(samples[i], period[i % 15]) << "sample " << i;
    EXPECT_EQ(samples.back(), 0x80);

    std::vector<std::uint8_t> file = testToneWavFile();
    ASSERT_EQ(file.size(), 46u + 2191 + 1) << "the odd count gets a pad byte";
    auto u32 = [&file](std::size_t at) { return file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24; };
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(u32(24), 22050) << "samples per second";
    EXPECT_EQ(file[22], 1) << "mono";
    EXPECT_EQ(file[34], 8) << "8 bits";
    EXPECT_EQ(u32(42), 2191) << "data size";
    EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 46, file.end() - 1), samples);
}
