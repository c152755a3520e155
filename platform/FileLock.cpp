// SPDX-License-Identifier: MIT
#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

std::string TFileLock::Lock(const std::string& path, int waitMs) {
  Unlock();
  const std::string lockName = LockFileName(path);
  int fd = ::open(lockName.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) fd = ::open(lockName.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);  // read-only folder
  if (fd < 0) return "cannot open the lock file " + lockName + ": " + std::strerror(errno);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return {};
    }
    int err = errno;
    if (err != EWOULDBLOCK && err != EINTR) {
      ::close(fd);
      return "cannot lock " + lockName + ": " + std::strerror(err);
    }
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::close(fd);
  return path + " is being changed by another program (it holds " + lockName +
         "); nothing was changed, try again when it has finished";
}

void TFileLock::Unlock() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}
