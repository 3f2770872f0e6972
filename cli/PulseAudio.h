#pragma once
// The thin layer over the desktop's sound server, through PulseAudio's client
// library (PipeWire desktops serve it as well): one stream that plays or
// records, and the list of devices. Every failure comes back as a German text
// that names the problem. Only the native bv7 has it; elsewhere each call
// fails with soundServerMissingText.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pulse {
extern const char* const soundServerMissingText;

#ifdef BV7_HAVE_PULSE
// The German text of the client library's error code (the library's English
// follows in brackets); `device` is the one asked for, empty for the default.
std::string problemText(int error, const std::string& device);
#endif

enum class SampleFormat { U8, S16, S24, S32, Float32 };

struct StreamFormat {
    SampleFormat format = SampleFormat::U8;
    std::uint32_t rate = 44100;
    std::uint8_t channels = 1;
};

class Stream {
  public:
    enum class Direction { Playback, Record };
    Stream() = default;
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    ~Stream();

    // `device`: a sink or source name, empty for the default one. Recording
    // hands out what came in every tenth of a second.
    bool open(Direction direction, const StreamFormat& layout, const std::string& device, std::string& problem);
    bool write(const std::uint8_t* bytes, std::size_t count, std::string& problem);
    // Blocks until `count` bytes have been recorded.
    bool read(std::uint8_t* bytes, std::size_t count, std::string& problem);
    // What the server still holds before the loudspeaker, in microseconds.
    std::uint64_t latencyMicroseconds();
    // Returns once everything written has been played.
    bool drain(std::string& problem);
    // Drops what the server still holds (a stop).
    void flush();
    void close();

  private:
    void* handle_ = nullptr;
    std::string device_;
};

struct Device {
    std::string name;
    std::string description;
    bool isDefault = false;
};

// The outputs (sinks) and inputs (sources) of the server; the monitors of the
// outputs are inputs too.
bool listDevices(std::vector<Device>& outputs, std::vector<Device>& inputs, std::string& problem);
}
