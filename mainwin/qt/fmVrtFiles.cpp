// SPDX-License-Identifier: MIT
// The main window's file commands: the Files sub-menu (copy, move, delete, extract), Run
// (Open) and Explore, on the list's selected rows or the tree's selection.
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTreeView>

#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "fileops/qt/FileCommands.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "search/ListCommands.h"
#include "search/qt/fmFindU.h"

namespace {

// The rows of the main list as the shared list commands see them.
class TViewRows : public TListRows {
 public:
  explicit TViewRows(QTreeView* view) : view_(view) {}
  int RowCount() const override { return view_->model()->rowCount(); }
  bool IsRowSelected(int row) const override {
    return view_->selectionModel()->isRowSelected(row, QModelIndex());
  }
  bool IsRowFocused(int row) const override { return view_->currentIndex().row() == row; }
  void SetRowState(int row, bool focused, bool selected) override {
    QModelIndex index = view_->model()->index(row, 0);
    view_->selectionModel()->select(
        index, (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                   QItemSelectionModel::Rows);
    if (focused) view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  }

 private:
  QTreeView* view_;
};

}  // namespace

bool TfmVrt::FilesOnListRows() const {
  if (!LV->hasFocus()) return false;
  int offset = lvModel_->HasParentRow() ? 1 : 0;
  for (int row : SelectedRows())
    if (row >= offset) return true;
  return false;
}

void TfmVrt::UpdateFilesMenu() {
  TNodeRec* treeNode = trModel_->NodeOf(trTree->currentIndex());
  bool extract = false, copy = false;
  if (FilesOnListRows()) {
    TViewRows rows(LV);
    TFileOpsState state = FileOpsState(bdMain, rows, mlView, lvModel_->HasParentRow() ? 1 : 0);
    extract = state.Extract;
    copy = state.CopyMoveDelete;
  } else if (treeNode && ItemKindOf(treeNode) >= ikDisk) {
    int32_t flags = ItemFlagsOf(treeNode);
    extract = (flags & (ifArchive | ifInArchive)) != 0;
    copy = !(flags & ifInArchive);
  }
  ActFilesExtract->setVisible(extract);
  ActFilesExtract->setEnabled(extract);
  for (QAction* a : {ActFilesCopy, ActFilesMove, ActFilesDelete}) a->setEnabled(copy);
}

void TfmVrt::FilesCommand(bool extract, TFileOp mode) {
  TNodeRec* treeNode = trModel_->NodeOf(trTree->currentIndex());
  if (!treeNode || ItemKindOf(treeNode) < ikDisk) {
    // The list of a catalog or group holds groups and disks: nothing to copy from there.
    if (!treeNode || !FilesOnListRows()) return;
  }
  if (FilesOnListRows()) {
    TViewRows rows(LV);
    std::vector<int> entries =
        CollectSelected(bdMain, rows, mlView, lvModel_->HasParentRow() ? 1 : 0, ikFolder);
    if (entries.empty()) return;
    fileCommands_->Run(mlView, &entries, extract, mode);
  } else {
    bdMain.ClearMarkList(mlSelection);
    bdMain.PushPos();
    bdMain.GoToNode(treeNode);
    bdMain.AddMark(mlSelection);
    bdMain.PopPos();
    fileCommands_->Run(mlSelection, nullptr, extract, mode, std::string(ItemName(treeNode)));
    bdMain.ClearMarkList(mlSelection);
  }
  UpdateStatus();
}

void TfmVrt::RunItem(bool explore) {
  if (!trTree->currentIndex().isValid()) return;
  TNodeRec* item = GoToCurrentItem();
  if (!item || ItemKindOf(item) < ikDisk) return;
  fileCommands_->RunOrExplore(item, explore);
}

TfmFind& TfmVrt::FindWindow() {
  if (fmFind) return *fmFind;
  fmFind = new TfmFind(*this);
  fmFind->ItemCommand = [this](TFindItemCommand command, const std::vector<TNodeRec*>& items) {
    RunFoundItems(command, items);
  };
  return *fmFind;
}
