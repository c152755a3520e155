// SPDX-License-Identifier: MIT
#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace {

std::string ErrnoText(int err) { return std::strerror(err); }

std::string DirOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string ReadWholeFile(const std::string& path, std::string& data) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ErrnoText(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    return ErrnoText(err);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return ErrnoText(EISDIR);
  }
  std::string buf;
  try {
    buf.resize(static_cast<size_t>(st.st_size));
  } catch (const std::exception&) {
    ::close(fd);
    return ErrnoText(ENOMEM);
  }
  size_t got = 0;
  for (;;) {
    if (got == buf.size()) buf.resize(buf.size() + 65536);  // the file grew, or a pseudo file
    ssize_t n = ::read(fd, buf.data() + got, buf.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      return ErrnoText(err);
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  ::close(fd);
  buf.resize(got);
  data.swap(buf);
  return {};
}

std::string WriteWholeFileAtomic(const std::string& path, std::string_view data) {
  std::string dir = DirOf(path);
  std::random_device rd;
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    tmp = path + ".tmp" + std::to_string(rd() % 1000000);
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return ErrnoText(errno);
  }
  if (fd < 0) return ErrnoText(EEXIST);
  struct stat old;
  if (::stat(path.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);  // keep its mode
  auto fail = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return ErrnoText(err);
  };
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return fail(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return ErrnoText(err);
  }
  if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return ErrnoText(err);
  }
  // Make the rename itself durable.
  int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return {};
}
