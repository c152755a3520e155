// SPDX-License-Identifier: MIT
// TArcSource: random-access reading of an archive file or of bytes in memory, so that the
// format readers can walk headers of archives of any size without loading them, and the fuzz
// target can feed them bytes directly. One thread at a time per source.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Error.h"

class TArcSource {
 public:
  TArcSource() = default;
  ~TArcSource();
  TArcSource(const TArcSource&) = delete;
  TArcSource& operator=(const TArcSource&) = delete;

  // Opens `path` for reading; fails with the error text.
  TError OpenFile(const std::string& path);
  // Opens the regular file `name` in the folder open as `dirfd`, whose size the caller knows,
  // without following a symbolic link and without blocking on a FIFO or device.
  TError OpenFileAt(int dirfd, const std::string& name, uint64_t size);
  // Reads from `data`, which must outlive the source.
  void OpenMemory(std::string_view data);
  void Close();

  // While `*flag` is set every read fails, so that a listing of any size ends promptly when the
  // scan is cancelled. nullptr (the default): reads never stop. Kept across Open and Close.
  void SetCancelFlag(const std::atomic<bool>* flag) { cancel_ = flag; }
  bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

  uint64_t Size() const { return size_; }
  bool IsMemory() const { return fd_ < 0; }
  std::string_view Memory() const { return mem_; }
  int Fd() const { return fd_; }

  // Reads `len` bytes at `offset` into `buf`; true iff all of them could be read (a read that
  // would pass the end of the source is refused, never shortened).
  bool ReadAt(uint64_t offset, void* buf, size_t len) const;
  // Up to `len` bytes at `offset` (fewer at the end of the source) appended to `out`.
  size_t ReadSome(uint64_t offset, size_t len, std::string& out) const;

 private:
  int fd_ = -1;
  std::string_view mem_;
  uint64_t size_ = 0;
  const std::atomic<bool>* cancel_ = nullptr;
};

// Little-endian fields from a byte buffer.
inline uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
