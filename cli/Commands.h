#pragma once
// The commands of bv7. Each takes the arguments after its name and returns the
// exit code (cli::exitOk, exitFailed, exitUsage); "--help" prints its usage.
#include <string>
#include <vector>

#include "cli/CliSupport.h"

using CommandArgs = std::vector<std::string>;
using CommandFunction = int (*)(const CommandArgs& args, cli::CommandIo& io);

int bin2wavCommand(const CommandArgs& args, cli::CommandIo& io);
int wav2binCommand(const CommandArgs& args, cli::CommandIo& io);
int listCommand(const CommandArgs& args, cli::CommandIo& io);
int checkCommand(const CommandArgs& args, cli::CommandIo& io);
int crcCommand(const CommandArgs& args, cli::CommandIo& io);
int hexdumpCommand(const CommandArgs& args, cli::CommandIo& io);
int kaloCommand(const CommandArgs& args, cli::CommandIo& io);
int playCommand(const CommandArgs& args, cli::CommandIo& io);
int recordCommand(const CommandArgs& args, cli::CommandIo& io);
int archiveCommand(const CommandArgs& args, cli::CommandIo& io);
int devicesCommand(const CommandArgs& args, cli::CommandIo& io);
