// SPDX-License-Identifier: MIT
// tolvane-cli: drives the Tolvane core from a terminal. Each command lives in a file of its own
// (cli/cmd_*.cpp) and registers itself in the command table.
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "platform/TimeZone.h"

static void PrintHelp(FILE* out) {
  std::fprintf(out,
               "Usage: tolvane-cli COMMAND [ARGUMENTS]\n"
               "Tolvane catalogues disks, folders and archives into searchable catalogs.\n\n"
               "Commands:\n");
  int width = 0;  // the summaries start in one column, after the longest name
  for (const CliCommand* c : CliCommands())
    width = std::max(width, static_cast<int>(std::strlen(c->name)));
  for (const CliCommand* c : CliCommands())
    std::fprintf(out, "  %-*s %s\n", width, c->name, c->summary);
  std::fprintf(out, "\nRun 'tolvane-cli help COMMAND' for the usage of one command.\n");
}

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  PinLocalTimeZone();
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    PrintHelp(stdout);
    return argc < 2 ? 2 : 0;
  }
  std::string name = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (name == "help") {
    if (args.empty()) {
      PrintHelp(stdout);
      return 0;
    }
    if (const CliCommand* c = FindCliCommand(args[0])) {
      std::printf("Usage: tolvane-cli %s\n%s\n", c->usage, c->summary);
      return 0;
    }
    std::fprintf(stderr, "tolvane-cli: unknown command '%s'\n", args[0].c_str());
    return 2;
  }
  const CliCommand* c = FindCliCommand(name);
  if (!c) {
    std::fprintf(stderr, "tolvane-cli: unknown command '%s'\n\n", name.c_str());
    PrintHelp(stderr);
    return 2;
  }
  try {
    return c->run(args);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolvane-cli %s: %s\n", c->name, e.what());
    return 1;
  }
}
