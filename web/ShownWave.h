#pragma once
// The recording last read on the page, kept for its signal view.
#include <emscripten/val.h>

#include "tape/SideReading.h"
#include "web/ChosenRecording.h"

// Keeps `samples` for the columns the page draws and gives the marks of the
// records of `side` (read from them) as plain numbers.
emscripten::val keepWave(RecordingSamples samples, const SideReading& side);
