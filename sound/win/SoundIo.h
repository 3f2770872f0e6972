#pragma once
// The audio engine of the exchange dialog on winmm: device lists, the capture
// with its level meter, playback with progress, the test tone and the
// playback volume. Every notification arrives as a message to the dialog.
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sound/BinToWav.h"
#include "sound/PlaybackSound.h"
#include "sound/TempWav.h"
#include "sound/TestTone.h"

class SoundIo final : public WavPlayer {
  public:
    explicit SoundIo(HWND dialog);
    ~SoundIo() override;
    SoundIo(const SoundIo&) = delete;
    SoundIo& operator=(const SoundIo&) = delete;

    void fillDeviceLists();
    void selectRecordingDevice(int entry);
    void selectPlaybackDevice(int entry);

    // Volume of the playback device outputDevice; failures go to the trace only.
    void saveVolume();
    void restoreVolume();
    void applyVolume();
    void setUpVolumeSlider();
    // The level meter: range 0..100, coloured by the level.
    void setUpMeter();
    void onVolumeSlider(int position);

    // Opens the recording device with its blocks cycling; false after the
    // failure was reported.
    bool armCapture();
    bool captureArmed() const { return input_ != nullptr; }
    // MM_WIM_DATA: level, meter and, while `capturing`, the block appended to "temp.wav".
    void onCaptureBlock(WAVEHDR* header, bool capturing);
    void stopCapture();
    void resetRecordedBytes() { bytesRecorded_ = 0; }
    std::uint32_t recordedBytes() const { return bytesRecorded_; }

    // Plays a WAV file as it is, and half a second of its idle level behind
    // it, on the default playback device; the duration in status part 1 and
    // the 500 ms timer. 0 when the sound runs; otherwise the file's fault or
    // "Wiedergabe konnte nicht gestartet werden" has been shown.
    int play(const std::string& path) override;
    // The timer: progress, and true once everything has been played (the device is closed then).
    bool onPlaybackTimer();
    void closePlayback();
    bool playing() const { return output_ != nullptr; }

    void startTestTone();
    void stopTestTone();

    static constexpr UINT_PTR playbackTimer = 1;
    static constexpr UINT playbackPeriod = 500;

  private:
    HWND item(int id) const { return GetDlgItem(dialog_, id); }
    void showLevel(int level);
    void releaseCapture();
    bool startOutput(const PlaybackSound& sound, std::vector<std::uint8_t>&& file);

    HWND dialog_;
    HWAVEIN input_ = nullptr;
    // The capture blocks in rotation, 46 ms each at 44100 Hz: the device
    // always holds most of them, so a driver that hands over sound in pieces
    // of 100 ms or more, or a window thread busy for a moment, loses nothing.
    static constexpr int captureBlocks = 16;
    WAVEHDR headers_[captureBlocks] = {};
    std::uint8_t blocks_[captureBlocks][rawCaptureBlockBytes] = {};
    std::uint8_t blockC_[rawCaptureBlockBytes] = {};   // the copy of the block last returned
    std::uint32_t bytesRecorded_ = 0;
    HWAVEOUT output_ = nullptr;
    std::vector<std::uint8_t> playFile_;   // the played file; the blocks point into it
    std::vector<std::uint8_t> playTail_;
    std::vector<WAVEHDR> playBlocks_;
    std::uint32_t bytesPerSecond_ = 0;
    std::uint32_t lengthMs_ = 0;
    bool lastBlockDone_ = false;   // seen at the last tick; the device closes at the next
    DWORD savedVolume_ = 0;
};
