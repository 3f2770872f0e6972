#pragma once
// The program's current audio format: the one the exchange dialog records,
// plays and encodes with, 22050 or 44100 samples per second.
#include <cstdint>

#include "tape/AudioFormat.h"

const AudioFormat& currentAudioFormat();
int currentHalfCellSamples();

// 22050 or 44100 (any other value selects 22050): sets the format record, the
// rate in the global settings and N, and shows "22 kHz" / "44 kHz" in part 2
// of the status bar.
void selectSampleRate(std::int64_t rate);
