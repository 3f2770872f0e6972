// bv7 play and bv7 devices: a BIN or WAV file played to the BV7 through the
// desktop's sound server, and the server's devices.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "cli/Commands.h"
#include "cli/BinInput.h"
#include "cli/PulseAudio.h"
#include "cli/SoundFileImport.h"
#include "shell/FileIo.h"
#include "shell/StringTable.h"
#include "sound/PlaybackSound.h"
#include "sound/SoundRules.h"
#include "tape/AudioFormat.h"
#include "tape/BinFileName.h"
#include "tape/BinRecording.h"
#include "tape/Encoder.h"
#include "tape/ReadingReport.h"
#include "tape/WavFile.h"

using namespace cli;

namespace {
const char* const playUsage =
    "Aufruf: bv7 play DATEI.BIN|DATEI.wav [--device NAME] [--volume 0..10]\n"
    "Spielt eine BIN-Datei als BV7-Kassettensignal (Programmname und Adressen aus dem\n"
    "Dateinamen \"Programmname_AA_EA_SA.BIN\", wie bv7 bin2wav) oder eine Aufnahme\n"
    "(WAV, FLAC, Ogg Vorbis, AIFF, W64) über den Tonserver ab und kehrt erst zurück,\n"
    "wenn alles abgespielt ist. Strg-C bricht ab.\n"
    "  --device NAME  dieses Ausgabegerät statt des Standardgeräts (bv7 devices)\n"
    "  --volume N     Lautstärke 0 bis 10 (Standard 10: das Signal wie es ist)\n";

const char* const devicesUsage =
    "Aufruf: bv7 devices\n"
    "Zeigt die Aus- und Eingabegeräte des Tonservers; * markiert die Standardgeräte.\n";

const char* const linuxOnlyText = "Fehler: Diesen Befehl gibt es nur im bv7 für Linux (über den Tonserver).\n";

constexpr int barWidth = 20;
// The sound server's highest rate; above it the server's library aborts the program.
constexpr std::uint32_t highestServerRate = 384000;

std::uint16_t u16At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// The server's sample format of a WAV format chunk; false for one it cannot take.
bool streamFormatOf(const PlaybackSound& sound, pulse::StreamFormat& layout) {
    const std::vector<std::uint8_t>& format = sound.format;
    if (format.size() < 16) return false;
    std::uint16_t tag = u16At(format, 0);
    if (tag == 0xFFFE && format.size() >= 40) tag = u16At(format, 24);
    std::uint16_t channels = u16At(format, 2), bits = u16At(format, 14);
    layout.rate = static_cast<std::uint32_t>(u16At(format, 4) | u16At(format, 6) << 16);
    if (channels < 1 || channels > 32 || layout.rate == 0 || layout.rate > highestServerRate) return false;
    layout.channels = static_cast<std::uint8_t>(channels);
    if (tag == 1 && bits == 8) layout.format = pulse::SampleFormat::U8;
    else if (tag == 1 && bits == 16) layout.format = pulse::SampleFormat::S16;
    else if (tag == 1 && bits == 24) layout.format = pulse::SampleFormat::S24;
    else if (tag == 1 && bits == 32) layout.format = pulse::SampleFormat::S32;
    else if (tag == 3 && bits == 32) layout.format = pulse::SampleFormat::Float32;
    else return false;
    return true;
}

// The bytes of one sample in `format`.
std::size_t sampleBytes(pulse::SampleFormat format) {
    switch (format) {
    case pulse::SampleFormat::U8: return 1;
    case pulse::SampleFormat::S16: return 2;
    case pulse::SampleFormat::S24: return 3;
    case pulse::SampleFormat::S32:
    case pulse::SampleFormat::Float32: return 4;
    }
    return 1;
}

// The server names channels only for the usual layouts, and mixes several
// down for two loudspeakers: a recording of more than two channels plays as
// the one that carries the signal, as the readers take it. Returns the bytes
// of a frame then.
std::size_t keepSignalChannel(std::vector<std::uint8_t>& sound, pulse::StreamFormat& layout) {
    const std::size_t width = sampleBytes(layout.format);
    const std::size_t channels = layout.channels;
    if (channels <= 2) return width * channels;
    const std::size_t channel = findSignalChannel(ByteView(sound), channels, width, layout.rate,
                                                  layout.format == pulse::SampleFormat::Float32);
    const std::size_t frames = sound.size() / (width * channels);
    for (std::size_t frame = 0; frame < frames; ++frame)
        std::memmove(&sound[frame * width], &sound[(frame * channels + channel) * width], width);
    sound.resize(frames * width);
    layout.channels = 1;
    return width;
}

// The sound at `level` of 10: each sample's distance from silence scaled.
void scaleVolume(std::vector<std::uint8_t>& sound, pulse::SampleFormat format, int level) {
    if (level >= maxVolumeLevel) return;
    auto scaled = [level](double value) { return value * level / maxVolumeLevel; };
    switch (format) {
    case pulse::SampleFormat::U8:
        for (auto& sample : sound) sample = static_cast<std::uint8_t>(128 + static_cast<int>(scaled(sample - 128)));
        break;
    case pulse::SampleFormat::S16:
    case pulse::SampleFormat::S24:
    case pulse::SampleFormat::S32: {
        std::size_t width = format == pulse::SampleFormat::S16 ? 2 : format == pulse::SampleFormat::S24 ? 3 : 4;
        for (std::size_t at = 0; at + width <= sound.size(); at += width) {
            std::int64_t value = 0;
            for (std::size_t k = 0; k < width; ++k) value |= static_cast<std::int64_t>(sound[at + k]) << (8 * k);
            if (value & (std::int64_t{1} << (8 * width - 1))) value -= std::int64_t{1} << (8 * width);
            auto result = static_cast<std::int64_t>(scaled(static_cast<double>(value)));
            for (std::size_t k = 0; k < width; ++k) sound[at + k] = static_cast<std::uint8_t>(result >> (8 * k));
        }
        break;
    }
    case pulse::SampleFormat::Float32:
        for (std::size_t at = 0; at + 4 <= sound.size(); at += 4) {
            float value;
            std::memcpy(&value, &sound[at], 4);
            value = static_cast<float>(scaled(value));
            std::memcpy(&sound[at], &value, 4);
        }
        break;
    }
}

// The one status line: elapsed and total time and a bar.
void showProgress(std::ostream& err, std::uint32_t playedMilliseconds, std::uint32_t totalMilliseconds) {
    int filled = totalMilliseconds ? static_cast<int>(std::uint64_t{playedMilliseconds} * barWidth / totalMilliseconds) : 0;
    err << "\r" << minutesText(playedMilliseconds) << " / " << minutesText(totalMilliseconds) << " ["
        << std::string(static_cast<std::size_t>(filled), '#') << std::string(static_cast<std::size_t>(barWidth - filled), '-')
        << "]" << std::flush;
}

// The WAV bytes to play: a BIN file encoded as bin2wav encodes it, any sound
// file as the readers take it. False after the message.
bool soundFileOf(const std::string& input, std::vector<std::uint8_t>& bytes, CommandIo& io, int& code) {
    code = exitFailed;
    if (hasExtension(input, ".bin")) {
        TapeHeader header;
        if (!parseBinFileName(input, header)) {
            io.err << "Fehler: Der BIN-Dateiname enthielt keine (korrekt strukturierten) Angaben "
                      "(\"Programmname_AA_EA_SA.BIN\"); bv7 bin2wav --name --aa --sa schreibt eine WAV-Datei. ("
                   << input << ")\n";
            code = exitUsage;
            return false;
        }
        header.name = fromTerminal(header.name);
        printWarnings(normaliseProgramName(header.name), io.err);
        std::vector<std::uint8_t> image;
        return readBinImage(input, header.aa, image, io.err) && recordWavBytes(image, header, bytes, io.err);
    }
    if (!readInput(input, bytes, loadString(str::cannotOpenWav), io.err)) return false;
    // A WAV file plays as it is, floating-point samples too; coded ones (GSM 6.10) are decoded.
    if (looksLikeRiffWave(bytes) && !isCodedWav(bytes)) return true;
    std::string problem, warning;
    if (importSoundFile(bytes, problem, warning) == ImportResult::Failed) {
        io.err << "Fehler: " << problem << " (" << input << ")\n";
        return false;
    }
    if (!warning.empty()) io.err << "Warnung: " << warning << " (" << input << ")\n";
    return true;
}
}

namespace {
// The sound of the WAV bytes `file` as the server takes it: its layout, the
// one channel that carries the signal of more than two, at `volume`. False
// after the message.
bool prepareSound(const std::vector<std::uint8_t>& file, const std::string& input, int volume, PlaybackSound& sound,
                  pulse::StreamFormat& layout, std::vector<std::uint8_t>& bytes, std::size_t& frame, CommandIo& io) {
    sound = playbackSoundOf(ByteView(file));
    if (sound.error) {
        io.err << "Fehler: " << loadString(sound.error) << (sound.reason.empty() ? "" : ": " + sound.reason) << " ("
               << input << ")\n";
        return false;
    }
    if (!streamFormatOf(sound, layout)) {
        const std::vector<std::uint8_t>& format = sound.format;   // at least 18 bytes (playbackSoundOf)
        io.err << "Fehler: Dieses Tonformat kann bv7 nicht abspielen: Kanalzahl " << u16At(format, 2) << ", "
               << u16At(format, 14) << " Bit, " << (u16At(format, 4) | u16At(format, 6) << 16) << " Hz (" << input
               << ")\n";
        return false;
    }
    bytes.assign(sound.sound.data, sound.sound.data + sound.sound.size);
    bytes.insert(bytes.end(), sound.tail.begin(), sound.tail.end());
    const std::size_t channels = layout.channels;
    frame = std::max<std::size_t>(1, keepSignalChannel(bytes, layout));
    sound.bytesPerSecond = static_cast<std::uint32_t>(sound.bytesPerSecond / channels * layout.channels);
    scaleVolume(bytes, layout.format, volume);
    return true;
}

// Writes `bytes` to `stream` a tenth of a second at a time with the progress
// bar, until all of it is played or Ctrl-C. False when the server failed
// (`problem` says why).
bool playToEnd(pulse::Stream& stream, const std::vector<std::uint8_t>& bytes, const PlaybackSound& sound,
               std::size_t frame, const InterruptCatcher& interrupt, std::ostream& err, std::string& problem) {
    const bool terminal = errorIsTerminal();
    // Tenths of a second in whole frames, so that Ctrl-C is heard at once.
    std::size_t step = std::max<std::size_t>(frame, sound.bytesPerSecond / 10 / frame * frame);
    std::uint64_t written = 0;
    auto played = [&] {
        std::uint64_t held = stream.latencyMicroseconds() * sound.bytesPerSecond / 1000000;
        return playedMs(sound.bytesPerSecond, sound.lengthMs, written > held ? written - held : 0);
    };
    bool failed = false;
    while (written < bytes.size() && !interrupt.interrupted()) {
        std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(step, bytes.size() - written));
        if (!stream.write(bytes.data() + written, count, problem)) {
            failed = true;
            break;
        }
        written += count;
        if (terminal) showProgress(err, played(), sound.lengthMs);
    }
    // What the server still holds, watched until a tenth of a second is left
    // (a sink keeps some latency of its own), then drained.
    while (!failed && !interrupt.interrupted() && stream.latencyMicroseconds() > 100000) {
        if (terminal) showProgress(err, played(), sound.lengthMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!failed && !interrupt.interrupted() && !stream.drain(problem)) failed = true;
    if (interrupt.interrupted()) stream.flush();
    if (terminal) {
        if (!failed && !interrupt.interrupted()) showProgress(err, sound.lengthMs, sound.lengthMs);
        err << "\n";
    }
    return !failed;
}
}

int playCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {"--device", "--volume"}, {"--help"}, playUsage, arguments, io, code)) return code;
    if (arguments.positionals().size() != 1) return usageError(io, "Genau eine BIN- oder WAV-Datei angeben.", playUsage);
    int volume = maxVolumeLevel;
    if (const std::string* text = arguments.value("--volume")) {
        if (text->empty() || text->size() > 2 || text->find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(*text) > maxVolumeLevel)
            return usageError(io, "--volume braucht eine Zahl von 0 bis 10.", playUsage);
        volume = std::stoi(*text);
    }
#ifndef BV7_HAVE_PULSE
    io.err << linuxOnlyText;
    return exitFailed;
#endif
    const std::string& input = arguments.positionals()[0];
    std::vector<std::uint8_t> file, bytes;
    if (!soundFileOf(input, file, io, code)) return code;
    PlaybackSound sound;
    pulse::StreamFormat layout;
    std::size_t frame = 1;
    if (!prepareSound(file, input, volume, sound, layout, bytes, frame, io)) return exitFailed;

    pulse::Stream stream;
    std::string problem;
    const std::string* device = arguments.value("--device");
    if (!stream.open(pulse::Stream::Direction::Playback, layout, device ? *device : std::string(), problem)) {
        io.err << problem << " (" << input << ")\n";
        return exitFailed;
    }
    InterruptCatcher interrupt;
    if (!playToEnd(stream, bytes, sound, frame, interrupt, io.err, problem)) {
        io.err << problem << " (" << input << ")\n";
        return exitFailed;
    }
    if (interrupt.interrupted()) {
        io.err << "Wiedergabe abgebrochen.\n";
        return exitFailed;
    }
    io.out << "Abgespielt: " << input << " (" << minutesText(sound.lengthMs) << ")\n";
    return exitOk;
}

int devicesCommand(const CommandArgs& args, CommandIo& io) {
    Arguments arguments;
    int code = exitOk;
    if (!parseCommandLine(args, {}, {"--help"}, devicesUsage, arguments, io, code)) return code;
    if (!arguments.positionals().empty()) return usageError(io, "bv7 devices nimmt keine Dateien.", devicesUsage);
#ifndef BV7_HAVE_PULSE
    io.err << linuxOnlyText;
    return exitFailed;
#endif
    std::vector<pulse::Device> outputs, inputs;
    std::string problem;
    if (!pulse::listDevices(outputs, inputs, problem)) {
        io.err << problem << "\n";
        return exitFailed;
    }
    auto list = [&](const char* title, const std::vector<pulse::Device>& devices) {
        io.out << title << "\n";
        if (devices.empty()) io.out << "  (keine)\n";
        for (const pulse::Device& device : devices)
            io.out << (device.isDefault ? "* " : "  ") << device.name
                   << (device.description.empty() ? "" : "  (" + device.description + ")") << "\n";
    };
    list("Ausgabegeräte (bv7 play --device NAME):", outputs);
    list("Eingabegeräte (bv7 record --device NAME):", inputs);
    return exitOk;
}
