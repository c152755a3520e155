// SPDX-License-Identifier: MIT
#include "search/qt/ResultList.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QTreeView>
#include <algorithm>

#include "app/SizeTexts.h"
#include "app/qt/BusyCursor.h"
#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "search/ListCommands.h"
#include "search/ListSort.h"
#include "store/CursorGuard.h"

int TResultViewRows::RowCount() const { return v_->model()->rowCount(); }

bool TResultViewRows::IsRowSelected(int row) const {
  return v_->selectionModel()->isRowSelected(row, QModelIndex());
}

bool TResultViewRows::IsRowFocused(int row) const { return v_->currentIndex().row() == row; }

void TResultViewRows::SetRowState(int row, bool focused, bool selected) {
  QModelIndex i = v_->model()->index(row, 0);
  if (selected)
    v_->selectionModel()->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (focused) v_->selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
}

void SetUpResultView(QTreeView* view, TItemListModel* model) {
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  view->header()->setSectionsMovable(true);
  view->header()->setStretchLastSection(false);
  view->header()->setSectionsClickable(true);
  view->header()->setSortIndicatorShown(true);
  view->header()->setContextMenuPolicy(Qt::CustomContextMenu);
  // Rows are dragged to the user list.
  model->SetDragRows(true);
  view->setDragEnabled(true);
  view->setDragDropMode(QAbstractItemView::DragOnly);
  view->setDefaultDropAction(Qt::CopyAction);
}

std::vector<int> SelectedViewRows(const QTreeView* view) {
  std::vector<int> rows;
  for (const QModelIndex& i : view->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

TNodeRec* FocusedViewItem(const QTreeView* view, const TItemListModel* model) {
  QModelIndex i = view->currentIndex();
  return i.isValid() ? model->ItemAt(i.row()) : nullptr;
}

std::vector<TNodeRec*> SelectedViewItems(const QTreeView* view, const TItemListModel* model) {
  std::vector<TNodeRec*> items;
  for (int row : SelectedViewRows(view))
    if (TNodeRec* item = model->ItemAt(row)) items.push_back(item);
  return items;
}

void SortResultView(TQDBase& bd, int list, QTreeView* view, TItemListModel* model, int column,
                    bool descending, const TCatalogDecoders* decoders) {
  TBusyCursor busy;
  // The selected and focused states, by row, follow their items through the sort; the view
  // is asked once for its selection, not row by row.
  struct TState : TListRows {
    std::vector<char> s;  // bit 0 selected, bit 1 focused
    int RowCount() const override { return static_cast<int>(s.size()); }
    bool IsRowSelected(int r) const override { return s[static_cast<size_t>(r)] & 1; }
    bool IsRowFocused(int r) const override { return s[static_cast<size_t>(r)] & 2; }
    void SetRowState(int r, bool f, bool sel) override {
      s[static_cast<size_t>(r)] = static_cast<char>((sel ? 1 : 0) | (f ? 2 : 0));
    }
  } state;
  int n = std::min(model->rowCount(), bd.MarkCount(list));
  state.s.assign(static_cast<size_t>(n), 0);
  for (const QModelIndex& i : view->selectionModel()->selectedRows())
    if (i.row() < n) state.s[static_cast<size_t>(i.row())] |= 1;
  if (QModelIndex f = view->currentIndex(); f.isValid() && f.row() < n)
    state.s[static_cast<size_t>(f.row())] |= 2;
  SortResults(bd, list, column, descending, &state, decoders);
  model->ResetRows();
  // Placeholders were dropped by the sort: the states beyond the rows left go.
  n = std::min(n, model->rowCount());
  QItemSelection selection;
  int focused = -1;
  for (int r = 0; r < n; ++r) {
    char st = state.s[static_cast<size_t>(r)];
    if (st & 2) focused = r;
    if (!(st & 1)) continue;
    int last = r;
    while (last + 1 < n && (state.s[static_cast<size_t>(last + 1)] & 1)) {
      ++last;
      if (state.s[static_cast<size_t>(last)] & 2) focused = last;
    }
    selection.select(model->index(r, 0), model->index(last, model->columnCount() - 1));
    r = last;
  }
  if (focused >= 0)
    view->selectionModel()->setCurrentIndex(model->index(focused, 0),
                                            QItemSelectionModel::NoUpdate);
  if (!selection.isEmpty()) view->selectionModel()->select(selection, QItemSelectionModel::Select);
  if (focused >= 0) view->scrollTo(model->index(focused, 0));
}

void ShowResultStatus(TfmVrt& main, int list, const QTreeView* view, TItemListModel* model,
                      const std::array<QLabel*, 3>& panels) {
  TQDBase& bd = main.bdMain;
  std::vector<int> selected = SelectedViewRows(view);
  QString summary;
  if (!selected.empty())
    if (TNodeRec* item = model->ItemAt(selected.front())) {
      TCursorKeeper keep(bd);
      bd.GoToNode(item);
      summary = main.ItemSummaryText();
    }
  panels[1]->setText(summary);
  int64_t sum = 0;
  int count = 0;
  for (int row : selected)
    if (TNodeRec* item = model->ItemAt(row)) {
      ++count;
      sum += ItemSizeOf(item);
    }
  panels[2]->setText(LangFormatQ(10140, std::to_string(count)) + QStringLiteral(" (") +
                     QString::fromStdString(FormatSizeUnits(sum)) + QStringLiteral(")"));
  panels[0]->setText(LangFormatQ(11002, std::to_string(bd.MarkCount(list))));
}

void EnableResultActions(const TResultActions& a, const TNodeRec* item, bool hook) {
  auto enable = [](QAction* action, bool on) {
    action->setEnabled(on && !action->property("tolvaneUnavailable").toBool());
  };
  if (!item) {
    for (QAction* action : {a.Goto, a.Properties, a.Run, a.Explore, a.Files, a.Delete,
                            a.RemoveFromCatalog})
      action->setEnabled(false);
    a.Run->setText(LangQ(28));
    return;
  }
  int32_t flags = ItemFlagsOf(item);
  int k = ItemKind(flags);
  bool run = k >= ikFile || (flags & ifArchive);
  enable(a.Run, hook && run);
  a.Run->setText(LangQ(run && (flags & ifInArchive) ? 32 : 28));
  enable(a.Explore, hook && k >= ikDisk && !(flags & ifInArchive));
  enable(a.Files, hook && k > ikDisk);
  enable(a.Goto, true);
  enable(a.Properties, hook);
  enable(a.Delete, true);
  enable(a.RemoveFromCatalog, k >= ikFolder);
}

void EnableResultFilesMenu(TQDBase& bd, int list, QTreeView* view, bool hook, QAction* extract,
                           const std::vector<QAction*>& copyMoveDelete) {
  TResultViewRows rows(view);
  TFileOpsState state = FileOpsState(bd, rows, list, 0);
  extract->setVisible(state.Extract);
  extract->setEnabled(hook && state.Extract);
  for (QAction* a : copyMoveDelete) a->setEnabled(hook && state.CopyMoveDelete);
}

void GoToItemInMain(TfmVrt& main, TNodeRec* item) {
  if (!item || !item->Parent) return;
  TQDBase& bd = main.bdMain;
  std::string name(ItemName(item));
  main.raise();
  main.activateWindow();
  QModelIndex node;
  {
    TCursorKeeper keep(bd);
    bd.GoToNode(item->Parent);
    node = main.TreeNodeOfCursor(true);
  }
  if (!node.isValid()) return;
  main.SelectTreeNode(node);
  main.Tree()->scrollTo(node);
  const std::vector<TNodeRec*>& shown = bd.MarkList(mlView);
  for (size_t e = 0; e < shown.size(); ++e) {
    if (!shown[e] || ItemName(shown[e]) != name) continue;
    TItemListModel* m = main.ListModel();
    QModelIndex row = m->index(m->RowOfEntry(static_cast<int>(e)), 0);
    QTreeView* lv = main.List();
    lv->selectionModel()->clearSelection();
    lv->selectionModel()->setCurrentIndex(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lv->scrollTo(row);
    break;
  }
  main.List()->setFocus();
}

void RemoveSelectedFromCatalog(TfmVrt& main, QTreeView* view, TItemListModel* model) {
  std::vector<TNodeRec*> items;
  for (TNodeRec* item : SelectedViewItems(view, model))
    if (ItemKindOf(item) >= ikFolder) items.push_back(item);
  if (items.empty()) return;
  view->selectionModel()->clear();
  // The editor asks, tells the tree and the search window, and has every list reloaded.
  main.Editor().RemoveItems(items);
}
