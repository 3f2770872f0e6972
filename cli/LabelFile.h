#pragma once
// The label file of a recording: where each record, each block and each
// failure lies, for importing as a label track over the recording into an
// audio editor. For every command that reads records (wav2bin, list). What
// the diagnosis found over a span (a dropout, pumping) is marked as well.
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tape/Decoder.h"
#include "tape/RecordingDiagnosis.h"
#include "tape/SideReading.h"
#include "tape/TapeListing.h"

// A label for each finding with a span, from `where` over its `length`, with
// its line ("Warnung: ..."): those of the recording as a whole, then each record's.
std::vector<TapeLabel> findingLabels(const SideReading& side);

// The labels of the records of `side` (TapeListing.h), then findingLabels,
// one per line: "start<TAB>end<TAB>text", seconds with six decimals, UTF-8.
std::string labelFileText(const SideReading& side);

// Writes labelFileText to `path` ("-": standard output) as writeNewFile does:
// an existing file only with `force`. Messages go to `err`; true when written.
bool writeLabelFile(const std::string& path, const SideReading& side, bool force, std::ostream& err);
