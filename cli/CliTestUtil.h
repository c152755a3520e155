// SPDX-License-Identifier: MIT
// Helpers of the command tests: the built tolvane-cli run as a child process, as a script runs
// it, with its output, error output and exit status captured.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <regex.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
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
  // Not empty: standard output goes to this file (such as /dev/full) instead of Out.
  std::string OutputFile;
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
    if (!opt.OutputFile.empty()) {
      int out = ::open(opt.OutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (out < 0) ::_exit(126);
      ::dup2(out, 1);
    }
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

// A fixed modification time for the files of a test medium: 04.03.2020, 05:06:07 local time,
// shown as "04.03.2020, 05:06" in a row.
inline void SetTestTime(const std::string& path) {
  std::tm tm{};
  tm.tm_year = 2020 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 4;
  tm.tm_hour = 5;
  tm.tm_min = 6;
  tm.tm_sec = 7;
  tm.tm_isdst = -1;
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = std::mktime(&tm);
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A scratch folder holding a small medium and a catalog "c.ctl" (catalog name "c") with the
// medium added as disk "Disk1". The medium, every entry dated by SetTestTime:
//   sub/b.dat "12345678", we\ird/t<TAB>ab "x", a.txt "hello", nl<LF>name "y"
// a.txt is described "hello" by its contents. `ls -R --tsv` gives SmallCatalogRows().
// A fresh scratch folder named after `name` and the running test, so that tests of one fixture
// can run side by side (ctest -j starts each test in a process of its own).
inline std::string CliScratchDir(const std::string& name) {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return ScratchDir(info ? name + "-" + info->name() : name);
}

struct TSmallCatalog {
  std::string Dir, Medium, Catalog;
};

inline TSmallCatalog MakeSmallCatalog(const std::string& name) {
  TSmallCatalog c;
  c.Dir = CliScratchDir(name);
  c.Medium = c.Dir + "/medium";
  c.Catalog = c.Dir + "/c.ctl";
  std::filesystem::create_directories(c.Medium + "/sub");
  std::filesystem::create_directories(c.Medium + "/we\\ird");
  std::ofstream(c.Medium + "/sub/b.dat") << "12345678";
  std::ofstream(c.Medium + "/we\\ird/t\tab") << "x";
  std::ofstream(c.Medium + "/a.txt") << "hello";
  std::ofstream(c.Medium + "/nl\nname") << "y";
  for (const char* p :
       {"/sub/b.dat", "/we\\ird/t\tab", "/a.txt", "/nl\nname", "/sub", "/we\\ird", ""})
    SetTestTime(c.Medium + p);
  TCliResult made = RunCli({"new", c.Catalog});
  TCliResult added = RunCli({"add", c.Catalog, c.Medium, "--name", "Disk1", "--quiet"});
  if (made.Status != 0 || added.Status != 0)
    throw std::runtime_error("cannot make the small catalog: " + made.Err + added.Err);
  return c;
}

// `text` with every date other than the test time ("04.03.2020, 05:06") written "<now>": disks,
// groups and catalogs are dated when they are made.
inline std::string MaskNow(const std::string& text) {
  // "dd.mm.yyyy, hh:mm": a digit where the shape has 'd', the character itself elsewhere.
  static constexpr std::string_view kShape = "dd.dd.dddd, dd:dd";
  auto isDate = [&](size_t at) {
    if (at + kShape.size() > text.size()) return false;
    for (size_t k = 0; k < kShape.size(); ++k) {
      char c = text[at + k];
      if (kShape[k] == 'd' ? (c < '0' || c > '9') : c != kShape[k]) return false;
    }
    return true;
  };
  std::string out;
  for (size_t i = 0; i < text.size();) {
    if (isDate(i)) {
      std::string date = text.substr(i, kShape.size());
      out += date == "04.03.2020, 05:06" ? date : "<now>";
      i += kShape.size();
    } else {
      out += text[i++];
    }
  }
  return out;
}

// True when the whole of `text` matches the POSIX extended expression `pattern`. (std::regex
// draws false warnings from the optimiser in the sanitizer build.)
inline bool FullMatch(const std::string& text, const std::string& pattern) {
  regex_t re;
  if (::regcomp(&re, ("^(" + pattern + ")$").c_str(), REG_EXTENDED | REG_NOSUB) != 0) return false;
  bool ok = ::regexec(&re, text.c_str(), 0, nullptr, 0) == 0;
  ::regfree(&re);
  return ok;
}

// The rows of `ls -R --tsv` on a fresh small catalog, dates masked, one line each.
inline std::string SmallCatalogRows() {
  return "Disk1\tDisk\t15\t\t<now>\t\t\n"
         "Disk1\\sub\tFolder\t8\td\t04.03.2020, 05:06\t\t\n"
         "Disk1\\sub\\b.dat\tFile\t8\ta\t04.03.2020, 05:06\t\t\n"
         "Disk1\\we%5Cird\tFolder\t1\td\t04.03.2020, 05:06\t\t\n"
         "Disk1\\we%5Cird\\t%09ab\tFile\t1\ta\t04.03.2020, 05:06\t\t\n"
         "Disk1\\a.txt\tFile\t5\ta\t04.03.2020, 05:06\t\thello\n"
         "Disk1\\nl%0Aname\tFile\t1\ta\t04.03.2020, 05:06\t\t\n";
}

// `ls -R --tsv` of `catalog`, dates masked; "" (and a failed test) when ls fails.
inline std::string AllRows(const std::string& catalog) {
  TCliResult r = RunCli({"ls", catalog, "-R", "--tsv"});
  if (r.Status != 0) return "ls failed: " + r.Err;
  return MaskNow(r.Out);
}

// The names of the entries of folder `dir`, sorted.
inline std::vector<std::string> FolderEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs a command that must be refused: exit 1, `message` on stderr, nothing on stdout, and the
// catalog file unchanged.
inline void ExpectRefused(const std::vector<std::string>& args, const std::string& catalog,
                          const std::string& message) {
  const std::string before = ReadWhole(catalog);
  TCliResult r = RunCli(args);
  EXPECT_EQ(r.Status, 1) << args[0];
  EXPECT_EQ(r.Out, "") << args[0];
  EXPECT_EQ(r.Err, "tolvane-cli " + args[0] + ": " + message + "\n");
  EXPECT_EQ(ReadWhole(catalog), before) << args[0];
}
