// SPDX-License-Identifier: MIT
// The column choice of the report dialog as plain data over the settings store.
//
// bdOpt root slot 9 holds one column set per table (child 1 disk layout, 2 file layout, 3 search
// results, 4 user list). Children 1..n-1 of a column set are the report columns in report order;
// each holds slot 0 the column id (a column tag of the source list) and slot 1 checked (0 or 1).
// The dialog's check list (lvCol) shows one entry per child; these functions are what its
// buttons do, so the window only draws the entries.
//
// Every function tolerates a damaged settings file: a slot that should be a node and is not is
// replaced by an empty node, and a child whose id is not a column of the table shows its position's
// caption and reports an empty cell. The cursor of bdOpt is restored.
//
// Threads: GUI thread (the owner of bdOpt).
#pragma once

#include <string>
#include <vector>

#include "app/ColumnLayout.h"
#include "report/ReportTables.h"
#include "store/QDBase.h"

// One entry of the column list.
struct TReportColumnEntry {
  int Id = 0;
  std::string Caption;
  bool Checked = true;

  bool operator==(const TReportColumnEntry&) const = default;
};

// Completes the column set of `table` up to one child per column: the missing children c (from
// the set's slot count, at least 1, up to the column count) get id c - 1 and checked 1. A new set
// thus lists every column in logical order, all checked.
void EnsureReportColumns(TQDBase& bdOpt, TReportTable table);

// EnsureReportColumns; then, when the set has more children than the table has columns, every
// child whose id is not below the column count is deleted; then one entry per child in order,
// captioned with the caption of the column whose id it holds (or, when the table has no such
// column, of the column at the entry's position) and checked from slot 1.
std::vector<TReportColumnEntry> FillColumnList(TQDBase& bdOpt, TReportTable table);

// Writes each entry's mark into slot 1 of the child at the same position.
void StoreColumnChecks(TQDBase& bdOpt, TReportTable table,
                       const std::vector<TReportColumnEntry>& entries);

// Stores the marks of `entries`, exchanges entry `index` with its neighbour above (`up`) or below
// and refills `entries`. Returns the moved entry's new index; `index` unchanged when the entry
// cannot move (the first up, the last down, out of range).
int MoveReportColumn(TQDBase& bdOpt, TReportTable table, std::vector<TReportColumnEntry>& entries,
                     int index, bool up);

// The report order taken from the list window: only when `entries` holds exactly one entry per
// column of the table and `layout` describes that many columns. The columns are written in their
// displayed order (Position), each checked when it is visible (2 pixels wide or more, a hidden
// column being 1 pixel wide), and `entries` is refilled. False when nothing was done.
bool ColumnsFromList(TQDBase& bdOpt, TReportTable table, const TColumnLayout& layout,
                     std::vector<TReportColumnEntry>& entries);

// Check all / uncheck all.
void SetAllColumnChecks(std::vector<TReportColumnEntry>& entries, bool checked);

// The ids of the checked entries in report order, at most kMaxReportColumns.
std::vector<int> CheckedReportColumns(const std::vector<TReportColumnEntry>& entries);

// The export button is enabled exactly when at least one entry is checked.
bool ReportExportEnabled(const std::vector<TReportColumnEntry>& entries);
