#include "sound/SampleRate.h"

#include "shell/GlobalSettings.h"
#include "shell/UserInterface.h"

namespace {
AudioFormat format = audioFormatAt(22050);
int halfCell = halfCellSamplesAt(22050);
}

const AudioFormat& currentAudioFormat() { return format; }
int currentHalfCellSamples() { return halfCell; }

void selectSampleRate(std::int64_t rate) {
    format = audioFormatAt(rate);
    halfCell = halfCellSamplesAt(format.samplesPerSecond);
    globalSettings().sampleRate = static_cast<std::int32_t>(format.samplesPerSecond);
    ui().setStatus(sampleRateStatusPart, sampleRateStatusText(format.samplesPerSecond));
}
