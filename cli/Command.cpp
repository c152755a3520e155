// SPDX-License-Identifier: MIT
#include "cli/Command.h"

#include <algorithm>
#include <cstring>

static std::vector<const CliCommand*>& Table() {
  static std::vector<const CliCommand*> table;
  return table;
}

CliRegistration::CliRegistration(const CliCommand& command) {
  auto& t = Table();
  t.insert(std::upper_bound(t.begin(), t.end(), &command,
                            [](const CliCommand* a, const CliCommand* b) {
                              return std::strcmp(a->name, b->name) < 0;
                            }),
           &command);
}

const std::vector<const CliCommand*>& CliCommands() { return Table(); }

const CliCommand* FindCliCommand(const std::string& name) {
  for (const CliCommand* c : Table())
    if (name == c->name) return c;
  return nullptr;
}
