// SPDX-License-Identifier: MIT
// Random-access reading of a file or of bytes in memory, for the content readers: each reader
// asks for the few header bytes it needs at given offsets, so a scan never loads a whole file
// to learn an image's size. Reads are bounds-checked and never throw. A source is used by one
// thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class TByteSource {
 public:
  // Reads from the file at `path` (opened read-only, closed by the destructor). Ok() is false
  // when the file cannot be opened or is not a regular file; Error() then holds the reason.
  static TByteSource OfFile(const std::string& path) { return TByteSource(path); }
  // Reads from the regular file `name` in the folder open as `dirfd`, whose size the caller
  // already knows (from its own stat of the entry). The entry is opened without following a
  // symbolic link and without blocking, so a link, FIFO or device swapped in is never read
  // through; depth of the folder does not matter.
  static TByteSource OfFileAt(int dirfd, const std::string& name, uint64_t size) {
    return TByteSource(dirfd, name, size);
  }
  // A source that is not Ok(): nothing can be read.
  static TByteSource None() { return TByteSource(); }
  // Reads from `bytes`, which must outlive the source.
  static TByteSource OfBytes(std::string_view bytes) { return TByteSource(bytes); }
  ~TByteSource();
  TByteSource(const TByteSource&) = delete;
  TByteSource& operator=(const TByteSource&) = delete;

  bool Ok() const { return ok_; }
  const std::string& Error() const { return error_; }
  // The size of the file or of the bytes; 0 when not Ok().
  uint64_t Size() const { return size_; }
  // The open file's descriptor (-1 for bytes in memory or a source that is not Ok()), for the
  // readers whose library maps or reopens the file itself; the source keeps owning it.
  int Fd() const { return fd_; }
  // The bytes of a source in memory (empty for a file).
  std::string_view Memory() const { return mem_; }

  // Copies up to `n` bytes from `offset` into `out`; returns how many were copied (fewer at the
  // end of the data or on a read error, 0 past the end).
  size_t ReadAt(uint64_t offset, void* out, size_t n) const;
  // Exactly `n` bytes from `offset` into `out` (replaced); false (and `out` shorter) when fewer
  // are there.
  bool ReadExact(uint64_t offset, size_t n, std::string& out) const;

 private:
  // Private, so that a std::string of bytes is never taken for a path: use OfFile or OfBytes.
  explicit TByteSource(const std::string& path);
  explicit TByteSource(std::string_view bytes);
  TByteSource() = default;
  TByteSource(int dirfd, const std::string& name, uint64_t size);
  size_t ReadFile(uint64_t offset, void* out, size_t n) const;

  // The first bytes of a file, read by the first request that lies wholly within them: the
  // readers ask for several small pieces of a file's head (a page's title, a tag's frames), and
  // one read then serves them all.
  static constexpr size_t kHeadBytes = 4096;
  mutable std::string head_;
  mutable bool headRead_ = false;

  int fd_ = -1;
  std::string_view mem_;
  bool ok_ = false;
  uint64_t size_ = 0;
  std::string error_;
};

// Little- and big-endian numbers from bytes whose length the caller has checked.
inline uint16_t GetU16LE(const void* p) {
  auto b = static_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | b[1] << 8);
}
inline uint16_t GetU16BE(const void* p) {
  auto b = static_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] << 8 | b[1]);
}
inline uint32_t GetU32LE(const void* p) {
  auto b = static_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
         static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
}
inline uint32_t GetU32BE(const void* p) {
  auto b = static_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(b[3]) | static_cast<uint32_t>(b[2]) << 8 |
         static_cast<uint32_t>(b[1]) << 16 | static_cast<uint32_t>(b[0]) << 24;
}
