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
#include "tape/TapeListing.h"

// A label for each finding with a span, from `where` over its `length`, with
// its line ("Warnung: ..."): those of the recording as a whole, then each record's.
std::vector<TapeLabel> findingLabels(const RecordingFindings& findings);

// The labels of `records` read from samples at `rate` (TapeListing.h), then
// findingLabels, one per line: "start<TAB>end<TAB>text", seconds with six
// decimals, UTF-8.
std::string labelFileText(const std::vector<DecodedRecord>& records, std::uint32_t rate,
                          const RecordingFindings& findings);

// Writes labelFileText to `path` ("-": standard output) as writeNewFile does:
// an existing file only with `force`. Messages go to `err`; true when written.
bool writeLabelFile(const std::string& path, const std::vector<DecodedRecord>& records, std::uint32_t rate,
                    const RecordingFindings& findings, bool force, std::ostream& err);
