#pragma once
// The findings of a recording as every command shows them (list, check,
// wav2bin, record): the lines that show them.
#include <ostream>
#include <string>
#include <vector>

#include "tape/RecordingDiagnosis.h"

namespace cli {
// The line above the findings of the recording as a whole, after its records.
constexpr const char* wholeRecordingHeading = "Ganze Aufnahme:";

// One line per finding, "Hinweis: ..." or "Warnung: ...", after `indent`.
void printFindings(const std::vector<Finding>& findings, const std::string& indent, std::ostream& out);
}
