// SPDX-License-Identifier: MIT
#include "archive/SafeWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/UniqueFd.h"

namespace {

std::string Err(const std::string& what, int e) { return what + ": " + std::strerror(e); }

// Opens (creating when missing) the folders `parts[0..count)` below `target`; the last one's
// descriptor in `out`.
std::string OpenFolders(const std::string& target, const std::vector<std::string>& parts,
                        size_t count, TUniqueFd& out) {
  int dir = ::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return Err(target, errno);
  for (size_t i = 0; i < count; ++i) {
    const std::string& name = parts[i];
    if (::mkdirat(dir, name.c_str(), 0777) != 0 && errno != EEXIST) {
      int e = errno;
      ::close(dir);
      return Err(name, e);
    }
    int next = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    int e = errno;
    ::close(dir);
    if (next < 0) {
      if (e == ELOOP || e == ENOTDIR)
        return name + ": refusing to write through a symbolic link or file";
      return Err(name, e);
    }
    dir = next;
  }
  out.fd = dir;
  return {};
}

std::string TempName(const std::string& final) {
  static std::atomic<unsigned> counter{0};
  return ".~" + final.substr(0, 64) + "." + std::to_string(::getpid()) + "." +
         std::to_string(counter.fetch_add(1)) + ".part";
}

}  // namespace

TError SafeRelativeParts(std::string_view stored, std::vector<std::string>& parts) {
  parts.clear();
  size_t i = 0;
  bool first = true;
  while (i <= stored.size()) {
    size_t j = stored.find_first_of("\\/", i);
    if (j == std::string_view::npos) j = stored.size();
    std::string_view c = stored.substr(i, j - i);
    if (first && c.size() == 2 && c[1] == ':' &&
        ((c[0] >= 'A' && c[0] <= 'Z') || (c[0] >= 'a' && c[0] <= 'z'))) {
      c = {};  // a drive letter
    }
    first = false;
    if (c == "..") {
      parts.clear();
      return TError::Failure("unsafe path in archive: " + std::string(stored));
    }
    if (!c.empty() && c != ".") parts.emplace_back(c);
    i = j + 1;
  }
  if (parts.empty()) return TError::Failure("empty path in archive");
  return {};
}

TError SafeMakeFolders(const std::string& target, const std::vector<std::string>& parts) {
  TUniqueFd dir;
  return TError::Failure(OpenFolders(target, parts, parts.size(), dir));
}

TError SafeWriteFile(const std::string& target, const std::vector<std::string>& parts,
                     const TDataSource& data, const TWriteOptions& options) {
  if (parts.empty()) return TError::Failure("empty path in archive");
  TUniqueFd dir;
  std::string err = OpenFolders(target, parts, parts.size() - 1, dir);
  if (!err.empty()) return TError::Failure(err);
  const std::string& name = parts.back();
  std::string tmp = TempName(name);
  TUniqueFd file(
      ::openat(dir.fd, tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
  if (file.fd < 0) return TError::Failure(Err(name, errno));
  auto fail = [&](std::string why) {
    ::unlinkat(dir.fd, tmp.c_str(), 0);
    return TError::Failure(why);
  };
  char buf[65536];
  for (;;) {
    int64_t n = data(buf, sizeof buf);
    if (n < 0) return fail(name + ": the archive data could not be read");
    if (n == 0) break;
    const char* p = buf;
    auto left = static_cast<size_t>(n);
    while (left > 0) {
      ssize_t w = ::write(file.fd, p, left);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return fail(Err(name, errno));
      p += w;
      left -= static_cast<size_t>(w);
    }
  }
  if (options.DateTime != 0.0 && std::isfinite(options.DateTime)) {
    // The date-time double is local time: back to broken-down time, then mktime.
    double secs = std::round((options.DateTime - 25569.0) * 86400.0);
    if (secs > -1e12 && secs < 1e12) {
      time_t asUtc = static_cast<time_t>(secs);
      struct tm t;
      if (gmtime_r(&asUtc, &t)) {
        t.tm_isdst = -1;
        time_t local = mktime(&t);
        struct timespec ts[2] = {{local, 0}, {local, 0}};
        ::futimens(file.fd, ts);
      }
    }
  }
  if (options.ReadOnly) {
    struct stat st;
    if (::fstat(file.fd, &st) == 0) ::fchmod(file.fd, st.st_mode & ~static_cast<mode_t>(0222));
  }
  if (::close(file.fd) != 0) {
    file.fd = -1;
    return fail(Err(name, errno));
  }
  file.fd = -1;
  struct stat existing;
  if (::fstatat(dir.fd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
      S_ISDIR(existing.st_mode))
    return fail(name + ": a folder of that name exists");
  // rename replaces a symbolic link of that name itself; it never writes through it.
  if (::renameat(dir.fd, tmp.c_str(), dir.fd, name.c_str()) != 0) return fail(Err(name, errno));
  return {};
}
