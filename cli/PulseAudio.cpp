#include "cli/PulseAudio.h"

#ifdef BV7_HAVE_PULSE
#include <dlfcn.h>
#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/simple.h>
#endif

namespace pulse {
const char* const soundServerMissingText =
    "Fehler: Kein Tonserver erreichbar (PulseAudio oder PipeWire läuft nicht, oder PULSE_SERVER zeigt ins Leere)";

#ifdef BV7_HAVE_PULSE
namespace {
// The client library is loaded when a command first talks to the sound
// server, not with the program: it brings some twenty libraries along (X11,
// D-Bus, ...), whose loading took half of the processor time bv7 needs to
// start, on every command. These are the functions taken from it.
#define BV7_PULSE_FUNCTIONS(use)                                                                        \
    use(pa_strerror) use(pa_usec_to_bytes)                                                              \
    use(pa_simple_new) use(pa_simple_write) use(pa_simple_read) use(pa_simple_get_latency)              \
    use(pa_simple_drain) use(pa_simple_flush) use(pa_simple_free)                                       \
    use(pa_mainloop_new) use(pa_mainloop_get_api) use(pa_mainloop_iterate) use(pa_mainloop_free)        \
    use(pa_context_new) use(pa_context_connect) use(pa_context_get_state) use(pa_context_errno)         \
    use(pa_context_get_server_info) use(pa_context_get_sink_info_list)                                  \
    use(pa_context_get_source_info_list) use(pa_context_disconnect) use(pa_context_unref)               \
    use(pa_operation_unref)

struct Library {
#define BV7_PULSE_POINTER(name) decltype(&::name) name = nullptr;
    BV7_PULSE_FUNCTIONS(BV7_PULSE_POINTER)
#undef BV7_PULSE_POINTER
};

// The library's functions, or null where it cannot be loaded.
const Library* library() {
    static const Library* const loaded = []() -> const Library* {
        void* handle = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!handle) return nullptr;
        static Library functions;
        bool complete = true;
#define BV7_PULSE_BIND(name)                                                            \
    functions.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));         \
    complete = complete && functions.name;
        BV7_PULSE_FUNCTIONS(BV7_PULSE_BIND)
#undef BV7_PULSE_BIND
        return complete ? &functions : nullptr;
    }();
    return loaded;
}

const char* const libraryMissingText =
    "Fehler: Die Bibliothek für den Tonserver (libpulse-simple.so.0) fehlt – Paket libpulse0 installieren.";
}

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
    const Library* pa = library();
    return text + (error && pa ? std::string(" [") + pa->pa_strerror(error) + "]." : std::string("."));
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
    const Library* pa = library();
    if (!pa) {
        problem = libraryMissingText;
        return false;
    }
    pa_sample_spec serverFormat{formatOf(layout.format), layout.rate, layout.channels};
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(-1);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    // A recording comes in tenths of a second, so the reading keeps up with the sound.
    attributes.fragsize = static_cast<std::uint32_t>(pa->pa_usec_to_bytes(100000, &serverFormat));
    bool record = direction == Direction::Record;
    int error = 0;
    handle_ = pa->pa_simple_new(nullptr, appName, record ? PA_STREAM_RECORD : PA_STREAM_PLAYBACK,
                            device.empty() ? nullptr : device.c_str(), record ? "Aufnahme vom BV7" : "Ausgabe an BV7",
                            &serverFormat, nullptr, record ? &attributes : nullptr, &error);
    if (!handle_) problem = problemText(error, device);
    return handle_ != nullptr;
}

bool Stream::write(const std::uint8_t* bytes, std::size_t count, std::string& problem) {
    const Library* pa = library();   // loaded where there is a handle
    int error = 0;
    if (handle_ && pa->pa_simple_write(simple(handle_), bytes, count, &error) == 0) return true;
    problem = problemText(error, device_);
    return false;
}

bool Stream::read(std::uint8_t* bytes, std::size_t count, std::string& problem) {
    const Library* pa = library();
    int error = 0;
    if (handle_ && pa->pa_simple_read(simple(handle_), bytes, count, &error) == 0) return true;
    problem = problemText(error, device_);
    return false;
}

std::uint64_t Stream::latencyMicroseconds() {
    const Library* pa = library();
    int error = 0;
    if (!handle_) return 0;
    pa_usec_t latency = pa->pa_simple_get_latency(simple(handle_), &error);
    return latency == static_cast<pa_usec_t>(-1) ? 0 : latency;
}

bool Stream::drain(std::string& problem) {
    const Library* pa = library();
    int error = 0;
    if (handle_ && pa->pa_simple_drain(simple(handle_), &error) == 0) return true;
    problem = problemText(error, device_);
    return false;
}

void Stream::flush() {
    const Library* pa = library();
    int error = 0;
    if (handle_) pa->pa_simple_flush(simple(handle_), &error);
}

void Stream::close() {
    if (handle_) library()->pa_simple_free(simple(handle_));
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
    const Library* pa = library();
    if (!pa) {
        problem = libraryMissingText;
        return false;
    }
    pa_mainloop* loop = pa->pa_mainloop_new();
    if (!loop) {
        problem = "Fehler: Zu wenig Speicher für die Verbindung zum Tonserver.";
        return false;
    }
    pa_context* context = pa->pa_context_new(pa->pa_mainloop_get_api(loop), appName);
    bool ok = context && pa->pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
    // Until the connection is made or has failed.
    while (ok) {
        pa_context_state_t state = pa->pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) break;
        if (!PA_CONTEXT_IS_GOOD(state) || pa->pa_mainloop_iterate(loop, 1, nullptr) < 0) ok = false;
    }
    if (!ok) {
        problem = problemText(context ? pa->pa_context_errno(context) : PA_ERR_INTERNAL, "");
    } else {
        Listing listing{&outputs, &inputs, {}, {}, 3};
        pa_operation* operations[] = {pa->pa_context_get_server_info(context, serverInfo, &listing),
                                      pa->pa_context_get_sink_info_list(context, sinkInfo, &listing),
                                      pa->pa_context_get_source_info_list(context, sourceInfo, &listing)};
        for (pa_operation* operation : operations)
            if (!operation) ok = false;
        while (ok && listing.pending > 0)
            if (pa->pa_mainloop_iterate(loop, 1, nullptr) < 0 || !PA_CONTEXT_IS_GOOD(pa->pa_context_get_state(context))) ok = false;
        for (pa_operation* operation : operations)
            if (operation) pa->pa_operation_unref(operation);
        if (!ok) problem = problemText(pa->pa_context_errno(context), "");
        for (Device& device : outputs) device.isDefault = device.name == listing.defaultOutput;
        for (Device& device : inputs) device.isDefault = device.name == listing.defaultInput;
    }
    if (context) {
        pa->pa_context_disconnect(context);
        pa->pa_context_unref(context);
    }
    pa->pa_mainloop_free(loop);
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
