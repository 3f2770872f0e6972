#include "tape/AudioFormat.h"

#include "shell/HexText.h"

AudioFormat audioFormatAt(std::int64_t rate) {
    const std::uint32_t selected = rate == 44100 ? 44100 : 22050;
    AudioFormat format;
    format.samplesPerSecond = selected;
    format.bytesPerSecond = selected;
    return format;
}

std::string sampleRateStatusText(std::uint32_t rate) {
    return formatDecimal(static_cast<std::int32_t>((static_cast<std::uint64_t>(rate) + 500) / 1000)) + " kHz";
}
