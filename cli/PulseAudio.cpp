#include "cli/PulseAudio.h"

#ifdef BV7_HAVE_PULSE
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/simple.h>
#endif

namespace pulse {
const char* const soundServerMissingText =
    "Fehler: Kein Tonserver erreichbar (PulseAudio oder PipeWire läuft nicht, oder PULSE_SERVER zeigt ins Leere)";

#ifdef BV7_HAVE_PULSE
std::string problemText(int error, const std::string& device) {
    std::string text;
    switch (error) {
    case PA_ERR_CONNECTIONREFUSED:
    case PA_ERR_INVALIDSERVER:
    case PA_ERR_ACCESS:
    case PA_ERR_AUTHKEY:
    case PA_ERR_TIMEOUT: text = soundServerMissingText; break;
    case 0:
    case PA_ERR_CONNECTIONTERMINATED:
    case PA_ERR_KILLED:
    case PA_ERR_BADSTATE:
    case PA_ERR_PROTOCOL:
    case PA_ERR_FORKED:
        text = "Fehler: Die Verbindung zum Tonserver ist abgerissen (beendet oder neu gestartet?)";
        break;
    case PA_ERR_NOENTITY:
        if (!device.empty())
            return "Fehler: Gerät nicht gefunden: " + device + " (\"bv7 devices\" zeigt die vorhandenen).";
        text = "Fehler: Der Tonserver hat kein Gerät dafür";
        break;
    case PA_ERR_INVALID:
    case PA_ERR_NOTSUPPORTED:
    case PA_ERR_TOOLARGE: text = "Fehler: Der Tonserver nimmt dieses Tonformat nicht an"; break;
    case PA_ERR_BUSY: text = "Fehler: Das Gerät ist belegt"; break;
    case PA_ERR_IO: text = "Fehler: Ein-/Ausgabefehler am Tongerät"; break;
    default: text = "Fehler: Der Tonserver meldet einen Fehler"; break;
    }
    // The server's own words only after the German, for a search.
    return text + (error ? std::string(" [") + pa_strerror(error) + "]." : std::string("."));
}

namespace {
const char* const appName = "bv7";

pa_sample_format_t formatOf(SampleFormat format) {
    switch (format) {
    case SampleFormat::U8: return PA_SAMPLE_U8;
    case SampleFormat::S16: return PA_SAMPLE_S16LE;
    case SampleFormat::S24: return PA_SAMPLE_S24LE;
    case SampleFormat::S32: return PA_SAMPLE_S32LE;
    case SampleFormat::Float32: return PA_SAMPLE_FLOAT32LE;
    }
    return PA_SAMPLE_U8;
}

pa_simple* simple(void* handle) { return static_cast<pa_simple*>(handle); }
}

Stream::~Stream() { close(); }

bool Stream::open(Direction direction, const StreamFormat& layout, const std::string& device, std::string& problem) {
    close();
    device_ = device;
    pa_sample_spec serverFormat{formatOf(layout.format), layout.rate, layout.channels};
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(-1);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    // A recording comes in tenths of a second, so the reading keeps up with the sound.
    attributes.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(100000, &serverFormat));
    bool record = direction == Direction::Record;
    int error = 0;
    handle_ = pa_simple_new(nullptr, appName, record ? PA_STREAM_RECORD : PA_STREAM_PLAYBACK,
                            device.empty() ? nullptr : device.c_str(), record ? "Aufnahme vom BV7" : "Ausgabe an BV7",
                            &serverFormat, nullptr, record ? &attributes : nullptr, &error);
    if (!handle_) problem = problemText(error, device);
    return handle_ != nullptr;
}

bool Stream::write(const std::uint8_t* bytes, std::size_t count, std::string& problem) {
    int error = 0;
    if (handle_ && pa_simple_write(simple(handle_), bytes, count, &error) == 0) return true;
    problem = problemText(error, device_);
    return false;
}

bool Stream::read(std::uint8_t* bytes, std::size_t count, std::string& problem) {
    int error = 0;
    if (handle_ && pa_simple_read(simple(handle_), bytes, count, &error) == 0) return true;
    problem = problemText(error, device_);
    return false;
}

std::uint64_t Stream::latencyMicroseconds() {
    int error = 0;
    if (!handle_) return 0;
    pa_usec_t latency = pa_simple_get_latency(simple(handle_), &error);
    return latency == static_cast<pa_usec_t>(-1) ? 0 : latency;
}

bool Stream::drain(std::string& problem) {
    int error = 0;
    if (handle_ && pa_simple_drain(simple(handle_), &error) == 0) return true;
    problem = problemText(error, device_);
    return false;
}

void Stream::flush() {
    int error = 0;
    if (handle_) pa_simple_flush(simple(handle_), &error);
}

void Stream::close() {
    if (handle_) pa_simple_free(simple(handle_));
    handle_ = nullptr;
}

namespace {
struct Listing {
    std::vector<Device>* outputs;
    std::vector<Device>* inputs;
    std::string defaultOutput, defaultInput;
    int pending = 0;
};

void serverInfo(pa_context*, const pa_server_info* info, void* data) {
    auto* listing = static_cast<Listing*>(data);
    if (info) {
        listing->defaultOutput = info->default_sink_name ? info->default_sink_name : "";
        listing->defaultInput = info->default_source_name ? info->default_source_name : "";
    }
    --listing->pending;
}

void sinkInfo(pa_context*, const pa_sink_info* info, int last, void* data) {
    auto* listing = static_cast<Listing*>(data);
    if (last) {
        --listing->pending;
        return;
    }
    if (info) listing->outputs->push_back(Device{info->name, info->description ? info->description : "", false});
}

void sourceInfo(pa_context*, const pa_source_info* info, int last, void* data) {
    auto* listing = static_cast<Listing*>(data);
    if (last) {
        --listing->pending;
        return;
    }
    if (info) listing->inputs->push_back(Device{info->name, info->description ? info->description : "", false});
}
}

bool listDevices(std::vector<Device>& outputs, std::vector<Device>& inputs, std::string& problem) {
    outputs.clear();
    inputs.clear();
    pa_mainloop* loop = pa_mainloop_new();
    if (!loop) {
        problem = "Fehler: Zu wenig Speicher für die Verbindung zum Tonserver.";
        return false;
    }
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), appName);
    bool ok = context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    // Until the connection is made or has failed.
    while (ok) {
        pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) break;
        if (!PA_CONTEXT_IS_GOOD(state) || pa_mainloop_iterate(loop, 1, nullptr) < 0) ok = false;
    }
    if (!ok) {
        problem = problemText(context ? pa_context_errno(context) : PA_ERR_INTERNAL, "");
    } else {
        Listing listing{&outputs, &inputs, {}, {}, 3};
        pa_operation* operations[] = {pa_context_get_server_info(context, serverInfo, &listing),
                                      pa_context_get_sink_info_list(context, sinkInfo, &listing),
                                      pa_context_get_source_info_list(context, sourceInfo, &listing)};
        for (pa_operation* operation : operations)
            if (!operation) ok = false;
        while (ok && listing.pending > 0)
            if (pa_mainloop_iterate(loop, 1, nullptr) < 0 || !PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) ok = false;
        for (pa_operation* operation : operations)
            if (operation) pa_operation_unref(operation);
        if (!ok) problem = problemText(pa_context_errno(context), "");
        for (Device& device : outputs) device.isDefault = device.name == listing.defaultOutput;
        for (Device& device : inputs) device.isDefault = device.name == listing.defaultInput;
    }
    if (context) {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
    pa_mainloop_free(loop);
    return ok;
}
#else
Stream::~Stream() = default;
bool Stream::open(Direction, const StreamFormat&, const std::string&, std::string& problem) {
    problem = soundServerMissingText;
    return false;
}
bool Stream::write(const std::uint8_t*, std::size_t, std::string& problem) {
    problem = soundServerMissingText;
    return false;
}
bool Stream::read(std::uint8_t*, std::size_t, std::string& problem) {
    problem = soundServerMissingText;
    return false;
}
std::uint64_t Stream::latencyMicroseconds() { return 0; }
bool Stream::drain(std::string& problem) {
    problem = soundServerMissingText;
    return false;
}
void Stream::flush() {}
void Stream::close() {}
bool listDevices(std::vector<Device>&, std::vector<Device>&, std::string& problem) {
    problem = soundServerMissingText;
    return false;
}
#endif
}
