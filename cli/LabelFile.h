#pragma once
// The label file of a recording: where each record, each block and each
// failure lies, for importing as a label track over the recording into an
// audio editor. For every command that reads records (wav2bin, list).
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "tape/Decoder.h"

// The labels of `records` read from samples at `rate` (TapeListing.h), one
// per line: "start<TAB>end<TAB>text", seconds with six decimals, UTF-8.
std::string labelFileText(const std::vector<DecodedRecord>& records, std::uint32_t rate);

// Writes labelFileText to `path` ("-": standard output) as writeNewFile does:
// an existing file only with `force`. Messages go to `err`; true when written.
bool writeLabelFile(const std::string& path, const std::vector<DecodedRecord>& records, std::uint32_t rate, bool force,
                    std::ostream& err);
