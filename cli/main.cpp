// SPDX-License-Identifier: MIT
// tolvane-cli: drives the Tolvane core from a terminal. Each command lives in a file of its own
// (cli/cmd_*.cpp) and registers itself in the command table.
#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/CliCatalog.h"
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
  std::fprintf(out,
               "\nEvery command that reads a catalog takes --codepage NAME (1251, windows-1252,\n"
               "cp866, ...): the code page of names and descriptions that are not UTF-8 (catalogs\n"
               "made on older systems); without it the program's setting applies.\n"
               "Run 'tolvane-cli help COMMAND' for the usage of one command.\n");
}

// The exit status of a run that ended with `status`: output that could not be written (a full
// disk, a closed file) fails the run, so that a script never takes a cut listing for a whole one.
static int Finish(const char* name, int status) {
  int err = std::fflush(stdout) != 0 ? errno : 0;
  if (err == 0 && !std::ferror(stdout)) return status;
  std::fprintf(stderr, "tolvane-cli %s: cannot write the output: %s\n", name,
               std::strerror(err != 0 ? err : EIO));
  return status == 0 ? 1 : status;
}

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "C.UTF-8");
  PinLocalTimeZone();
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    PrintHelp(stdout);
    return Finish("--help", argc < 2 ? 2 : 0);
  }
  std::string name = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  if (name == "help") {
    if (args.empty()) {
      PrintHelp(stdout);
      return Finish("help", 0);
    }
    if (const CliCommand* c = FindCliCommand(args[0])) {
      std::printf("Usage: tolvane-cli %s\n%s\n", c->usage, c->summary);
      return Finish("help", 0);
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
  std::string page, error;
  if (!TakeCodePageOption(args, page, error)) {
    std::fprintf(stderr, "tolvane-cli %s: %s\n", c->name, error.c_str());
    return 2;
  }
  try {
    TCatalogDecoders decoders;
    // A page given on the command line applies to every catalog; otherwise the settings decide,
    // per catalog file where one has a page of its own.
    if (page.empty()) page = CliDefaultCodePage(&decoders);
    decoders.SetAll(TTextDecoder(page));
    SetCliDecoders(std::move(decoders));
    return Finish(c->name, c->run(args));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tolvane-cli %s: %s\n", c->name, e.what());
    return 1;
  }
}
