// SPDX-License-Identifier: MIT
#include "platform/FileIO.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>

namespace {

TError ErrnoText(int err) { return TError::Failure(std::strerror(err)); }

std::string DirOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Opens `path` for reading and reads its status; on failure nothing stays open.
TError OpenForReading(const std::string& path, int& fd, struct stat& st) {
  fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ErrnoText(errno);
  if (::fstat(fd, &st) != 0) {
    int err = errno;
    ::close(fd);
    fd = -1;
    return ErrnoText(err);
  }
  return {};
}

}  // namespace

TError ReadWholeFile(const std::string& path, std::string& data, size_t maxSize,
                     struct stat* info) {
  int fd = -1;
  struct stat st;
  if (TError e = OpenForReading(path, fd, st); e.Failed()) return e;
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return ErrnoText(EISDIR);
  }
  if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > maxSize) {
    ::close(fd);
    return TError::Failure("the file is too large (" + std::to_string(st.st_size) +
                           " bytes; at most " + std::to_string(maxSize) + " are accepted)");
  }
  // A regular file is read into a buffer of exactly its size. Only a file that reports no size
  // (a pseudo file, a pipe) is read in growing steps, still within `maxSize`.
  const bool sized = S_ISREG(st.st_mode) && st.st_size > 0;
  // Room for one byte past the limit tells a file of exactly `maxSize` bytes from a larger one.
  const size_t room = maxSize == static_cast<size_t>(-1) ? maxSize : maxSize + 1;
  std::string buf;
  size_t got = 0;
  try {
    buf.resize(sized ? static_cast<size_t>(st.st_size) : std::min<size_t>(65536, room));
    for (;;) {
      if (got == buf.size()) {
        if (sized || buf.size() >= room) break;
        buf.resize(buf.size() > room / 2 ? room : buf.size() * 2);
      }
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
    if (got > maxSize) {
      ::close(fd);
      return TError::Failure("the file is too large (more than " + std::to_string(maxSize) +
                             " bytes)");
    }
  } catch (const std::exception&) {
    ::close(fd);
    return ErrnoText(ENOMEM);
  }
  ::close(fd);
  buf.resize(got);
  data.swap(buf);
  if (info) *info = st;
  return {};
}

namespace {

// A mapped file that another program truncates makes every read past its new end raise SIGBUS,
// which would end the program in the middle of opening a catalog. While a TFileImage maps a file,
// its range is registered here; a fault inside a registered range puts zero pages over the whole
// range (the read goes on and sees zeros), marks it damaged, and the reader reports the file as
// unreadable. Faults elsewhere go to the handler that was there before.
struct TGuardedRange {
  std::atomic<uintptr_t> Start{0};
  std::atomic<size_t> Size{0};
  std::atomic<bool> Damaged{false};
};
constexpr int kGuardedRanges = 32;
TGuardedRange g_ranges[kGuardedRanges];
struct sigaction g_previousBus;

void OnBusError(int sig, siginfo_t* info, void* context) {
  const auto addr = reinterpret_cast<uintptr_t>(info->si_addr);
  for (TGuardedRange& r : g_ranges) {
    const uintptr_t start = r.Start.load(std::memory_order_acquire);
    const size_t size = r.Size.load(std::memory_order_acquire);
    if (start <= 1 || addr < start || addr - start >= size) continue;
    void* p = ::mmap(reinterpret_cast<void*>(start), size, PROT_READ,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (p != MAP_FAILED) {
      r.Damaged.store(true, std::memory_order_release);
      return;
    }
    break;
  }
  if (g_previousBus.sa_flags & SA_SIGINFO) {
    if (g_previousBus.sa_sigaction) return g_previousBus.sa_sigaction(sig, info, context);
  } else if (g_previousBus.sa_handler != SIG_DFL && g_previousBus.sa_handler != SIG_IGN) {
    return g_previousBus.sa_handler(sig);
  }
  // No handler of its own before: the default action, taken when the instruction runs again.
  ::signal(SIGBUS, SIG_DFL);
}

void InstallBusHandler() {
  static const bool installed = [] {
    struct sigaction sa {};
    sa.sa_sigaction = OnBusError;
    sa.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&sa.sa_mask);
    return ::sigaction(SIGBUS, &sa, &g_previousBus) == 0;
  }();
  (void)installed;
}

// False when every slot is taken: the mapping then stays unguarded, as it would be anyway.
bool GuardRange(const char* start, size_t size) {
  InstallBusHandler();
  constexpr uintptr_t kReserved = 1;  // taken, not yet filled in: the handler skips it
  for (TGuardedRange& r : g_ranges) {
    uintptr_t expected = 0;
    if (!r.Start.compare_exchange_strong(expected, kReserved, std::memory_order_acq_rel)) continue;
    r.Size.store(size, std::memory_order_release);
    r.Damaged.store(false, std::memory_order_release);
    r.Start.store(reinterpret_cast<uintptr_t>(start), std::memory_order_release);
    return true;
  }
  return false;
}

TGuardedRange* FindRange(const char* start) {
  for (TGuardedRange& r : g_ranges)
    if (r.Start.load(std::memory_order_acquire) == reinterpret_cast<uintptr_t>(start)) return &r;
  return nullptr;
}

}  // namespace

bool TFileImage::Damaged() const {
  if (!mapped_) return false;
  const TGuardedRange* r = FindRange(map_);
  return r && r->Damaged.load(std::memory_order_acquire);
}

TFileImage::~TFileImage() { Reset(); }

TFileImage::TFileImage(TFileImage&& other) noexcept { *this = std::move(other); }

TFileImage& TFileImage::operator=(TFileImage&& other) noexcept {
  if (this != &other) {
    Reset();
    map_ = other.map_;
    size_ = other.size_;
    mapped_ = other.mapped_;
    buffer_ = std::move(other.buffer_);
    other.map_ = nullptr;
    other.size_ = 0;
    other.mapped_ = false;
    other.buffer_.clear();
  }
  return *this;
}

void TFileImage::Reset() {
  if (mapped_) {
    if (TGuardedRange* r = FindRange(map_)) r->Start.store(0, std::memory_order_release);
    ::munmap(const_cast<char*>(map_), size_);
  }
  map_ = nullptr;
  size_ = 0;
  mapped_ = false;
  buffer_.clear();
}

TError MapWholeFile(const std::string& path, TFileImage& image, size_t maxSize, struct stat* info) {
  int fd = -1;
  struct stat st;
  if (TError e = OpenForReading(path, fd, st); e.Failed()) return e;
  const bool sized =
      S_ISREG(st.st_mode) && st.st_size > 0 && static_cast<uint64_t>(st.st_size) <= maxSize;
  void* p = sized ? ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0)
                  : MAP_FAILED;
  ::close(fd);
  if (p == MAP_FAILED) {
    // Not a regular file, empty, too large or not mappable: read it (which also gives the error).
    TFileImage read;
    TError e = ReadWholeFile(path, read.buffer_, maxSize, info);
    if (e.Ok()) image = std::move(read);
    return e;
  }
  TFileImage mapped;
  mapped.map_ = static_cast<const char*>(p);
  mapped.size_ = static_cast<size_t>(st.st_size);
  mapped.mapped_ = true;
  GuardRange(mapped.map_, mapped.size_);
  image = std::move(mapped);
  if (info) *info = st;
  return {};
}

TError CheckReplaceable(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return {};
  // Root may write anything, so for root a file without any write bit counts as read-only.
  const bool writable =
      ::geteuid() == 0 ? (st.st_mode & 0222) != 0 : ::access(path.c_str(), W_OK) == 0;
  if (writable) return {};
  return TError::Failure("the file is read-only; it was not replaced");
}

int RemoveStaleTempFiles(const std::string& path) {
  std::string dir = DirOf(path);
  auto slash = path.find_last_of('/');
  const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp";
  DIR* d = ::opendir(dir.c_str());
  if (!d) return 0;
  int removed = 0;
  while (dirent* e = ::readdir(d)) {
    std::string_view name(e->d_name);
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 6 ||
        name.substr(0, prefix.size()) != prefix)
      continue;
    std::string_view digits = name.substr(prefix.size());
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) continue;
    struct stat st;
    if (::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
      continue;
    if (::unlinkat(::dirfd(d), e->d_name, 0) == 0) ++removed;
  }
  ::closedir(d);
  return removed;
}

TAtomicFile::~TAtomicFile() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(tmp_.c_str());
  }
}

TError TAtomicFile::Fail(int err) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  ::unlink(tmp_.c_str());
  return ErrnoText(err);
}

TError TAtomicFile::Open(const std::string& path) {
  if (fd_ >= 0) return ErrnoText(EBUSY);
  path_ = path;
  // A file the user may not write is not replaced, although the folder would allow the rename.
  struct stat old;
  const bool hasOld = ::stat(path.c_str(), &old) == 0;
  if (hasOld) {
    if (TError e = CheckReplaceable(path); e.Failed()) return e;
  }
  std::random_device rd;
  for (int attempt = 0; attempt < 16 && fd_ < 0; ++attempt) {
    tmp_ = path + ".tmp" + std::to_string(rd() % 1000000);
    fd_ = ::open(tmp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) return ErrnoText(errno);
  }
  if (fd_ < 0) return ErrnoText(EEXIST);
  if (hasOld) {
    // Keep the owner (root only can give a file away) and then the mode: a chown clears the
    // set-user-ID bits, so the mode comes second.
    if (::geteuid() == 0 && ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
      // Not fatal: the file keeps root as its owner, like any file root creates.
    }
    ::fchmod(fd_, old.st_mode & 07777);
  }
  return {};
}

TError TAtomicFile::Write(const void* data, size_t size) {
  if (fd_ < 0) return ErrnoText(EBADF);
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return {};
}

TError TAtomicFile::WriteAt(uint64_t offset, const void* data, size_t size) {
  if (fd_ < 0) return ErrnoText(EBADF);
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    p += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
  return {};
}

TError TAtomicFile::Commit() {
  if (fd_ < 0) return ErrnoText(EBADF);
  if (::fsync(fd_) != 0) return Fail(errno);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp_.c_str());
    return ErrnoText(err);
  }
  if (::rename(tmp_.c_str(), path_.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp_.c_str());
    return ErrnoText(err);
  }
  // Make the rename itself durable.
  int dfd = ::open(DirOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return {};
}

TError WriteWholeFileAtomic(const std::string& path, std::string_view data) {
  TAtomicFile file;
  if (TError e = file.Open(path); e.Failed()) return e;
  if (TError e = file.Write(data.data(), data.size()); e.Failed()) return e;
  return file.Commit();
}
