// The commands of drillnc: one table of {name, function, usage}. A command
// group lives in its own file (cmd_job.cpp, cmd_tools.cpp, ...) and adds its
// declarations and table lines to command_table.cpp.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace drillnc {

class Session;

// Runs one command with the arguments after the command name. The function
// parses its arguments first (a usage error gives kExitUsage and touches
// nothing), then calls session.Start() and does its work. Returns the exit status (kExitOk, kExitFailure, kExitUsage;
// see headless.h).
using CommandFunction = int (*)(Session& session, const std::vector<std::string>& args);

struct Command {
  const char* name;
  CommandFunction function;
  const char* usage;    // the arguments, after "drillnc [global options] NAME "
  const char* summary;  // one line for the usage text
};

// Every command, in the order the usage text lists them.
std::span<const Command> Commands();

// The command of that name, or nullptr.
const Command* FindCommand(std::string_view name);

}  // namespace drillnc
