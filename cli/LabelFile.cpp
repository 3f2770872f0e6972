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

std::vector<TapeLabel> findingLabels(const SideReading& side) {
    std::vector<TapeLabel> labels;
    auto add = [&labels](const std::vector<Finding>& some) {
        for (const Finding& finding : some)
            if (finding.where && finding.length > 0)
                labels.push_back(TapeLabel{*finding.where, *finding.where + finding.length, findingLine(finding)});
    };
    add(side.whole);
    for (const ReadRecord& record : side.records) add(record.findings);
    return labels;
}

std::string labelFileText(const SideReading& side) {
    std::vector<DecodedRecord> records;
    std::vector<std::size_t> starts;
    for (const ReadRecord& record : side.records) records.push_back(record.reading), starts.push_back(record.start);
    std::string text;
    for (const TapeLabel& label : recordLabels(records, starts, toTerminal)) text += labelLine(label, side.rate);
    for (const TapeLabel& label : findingLabels(side)) text += labelLine(label, side.rate);
    return labelEncoding(text);
}

bool writeLabelFile(const std::string& path, const SideReading& side, bool force, std::ostream& err) {
    const std::string text = labelFileText(side);
    return writeNewFile(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), force, err);
}
