// SPDX-License-Identifier: MIT
// The scanner's side of archive listing: the flat entry list of one archive in a private store
// (`ListingStore`), the folders its paths imply, the order in which the scanner's walk consumes
// it level by level, and writing an archive's entries as a container subtree in the catalog
// layout.
//
// `ListingStore` layout: the root's children at slots 0..n-1, one per entry: slot 0 the path
// ("\" separators; folders end with "\"), slot 1 attributes x 256 + 100 (implied folders 4100),
// slot 2 the size (64-bit; absent for implied folders), slot 4 the date-time double. The walk
// consumes entries from the front; the index of the first unconsumed entry is kept in the root's
// NodeTag, so consuming is O(1) instead of shifting the slots.
//
// Everything here belongs to the scanner's worker thread (one store, one reader per worker).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TQDBase;
class TZipTV;

// A directory-entry record as the scanner's directory listing fills it.
struct TArcDirEntry {
  std::string Name;
  int32_t Attr = 0;  // attribute byte; 0x10 for folders
  int64_t Size = 0;
  uint32_t Time = 0;  // DOS date (high 16 bits) and time (low 16 bits); 0 when unknown
  // The date-time double at two-second precision: that of Time, or for a date a DOS date cannot
  // hold (a tar entry of 1970) the entry's own date with its seconds made even; 0.0 when unknown.
  double DateTime = 0.0;
};

// An entry path (backslash separators) without its "." and empty components: "./a/./b" and
// "a//b" (as stored) both become "a\b"; a folder keeps its trailing backslash. ".." components
// stay (the walk refuses them). Empty when nothing is left.
std::string NormalizeEntryPath(std::string_view path);

// Fills `listing` with the entries `reader` reports (it must have examined a listable file),
// adds the implied folders and sorts the list. Returns the number of entries the reader
// reported; 0 on any failure, with `listing` cleared.
int ListArchive(TZipTV& reader, TQDBase& listing);

// Appends an entry for every folder path that the entries imply but that has no entry of its
// own: slot 0 the path with a trailing "\", slot 1 4100, slot 4 the date of the first entry that
// implied it. Paths are compared case-insensitively; the cursor ends on the root.
void AddImpliedFolders(TQDBase& listing);

// Orders two entry paths component by component (split at "\"), each pair compared
// case-insensitively; a path that runs out of components first comes first. <0, 0, >0.
int CompareEntryPaths(std::string_view a, std::string_view b);
// A key whose byte order is CompareEntryPaths' order: each component's upper-cased code points,
// each plus one so that none is zero, in UTF-8 form (which keeps their order), the components
// joined by a zero byte. A sort that compares paths many times makes each key once.
std::string EntryPathKey(std::string_view path);

// Takes the next entry of the level `prefix` ("" for the top level, else a folder path ending in
// "\") from the front of the sorted listing. False when the front entry is not directly in that
// level (or nothing is left).
bool NextArchiveEntry(TQDBase& listing, std::string_view prefix, TArcDirEntry& entry);

// Consumes every entry at the front of the sorted listing that lies below `prefix` (a folder path
// ending in "\"): how a level that is not recorded is skipped.
void DropLevel(TQDBase& listing, std::string_view prefix);

// Folder levels deeper than this inside an archive are not recorded (bounds the recursion).
inline constexpr int kMaxArchiveFolderDepth = 512;

// What a caller adds to the writing of an archive's entries: the scanner checks for a cancel and,
// when a disk is updated, carries descriptions and categories over from the old disk's items. The
// defaults do neither. Called on the thread that writes.
class TArchiveWriteHooks {
 public:
  virtual ~TArchiveWriteHooks() = default;
  // Asked before each entry is taken; false ends the walk at once: the levels being written are
  // left unsorted and without their totals.
  virtual bool Continue() { return true; }
  // A level starts (before its first Continue) and ends (on every way out, exceptions included;
  // must not throw). Levels nest as the folders do.
  virtual void LevelStarted() {}
  virtual void LevelEnded() noexcept {}
  // Before an item is written: whether it has a counterpart to carry fields from. `levelMatched`
  // is what this returned for the folder of the level (the caller's value for the top level).
  virtual bool FindCounterpart(const std::string& name, bool isFolder, bool levelMatched) {
    (void)name, (void)isFolder, (void)levelMatched;
    return false;
  }
  // For an item with a counterpart, once its fields (a folder's header) are written; the target's
  // cursor is on the item.
  virtual void CarryFields(bool isFolder) { (void)isFolder; }
  // After each item, written or abandoned.
  virtual void ItemDone() {}
};

// Writes the level `prefix` of the sorted listing as items of the container under `dst`'s cursor
// (its header must be at slot 0), recursing into folders: folders get a header (name,
// attributes x 256 + 4 + ifInArchive, total size, slots 4 and 6 the entry's date), files their
// fields (name, attributes x 256 + 100 + ifInArchive, size, dates). Items are sorted as the scanner
// sorts every folder (CompareScannedItems). Entries named "", "." or ".." are not recorded and
// everything below them is skipped; so are folders deeper than kMaxArchiveFolderDepth. An entry
// whose writing throws is abandoned (its node may be partly written) and the walk goes on. Returns
// the total size of the files written (saturated). The cursor of `dst` is left on the container.
// This is the one writer of archive subtrees: the scanner and the fuzz target both run it.
int64_t WriteArchiveLevel(TQDBase& listing, TQDBase& dst, const std::string& prefix,
                          TArchiveWriteHooks* hooks = nullptr, bool levelMatched = false);

// Case-insensitive comparison of two names (upper-cased code points, ASCII fast path).
int CompareNamesNoCase(std::string_view a, std::string_view b);
