// SPDX-License-Identifier: MIT
// Helpers of the command tests: the built tolvane-cli run as a child process, as a script runs
// it, with its output, error output and exit status captured.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/CatalogTestUtil.h"

struct TCliResult {
  int Status = -1;  // exit status; 128 + signal number when killed
  std::string Out, Err;
};

struct TCliRunOptions {
  // > 0: the child may not write files larger than this many bytes (RLIMIT_FSIZE, which binds
  // root too); a write past it fails with EFBIG.
  long FileSizeLimit = 0;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs `tolvane-cli args...`; standard input is /dev/null. The output is read through pipes
// (a file-size limit would cut output written to files).
inline TCliResult RunCli(const std::vector<std::string>& args, const TCliRunOptions& opt = {}) {
  TCliResult r;
  int outPipe[2], errPipe[2];
  if (::pipe(outPipe) != 0) return r;
  if (::pipe(errPipe) != 0) {
    ::close(outPipe[0]);
    ::close(outPipe[1]);
    return r;
  }
  std::string exe = TOLVANE_CLI_EXE;
  std::vector<std::string> copy = args;
  std::vector<char*> argv{exe.data()};
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    int in = ::open("/dev/null", O_RDONLY);
    if (in < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(outPipe[1], 1);
    ::dup2(errPipe[1], 2);
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (opt.FileSizeLimit > 0) {
      ::signal(SIGXFSZ, SIG_IGN);  // kept across exec: a write past the limit fails instead
      struct rlimit rl;
      rl.rlim_cur = rl.rlim_max = static_cast<rlim_t>(opt.FileSizeLimit);
      ::setrlimit(RLIMIT_FSIZE, &rl);
    }
    ::execv(exe.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  struct pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&r.Out, &r.Err};
  int open = 2;
  while (open > 0 && pid > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || !(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[4096];
      ssize_t n = ::read(fds[k].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[k]->append(buf, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[k].fd);
        fds[k].fd = -1;
        --open;
      }
    }
  }
  for (const pollfd& f : fds)
    if (f.fd >= 0) ::close(f.fd);
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid)
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

// The lines of `text` (LF-terminated).
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Splits one TSV row into its fields (empty fields kept).
inline std::vector<std::string> TsvFields(const std::string& row) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t end = row.find('\t', start);
    fields.push_back(row.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}
