#include "sound/DeviceList.h"

namespace {
DeviceList qualifying(const std::vector<DeviceCaps>& devices, std::vector<std::string> entries) {
    DeviceList list{std::move(entries), -1};
    for (const DeviceCaps& device : devices)
        if (deviceQualifies(device)) list.entries.push_back(device.name);
    return list;
}
}

bool deviceQualifies(const DeviceCaps& caps) { return (caps.formats & (format2M08 | format4M08)) != 0; }

DeviceList recordingDeviceList(const std::vector<DeviceCaps>& devices, std::int32_t& inputDevice) {
    DeviceList list = qualifying(devices, {"WAVE-Mapper"});
    if (list.entries.size() == 2) inputDevice = 0;
    list.selected = inputDevice + 1;
    return list;
}

DeviceList playbackDeviceList(const std::vector<DeviceCaps>& devices, std::int32_t& outputDevice) {
    DeviceList list = qualifying(devices, {});
    if (list.entries.size() == 1) outputDevice = 0;
    list.selected = outputDevice;
    return list;
}
