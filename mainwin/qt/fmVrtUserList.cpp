// SPDX-License-Identifier: MIT
// The main window's side of the user list (adding and removing the tree's node or the list's
// rows, the user-list sub-menu and its toolbar drop-down, the window itself), the commands of the
// result windows on real files, and the editing of groups and disks from the item list: dragging
// rows onto the tree, Delete and in-place renaming.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

#include "app/qt/GuiText.h"
#include "catalog/CatalogLayout.h"
#include "fileops/qt/FileCommands.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "report/qt/fmReportU.h"
#include "search/qt/ResultList.h"
#include "search/qt/fmFindU.h"
#include "userlist/UserList.h"
#include "userlist/qt/fmUserListU.h"

namespace {

bool IsGroupOrDisk(const TNodeRec* item) {
  int kind = ItemKindOf(item);
  return item && IsContainer(item) && (kind == ikGroup || kind == ikDisk);
}

}  // namespace

void TfmVrt::ConnectUserList() {
  connect(ActUserView, &QAction::triggered, this, [this] {
    if (IsForeground() && ActUser->isEnabled()) OpenUserList();
  });
  connect(ActUserAdd, &QAction::triggered, this, [this] { UserListCommand(true); });
  connect(ActUserDelete, &QAction::triggered, this, [this] { UserListCommand(false); });
  connect(userListMenu_, &QMenu::aboutToShow, this, &TfmVrt::UpdateUserListActions);
  // The toolbar's user-list button opens the list; its arrow drops the sub-menu down.
  if (auto* b = qobject_cast<QToolButton*>(MainBar->widgetForAction(ActUserView))) {
    b->setMenu(userListMenu_);
    b->setPopupMode(QToolButton::MenuButtonPopup);
  }

  // Rows of the list are dragged onto the tree (groups and disks) and to the user list.
  lvModel_->SetDragRows(true);
  LV->setDragEnabled(true);
  LV->setDragDropMode(QAbstractItemView::DragOnly);
  LV->setDefaultDropAction(Qt::MoveAction);
  trModel_->CanDropRowsOn = [this](const TNodeRec* target) { return CanDropListRowsOn(target); };
  trModel_->DropRowsOn = [this](TNodeRec* target, bool copy) {
    QPersistentModelIndex at = trModel_->IndexOf(target);
    QMetaObject::invokeMethod(
        this, [this, at, copy] { DropListRowsOn(at, copy); }, Qt::QueuedConnection);
  };
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now == LV)
      listFocusedLast_ = true;
    else if (now == trTree)
      listFocusedLast_ = false;
  });
  // Names of groups and disks are edited in the list itself.
  lvModel_->OnRename = [this](TNodeRec* item, const QString& typed) {
    editor_->RenameItem(item, StdStr(typed));
    UpdateStatus();
  };
}

// ---- the user list --------------------------------------------------------------------------

TfmUserList& TfmVrt::UserListWindow() {
  if (fmUserList) return *fmUserList;
  fmUserList = new TfmUserList(*this);
  fmUserList->ItemCommand = [this](TFindItemCommand command, const std::vector<TNodeRec*>& items) {
    RunFoundItems(command, items);
  };
  fmUserList->OpenReport = [this] {
    TfmReport dlg(*this, fmUserList);
    dlg.ShowFor(TReportSource::UserList, fmUserList->LVU->header());
  };
  return *fmUserList;
}

void TfmVrt::OpenUserList() { UserListWindow().OpenUserList(); }

void TfmVrt::ReloadUserList() {
  if (fmUserList) fmUserList->ReloadUserList();
}

void TfmVrt::ChangeUserList(bool add, bool onListRows) {
  auto reload = [this] { ReloadUserList(); };
  if (onListRows) {
    TResultViewRows rows(LV);
    int offset = lvModel_->HasParentRow() ? 1 : 0;
    if (add)
      AddToUserList(bdMain, &rows, mlView, offset, reload);
    else
      RemoveFromUserList(bdMain, &rows, mlView, offset, reload);
  } else {
    TNodeRec* node = trModel_->NodeOf(trTree->currentIndex());
    if (ItemKindOf(node) < ikGroup) return;
    bdMain.ClearMarkList(mlSelection);
    bdMain.PushPos();
    bdMain.GoToNode(node);
    bdMain.AddMark(mlSelection);
    bdMain.PopPos();
    if (add)
      AddToUserList(bdMain, nullptr, mlSelection, 0, reload);
    else
      RemoveFromUserList(bdMain, nullptr, mlSelection, 0, reload);
    bdMain.ClearMarkList(mlSelection);
  }
  UpdateStatus();
}

void TfmVrt::UserListCommand(bool add) {
  if (!trTree->currentIndex().isValid()) return;
  ChangeUserList(add, UserListOnListRows());
}

bool TfmVrt::UserListOnListRows() const {
  // A menu opened from the keyboard takes the focus from the list it acts on.
  if (!LV->hasFocus() && (trTree->hasFocus() || !listFocusedLast_)) return false;
  int offset = lvModel_->HasParentRow() ? 1 : 0;
  for (int row : SelectedRows())
    if (row >= offset) return true;
  return false;
}

void TfmVrt::UpdateUserListActions() {
  bool add = false, remove = false;
  TNodeRec* node = trModel_->NodeOf(trTree->currentIndex());
  if (node && UserListOnListRows()) {
    TResultViewRows rows(LV);
    TUserListState state = UserListState(bdMain, rows, mlView, lvModel_->HasParentRow() ? 1 : 0);
    add = state.CanAdd;
    remove = state.CanRemove;
  } else if (ItemKindOf(node) >= ikGroup) {
    add = !IsUserListMember(node);
    remove = !add;
  }
  ActUserAdd->setEnabled(add);
  ActUserDelete->setEnabled(remove);
}

void TfmVrt::RunFoundItems(TFindItemCommand command, const std::vector<TNodeRec*>& items) {
  if (items.empty()) return;
  if (command == TFindItemCommand::Properties) {
    ShowProperties(items);
    return;
  }
  if (command == TFindItemCommand::Run || command == TFindItemCommand::Explore) {
    fileCommands_->RunOrExplore(items.front(), command == TFindItemCommand::Explore);
    return;
  }
  const TFileOp mode = command == TFindItemCommand::Move     ? TFileOp::Move
                       : command == TFindItemCommand::Delete ? TFileOp::Delete
                                                             : TFileOp::Copy;
  // The engine works on a mark list: the chosen items, in their order.
  bdMain.ClearMarkList(mlSelection);
  bdMain.PushPos();
  for (TNodeRec* item : items) {
    bdMain.GoToNode(item);
    bdMain.AddMark(mlSelection);
  }
  bdMain.PopPos();
  fileCommands_->Run(mlSelection, nullptr, command == TFindItemCommand::Extract, mode);
  bdMain.ClearMarkList(mlSelection);
}

// ---- editing from the item list -------------------------------------------------------------

bool TfmVrt::CanDropListRowsOn(const TNodeRec* target) {
  if (!diskLayout_ || !trTree->currentIndex().isValid()) return false;
  for (int row : SelectedRows()) {
    TNodeRec* item = lvModel_->ItemAt(row);
    if (IsGroupOrDisk(item) && editor_->CanDrop(item, target)) return true;
  }
  return false;
}

void TfmVrt::DropListRowsOn(const QPersistentModelIndex& target, bool copy) {
  TNodeRec* onto = trModel_->NodeOf(target);
  if (!target.isValid() || !onto || !diskLayout_) return;
  std::vector<TNodeRec*> items;
  for (int row : SelectedRows())
    if (TNodeRec* item = lvModel_->ItemAt(row); IsGroupOrDisk(item)) items.push_back(item);
  // Each drop is one editor command; a node moved earlier is never one of the later ones (they
  // are siblings), and the target stays where it is unless it is one of them (refused).
  for (TNodeRec* item : items) {
    if (!editor_->CanDrop(item, onto)) continue;
    editor_->Drop(item, onto, copy);
  }
  listStale_ = true;
  RefreshViews();
}

void TfmVrt::DeleteListRow() {
  if (!IsForeground() || !diskLayout_) return;
  int row = FocusedRow();
  TNodeRec* item = lvModel_->ItemAt(row);
  if (!IsGroupOrDisk(item)) return;
  int scroll = LV->verticalScrollBar()->value();
  if (!editor_->DeleteDisk(item)) return;
  int rows = lvModel_->rowCount();
  if (rows > 0) {
    QModelIndex at = lvModel_->index(std::min(row, rows - 1), 0);
    LV->selectionModel()->setCurrentIndex(
        at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LV->verticalScrollBar()->setValue(scroll);
  }
  LV->setFocus();
  UpdateStatus();
}

bool TfmVrt::RenameListRow() {
  if (!LV->hasFocus() || !diskLayout_) return false;
  int row = FocusedRow();
  if (row < 0) return false;
  QModelIndex at = lvModel_->index(row, 0);
  if (!(lvModel_->flags(at) & Qt::ItemIsEditable)) return false;
  LV->scrollTo(at);
  LV->edit(at);
  return true;
}
