// SPDX-License-Identifier: MIT
// The archive type table of the settings store: the node at root slot 11 of `bdOpt`, one row
// per type at slots 1..17 (16 "7Z" and 17 "ISO", the disc images, follow the first fifteen), each
// row holding slot 0 the name (string), slot 1 the masks (a node of strings from slot 0, in order)
// and slot 2 the enabled flag (integer 0/1). Names and masks are fixed by the program and written
// again at every start; only the enabled flags are the user's.
//
// InitArchiveTypes runs on the GUI thread at load time; ReadArchiveTypes reads the store
// without moving its cursor, so the scanner's worker may call it while the scan window is open
// (nothing else touches bdOpt then).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/WildMatch.h"

class TQDBase;

#include "app/Options.h"  // kOptArchiveTypes: root slot 11 of bdOpt
inline constexpr int kArchiveTypeCount = 17;

struct TArchiveTypeRow {
  std::string Name;
  std::vector<TWildMask> Masks;
  bool Enabled = false;
};

// Writes the names and masks of the 17 rows into the table node (created when missing); when
// the node was missing or empty, every row is enabled as well. Enabled flags already stored are
// kept, and rows a stored table lacks (7Z and ISO in a table of fifteen) are written disabled: a
// user's choice of types is never widened behind their back. The cursor of `bdOpt` is left where it
// was.
void InitArchiveTypes(TQDBase& bdOpt);

// The rows 1..17 of the table, in order (index 0 is row 1). Missing values read as empty/false.
std::vector<TArchiveTypeRow> ReadArchiveTypes(const TQDBase& bdOpt);

// Stores the enabled flag of row `row` (1..17). The cursor is left where it was.
void SetArchiveTypeEnabled(TQDBase& bdOpt, int row, bool enabled);

// `ArchiveTypeOn` as the scan settings hold it: for each row, enabled and `scanArchives`.
std::vector<bool> ArchiveTypeOnFrom(const std::vector<TArchiveTypeRow>& rows, bool scanArchives);

// True iff some row i with archiveTypeOn[i] has a mask matching `fileName` (case-insensitive).
bool IsArchiveName(std::string_view fileName, const std::vector<TArchiveTypeRow>& rows,
                   const std::vector<bool>& archiveTypeOn);

// IsArchiveName prepared once for testing every file of a scan: the masks "*.EXT" (the usual
// kind) are compared with the end of an ASCII name directly; other masks, and names the plain
// comparison could judge differently (beyond ASCII, or starting with "*"), go through the full
// matcher, so the answer is always IsArchiveName's.
class TArchiveNameTest {
 public:
  TArchiveNameTest(const std::vector<TArchiveTypeRow>& rows,
                   const std::vector<bool>& archiveTypeOn);
  bool operator()(std::string_view fileName) const;

 private:
  std::vector<std::string> suffixes_;  // ".EXT" of the "*.EXT" masks, upper-cased
  std::vector<TWildMask> others_;      // every other mask of a row that is on
  std::vector<TWildMask> all_;         // every mask of a row that is on
};
