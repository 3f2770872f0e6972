#include "cli/FindingsReport.h"

namespace cli {
RecordingFindings findingsOf(const RecordingInput& recording, const std::vector<DecodedRecord>& records) {
    const WavSamples& wav = recording.wav;
    return diagnoseWhole(wav.samples, wav.rate, sourceFactsOf(wav), records);
}

void printFindings(const std::vector<Finding>& findings, const std::string& indent, std::ostream& out) {
    for (const Finding& finding : findings) out << indent << findingLine(finding) << "\n";
}
}
