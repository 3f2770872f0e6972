#pragma once
// The reading of a recording that comes a stretch at a time (a file of any
// length): one pass finds the channel with the signal and the quiet band of
// the whole, a second feeds the reading session (ReadingSession.h), which
// holds only what the readers need, the record being read and what they look
// back at. The value is the one readSide gives for the same samples in memory.
#include <string>

#include "tape/SideReading.h"
#include "tape/SoundSource.h"

// Reads `source` (at its start; it must rewind) as `options` say; `file`
// names the recording in messages and origins. What it saw of the source
// (the channel it took) goes to `seen` where one is given.
SideReading readSideStream(SoundSource& source, const ReadingOptions& options, const std::string& file = "",
                           SourceFacts* seen = nullptr);
