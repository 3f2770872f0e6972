#include "cli/FindingsReport.h"

#include "tape/ReadingReport.h"

namespace cli {
void printFindings(const std::vector<Finding>& findings, const std::string& indent, std::ostream& out) {
    for (const std::string& line : findingLines(findings, indent)) out << line << "\n";
}
}
