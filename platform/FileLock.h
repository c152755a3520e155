// SPDX-License-Identifier: MIT
// The advisory lock that serialises writers of one file: an exclusive flock on a sibling lock
// file NAME.lock, never on the file itself (a save renames a new file over it, so a lock on the
// old inode would protect nothing). The lock file is left in place: removing it would let two
// writers lock two different inodes of the same name.
//
// Locks belong to the open lock file, so two TFileLock objects conflict even inside one process.
#pragma once

#include <string>

class TFileLock {
 public:
  // How long Lock waits for another writer by default, in milliseconds.
  static constexpr int kDefaultWaitMs = 5000;

  TFileLock() = default;
  ~TFileLock() { Unlock(); }
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  // Takes the lock of `path`, polling for up to `waitMs` while another writer holds it. Returns
  // the empty string on success, otherwise a message naming the file ("... is being changed by
  // another program ..."). A lock already held by this object is released first.
  std::string Lock(const std::string& path, int waitMs = kDefaultWaitMs);
  void Unlock();
  bool Locked() const { return fd_ >= 0; }

  // The lock file of `path`: `path` followed by ".lock".
  static std::string LockFileName(const std::string& path) { return path + ".lock"; }

 private:
  int fd_ = -1;
};
