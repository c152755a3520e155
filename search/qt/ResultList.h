// SPDX-License-Identifier: MIT
// What the two result windows (the search results and the user list) share: the list view over
// a mark list of bdMain in the results layout, its sort with the selection kept, the status
// panels, the enabling of the commands on the focused row, going to an item in the main window,
// and removing the selected items from their catalogs.
//
// Threads: GUI thread only.
#pragma once

#include <array>
#include <vector>

#include "search/ListRows.h"
#include "store/QDBase.h"

class QAction;
class QLabel;
class QTreeView;
class TCatalogDecoders;
class TItemListModel;
class TfmVrt;

// The rows of a list view as the shared list commands see them.
class TResultViewRows : public TListRows {
 public:
  explicit TResultViewRows(QTreeView* view) : v_(view) {}
  int RowCount() const override;
  bool IsRowSelected(int row) const override;
  bool IsRowFocused(int row) const override;
  void SetRowState(int row, bool focused, bool selected) override;

 private:
  QTreeView* v_;
};

// Sets `view` up as a result list over `model`: whole rows, several selected, read-only, no
// tree decoration, movable and clickable column headers with the sort mark, rows draggable.
void SetUpResultView(QTreeView* view, TItemListModel* model);

// The view's selected rows, ascending.
std::vector<int> SelectedViewRows(const QTreeView* view);
// The item of the focused row, or nullptr.
TNodeRec* FocusedViewItem(const QTreeView* view, const TItemListModel* model);

// Sorts mark list `list` shown by `view` through `model` by result column `column`; the selected
// and focused states follow their items and the focused row is scrolled into view.
void SortResultView(TQDBase& bd, int list, QTreeView* view, TItemListModel* model, int column,
                    bool descending, const TCatalogDecoders* decoders);

// Panel 1 the summary of the first selected item, panel 2 the number and total size of the
// selected items, panel 0 text 11002 with the number of entries of `list`.
void ShowResultStatus(TfmVrt& main, int list, const QTreeView* view, TItemListModel* model,
                      const std::array<QLabel*, 3>& panels);

// The commands on the focused row of a result list.
struct TResultActions {
  QAction* Goto = nullptr;
  QAction* Properties = nullptr;
  QAction* Run = nullptr;
  QAction* Explore = nullptr;
  QAction* Files = nullptr;
  QAction* Delete = nullptr;             // remove from the list
  QAction* RemoveFromCatalog = nullptr;  // nnDelete
};
// Enables them for the focused item `item` (none without one); run, explore and the file
// commands only with `hook` (their handler is connected). Actions marked "tolvaneUnavailable"
// stay off. Run is captioned "Open" or, inside an archive, "Extract and open".
void EnableResultActions(const TResultActions& a, const TNodeRec* item, bool hook);
// The Files sub-menu: extract shown and enabled for archives and what lies inside them, copy,
// move and delete for what lies outside, over the selected folders and files.
void EnableResultFilesMenu(TQDBase& bd, int list, QTreeView* view, bool hook, QAction* extract,
                           const std::vector<QAction*>& copyMoveDelete);

// Shows `item` in the main window: its container selected in the tree, its row focused in the
// list, which gets the focus.
void GoToItemInMain(TfmVrt& main, TNodeRec* item);

// Removes the selected folders and files of `view` from their catalogs through the main window's
// editor (which asks, and has every list reloaded). The selection is cleared first.
void RemoveSelectedFromCatalog(TfmVrt& main, QTreeView* view, TItemListModel* model);

// The items of the selected rows, in row order.
std::vector<TNodeRec*> SelectedViewItems(const QTreeView* view, const TItemListModel* model);
