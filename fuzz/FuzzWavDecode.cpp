// Any bytes as a WAV file, and as bare samples, go through the reader and
// both decoders (the first, and the noise-proof one behind it) without
// reading outside their buffers. Every eighth input also builds a real
// record from their bytes, damage it where the input says and cut it short, so
// that the stages behind the sync are reached as well, in WAV files of one
// to four channels.
#include <cstdint>
#include <vector>

#include "tape/AudioFormat.h"
#include "tape/CopyMerge.h"
#include "tape/Decoder.h"
#include "tape/Encoder.h"
#include "tape/ReaderFallback.h"
#include "tape/RobustReader.h"
#include "tape/TapeScan.h"
#include "tape/WavFile.h"

namespace {
void decodeWav(ByteView file) {
    WavSamples wav = parseWavSamples(file);
    if (wav.error != 0) return;
    DecoderSettings settings;
    settings.threshold = stretchThresholdAt(wav.rate);
    decodeRecordEitherWay(wav.samples, settings, wav.rate, 0, nullptr, ReadingChoice{false, true});
    // Every fourth: every record, and its copies merged as wav2bin --merge does.
    if (file.size > 0 && (file.data[file.size - 1] & 3) == 0)
        mergeCopies(readEveryRecord(wav.samples, settings, wav.rate, ReadingChoice{false, true}));
}

void decodeDamagedRecord(const std::uint8_t* data, std::size_t size) {
    const std::size_t imageStart = 8;
    if (size < imageStart) return;
    std::size_t imageSize = (size - imageStart) < 48 ? size - imageStart : 48;
    std::vector<std::uint8_t> image(data + imageStart, data + imageStart + imageSize);
    TapeHeader header{std::string(reinterpret_cast<const char*>(data + 2), 3), static_cast<std::uint16_t>(data[5] << 8),
                      0, static_cast<std::uint16_t>(data[6] << 8)};
    const bool slow = data[1] & 1;
    std::vector<std::uint8_t> signal = encodeRecordSamples(image, header, slow ? 7 : 14);
    for (std::size_t i = imageStart + imageSize; i + 2 < size; i += 3) {
        std::size_t at = (static_cast<std::size_t>(data[i]) << 8 | data[i + 1]) * 37 % signal.size();
        signal[at] = data[i + 2];
    }
    std::uint32_t rate = slow ? 22050 : 44100;
    // One to four channels of 8 or 16 bits, the signal in the one the input
    // names, the others with the input's bytes as noise: the reader must pick
    // a channel without reading outside the frames.
    const std::uint16_t channels = static_cast<std::uint16_t>(1 + (data[1] >> 1) % 4);
    const std::uint16_t bytesPerSample = (data[1] & 0x20) ? 2 : 1;
    const unsigned signalChannel = (data[1] >> 3) % channels;
    std::vector<std::uint8_t> frames;
    frames.reserve(signal.size() * channels * bytesPerSample);
    for (std::size_t i = 0; i < signal.size(); ++i)
        for (unsigned channel = 0; channel < channels; ++channel) {
            std::uint8_t value = channel == signalChannel ? signal[i] : data[(i + channel) % size];
            if (bytesPerSample == 2) frames.insert(frames.end(), {0, static_cast<std::uint8_t>(value ^ 0x80)});
            else frames.push_back(value);
        }
    const std::uint16_t block = static_cast<std::uint16_t>(channels * bytesPerSample);
    std::vector<std::uint8_t> file =
        makeWavFileBytes(AudioFormat{1, channels, rate, rate * block, block, static_cast<std::uint16_t>(8 * bytesPerSample), 0},
                         frames.data(), static_cast<std::uint32_t>(frames.size()));
    if (data[7] < 64) file.resize(file.size() * data[7] / 64);
    decodeWav(ByteView(file));
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ByteView bytes(data, size);
    decodeWav(bytes);
    for (int threshold : {10, 20}) {
        DecoderSettings settings;
        settings.threshold = threshold;
        settings.triggerLevel = size ? static_cast<std::uint8_t>(0x70 + data[0] % 11) : 0x76;
        settings.resumeSearch = threshold == 20;
        DecodedRecord record = decodeRecord(bytes, settings, size > 1 ? data[1] * 16u : 0);
        if (record.status == DecodeStatus::Ok && record.endPosition < size)
            decodeRecord(bytes, settings, record.endPosition);
        std::size_t start = size > 2 ? data[2] * 64u : 0;
        decodeRecordFiltered(bytes, threshold == 20 ? 44100 : 22050, start, nullptr, size > 3 ? data[3] * 512u : 0);
        decodeRecordFiltered(bytes, threshold == 20 ? 44100 : 22050, start);
    }
    if (size && (data[0] & 7) == 1) decodeDamagedRecord(data, size);
    return 0;
}
