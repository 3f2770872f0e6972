#pragma once
// The four texts of the info dialog: caption, lines and the entry selected on opening.
#include <string>
#include <vector>

enum class HelpVariant { General, Designer, Converter, Screen };

struct HelpText {
    std::string caption;
    std::vector<std::string> lines;
    int selected = 0;   // index into lines
};

HelpText helpText(HelpVariant variant);
