// SPDX-License-Identifier: MIT
#include "fileops/ProgressCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/UniqueFd.h"

namespace {

constexpr size_t kChunk = 1 << 20;  // bytes between two progress reports

std::string Err(const std::string& path, int e) { return path + ": " + std::strerror(e); }

TCopyResult Fail(std::string why, TCopyStatus status = TCopyStatus::Failed) {
  TCopyResult r;
  r.Status = status;
  r.Error = std::move(why);
  return r;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A new empty file with a temporary name in `folder`, created exclusively; its path in `tmp`.
int CreateTemp(const std::string& folder, std::string& tmp) {
  tmp = folder + "/.tolvane-XXXXXX";
  return ::mkostemp(tmp.data(), O_CLOEXEC);
}

// Renames `tmp` over `target` unless `target` is a folder; removes `tmp` on failure.
std::string Commit(const std::string& tmp, const std::string& target) {
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    ::unlink(tmp.c_str());
    return target + ": a folder of that name exists";
  }
  // rename replaces a symbolic link of that name itself; it never writes through it.
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    return Err(target, e);
  }
  return {};
}

TCopyResult CopyLink(const std::string& source, const std::string& target) {
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = ::readlink(source.c_str(), buf.data(), buf.size());
    if (n < 0) return Fail(Err(source, errno));
    if (static_cast<size_t>(n) < buf.size()) {
      buf.resize(static_cast<size_t>(n));
      break;
    }
    if (buf.size() >= (1u << 20)) return Fail(source + ": link text too long");
    buf.resize(buf.size() * 2);
  }
  std::string linkText(buf.begin(), buf.end());
  // symlink cannot create exclusively under a random name, so reserve one with a file first.
  std::string tmp;
  int fd = CreateTemp(FolderOf(target), tmp);
  if (fd < 0) return Fail(Err(target, errno));
  ::close(fd);
  ::unlink(tmp.c_str());
  if (::symlink(linkText.c_str(), tmp.c_str()) != 0) return Fail(Err(target, errno));
  std::string err = Commit(tmp, target);
  if (!err.empty()) return Fail(err);
  return {};
}

}  // namespace

TCopyResult CopyFileWithProgress(const std::string& source, const std::string& target,
                                 const TCopyProgressFn& progress, bool sync) {
  struct stat src;
  if (::lstat(source.c_str(), &src) != 0) return Fail(Err(source, errno));
  struct stat dst;
  if (::stat(target.c_str(), &dst) == 0 && dst.st_dev == src.st_dev && dst.st_ino == src.st_ino)
    return Fail(target + ": source and target are the same file");
  if (S_ISLNK(src.st_mode)) return CopyLink(source, target);
  if (!S_ISREG(src.st_mode)) return Fail(source + ": not a regular file");

  TUniqueFd in(::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
  if (in.fd < 0) return Fail(Err(source, errno));
  if (::fstat(in.fd, &src) != 0 || !S_ISREG(src.st_mode))
    return Fail(source + ": not a regular file");

  std::string tmp;
  TUniqueFd out(CreateTemp(FolderOf(target), tmp));
  if (out.fd < 0) return Fail(Err(target, errno));
  auto discard = [&](TCopyResult r) {
    ::close(out.fd);
    out.fd = -1;
    ::unlink(tmp.c_str());
    return r;
  };

  TCopyResult result;
  std::unique_ptr<char[]> buf(new char[kChunk]);
  if (progress && !progress(0)) return discard(Fail("cancelled", TCopyStatus::Cancelled));
  // The kernel copies between the files without passing the bytes through this process (and may
  // share the blocks); where it cannot (another file system on older kernels, special files), the
  // bytes are read and written.
  bool kernelCopy = true;
  for (;;) {
    if (kernelCopy) {
      ssize_t n = ::copy_file_range(in.fd, nullptr, out.fd, nullptr, kChunk, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && result.Bytes == 0 &&
          (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
           errno == EBADF)) {
        kernelCopy = false;
        continue;
      }
      if (n < 0) return discard(Fail(Err(target, errno)));
      if (n == 0 && result.Bytes == 0 && src.st_size > 0) {
        kernelCopy = false;  // a file system that copies nothing this way: read and write it
        continue;
      }
      if (n == 0) break;
      result.Bytes += n;
      if (progress && !progress(result.Bytes))
        return discard(Fail("cancelled", TCopyStatus::Cancelled));
      continue;
    }
    // Fill a whole chunk (or reach the end) before reporting.
    size_t filled = 0;
    while (filled < kChunk) {
      ssize_t n = ::read(in.fd, buf.get() + filled, kChunk - filled);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return discard(Fail(Err(source, errno)));
      if (n == 0) break;
      filled += static_cast<size_t>(n);
    }
    if (filled == 0) break;
    const char* p = buf.get();
    size_t left = filled;
    while (left > 0) {
      ssize_t w = ::write(out.fd, p, left);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return discard(Fail(Err(target, w < 0 ? errno : ENOSPC)));
      p += w;
      left -= static_cast<size_t>(w);
    }
    result.Bytes += static_cast<int64_t>(filled);
    if (progress && !progress(result.Bytes))
      return discard(Fail("cancelled", TCopyStatus::Cancelled));
    if (filled < kChunk) break;
  }

  ::fchmod(out.fd, src.st_mode & 0777);
  struct timespec times[2] = {src.st_atim, src.st_mtim};
  ::futimens(out.fd, times);
  if (sync && ::fsync(out.fd) != 0) return discard(Fail(Err(target, errno)));
  int closed = ::close(out.fd);
  out.fd = -1;
  if (closed != 0) {
    int e = errno;
    ::unlink(tmp.c_str());
    return Fail(Err(target, e));
  }
  std::string err = Commit(tmp, target);
  if (!err.empty()) return Fail(err);
  return result;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool IsRealFolder(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int ClearReadOnly(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return -1;
  if (S_ISLNK(st.st_mode)) return static_cast<int>(st.st_mode & 07777);
  if (!(st.st_mode & S_IWUSR)) ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
  return static_cast<int>(st.st_mode & 07777);
}

TError DeleteFileAt(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return TError::Failure(Err(path, errno));
  return {};
}

bool IsSafeComponent(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

bool RealPathBelow(const std::string& root, std::string_view mediumPath, std::string& out) {
  out = root;
  size_t i = 0;
  while (i <= mediumPath.size() && !mediumPath.empty()) {
    size_t j = mediumPath.find('\\', i);
    if (j == std::string_view::npos) j = mediumPath.size();
    std::string_view c = mediumPath.substr(i, j - i);
    if (!IsSafeComponent(c)) return false;
    if (!out.empty() && out.back() != '/') out += '/';
    out += c;
    i = j + 1;
  }
  return true;
}
