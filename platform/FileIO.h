// SPDX-License-Identifier: MIT
// Whole-file reading and safe whole-file replacement. Neither throws: each returns success or the
// error text of the failure ("No such file or directory").
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Error.h"

// Reads the whole file at `path` into `data` (replaced) with one buffer sized from the open
// file's own size. A file larger than `maxSize` bytes is refused before anything is read. When
// `info` is given it receives the status of the file that was read. `data` is untouched on
// failure.
TError ReadWholeFile(const std::string& path, std::string& data,
                     size_t maxSize = static_cast<size_t>(-1), struct stat* info = nullptr);

// The bytes of a whole file, mapped read-only when it is a regular file, otherwise read into a
// buffer of its own. Move-only; the mapping goes with the object.
class TFileImage {
 public:
  TFileImage() = default;
  ~TFileImage();
  TFileImage(TFileImage&& other) noexcept;
  TFileImage& operator=(TFileImage&& other) noexcept;
  TFileImage(const TFileImage&) = delete;
  TFileImage& operator=(const TFileImage&) = delete;

  std::string_view View() const { return mapped_ ? std::string_view(map_, size_) : buffer_; }
  // True when View() is a private read-only file mapping (TQDBase::LoadFromImage may drop its
  // pages as it reads).
  bool Mapped() const { return mapped_; }
  // True when the mapped file lost bytes (another program truncated it) while it was read: the
  // missing pages read as zeros instead of ending the program, and the bytes are not the file's.
  bool Damaged() const;

 private:
  friend TError MapWholeFile(const std::string&, TFileImage&, size_t, struct stat*);
  void Reset();
  const char* map_ = nullptr;
  size_t size_ = 0;
  bool mapped_ = false;
  std::string buffer_;
};

// ReadWholeFile's checks and errors, but a regular file is mapped instead of copied: loading a
// catalog then costs no buffer of the file's size. `image` is replaced on success only.
TError MapWholeFile(const std::string& path, TFileImage& image,
                    size_t maxSize = static_cast<size_t>(-1), struct stat* info = nullptr);

// A file written under a temporary name in the folder of `path` and put in its place by Commit:
// until then `path` stays as it was, and a writer destroyed without a Commit, or whose Commit
// failed, removes its temporary file. Open refuses an existing file the user may not write (for
// root: one without any write bit); the new file takes the mode of the one it replaces and, when
// run as root, its owner and group. Commit flushes the file to the device before the rename and
// makes the rename itself durable.
class TAtomicFile {
 public:
  TAtomicFile() = default;
  ~TAtomicFile();
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;
  TError Open(const std::string& path);
  TError Write(const void* data, size_t size);
  TError WriteAt(uint64_t offset, const void* data, size_t size);
  TError Commit();

 private:
  TError Fail(int err);
  std::string path_, tmp_;
  int fd_ = -1;
};

// Writes `data` through a TAtomicFile: a failure at any step leaves the previous file at `path` as
// it was and removes the temporary file.
TError WriteWholeFileAtomic(const std::string& path, std::string_view data);

// Whether WriteWholeFileAtomic may replace `path`: success when it may (or when there is no such
// file), otherwise the reason.
TError CheckReplaceable(const std::string& path);

// Removes the temporary files WriteWholeFileAtomic leaves behind when it is killed: the regular
// files named like `path` followed by ".tmp" and one to six digits, in the folder of `path`. The
// caller must hold the file's lock (FileLock.h), so that no live writer's file is among them.
// Returns the number removed.
int RemoveStaleTempFiles(const std::string& path);
