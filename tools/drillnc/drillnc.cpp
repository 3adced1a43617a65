// drillnc: the drilling program's parts from the command line, over
// in-memory forms, for scripts and tests. See headless.h for the output
// rules and command_table.cpp for the commands.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/drillnc/command_table.h"
#include "tools/drillnc/headless.h"

int main(int argc, char* argv[]) {
  using namespace drillnc;
  GlobalOptions options;
  int i = 1;
  // Global options stand before the command name.
  for (; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--home") {
      if (i + 1 >= argc) {
        std::fputs("drillnc: option --home needs a value\n", stderr);
        return kExitUsage;
      }
      options.home = argv[++i];
    } else if (a.rfind("--home=", 0) == 0) {
      options.home = a.substr(7);
    } else if (a == "--yes") {
      options.answer = true;
    } else if (a == "--no") {
      options.answer = false;
    } else if (a == "--help" || a == "-h" || a == "help") {
      PrintUsage(stdout);
      return kExitOk;
    } else if (a.rfind("-", 0) == 0) {
      std::fprintf(stderr, "drillnc: unknown option %s\n", a.c_str());
      PrintUsage(stderr);
      return kExitUsage;
    } else {
      break;
    }
  }
  if (i >= argc) {
    PrintUsage(stderr);
    return kExitUsage;
  }
  const Command* command = FindCommand(argv[i]);
  if (!command) {
    std::fprintf(stderr, "drillnc: unknown command %s\n", argv[i]);
    PrintUsage(stderr);
    return kExitUsage;
  }
  std::vector<std::string> args(argv + i + 1, argv + argc);
  // The command parses its arguments, then starts the session itself, so a
  // usage error touches no folder.
  Session session(options, *command);
  return command->function(session, args);
}
