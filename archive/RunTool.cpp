// SPDX-License-Identifier: MIT
#include "archive/RunTool.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

TToolStream::~TToolStream() {
  if (pid_ > 0) ::kill(pid_, SIGKILL);
  Finish();
}

TError TToolStream::Start(const std::vector<std::string>& argv, int timeoutSeconds) {
  if (argv.empty()) return TError::Failure("no program");
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return TError::Failure(std::strerror(errno));
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
    return TError::Failure(rc == ENOENT ? argv[0] + " is not installed" : std::strerror(rc));
  }
  pid_ = pid;
  fd_ = fds[0];
  deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  return {};
}

int64_t TToolStream::Read(void* buf, size_t len) {
  if (fd_ < 0) return 0;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline_ - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) {
      if (pid_ > 0) ::kill(pid_, SIGKILL);
      return -1;
    }
    struct pollfd pfd = {fd_, POLLIN, 0};
    int pr = ::poll(&pfd, 1, static_cast<int>(left));
    if (pr < 0 && errno != EINTR) return -1;
    if (pr <= 0) continue;
    ssize_t n = ::read(fd_, buf, len);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) {
      ::close(fd_);
      fd_ = -1;
    }
    return n;
  }
}

int TToolStream::Finish() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (pid_ <= 0) return -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TToolResult RunTool(const std::vector<std::string>& argv, size_t maxOutput, int timeoutSeconds) {
  TToolResult res;
  TToolStream tool;
  res.Error = tool.Start(argv, timeoutSeconds).Message();
  if (!res.Error.empty()) return res;
  res.Started = true;
  char buf[65536];
  int64_t n;
  while ((n = tool.Read(buf, sizeof buf)) > 0) {
    size_t room = maxOutput - res.Out.size();
    res.Out.append(buf, static_cast<size_t>(n) < room ? static_cast<size_t>(n) : room);
  }
  res.ExitCode = tool.Finish();
  if (n < 0) {
    res.Error = argv[0] + " did not finish in time";
    res.ExitCode = -1;
  } else if (res.ExitCode == 127) {
    // posix_spawnp may report a missing program only through the child's exit status.
    res.Error = argv[0] + " is not installed";
  } else if (res.ExitCode < 0) {
    res.Error = argv[0] + " ended abnormally";
  }
  return res;
}
