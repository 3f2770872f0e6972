#include "cli/LabelFile.h"

#include "cli/CliSupport.h"
#include "tape/TapeListing.h"

using namespace cli;

namespace {
// The program's own texts are the terminal's (UTF-8 natively, Windows-1252 on
// Windows); a label file is always UTF-8.
std::string labelEncoding(std::string text) {
#ifdef _WIN32
    return cp1252ToUtf8(text);
#else
    return text;
#endif
}
}

std::vector<TapeLabel> findingLabels(const RecordingFindings& findings) {
    std::vector<TapeLabel> labels;
    auto add = [&labels](const std::vector<Finding>& some) {
        for (const Finding& finding : some)
            if (finding.where && finding.length > 0)
                labels.push_back(TapeLabel{*finding.where, *finding.where + finding.length, findingLine(finding)});
    };
    add(findings.whole);
    for (const std::vector<Finding>& record : findings.perRecord) add(record);
    return labels;
}

std::string labelFileText(const std::vector<DecodedRecord>& records, std::uint32_t rate,
                          const RecordingFindings& findings) {
    std::string text;
    for (const TapeLabel& label : recordLabels(records, rate, toTerminal)) text += labelLine(label, rate);
    for (const TapeLabel& label : findingLabels(findings)) text += labelLine(label, rate);
    return labelEncoding(text);
}

bool writeLabelFile(const std::string& path, const std::vector<DecodedRecord>& records, std::uint32_t rate,
                    const RecordingFindings& findings, bool force, std::ostream& err) {
    const std::string text = labelFileText(records, rate, findings);
    return writeNewFile(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), force, err);
}
