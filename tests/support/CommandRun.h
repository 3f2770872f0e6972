#pragma once
// A bv7 command run in-process as the program runs it, with its streams caught.
#include <sstream>
#include <string>

#include "cli/CliSupport.h"
#include "cli/Commands.h"

struct CommandOutcome {
    int code;
    std::string out, err;
};

inline CommandOutcome runCommand(CommandFunction command, const CommandArgs& args) {
    std::ostringstream out, err;
    cli::TerminalInterface terminal(err);
    cli::CommandIo io{out, err};
    int code = command(args, io);
    return CommandOutcome{code, out.str(), err.str()};
}
