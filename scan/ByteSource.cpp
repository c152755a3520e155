// SPDX-License-Identifier: MIT
#include "scan/ByteSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

TByteSource::TByteSource(const std::string& path) {
  // Non-blocking, so that a FIFO or a device node never stalls the caller.
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) {
    error_ = std::strerror(errno);
    return;
  }
  struct stat st;
  if (::fstat(fd_, &st) != 0) {
    error_ = std::strerror(errno);
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    error_ = std::strerror(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    return;
  }
  size_ = static_cast<uint64_t>(st.st_size);
  ok_ = true;
}

TByteSource::TByteSource(int dirfd, const std::string& name, uint64_t size) {
  fd_ = ::openat(dirfd, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) {
    error_ = std::strerror(errno);
    return;
  }
  size_ = size;
  ok_ = true;
}

TByteSource::TByteSource(std::string_view bytes) : mem_(bytes), ok_(true), size_(bytes.size()) {}

TByteSource::~TByteSource() {
  if (fd_ >= 0) ::close(fd_);
}

size_t TByteSource::ReadAt(uint64_t offset, void* out, size_t n) const {
  if (!ok_ || offset >= size_ || n == 0) return 0;
  if (n > size_ - offset) n = static_cast<size_t>(size_ - offset);
  if (fd_ < 0) {
    std::memcpy(out, mem_.data() + offset, n);
    return n;
  }
  const size_t headSize = static_cast<size_t>(std::min<uint64_t>(size_, kHeadBytes));
  if (offset + n <= headSize) {
    if (!headRead_) {
      headRead_ = true;
      head_.resize(headSize);
      head_.resize(ReadFile(0, head_.data(), headSize));
    }
    // A file that shrank since its size was taken is read directly below.
    if (offset + n <= head_.size()) {
      std::memcpy(out, head_.data() + offset, n);
      return n;
    }
  }
  return ReadFile(offset, out, n);
}

size_t TByteSource::ReadFile(uint64_t offset, void* out, size_t n) const {
  size_t got = 0;
  while (got < n) {
    ssize_t r =
        ::pread(fd_, static_cast<char*>(out) + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  return got;
}

bool TByteSource::ReadExact(uint64_t offset, size_t n, std::string& out) const {
  out.clear();
  if (!ok_ || offset > size_ || n > size_ - offset) return false;
  out.resize(n);
  size_t got = ReadAt(offset, out.data(), n);
  out.resize(got);
  return got == n;
}
