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

#include "app/Options.h"
#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "fileops/qt/FileCommands.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/ListHeader.h"
#include "mainwin/qt/fmVrtU.h"
#include "search/ListSort.h"
#include "search/qt/fmFindU.h"
#include "store/CursorGuard.h"

namespace {

int LayoutIndex(bool diskLayout) { return diskLayout ? 0 : 1; }
int LayoutSlot(bool diskLayout) { return diskLayout ? kOptDiskColumns : kOptFileColumns; }

}  // namespace

// ---- layouts --------------------------------------------------------------------------------

void TfmVrt::SaveListLayout() {
  if (!layoutBuilt_) return;
  int li = LayoutIndex(diskLayout_);
  SaveHeaderLayout(settings_.bdOpt, LayoutSlot(diskLayout_), LV, sortColumn_[li],
                   sortDescending_[li]);
}

void TfmVrt::LoadListLayout() {
  std::vector<int> widths;
  for (int c = 0; c < TItemListModel::LayoutColumns(diskLayout_); ++c)
    widths.push_back(TItemListModel::DefaultWidth(diskLayout_, c));
  int li = LayoutIndex(diskLayout_);
  LoadHeaderLayout(settings_.bdOpt, LayoutSlot(diskLayout_), LV, widths, sortColumn_[li],
                   sortDescending_[li]);
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
  LV->header()->setSortIndicator(sortColumn_[li],
                                 sortDescending_[li] ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TfmVrt::SortList() {
  int li = LayoutIndex(diskLayout_);
  SortMarkListBy(bdMain, mlView, diskLayout_ ? TListLayout::Disk : TListLayout::File,
                 sortColumn_[li], sortDescending_[li], nullptr, &decoders_);
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
  FitColumns(LV, column, sortColumn_[LayoutIndex(diskLayout_)]);
  SaveListLayout();
}

void TfmVrt::RefreshList() {
  lvModel_->RefreshRows();
  UpdateStatus();
}

void TfmVrt::RefreshViews() {
  if (fmFind) fmFind->ReloadResults();
  ReloadUserList();
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
  // A file, or an archive with Alt: the configured action. 1 properties, 2 run (open), 3 show
  // in the file manager.
  int action = alt ? settings_.Options.AltDblClickAction : settings_.Options.DblClickAction;
  if (action == 1) ShowProperties({item});
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
  ExecColumnMenu(
      this, LV, pos, menuSheet_, [this](int column) { AdjustColumns(column); },
      [this] { SaveListLayout(); });
}

void TfmVrt::LVKeyPressed(QKeyEvent* event, bool& handled) {
  handled = false;
  // Keys that the name editor leaves (Enter) are not the list's commands while it edits.
  if (QWidget* focus = QApplication::focusWidget(); focus && focus != LV && LV->isAncestorOf(focus))
    return;
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
      // Groups and disks are deleted as in the tree; folders and files leave their catalog.
      if (diskLayout_)
        DeleteListRow();
      else
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
