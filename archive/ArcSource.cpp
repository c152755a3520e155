// SPDX-License-Identifier: MIT
#include "archive/ArcSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

TArcSource::~TArcSource() { Close(); }

TError TArcSource::OpenFile(const std::string& path) {
  Close();
  // Non-blocking, so that a FIFO named like an archive is refused instead of waited on.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return TError::Failure(std::strerror(errno));
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    std::string err = std::strerror(errno);
    ::close(fd);
    return TError::Failure(err);
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    return TError::Failure("Not a regular file");
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return {};
}

TError TArcSource::OpenFileAt(int dirfd, const std::string& name, uint64_t size) {
  Close();
  int fd = ::openat(dirfd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return TError::Failure(std::strerror(errno));
  fd_ = fd;
  size_ = size;
  return {};
}

void TArcSource::OpenMemory(std::string_view data) {
  Close();
  mem_ = data;
  size_ = data.size();
}

void TArcSource::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  mem_ = {};
  size_ = 0;
}

bool TArcSource::ReadAt(uint64_t offset, void* buf, size_t len) const {
  if (offset > size_ || len > size_ - offset) return false;
  if (Cancelled()) return false;
  if (len == 0) return true;
  if (fd_ < 0) {
    std::memcpy(buf, mem_.data() + offset, len);
    return true;
  }
  auto* p = static_cast<char*>(buf);
  while (len > 0) {
    ssize_t n = ::pread(fd_, p, len, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    len -= static_cast<size_t>(n);
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

size_t TArcSource::ReadSome(uint64_t offset, size_t len, std::string& out) const {
  if (offset >= size_) return 0;
  if (len > size_ - offset) len = static_cast<size_t>(size_ - offset);
  size_t old = out.size();
  out.resize(old + len);
  if (!ReadAt(offset, out.data() + old, len)) {
    out.resize(old);
    return 0;
  }
  return len;
}
