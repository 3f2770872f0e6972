#include "sound/win/SoundIo.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <cstring>
#include <vector>

#include "resources/SpulwerkIds.h"
#include "shell/CommonServices.h"
#include "shell/FileIo.h"
#include "shell/GlobalSettings.h"
#include "shell/StringTable.h"
#include "shell/UserInterface.h"
#include "shell/win/Win32UserInterface.h"
#include "sound/DeviceList.h"
#include "sound/ExchangeState.h"
#include "sound/MmError.h"
#include "sound/SampleRate.h"
#include "sound/SoundRules.h"

namespace {
WAVEFORMATEX recordingFormat() {
    const AudioFormat& format = currentAudioFormat();
    WAVEFORMATEX wave{};
    wave.wFormatTag = format.formatTag;
    wave.nChannels = format.channels;
    wave.nSamplesPerSec = format.samplesPerSecond;
    wave.nAvgBytesPerSec = format.bytesPerSecond;
    wave.nBlockAlign = format.blockAlign;
    wave.wBitsPerSample = format.bitsPerSample;
    wave.cbSize = format.extraSize;
    return wave;
}

template <typename Caps, typename GetCaps>
std::vector<DeviceCaps> devicesOf(UINT count, GetCaps getCaps) {
    std::vector<DeviceCaps> devices;
    for (UINT device = 0; device < count; ++device) {
        Caps caps{};
        if (getCaps(device, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
        devices.push_back(DeviceCaps{caps.szPname, caps.dwFormats});
    }
    return devices;
}

void fillList(HWND list, const DeviceList& devices) {
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& entry : devices.entries)
        SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(devices.selected), 0);
}

HWAVEOUT outputDeviceHandle() {
    return reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(globalSettings().outputDevice));
}
}

SoundIo::SoundIo(HWND dialog) : dialog_(dialog) {}

SoundIo::~SoundIo() {
    if (captureArmed()) stopCapture();
    closePlayback();
}

void SoundIo::fillDeviceLists() {
    GlobalSettings& settings = globalSettings();
    auto inputs = devicesOf<WAVEINCAPSA>(waveInGetNumDevs(), [](UINT device, WAVEINCAPSA* caps, UINT size) {
        return waveInGetDevCapsA(device, caps, size);
    });
    auto outputs = devicesOf<WAVEOUTCAPSA>(waveOutGetNumDevs(), [](UINT device, WAVEOUTCAPSA* caps, UINT size) {
        return waveOutGetDevCapsA(device, caps, size);
    });
    fillList(item(IDC_SND_IN_DEVICE), recordingDeviceList(inputs, settings.inputDevice));
    fillList(item(IDC_SND_OUT_DEVICE), playbackDeviceList(outputs, settings.outputDevice));
}

void SoundIo::selectRecordingDevice(int entry) { globalSettings().inputDevice = inputDeviceOfEntry(entry); }
void SoundIo::selectPlaybackDevice(int entry) { globalSettings().outputDevice = outputDeviceOfEntry(entry); }

void SoundIo::saveVolume() {
    if (waveOutGetVolume(outputDeviceHandle(), &savedVolume_) != MMSYSERR_NOERROR)
        ui().trace("Fehler beim Lesen+Sichern der Lautstärke");
}

void SoundIo::restoreVolume() {
    if (waveOutSetVolume(outputDeviceHandle(), savedVolume_) != MMSYSERR_NOERROR)
        ui().trace("Fehler beim Zurückschreiben der Lautstärke");
}

void SoundIo::applyVolume() {
    if (waveOutSetVolume(outputDeviceHandle(), volumeOfLevel(globalSettings().outputVolume)) != MMSYSERR_NOERROR)
        ui().trace("Fehler beim Setzen der Lautstärke");
}

void SoundIo::setUpMeter() {
    HWND meter = item(IDC_SND_LEVEL_METER);
    // A themed bar keeps the colour of its theme; the meter's colour tells the level.
    SetWindowTheme(meter, L" ", L" ");   // a class list no theme knows
    SendMessageA(meter, PBM_SETRANGE32, 0, 100);
}

void SoundIo::setUpVolumeSlider() {
    HWND slider = item(IDC_SND_VOLUME);
    SendMessageA(slider, TBM_SETRANGE, FALSE, MAKELPARAM(0, maxVolumeLevel));
    SendMessageA(slider, TBM_SETPOS, TRUE, sliderPositionOfLevel(globalSettings().outputVolume));
}

void SoundIo::onVolumeSlider(int position) {
    globalSettings().outputVolume = levelOfSliderPosition(position);
    applyVolume();
}

bool SoundIo::armCapture() {
    WAVEFORMATEX format = recordingFormat();
    UINT device = static_cast<UINT>(globalSettings().inputDevice);   // -1 is WAVE_MAPPER
    if (reportMmError(waveInOpen(nullptr, device, &format, 0, 0, WAVE_FORMAT_QUERY))) return false;
    HWAVEIN opened = nullptr;
    if (reportMmError(waveInOpen(&opened, device, &format, reinterpret_cast<DWORD_PTR>(dialog_), 0, CALLBACK_WINDOW)))
        return false;
    input_ = opened;
    std::memset(blocks_, 0, sizeof blocks_);
    for (WAVEHDR& header : headers_) header = WAVEHDR{};
    // A device that opened but cannot cycle its blocks is released again, so
    // that the next attempt finds it free.
    bool cycling = true;
    for (int i = 0; i < captureBlocks && cycling; ++i) {
        headers_[i].lpData = reinterpret_cast<LPSTR>(blocks_[i]);
        headers_[i].dwBufferLength = rawCaptureBlockBytes;
        cycling = !reportMmError(waveInPrepareHeader(input_, &headers_[i], sizeof headers_[i])) &&
                  !reportMmError(waveInAddBuffer(input_, &headers_[i], sizeof headers_[i]));
    }
    if (!cycling || reportMmError(waveInStart(input_))) {
        releaseCapture();
        return false;
    }
    return true;
}

void SoundIo::onCaptureBlock(WAVEHDR* header, bool capturing) {
    // Blocks returned by a stop arrive after the handle was cleared.
    if (!input_ || header < headers_ || header >= headers_ + captureBlocks) return;
    bytesRecorded_ += header->dwBytesRecorded;
    std::memcpy(blockC_, header->lpData, rawCaptureBlockBytes);
    std::memset(header->lpData, 0, rawCaptureBlockBytes);
    if (reportMmError(waveInAddBuffer(input_, header, sizeof *header))) return;
    showLevel(captureLevel(blockC_, rawCaptureBlockBytes));
    if (capturing) {
        appendRawCapture(blockC_, rawCaptureBlockBytes);
        ui().setStatus(sizePart, kilobytesText(bytesRecorded_));
    }
}

void SoundIo::showLevel(int level) {
    SetDlgItemTextA(dialog_, IDC_SND_LEVEL_TEXT, levelText(level).c_str());
    HWND meter = item(IDC_SND_LEVEL_METER);
    SendMessageA(meter, PBM_SETPOS, static_cast<WPARAM>(level), 0);
    SendMessageA(meter, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(meterColour(level)));
}

void SoundIo::releaseCapture() {
    if (!input_) return;
    HWAVEIN input = input_;
    waveInReset(input);
    for (WAVEHDR& header : headers_)
        if (header.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(input, &header, sizeof header);
    waveInClose(input);
    input_ = nullptr;
}

void SoundIo::stopCapture() {
    releaseCapture();
    for (int part = 0; part < 3; ++part) ui().setStatus(part, " ");
    SetDlgItemTextA(dialog_, IDC_SND_LEVEL_TEXT, " ");
}

int SoundIo::play(const std::string& path) {
    closePlayback();
    std::vector<std::uint8_t> bytes;
    ReadOutcome read = readFile(path, bytes);
    if (read != ReadOutcome::Ok) {
        showStringError(read == ReadOutcome::OutOfMemory ? str::outOfMemory : str::cannotOpenWav);
        return -1;
    }
    PlaybackSound sound = playbackSoundOf(ByteView(bytes));
    if (sound.error) {
        showStringError(sound.error);
        return -1;
    }
    if (!startOutput(sound, std::move(bytes))) {
        closePlayback();
        ui().ask(Message{"Wiedergabe konnte nicht gestartet werden", "Fehler", mb::ok, nullptr});
        return -1;
    }
    bytesPerSecond_ = sound.bytesPerSecond;
    lengthMs_ = sound.lengthMs;
    lastBlockDone_ = false;
    ui().setStatus(sizePart, durationText(lengthMs_));
    SendMessageA(item(IDC_SND_PROGRESS), PBM_SETRANGE32, 0, static_cast<LPARAM>(lengthMs_));
    SetTimer(dialog_, playbackTimer, playbackPeriod, nullptr);
    return 0;
}

// The whole sound and its idle tail are queued while the device is paused,
// and only then does it start: no block has to arrive in time, so a busy
// machine cannot starve the sound on the program's side.
bool SoundIo::startOutput(const PlaybackSound& sound, std::vector<std::uint8_t>&& file) {
    HWAVEOUT output = nullptr;
    auto* format = reinterpret_cast<const WAVEFORMATEX*>(sound.format.data());
    if (waveOutOpen(&output, WAVE_MAPPER, format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
    output_ = output;
    playFile_ = std::move(file);   // the sound's view moves along with the vector's block
    playTail_ = sound.tail;
    std::vector<ByteView> pieces;
    for (std::size_t at = 0; at < sound.sound.size; at += sound.blockBytes)
        pieces.push_back(sound.sound.sub(at, sound.blockBytes));
    if (!playTail_.empty()) pieces.push_back(ByteView(playTail_));
    if (pieces.empty()) return false;
    playBlocks_.assign(pieces.size(), WAVEHDR{});
    if (waveOutPause(output_) != MMSYSERR_NOERROR) return false;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        WAVEHDR& block = playBlocks_[i];
        block.lpData = reinterpret_cast<LPSTR>(const_cast<std::uint8_t*>(pieces[i].data));
        block.dwBufferLength = static_cast<DWORD>(pieces[i].size);
        if (waveOutPrepareHeader(output_, &block, sizeof block) != MMSYSERR_NOERROR ||
            waveOutWrite(output_, &block, sizeof block) != MMSYSERR_NOERROR)
            return false;
    }
    return waveOutRestart(output_) == MMSYSERR_NOERROR;
}

bool SoundIo::onPlaybackTimer() {
    if (!output_) return false;
    MMTIME position{};
    position.wType = TIME_BYTES;
    if (waveOutGetPosition(output_, &position, sizeof position) == MMSYSERR_NOERROR && position.wType == TIME_BYTES)
        SendMessageA(item(IDC_SND_PROGRESS), PBM_SETPOS, playedMs(bytesPerSecond_, lengthMs_, position.u.cb), 0);
    // The blocks come back in order: with the last one the tail has gone out
    // too. A driver may report it done while the sound server still holds
    // some of it, and closing the device drops that: the device stays open
    // for one more tick.
    if (!(playBlocks_.back().dwFlags & WHDR_DONE)) return false;
    if (!lastBlockDone_) {
        lastBlockDone_ = true;
        return false;
    }
    closePlayback();
    return true;
}

void SoundIo::closePlayback() {
    KillTimer(dialog_, playbackTimer);
    if (output_) {
        waveOutReset(output_);
        for (WAVEHDR& block : playBlocks_)
            if (block.dwFlags & WHDR_PREPARED) waveOutUnprepareHeader(output_, &block, sizeof block);
        waveOutClose(output_);
        output_ = nullptr;
    }
    std::vector<WAVEHDR>().swap(playBlocks_);
    std::vector<std::uint8_t>().swap(playFile_);
    std::vector<std::uint8_t>().swap(playTail_);
}

void SoundIo::startTestTone() {
    applyVolume();
    PlaySoundA(MAKEINTRESOURCEA(IDW_TEST_TONE), programInstance(), SND_RESOURCE | SND_ASYNC | SND_LOOP);
}

void SoundIo::stopTestTone() { PlaySoundA(nullptr, nullptr, 0); }
