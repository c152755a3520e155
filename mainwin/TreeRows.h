// SPDX-License-Identifier: MIT
// The mapping between rows of the catalog tree and store nodes: the rows under a store node are
// its container items (row i = slot i+1, since containers precede files), the top-level rows the
// open catalogs (root slots 1..n). Cursor-free reads only.
//
// Threads: GUI thread only (reads bdMain).
#pragma once

#include <string_view>

#include "store/QDBase.h"

// The number of tree rows under `parent`: its container items, counted from slot 1 while they
// are containers.
int TreeRowCount(const TNodeRec* parent);
// The store node of row `row` under `parent`, or nullptr when there is no such row.
TNodeRec* TreeRowNode(const TNodeRec* parent, int row);
// The row of a container item under its parent (slot - 1), or -1 for the root or a file.
int TreeRowOf(const TNodeRec* item);

// The tree image of a container item: 1 catalog, 2 group, 3 a disk recorded from a sub-folder,
// 20 + drive type a disk of a whole drive, 4 folder, 8 archive, 10 folder inside an archive,
// 0 anything else. `selected` gives the selected image (5, 9, 11 for the three folder kinds).
int TreeImageIndex(const TNodeRec* item, bool selected = false);

// The row of the first container item of `parent` whose name equals `text` case-insensitively
// (AnsiSameText), or -1. For the top level pass the store root.
int FindSiblingByText(std::string_view text, const TNodeRec* parent);

// True iff `node` lies in the subtree of `ancestor` (a node is not inside itself).
bool IsInside(const TNodeRec* node, const TNodeRec* ancestor);
