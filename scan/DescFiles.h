// SPDX-License-Identifier: MIT
// Description list files: 4DOS/NDOS DESCRIPT.ION and FILES.BBS, and the per-folder lists that
// collect their entries while the scanner walks a folder.
//
// DESCRIPT.ION: one line per item, "name text" or "\"long name\" text"; the first line for a name
// wins within a file.
//
//   readme.txt  Read this first
//   "My Letters" Letters of 1997
//
// FILES.BBS: an entry line begins with the item's name (quoted when it holds spaces), the text
// follows after a space; the lines after it that are empty or begin with a space, "|" or ">" are
// continuation lines of its text. Lines before the first entry line are ignored.
//
//   GAME.ZIP  A game
//             with graphics
//             | and sound
//
// Across files of one folder the better-ranked list wins (rank: see scan/DescRules.h).
//
// Threads: one TFolderDescLists per folder walk; the functions only touch what they are given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Error.h"

class TDescRuleSet;

// One description found in a list file.
struct TListEntry {
  std::string Name;  // upper-cased (Utf8Upper)
  std::string Text;  // cleaned
  int32_t Rank;      // rank of the list file's rule
};

// The descriptions collected from the list files of one folder, by upper-cased name.
class TFolderDescLists {
 public:
  bool Empty() const { return entries_.empty(); }
  size_t Size() const { return entries_.size(); }
  void Clear();
  const std::vector<TListEntry>& Entries() const { return entries_; }
  // The entry of an upper-cased name, or nullptr.
  const TListEntry* Find(std::string_view upperName) const;
  // True iff `upperName` is not listed yet, or only with a rank greater than `rank`.
  bool Accepts(std::string_view upperName, int32_t rank) const;
  // Adds the entry, or replaces the text and rank of the listed one.
  void Put(std::string upperName, std::string text, int32_t rank);
  // Renames the entry of `oldName` (a short "~" name found to stand for a long name); entries may
  // change places. When the new name is listed already, one entry remains under the new name
  // with the better-ranked text (on equal ranks the one listed under the new name).
  void Rename(std::string_view oldName, std::string upperName);

 private:
  std::vector<TListEntry> entries_;
  std::unordered_map<std::string, size_t> index_;
};

// Parses the bytes of a DESCRIPT.ION file into `lists` with `rank`. With `oem` the bytes are
// converted from the OEM code page first. Every text goes through CleanDescription with the rule
// set's options; a line whose text is empty after the clean-up is skipped.
void ParseDescriptIon(std::string_view data, const TDescRuleSet& rules, bool oem,
                      TFolderDescLists& lists, int32_t rank);

// The same for a FILES.BBS file.
void ParseFilesBbs(std::string_view data, const TDescRuleSet& rules, bool oem,
                   TFolderDescLists& lists, int32_t rank);

// Largest list file read; a longer one is read up to this size (its last line may be cut).
inline constexpr size_t kMaxListFileBytes = 64u << 20;

// Reads at most `maxBytes` from the start of the regular file at `path` into `data` (replaced).
// Symbolic links are not followed and other kinds of file (devices, pipes) are refused, so a
// medium cannot make the scan block or read elsewhere. Fails with the error
// text.
TError ReadDescriptionFile(const std::string& path, size_t maxBytes, std::string& data);

// Reads the list file at `path` with reader 12 (FILES.BBS) or 13 (DESCRIPT.ION) into `lists`
// with `rank`, honouring the OemToAnsi flag of the reader's first rule. Other readers, unreadable
// files and failures inside the parser add nothing.
void ReadDescriptionList(const std::string& path, int reader, const TDescRuleSet& rules,
                         TFolderDescLists& lists, int32_t rank);
// The same over the list file's bytes already read.
void ParseDescriptionList(std::string_view data, int reader, const TDescRuleSet& rules,
                          TFolderDescLists& lists, int32_t rank);
