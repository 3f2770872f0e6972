#pragma once
// The command line of a bv7 command: its arguments, its streams, its exit
// codes and the one way a wrong call is answered.
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace cli {
constexpr int exitOk = 0;
constexpr int exitFailed = 1;   // the input could not be converted
constexpr int exitUsage = 2;    // the command line is wrong

struct CommandIo {
    std::ostream& out;
    std::ostream& err;
};

// Options with a value ("-o FILE", also "--name=TEXT"), flags and positional arguments.
class Arguments {
  public:
    // False with `error` set for an unknown option or a missing value.
    bool parse(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
               std::initializer_list<const char*> flags, std::string& error);
    bool has(const std::string& flag) const;
    // Null when the option was not given.
    const std::string* value(const std::string& option) const;
    const std::vector<std::string>& positionals() const { return positionals_; }

  private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> flags_;
    std::vector<std::string> positionals_;
};

// A wrong call: `problem` (when there is one) and the usage on the error
// stream; returns exitUsage.
int usageError(CommandIo& io, const std::string& problem, const char* usage);

// Parses the arguments of a command whose flags include "--help". False when
// the command ends here, `code` then set: exitUsage after the usage error, or
// exitOk after the usage for "--help".
bool parseCommandLine(const std::vector<std::string>& args, std::initializer_list<const char*> valueOptions,
                      std::initializer_list<const char*> flags, const char* usage, Arguments& arguments,
                      CommandIo& io, int& code);
}
