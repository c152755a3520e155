// SPDX-License-Identifier: MIT
// The column layout of an item list as plain data, and its record in the settings store.
// The functions follow the store's one-thread-at-a-time rule.
#pragma once

#include <vector>

class TQDBase;

// The column layout of an item list as plain data. Column c is the column whose index was c when
// the list was built (its build index).
struct TColumnLayout {
  std::vector<int> Width;     // pixels, by build index
  std::vector<int> Position;  // display position, by build index
  int SortColumn = 0;         // build index of the sort column
  int SortDirection = 0;      // 0 ascending, otherwise descending
};

// Writes the layout into the record node under `bd`'s cursor: slot 0 a fresh node with the width
// of column c in slot 2c and its position in slot 2c+1, slot 1 the sort column, slot 2 the
// direction. The cursor is restored.
void SaveColumnLayout(TQDBase& bd, const TColumnLayout& layout);

// Restores `layout` (which holds the list's defaults for `Width.size()` columns) from the record
// node under `bd`'s cursor. Positions start as the build indices; when slot 0 is not a node
// nothing more is done and the result is false. Otherwise for each display position p from 0 the
// column c whose slot 2c+1 holds p moves to p and takes its width from slot 2c; a missing,
// non-integer or out-of-range entry ends the restoring. Then the sort column (kept when out of
// range) and direction are read. The cursor is restored.
bool LoadColumnLayout(TQDBase& bd, TColumnLayout& layout);
