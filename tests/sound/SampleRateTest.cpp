#include <gtest/gtest.h>

#include "shell/GlobalSettings.h"
#include "sound/SampleRate.h"
#include "support/RecordingInterface.h"

TEST(SampleRate, SelectsTheConstantsAndShowsTheRate) {
    struct Case {
        std::int64_t asked;
        std::uint32_t rate;
        int n;
        const char* status;
    };
    for (const Case& c : {Case{44100, 44100, 14, "44 kHz"}, Case{22050, 22050, 7, "22 kHz"},
                          Case{48000, 22050, 7, "22 kHz"}, Case{0, 22050, 7, "22 kHz"}}) {
        RecordingInterface seam;
        selectSampleRate(c.asked);
        EXPECT_EQ(currentAudioFormat().samplesPerSecond, c.rate) << c.asked;
        EXPECT_EQ(currentAudioFormat().bytesPerSecond, c.rate) << c.asked;
        EXPECT_EQ(globalSettings().sampleRate, static_cast<std::int32_t>(c.rate));
        EXPECT_EQ(currentHalfCellSamples(), c.n);
        ASSERT_EQ(seam.statuses.size(), 1u);
        EXPECT_EQ(seam.statuses[0], std::make_pair(2, std::string(c.status)));
    }
    EXPECT_EQ(sampleRateStatusText(48000), "48 kHz");
    EXPECT_EQ(sampleRateStatusText(11025), "11 kHz");
}
