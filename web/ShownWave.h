#pragma once
// The recording last read on the page, kept for its signal view.
#include <emscripten/val.h>

#include <vector>

#include "tape/SideReading.h"
#include "tape/WavFile.h"

// Keeps `wav` for the columns the page draws and gives the marks of the
// records of `side` (read from its samples) as plain numbers.
emscripten::val keepWave(WavSamples wav, const SideReading& side);
