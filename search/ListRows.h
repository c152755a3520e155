// SPDX-License-Identifier: MIT
// The rows of a list window as the shared list commands see them: how many rows, which are
// selected, which is focused. The GUI adapts its list view to it; tests use a plain set.
//
// Threads: the thread that owns the list view.
#pragma once

class TListRows {
 public:
  virtual ~TListRows() = default;
  virtual int RowCount() const = 0;
  virtual bool IsRowSelected(int row) const = 0;
  virtual bool IsRowFocused(int row) const = 0;
  // Sets the selected and focused state of one row (sorting keeps the state with the items).
  virtual void SetRowState(int row, bool focused, bool selected) = 0;
};
