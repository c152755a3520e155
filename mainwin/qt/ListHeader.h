// SPDX-License-Identifier: MIT
// The column header of the item lists (the main list and the search results): the saved column
// layout (widths, order, sort column and direction in a settings record), fitting widths to the
// captions and the visible rows, and the header's pop-up menu (fit widths, hide a column, show
// a hidden one). A hidden column is one of width 1.
//
// Threads: GUI thread only.
#pragma once

#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

class QTreeView;
class QWidget;
class TQDBase;

// Applies the layout of the record at root slot `rootSlot` of `bdOpt` (when there is one) to the
// header of `view`, whose defaults are `widths`; the sort column (0 when out of range) and the
// direction are returned. The cursor of bdOpt ends at the root.
void LoadHeaderLayout(TQDBase& bdOpt, int rootSlot, QTreeView* view, const std::vector<int>& widths,
                      int& sortColumn, bool& descending);
// Writes the header's widths and order and the sort state into the record at `rootSlot`.
void SaveHeaderLayout(TQDBase& bdOpt, int rootSlot, QTreeView* view, int sortColumn,
                      bool descending);
// Fits column `column` (-1: every visible column) to its caption and the rows on screen; the
// sorted column leaves room for its sort mark.
void FitColumns(QTreeView* view, int column, int sortColumn);
// The header's pop-up menu at `pos` (header coordinates). `fit` runs for the fit command with -1
// and for "show column" with that column; `changed` runs after a column was hidden.
void ExecColumnMenu(QWidget* owner, QTreeView* view, const QPoint& pos, const QString& styleSheet,
                    const std::function<void(int column)>& fit,
                    const std::function<void()>& changed);
