// SPDX-License-Identifier: MIT
// The commands the three list windows share on their selected rows: collecting the selected
// entries, the availability of file operations, and removing items from their catalogs. Row r of
// a view shows entry r - offset of its mark list (offset 1 when the main list shows its up row).
//
// Threads: the thread that owns bdMain.
#pragma once

#include <functional>
#include <vector>

#include "search/ListRows.h"
#include "store/QDBase.h"

// The ascending mark-list indices e = r - offset of the selected rows r >= offset whose item's
// kind (bits 0-7 of ItemFlags) is at least `minKind`. Rows beyond the list and placeholders are
// skipped. Minimum kinds in use: 0 everything, 2 all but catalogs, 4 folders and files.
std::vector<int> CollectSelected(const TQDBase& bd, const TListRows& view, int list, int offset,
                                 int minKind);

struct TFileOpsState {
  bool Extract = false;         // a selected folder or file is an archive or lies inside one
  bool CopyMoveDelete = false;  // a selected folder or file lies outside every archive
};
// Over the selected folders and files (minimum kind 4); stops once both apply.
TFileOpsState FileOpsState(const TQDBase& bd, const TListRows& view, int list, int offset);

// What the windows do around a removal from the catalog.
struct TRemoveHooks {
  // Asks text 10129 with Yes and No; true on Yes. Unset: proceed.
  std::function<bool()> Confirm;
  // Before an item's slot is deleted (the tree forgets its node, the search its start node).
  std::function<void(TNodeRec* item)> BeforeDelete;
  // After the removal, when something was removed (tree selection, refresh of the three lists).
  std::function<void()> AfterRemove;
};

// Removes the selected items of `view` from their catalogs: shallowest first; an entry whose node
// went with an ancestor removed earlier is skipped; each item's catalog is marked modified at
// `now`; the item's slot is deleted from its parent, releasing its subtree and its marks. Catalog
// nodes themselves are never removed (closing a catalog is another command). Mark lists are
// packed at the end. Container sizes above are not recomputed. The cursor of bdMain stays where
// it was, or moves to the nearest surviving ancestor when its node was removed. Returns the
// number of items removed.
int RemoveFromCatalog(TQDBase& bd, const TListRows& view, int list, int offset,
                      const TRemoveHooks& hooks, double now);
