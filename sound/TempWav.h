#pragma once
// "temp.wav" in the start directory, where a recording is captured and the
// encoder writes its output, and its one owner: the path, whether it holds a
// recording "Stopp" left unsaved, the capture appended to it, moving it to the
// name the user chose, and removing it when the program ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/UserInterface.h"

constexpr std::size_t rawCaptureBlockBytes = 2048;

// The full path; until the program places it, "temp.wav" in the current folder.
const std::string& tempWavPath();
// "temp.wav" in `directory` (a Windows folder, without the closing backslash).
void placeTempWavIn(const std::string& directory);
// Another file in its place (tests).
void setTempWavPath(const std::string& path);

// Appends one returned recording block (created when missing).
int appendRawCapture(const std::uint8_t* block, std::size_t size = rawCaptureBlockBytes);

// Turns the raw capture into a WAV file in the current format. The WAV is
// written beside it first; the raw file is replaced only when that succeeded.
int convertRawCaptureToWav();

// "temp.wav" becomes `target`, replacing it (the user agreed to that when
// choosing it). A failed move leaves "temp.wav" as it was and shows
// "Fehler beim Benennen des WAV". Returns 0 or -1.
int nameTempWav(const std::string& target);

// Whether "temp.wav" holds a recording that "Stopp" left unsaved. It belongs
// to the file, which lives as long as the program, not to one opening of the
// dialog: a dialog opened later still asks.
bool recordingLeftInTempWav();
void setRecordingLeftInTempWav(bool left);

// Before a capture or an encoding writes "temp.wav" anew: when the last
// recording was left there unsaved, the user is asked first. True when
// "temp.wav" may be overwritten; the recording is given up then.
bool mayOverwriteTempWav(WindowRef owner);

// Before the exchange dialog closes: a recording left unsaved is mentioned
// first. True when the dialog may close.
bool mayCloseWithTempRecording(WindowRef owner);

// Before the program ends: a recording left unsaved gets the question of
// unsaved work. Yes saves it first (the WAV chooser; cancelling that stays),
// No gives it up, Cancel stays. True when the program may end.
bool mayEndWithTempRecording(WindowRef owner);

// Removes "temp.wav" (before a capture starts it anew, and at the program's
// end), unless it still holds a recording nobody gave up.
void removeTempWav();
