#pragma once
// The findings of a recording as every command shows them (list, check,
// wav2bin, the label file): one call for what the diagnosis finds, and the
// lines that show it.
#include <ostream>
#include <string>
#include <vector>

#include "cli/RecordingInput.h"
#include "tape/RecordingDiagnosis.h"

namespace cli {
// The findings of `records` (as readRecords gives them) in `recording`: of
// the file, of the recording as a whole and of each record.
RecordingFindings findingsOf(const RecordingInput& recording, const std::vector<DecodedRecord>& records);

// The line above the findings of the recording as a whole, after its records.
constexpr const char* wholeRecordingHeading = "Ganze Aufnahme:";

// One line per finding, "Hinweis: ..." or "Warnung: ...", after `indent`.
void printFindings(const std::vector<Finding>& findings, const std::string& indent, std::ostream& out);
}
