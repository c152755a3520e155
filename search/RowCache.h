// SPDX-License-Identifier: MIT
// The row cache of the list windows: a small TQDBase per list whose root holds at most 351 row
// nodes, each the texts of one list row (ItemRowTexts) keyed by its list index, so that repainting
// a virtual list does not recompute paths, disk names and formatted sizes.
//
// A row node: slot 0 the list index (integer), slots 1..15 the row texts (kRow* below; slot 6 is an
// integer icon code). A newly built row, and a row found beyond the first six positions, moves to
// slot 0, so the oldest row is the last one. The cache is valid only while the list's contents and
// order are unchanged: the owning window clears the cache store (Clear) whenever its mark list is
// cleared, refilled, sorted or shortened.
//
// Threads: the UI thread (it reads bdMain and moves its cursor).
#pragma once

#include "search/ItemTexts.h"
#include "store/QDBase.h"

// Row slots.
enum : int {
  kRowKey = 0,
  kRowName = 1,
  kRowExtension = 2,
  kRowAttributes = 3,
  kRowSize = 4,
  kRowDate = 5,
  kRowIcon = 6,  // integer
  kRowDescription = 7,
  kRowDiskType = 8,
  kRowDiskName = 9,
  kRowCapacity = 10,
  kRowFree = 11,
  kRowPath = 12,
  kRowLabel = 13,
  kRowCategory = 14,
  kRowLocation = 15,
};

inline constexpr int kRowCacheRows = 351;

// The last cache store used and the row position found in it, shared by the list windows. It may
// name a row that a later Clear removed; CacheRow then falls back to searching.
struct TRowCacheMemo {
  const TQDBase* Store = nullptr;
  int Position = 0;
};

// Leaves `cache`'s cursor inside the row node of list index `index` of mark list `list` of
// `bdMain`, building the row when it is not cached; then bdMain's cursor is on the item. A found
// row beyond position 5 moves to position 0; a new row is inserted at position 0 and the 351st
// (oldest) row is dropped. An index outside the list, or an entry whose node was released (a
// placeholder), gives a row of empty texts, and bdMain's cursor is not moved.
void CacheRow(TQDBase& cache, TQDBase& bdMain, int list, int index, TRowCacheMemo& memo,
              const TRowTextOptions& options = {});
