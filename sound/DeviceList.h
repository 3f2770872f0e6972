#pragma once
// The recording and playback device lists of the exchange dialog.
#include <cstdint>
#include <string>
#include <vector>

// What a device says of itself: its name and the format flags it supports.
struct DeviceCaps {
    std::string name;
    std::uint32_t formats = 0;
};

// 22.05 kHz and 44.1 kHz mono 8-bit: a device with either takes part.
constexpr std::uint32_t format2M08 = 0x10;
constexpr std::uint32_t format4M08 = 0x100;
bool deviceQualifies(const DeviceCaps& caps);

struct DeviceList {
    std::vector<std::string> entries;
    int selected = -1;   // the entry to select; may lie outside the list, then none is selected
};

// "WAVE-Mapper", then every qualifying recording device in order. A single
// qualifying device makes `inputDevice` 0; the entry inputDevice + 1 is selected.
DeviceList recordingDeviceList(const std::vector<DeviceCaps>& devices, std::int32_t& inputDevice);
// Every qualifying playback device, no mapper. A single one makes `outputDevice` 0,
// which is the entry selected.
DeviceList playbackDeviceList(const std::vector<DeviceCaps>& devices, std::int32_t& outputDevice);

// The device numbers of a selected entry: the list position as it stands
// (the mapper entry gives -1, the wave mapper).
constexpr std::int32_t inputDeviceOfEntry(int entry) { return entry - 1; }
constexpr std::int32_t outputDeviceOfEntry(int entry) { return entry; }
