// SPDX-License-Identifier: MIT
// The command table of tolvane-cli. A command file defines one CliCommand and registers it with
// a static CliRegistration, so adding a command never touches another command's file.
#pragma once

#include <string>
#include <vector>

struct CliCommand {
  const char* name;
  const char* usage;                                 // arguments after the command name
  const char* summary;                               // one line
  int (*run)(const std::vector<std::string>& args);  // exit status
};

// Commands sorted by name.
const std::vector<const CliCommand*>& CliCommands();
const CliCommand* FindCliCommand(const std::string& name);

struct CliRegistration {
  explicit CliRegistration(const CliCommand& command);
};
