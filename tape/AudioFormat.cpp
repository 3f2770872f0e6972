#include "tape/AudioFormat.h"

#include "shell/GlobalSettings.h"
#include "shell/HexText.h"
#include "shell/UserInterface.h"

namespace {
AudioFormat format;
int halfCell = halfCellSamplesAt(22050);
}

const AudioFormat& currentAudioFormat() { return format; }
int currentHalfCellSamples() { return halfCell; }

void selectSampleRate(std::int64_t rate) {
    std::uint32_t selected = rate == 44100 ? 44100 : 22050;
    format = AudioFormat{};
    format.samplesPerSecond = selected;
    format.bytesPerSecond = selected;
    halfCell = halfCellSamplesAt(selected);
    globalSettings().sampleRate = static_cast<std::int32_t>(selected);
    ui().setStatus(sampleRateStatusPart, sampleRateStatusText(selected));
}

std::string sampleRateStatusText(std::uint32_t rate) {
    return formatDecimal(static_cast<std::int32_t>((static_cast<std::uint64_t>(rate) + 500) / 1000)) + " kHz";
}
