// SPDX-License-Identifier: MIT
// The main window's item list: the two column layouts and their saved state, sorting, column
// widths, the column header menu, double click, the pop-up menu and keys.
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTreeView>
#include <algorithm>

#include "app/ColumnLayout.h"
#include "app/Options.h"
#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "fileops/qt/FileCommands.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "search/ListSort.h"
#include "store/CursorGuard.h"

namespace {

int LayoutIndex(bool diskLayout) { return diskLayout ? 0 : 1; }
int LayoutSlot(bool diskLayout) { return diskLayout ? kOptDiskColumns : kOptFileColumns; }

}  // namespace

// ---- layouts --------------------------------------------------------------------------------

void TfmVrt::SaveListLayout() {
  if (!layoutBuilt_) return;
  QHeaderView* header = LV->header();
  int columns = TItemListModel::LayoutColumns(diskLayout_);
  TColumnLayout layout;
  layout.Width.resize(static_cast<size_t>(columns));
  layout.Position.resize(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) {
    layout.Width[static_cast<size_t>(c)] = header->sectionSize(c);
    layout.Position[static_cast<size_t>(c)] = header->visualIndex(c);
  }
  layout.SortColumn = sortColumn_[LayoutIndex(diskLayout_)];
  layout.SortDirection = sortDescending_[LayoutIndex(diskLayout_)] ? 1 : 0;
  TQDBase& bd = settings_.bdOpt;
  bd.GoToDepth(0);
  EnterOptNode(bd, LayoutSlot(diskLayout_));
  SaveColumnLayout(bd, layout);
  bd.GoToDepth(0);
}

void TfmVrt::LoadListLayout() {
  QHeaderView* header = LV->header();
  int columns = TItemListModel::LayoutColumns(diskLayout_);
  TColumnLayout layout;
  for (int c = 0; c < columns; ++c) {
    layout.Width.push_back(TItemListModel::DefaultWidth(diskLayout_, c));
    layout.Position.push_back(c);
  }
  layout.SortColumn = 0;
  layout.SortDirection = 0;
  TQDBase& bd = settings_.bdOpt;
  bd.GoToDepth(0);
  if (NodeSlotType(bd.RootNode(), LayoutSlot(diskLayout_)) == stNode) {
    bd.EnterChild(LayoutSlot(diskLayout_));
    LoadColumnLayout(bd, layout);
  }
  bd.GoToDepth(0);
  // Positions: place the columns from the first display position on.
  std::vector<int> order(static_cast<size_t>(columns));
  for (int c = 0; c < columns; ++c) order[static_cast<size_t>(c)] = c;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return layout.Position[static_cast<size_t>(a)] < layout.Position[static_cast<size_t>(b)];
  });
  for (int p = 0; p < columns; ++p) {
    int logical = order[static_cast<size_t>(p)];
    int from = header->visualIndex(logical);
    if (from != p) header->moveSection(from, p);
  }
  for (int c = 0; c < columns; ++c)
    header->resizeSection(c, std::max(1, layout.Width[static_cast<size_t>(c)]));
  int li = LayoutIndex(diskLayout_);
  sortColumn_[li] = layout.SortColumn >= 0 && layout.SortColumn < columns ? layout.SortColumn : 0;
  sortDescending_[li] = layout.SortDirection != 0;
}

void TfmVrt::SetListLayout(bool diskLayout, bool forced) {
  if (!forced && layoutBuilt_ && diskLayout == diskLayout_) return;
  if (!forced) SaveListLayout();
  diskLayout_ = diskLayout;
  lvModel_->SetDiskLayout(diskLayout);
  LoadListLayout();
  layoutBuilt_ = true;
  ShowSortMarks();
}

void TfmVrt::ShowSortMarks() {
  int li = LayoutIndex(diskLayout_);
  LV->header()->setSortIndicator(sortColumn_[li], sortDescending_[li] ? Qt::DescendingOrder
                                                                       : Qt::AscendingOrder);
}

void TfmVrt::SortList() {
  int li = LayoutIndex(diskLayout_);
  SortMarkListBy(bdMain, mlView, diskLayout_ ? TListLayout::Disk : TListLayout::File,
                 sortColumn_[li], sortDescending_[li]);
  lvModel_->ResetRows();
  ShowSortMarks();
}

void TfmVrt::LVColumnClick(int column) {
  int li = LayoutIndex(diskLayout_);
  if (sortColumn_[li] == column) {
    sortDescending_[li] = !sortDescending_[li];
  } else {
    sortColumn_[li] = column;
    sortDescending_[li] = false;
  }
  trChange(false);
}

void TfmVrt::AdjustColumns(int column) {
  QHeaderView* header = LV->header();
  QFontMetrics text(LV->font());
  QFontMetrics caption(header->font());
  int columns = lvModel_->columnCount();
  int li = LayoutIndex(diskLayout_);
  // The rows from the top of the visible area down to the first one below it.
  std::vector<int> rows;
  QModelIndex top = LV->indexAt(QPoint(0, 0));
  int height = LV->viewport()->height();
  for (int r = top.isValid() ? top.row() : 0; r < lvModel_->rowCount(); ++r) {
    rows.push_back(r);
    if (LV->visualRect(lvModel_->index(r, 0)).top() > height) break;
  }
  for (int c = 0; c < columns; ++c) {
    if (column >= 0 ? c != column : header->sectionSize(c) <= 1) continue;
    int width = caption.horizontalAdvance(TItemListModel::ColumnCaption(diskLayout_, c)) + 20;
    if (c == sortColumn_[li]) width += 24;
    for (int r : rows) {
      QString s = lvModel_->data(lvModel_->index(r, c)).toString();
      int w = text.horizontalAdvance(s) + 16 + (c == 0 ? 32 : 0);
      width = std::max(width, w);
    }
    header->resizeSection(c, width);
  }
  SaveListLayout();
}

void TfmVrt::RefreshList() {
  lvModel_->RefreshRows();
  UpdateStatus();
}

void TfmVrt::RefreshViews() {
  if (listStale_) {
    listStale_ = false;
    trChange(false);
    return;
  }
  RefreshList();
}

// ---- double click ---------------------------------------------------------------------------

void TfmVrt::LVDblClick(bool alt) {
  if (!trTree->currentIndex().isValid()) return;
  int focused = FocusedRow();
  if (focused < 0) return;
  TNodeRec* item = lvModel_->ItemAt(focused);
  if (!item) {
    GoUp();
    return;
  }
  int32_t flags = ItemFlagsOf(item);
  int kind = ItemKind(flags);
  bool archive = flags & ifArchive;
  if (IsContainer(item) && (kind == ikGroup || kind == ikDisk || kind == ikFolder) &&
      (!archive || !alt)) {
    bdMain.GoToNode(item);
    QModelIndex node = TreeNodeOfCursor(true);
    SelectTreeNode(node);
    if (lvModel_->rowCount() > 0) {
      QModelIndex first = lvModel_->index(0, 0);
      LV->selectionModel()->setCurrentIndex(
          first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      LV->scrollTo(first);
    }
    LV->setFocus();
    return;
  }
  // A file, or an archive with Alt: the configured action. 1 properties (its window is not
  // part of the program yet: nothing), 2 run (open), 3 show in the file manager.
  int action = alt ? settings_.Options.AltDblClickAction : settings_.Options.DblClickAction;
  if (action == 2 || action == 3) fileCommands_->RunOrExplore(item, action == 3);
}

// ---- pop-up menus ---------------------------------------------------------------------------

void TfmVrt::LVContextMenu(const QPoint& pos) {
  if (!trTree->currentIndex().isValid()) return;
  int focused = FocusedRow();
  std::vector<int> selected = SelectedRows();
  if (focused < 0 || selected.empty()) return;
  if (lvModel_->HasParentRow() &&
      (focused == 0 || std::find(selected.begin(), selected.end(), 0) != selected.end())) {
    if (selected.size() < 2) return;
    LV->selectionModel()->select(lvModel_->index(0, 0),
                                 QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    selected = SelectedRows();
    LV->selectionModel()->setCurrentIndex(lvModel_->index(selected.front(), 0),
                                          QItemSelectionModel::NoUpdate);
  }
  TNodeRec* item = lvModel_->ItemAt(FocusedRow());
  if (!item) return;
  int32_t flags = ItemFlagsOf(item);
  int k = ItemKind(flags);
  UpdateActions();
  QMenu pmLV(this);
  pmLV.setObjectName(QStringLiteral("pmLV"));
  pmLV.setStyleSheet(menuSheet_);
  if (diskLayout_) {
    pmLV.addAction(ActAddNewDisk);
    pmLV.addAction(ActAddNewDiskGroup);
    pmLV.addAction(ActUpdateDisk);
    pmLV.addAction(ActRenameDisk);
    pmLV.addAction(ActDeleteDisk);
    pmLV.addSeparator();
  }
  if (k > 99 || (flags & ifArchive)) pmLV.addAction(ActRunItem);
  if (!(flags & ifInArchive)) pmLV.addAction(ActExploreItem);
  if (!diskLayout_) {
    pmLV.addAction(ActFiles);
    pmLV.addAction(ActRemoveFromCatalog);
  }
  pmLV.addSeparator();
  pmLV.addAction(ActUser);
  pmLV.addAction(ActProperties);
  pmLV.exec(LV->viewport()->mapToGlobal(pos + QPoint(5, 0)));
}

void TfmVrt::LVColumnRightClick(const QPoint& pos) {
  QHeaderView* header = LV->header();
  int clicked = header->logicalIndexAt(pos);
  QMenu pmColumns(this);
  pmColumns.setObjectName(QStringLiteral("pmColumns"));
  pmColumns.setStyleSheet(menuSheet_);
  QAction* nnAdjustColumns = pmColumns.addAction(LangQ(81));
  connect(nnAdjustColumns, &QAction::triggered, this, [this] { AdjustColumns(-1); });
  QAction* nnHideColumn = pmColumns.addAction(LangQ(82));
  nnHideColumn->setEnabled(clicked >= 0);
  connect(nnHideColumn, &QAction::triggered, this, [this, header, clicked] {
    header->resizeSection(clicked, 1);
    SaveListLayout();
  });
  QMenu* nnShowColumn = pmColumns.addMenu(LangQ(83));
  for (int c = 0; c < lvModel_->columnCount(); ++c) {
    if (header->sectionSize(c) >= 2) continue;
    QAction* a = nnShowColumn->addAction(TItemListModel::ColumnCaption(diskLayout_, c));
    connect(a, &QAction::triggered, this, [this, c] { AdjustColumns(c); });
  }
  nnShowColumn->setEnabled(!nnShowColumn->isEmpty());
  pmColumns.exec(header->mapToGlobal(pos));
}

void TfmVrt::LVKeyPressed(QKeyEvent* event, bool& handled) {
  handled = false;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->modifiers() & Qt::AltModifier) return;  // Alt+Enter: properties
      LVDblClick(false);
      handled = true;
      break;
    case Qt::Key_Backspace:
      GoUp();
      handled = true;
      break;
    case Qt::Key_Delete:
      ActRemoveFromCatalogExecute();
      handled = true;
      break;
    case Qt::Key_F2:
      ActRenameExecute();
      handled = true;
      break;
    case Qt::Key_Menu: {
      int focused = FocusedRow();
      if (focused >= 0) {
        QRect r = LV->visualRect(lvModel_->index(focused, 0));
        LVContextMenu(r.topLeft() + QPoint(50, 10));
      }
      handled = true;
      break;
    }
    default:
      break;
  }
}
