#include "cli/Arguments.h"

#include <algorithm>

namespace cli {
bool Arguments::parse(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
                      std::initializer_list<const char*> flags, std::string& error) {
    auto isValueOption = [&](const std::string& name) {
        return std::any_of(valueOptions.begin(), valueOptions.end(), [&](const char* o) { return name == o; });
    };
    auto isFlag = [&](const std::string& name) {
        return std::any_of(flags.begin(), flags.end(), [&](const char* f) { return name == f; });
    };
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positionals_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::size_t equals = arg.find('=');
        std::string name = arg.substr(0, equals);
        if (isValueOption(name)) {
            if (equals != std::string::npos) {
                values_[name] = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                values_[name] = args[++i];
            } else {
                error = "Option " + name + " braucht einen Wert.";
                return false;
            }
        } else if (isFlag(arg)) {
            flags_.push_back(arg);
        } else {
            error = "Unbekannte Option: " + arg;
            return false;
        }
    }
    return true;
}

bool Arguments::has(const std::string& flag) const {
    return std::find(flags_.begin(), flags_.end(), flag) != flags_.end();
}

const std::string* Arguments::value(const std::string& option) const {
    auto found = values_.find(option);
    return found == values_.end() ? nullptr : &found->second;
}

int usageError(CommandIo& io, const std::string& problem, const char* usage) {
    if (!problem.empty()) io.err << problem << "\n";
    io.err << usage;
    return exitUsage;
}

bool parseCommandLine(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
                      std::initializer_list<const char*> flags, const char* usage, Arguments& arguments,
                      CommandIo& io, int& code) {
    std::string problem;
    if (!arguments.parse(args, valueOptions, flags, problem)) {
        code = usageError(io, problem, usage);
        return false;
    }
    if (arguments.has("--help")) {
        io.out << usage;
        code = exitOk;
        return false;
    }
    return true;
}
}
