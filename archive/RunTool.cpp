// SPDX-License-Identifier: MIT
#include "archive/RunTool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

TToolResult RunTool(const std::vector<std::string>& argv, size_t maxOutput, int timeoutSeconds) {
  TToolResult res;
  if (argv.empty()) {
    res.Error = "no program";
    return res;
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    res.Error = std::strerror(errno);
    return res;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    ::close(fds[0]);
    res.Error = rc == ENOENT ? argv[0] + " is not installed" : std::strerror(rc);
    return res;
  }
  res.Started = true;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  bool killed = false;
  char buf[65536];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) {
      ::kill(pid, SIGKILL);
      killed = true;
      break;
    }
    struct pollfd pfd = {fds[0], POLLIN, 0};
    int pr = ::poll(&pfd, 1, static_cast<int>(left));
    if (pr < 0 && errno == EINTR) continue;
    if (pr <= 0) continue;
    ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    size_t room = maxOutput - res.Out.size();
    res.Out.append(buf, static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room);
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (killed) {
    res.Error = argv[0] + " did not finish in time";
  } else if (WIFEXITED(status)) {
    res.ExitCode = WEXITSTATUS(status);
    // posix_spawnp may report a missing program only through the child's exit status 127.
    if (res.ExitCode == 127) res.Error = argv[0] + " is not installed";
  } else {
    res.Error = argv[0] + " ended abnormally";
  }
  return res;
}
