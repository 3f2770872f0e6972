#pragma once
// The WAV container: the 46-byte header the program writes and the reader that
// turns any PCM WAV file into the 8-bit mono samples the decoder works on.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "shell/ByteReader.h"
#include "tape/AudioFormat.h"

constexpr std::size_t wavHeaderBytes = 46;
// The largest sample count whose sizes fit the 32-bit fields of the header.
constexpr std::uint32_t maxWavSampleCount = 0xFFFFFFFFu - 39;

// RIFF header, "fmt " chunk of 18 bytes with `format`, "data" header for `count` samples.
std::array<std::uint8_t, wavHeaderBytes> makeWavHeader(const AudioFormat& format, std::uint32_t count);

// The whole file in memory: header, samples and the pad byte of an odd count.
std::vector<std::uint8_t> makeWavFileBytes(const AudioFormat& format, const std::uint8_t* samples, std::uint32_t count);

// Writes `count` samples in `format` to `path` (replacing it). TooManySamples:
// more than maxWavSampleCount, nothing written.
enum class WavWriteOutcome { Written, TooManySamples, CannotCreate, ShortWrite };
WavWriteOutcome writeWavFile(const std::string& path, const AudioFormat& format, const std::uint8_t* samples,
                             std::uint32_t count);

// What the reader saw of the channels of a file with more than one: the
// other channel is the one of the rest with the most tone, its level and the
// correlation measured on the tones alone (without the centre line and hum).
constexpr double noChannelDecibels = -99;
struct ChannelFacts {
    std::uint16_t count = 1;      // channels in the file
    std::uint16_t taken = 0;      // the one the samples come from (0: the first)
    double otherDecibels = 0;     // the other's tone against the taken one's; noChannelDecibels: none
    double correlation = 0;       // of the two, -1 (opposite phase) to 1; 0 where unknown
};
// The facts from each channel's sum of its comb's products (its tone) and the
// products of the combs of the first `paired` channels (row-major, lower
// half): the channel taken, the other one, their levels and correlation. One
// rule for a file held whole and one read a stretch at a time.
ChannelFacts channelFactsOf(const std::int64_t* sums, const std::int64_t* products, std::size_t channels,
                            std::size_t paired);

// The samples of a WAV file as the decoder takes them: 8-bit unsigned mono at
// 22050 or 44100 per second. 8-bit mono files at those rates are used as they
// are (a view into the file's bytes); anything else is converted into `storage`.
struct WavSamples {
    int error = 0;                  // 0, or the string id of what went wrong
    std::uint32_t fileRate = 0;     // samples per second as the file states it
    std::uint32_t rate = 0;         // 22050 or 44100: the rate of `samples`
    ChannelFacts channels;
    ByteView samples;               // into the parsed bytes or into `storage`
    std::vector<std::uint8_t> storage;
    std::string reason;             // with `error`: what of the file, with its value ("Abtastrate 1 Hz ...")
    // Set by whoever decoded a compressed file into these samples: the lossy
    // codec it held ("AAC", "GSM 6.10") and its container ("M4A/MP4"); "" for none.
    std::string codec;
    std::string container;
};

// The message of a file the reader refused: the text of `error`, with the
// reason where it knows one ("Audiodaten nicht auswertbar: Kanalzahl 0 ...").
// bv7 and the page both show this.
std::string wavErrorText(const WavSamples& wav);

// Why samples at `rate` per second cannot be read ("Abtastrate 1 Hz ..."),
// "" where they can: the reason of a str::audioUnusable.
std::string unusableRate(std::uint32_t rate);

// Takes `file` apart without any message or global change. `samples` may point
// into `file`, which must outlive the result.
WavSamples parseWavSamples(ByteView file);

// The channel of interleaved samples (`containerBytes` each: 8-bit unsigned,
// wider signed, or 32-bit float when `floating`) that carries the tape signal:
// the one the reader takes.
std::size_t findSignalChannel(ByteView sound, std::size_t channels, std::size_t containerBytes, std::uint32_t rate,
                              bool floating = false);
// The same with what was seen of the channels, in the same one pass.
ChannelFacts findChannelFacts(ByteView sound, std::size_t channels, std::size_t containerBytes, std::uint32_t rate,
                              bool floating = false);

// A WAV file as it is, for playing: its format chunk and its sound bytes, as
// views into `file`. `error` is 0 or the string id of what is missing.
struct WavParts {
    int error = 0;
    ByteView format;
    ByteView sound;
};
WavParts findWavParts(ByteView file);

// Where the samples of a WAV file lie and how they are taken, from its first
// bytes `head` of `fileSize`: the error of parseWavSamples (or of the reading
// of a float file) where the head shows one. Where `head` is not the whole
// file, an error may lie in what was not seen (a "data" chunk behind it).
struct WavLayout {
    int error = 0;
    std::string reason;             // as WavSamples::reason
    std::uint32_t fileRate = 0;
    std::uint32_t rate = 0;         // the readers' rate
    std::uint16_t channels = 0;
    std::uint16_t bits = 0;         // per sample: 1..32, or 32 or 64 for floating point
    bool floating = false;
    std::uint64_t dataOffset = 0;   // the first sample byte in the file
    std::uint64_t dataBytes = 0;    // as far as the file holds them
};
WavLayout findWavLayout(ByteView head, std::uint64_t fileSize);

// True for a WAV file of floating-point samples (format 3, or the extensible
// format with that subformat): the reader takes it only through the import.
bool isFloatWav(ByteView file);

// The decoder's first step: reads `path`, checks it and returns the samples
// with their rate; on failure the string id of the message in `error` (with
// the rates where the file states them), which the caller shows. The result
// owns the bytes.
WavSamples readWavSamples(const std::string& path);
// The same for bytes read elsewhere (standard input); the result takes them over.
WavSamples adoptWavSamples(std::vector<std::uint8_t>&& bytes);
