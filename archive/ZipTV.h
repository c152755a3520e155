// SPDX-License-Identifier: MIT
// TZipTV: the archive reader component. Pointed at a file (`SetArchiveFile`) it examines it and
// reports its format as a TArcType code (`ArcType`); `ListEntries` then reports every entry.
// Behind it are one reader per format: libarchive for ZIP/JAR, RAR, CAB, LHA/LZH, TAR, gzip and
// 7z, our own header readers for ARJ, ARC/PAK, ZOO, HA and ACE, and, for formats none of them
// lists, the optional `lsar` tool. Self-extractors are recognised by the archive that follows
// the program image.
//
// One reader belongs to one thread (the scanner's worker creates its own); errors are returned
// as text, never thrown.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/ArcSource.h"
#include "archive/ArcType.h"
#include "archive/ArchiveEntry.h"
#include "platform/Error.h"

class TZipTV {
 public:
  // Entries whose name (the last path component) matches this mask are reported; "*.*" and "*"
  // report all.
  std::string FileSpec = "*.*";
  // false: only entries of the archive's top level are reported.
  bool RecurseDirs = true;
  // false: entries that are folders themselves are not reported (their files still are).
  bool ShowEmptyDirs = false;
  // May `lsar` be run for formats no reader of ours lists? (The fuzz target turns it off.)
  bool UseExternalTools = true;

  // Examines the file at `path` (relative to the current directory or absolute) and sets
  // ArcType: atFileOpenErr when it cannot be opened, atUnknown when it is no archive.
  void SetArchiveFile(const std::string& path);
  // The same for the regular file `name` in the folder open as `dirfd`, `size` bytes long as its
  // folder listing said; `path` (its full path) only names it, for external tools.
  void SetArchiveFileAt(int dirfd, const std::string& name, const std::string& path, uint64_t size);
  const std::string& ArchiveFile() const { return file_; }
  // Examines bytes in memory as if they were the file `name`; `data` must outlive the use.
  void SetArchiveMemory(std::string_view data, std::string_view name);

  // While `*flag` is set, reading the archive fails (see TArcSource::SetCancelFlag).
  void SetCancelFlag(const std::atomic<bool>* flag) { src_.SetCancelFlag(flag); }

  int32_t ArcType() const { return type_; }
  // Where the archive begins inside the file (non-zero for self-extractors).
  uint64_t ArchiveOffset() const { return offset_; }
  // Why the file could not be examined or listed (empty when it could).
  const std::string& LastError() const { return error_; }
  // The source the reader examined (for extraction).
  const TArcSource& Source() const { return src_; }

  // Reports each entry (as filtered by FileSpec, RecurseDirs and ShowEmptyDirs) to `onRead` in
  // the archive's order. Fails with the reason; on failure
  // nothing is reported at all (the reader lists into a buffer first).
  TError ListEntries(const TEntrySink& onRead);

  // The unfiltered listing, as ListEntries would get it (every entry, folders included).
  TError ListAll(const TEntrySink& sink);

 private:
  void Examine();
  TError ListWithOwnReaders(const TEntrySink& sink);

  std::string file_;
  std::string name_;  // the file name, for formats told apart by extension
  TArcSource src_;
  int32_t type_ = atNA;
  uint64_t offset_ = 0;
  std::string error_;
};
