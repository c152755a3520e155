// SPDX-License-Identifier: MIT
// Running an external program (the optional unar/lsar tools) without a shell: the arguments go
// to the program as they are, its output is captured up to a limit, and it is killed when it
// runs too long. Thread-safe (the pipe is close-on-exec, so parallel calls leak nothing).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct TToolResult {
  bool Started = false;   // false: the program could not be started (Error says why)
  int ExitCode = -1;      // exit status; -1 when killed by a signal or the time limit
  std::string Out;        // standard output (cut at the limit)
  std::string Error;
};

// Runs argv[0] (looked up on PATH) with argv[1..]. Standard input and error are /dev/null.
TToolResult RunTool(const std::vector<std::string>& argv, size_t maxOutput, int timeoutSeconds);
