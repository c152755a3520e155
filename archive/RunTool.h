// SPDX-License-Identifier: MIT
// Running an external program (the optional unar/lsar tools) without a shell: the arguments go
// to the program as they are, its output is read through a pipe, and it is killed when it runs
// too long. Thread-safe (the pipe is close-on-exec, so parallel calls leak nothing).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Error.h"

// A started program whose standard output is read piece by piece. Standard input and error are
// /dev/null. The destructor kills and reaps a program still running.
class TToolStream {
 public:
  TToolStream() = default;
  ~TToolStream();
  TToolStream(const TToolStream&) = delete;
  TToolStream& operator=(const TToolStream&) = delete;

  // Starts argv[0] (looked up on PATH) with argv[1..]; the whole run may take `timeoutSeconds`.
  // Fails with the error text ("unar is not installed").
  TError Start(const std::vector<std::string>& argv, int timeoutSeconds);
  // Up to `len` bytes of output; 0 at the end; -1 when the time is up or reading failed (the
  // program is then killed).
  int64_t Read(void* buf, size_t len);
  // Waits for the program; its exit status, or -1 when it was killed or ended by a signal.
  // Exit status 127 means the program could not be run.
  int Finish();

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  std::chrono::steady_clock::time_point deadline_;
};

struct TToolResult {
  bool Started = false;  // false: the program could not be started (Error says why)
  int ExitCode = -1;     // exit status; -1 when killed by a signal or the time limit
  std::string Out;       // standard output (cut at the limit)
  std::string Error;
};

// Runs a program to its end, collecting its output up to `maxOutput` bytes.
TToolResult RunTool(const std::vector<std::string>& argv, size_t maxOutput, int timeoutSeconds);
