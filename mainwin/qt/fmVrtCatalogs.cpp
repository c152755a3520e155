// SPDX-License-Identifier: MIT
// The main window's commands on catalogs (new, open, save, close, recent files), on disks and
// groups (add, update, new group, rename, delete, remove, sort), and the two interfaces through
// which the add-disk dialog and the catalog editor reach the tree.
#include <QAction>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QTreeView>

#include "app/qt/BusyCursor.h"
#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Prompts.h"
#include "app/qt/fmAboutU.h"
#include "catalog/CatalogLayout.h"
#include "catalog/qt/GuiCatalogUi.h"
#include "catalog/qt/fmNewCatU.h"
#include "mainwin/TreeRows.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "scan/DiskGraft.h"
#include "scan/qt/fmAddDiskU.h"
#include "search/qt/fmFindU.h"
#include "store/CursorGuard.h"

void TfmVrt::SetSaveNameChooser(
    std::function<std::string(const std::string&, const std::string&)> chooser) {
  ui_->SaveNameChooser = std::move(chooser);
}

// ---- new, open, save, close -------------------------------------------------------------------

void TfmVrt::ActNewCatalogExecute() {
  if (!IsForeground()) return;
  if (!fmNewCat) fmNewCat = new TfmNewCat(this);
  fmNewCat->Prepare();
  if (fmNewCat->exec() != QDialog::Accepted) return;
  NewCatalog(fmNewCat->Name());
}

void TfmVrt::NewCatalog(const QString& name) {
  bdMain.GoToDepth(0);
  int slot = std::max(bdMain.SlotCount(), 1);
  trModel_->BeginInsert(bdMain.RootNode(), slot - 1, slot - 1);
  files_->NewCatalog(StdStr(name));
  trModel_->EndInsert();
  bdMain.GoToDepth(0);
  QModelIndex index = trModel_->index(slot - 1, 0);
  SelectTreeNode(index);
  ExpandToDisks(index);
  UpdateStatus();
}

void TfmVrt::ActOpenCatalogExecute() {
  if (!IsForeground()) return;
  std::vector<std::string> files = ChooseCatalogFilesToOpen(this, files_->DialogFolder());
  if (!files.empty()) OpenCatalogFiles(files);
}

int TfmVrt::OpenCatalogFiles(const std::vector<std::string>& files) {
  int opened;
  {
    TBusyCursor busy;
    trTree->setUpdatesEnabled(false);
    opened = files_->OpenFiles(files);
    trTree->setUpdatesEnabled(true);
  }
  UpdateStatus();
  return opened;
}

void TfmVrt::CatalogOpening(int rootSlot) {
  trModel_->BeginInsert(bdMain.RootNode(), rootSlot - 1, rootSlot - 1);
}

void TfmVrt::CatalogOpened(int rootSlot, bool last) {
  trModel_->EndInsert();
  QModelIndex index = trModel_->index(rootSlot - 1, 0);
  if (settings_.Options.ExpandOnOpen) ExpandToDisks(index);
  if (last) SelectTreeNode(index);
}

void TfmVrt::CatalogClosing(int rootSlot) {
  if (fmFind) fmFind->ForgetStartNode(NodeChild(bdMain.RootNode(), rootSlot), true);
  trModel_->BeginRemove(bdMain.RootNode(), rootSlot - 1, rootSlot - 1);
}

void TfmVrt::CatalogClosed(int) {
  trModel_->EndRemove();
  trChange(false);
  if (fmFind) fmFind->ReloadResults();
  ReloadUserList();  // the members inside the catalog went with it
}

TSaveResult TfmVrt::SaveSelectedCatalog(bool saveAs) {
  QModelIndex current = trTree->currentIndex();
  if (!current.isValid()) return TSaveResult::Cancelled;
  TSaveResult result;
  {
    TCursorKeeper keep(bdMain);
    GoToTreeNode(current);
    result = files_->Save(saveAs);
  }
  trModel_->RowChanged(CatalogNodeOf(trModel_->NodeOf(current)));
  UpdateStatus();
  return result;
}

void TfmVrt::ActSaveCatalogExecute() {
  if (IsForeground()) SaveSelectedCatalog(false);
}

void TfmVrt::nnMMSaveCatAsClick() { SaveSelectedCatalog(true); }

void TfmVrt::ActSaveAllExecute() {
  if (!IsForeground()) return;
  {
    TCursorKeeper keep(bdMain);
    files_->SaveAll();
  }
  UpdateStatus();
}

bool TfmVrt::CloseSelectedCatalog() {
  const TNodeRec* catalog = CatalogNodeOf(trModel_->NodeOf(trTree->currentIndex()));
  if (!catalog) return false;
  int slot = TreeRowOf(catalog) + 1;
  bool closed = files_->Close(slot, false);
  UpdateStatus();
  return closed;
}

void TfmVrt::ActCloseCatalogExecute() {
  if (IsForeground()) CloseSelectedCatalog();
}

bool TfmVrt::CloseAllCatalogs() {
  bool all = files_->CloseAll(false);
  UpdateStatus();
  return all;
}

void TfmVrt::nnMMCloseAllCatClick() { CloseAllCatalogs(); }

void TfmVrt::ShowRecentItems() {
  std::vector<int> visible = files_->VisibleRecent();
  const std::vector<std::string>& recent = settings_.Options.RecentCatalogs;
  QFontMetrics metrics(font());
  for (int k = 0; k < 10; ++k) {
    bool shown = std::find(visible.begin(), visible.end(), k) != visible.end();
    QString caption;
    if (shown)
      caption = metrics.elidedText(QStr(recent[static_cast<size_t>(k)]), Qt::ElideMiddle, 200);
    for (QAction* a : {nnRecCat[static_cast<size_t>(k)], npRecCat[static_cast<size_t>(k)]}) {
      a->setVisible(shown);
      a->setText(caption);
      a->setToolTip(shown ? QStr(recent[static_cast<size_t>(k)]) : QString());
    }
  }
  nnRecentSep->setVisible(!visible.empty());
}

void TfmVrt::OpenRecent(int index) {
  {
    TBusyCursor busy;
    files_->OpenRecent(index);
  }
  UpdateStatus();
}

// ---- disks and groups -------------------------------------------------------------------------

void TfmVrt::ActAddNewDiskExecute() {
  if (!IsForeground() || !trTree->currentIndex().isValid()) return;
  GoToTreeNode(trTree->currentIndex());
  while (bdMain.Depth() > 1 && ItemKindOf(bdMain.CurrentNode()) > ikDisk) bdMain.Up();
  if (ItemKindOf(bdMain.CurrentNode()) == ikDisk && bdMain.Depth() > 1) bdMain.Up();
  SelectTreeNode(TreeNodeOfCursor(true));
  if (!fmAddDisk) fmAddDisk = new TfmAddDisk(*this, this);
  fmAddDisk->ShowAdd();
}

void TfmVrt::ActUpdateDiskExecute() {
  if (!IsForeground() || !trTree->currentIndex().isValid()) return;
  TNodeRec* item = trModel_->NodeOf(trTree->currentIndex());
  if (LV->hasFocus() && FocusedRow() >= 0)
    if (TNodeRec* focused = lvModel_->ItemAt(FocusedRow())) item = focused;
  bdMain.GoToNode(item);
  if (!IsContainer(item)) bdMain.Up();
  while (bdMain.Depth() > 1 && ItemKindOf(bdMain.CurrentNode()) > ikDisk) bdMain.Up();
  TNodeRec* disk = bdMain.CurrentNode();
  if (ItemKindOf(disk) != ikDisk) return;
  SelectTreeNode(TreeNodeOfCursor(true));
  if (!fmAddDisk) fmAddDisk = new TfmAddDisk(*this, this);
  fmAddDisk->ShowUpdate(disk);
}

TNodeRec* TfmVrt::SelectedTreeNode() { return trModel_->NodeOf(trTree->currentIndex()); }

TNodeRec* TfmVrt::AddScannedDisk(TNodeRec* destination, TQDBase& bdDisk) {
  TBusyCursor busy;
  int row = TreeRowCount(destination);
  trModel_->BeginInsert(destination, row, row);
  TNodeRec* disk = GraftNewDisk(bdMain, destination, bdDisk);
  trModel_->EndInsert();
  for (const TNodeRec* p = destination; p && p != bdMain.RootNode(); p = p->Parent)
    trModel_->RowChanged(p);
  trTree->expand(trModel_->IndexOf(destination));
  SelectTreeNode(trModel_->IndexOf(disk));
  return disk;
}

void TfmVrt::ReplaceScannedDisk(TNodeRec* oldDisk, TQDBase& bdDisk) {
  TBusyCursor busy;
  trModel_->RemoveAllRows(oldDisk);
  ReplaceDisk(bdMain, oldDisk, bdDisk);
  trModel_->InsertAllRows(oldDisk);
  SelectTreeNode(trModel_->IndexOf(oldDisk));
  ReloadUserList();  // members that are no longer on the medium went with the old items
}

void TfmVrt::MarkModified(const TNodeRec* item) { editor_->MarkModified(item); }

void TfmVrt::SaveCatalogOf(const TNodeRec* item) {
  const TNodeRec* catalog = CatalogNodeOf(item);
  if (!catalog) return;
  {
    TCursorKeeper keep(bdMain);
    files_->SaveAt(TreeRowOf(catalog) + 1, false);
  }
  UpdateStatus();
}

void TfmVrt::ActAddNewDiskGroupExecute() {
  TNodeRec* node = trModel_->NodeOf(trTree->currentIndex());
  if (!node) return;
  TNodeRec* group = editor_->AddGroup(node);
  if (!group) return;
  QModelIndex index = trModel_->IndexOf(group);
  SelectTreeNode(index);
  trTree->setFocus();
  trTree->edit(index);
}

void TfmVrt::ActRenameExecute() {
  if (RenameListRow()) return;  // a group or disk focused in the list is renamed there
  TNodeRec* item = GoToCurrentItem();
  int kind = ItemKindOf(item);
  if (kind < ikCatalog || kind > ikDisk) return;
  bdMain.GoToNode(item);
  QModelIndex index = TreeNodeOfCursor(true);
  if (!index.isValid()) return;
  if (trTree->currentIndex() != index) SelectTreeNode(index);
  trTree->setFocus();
  trTree->scrollTo(index);
  trTree->edit(index);
}

void TfmVrt::RenameTreeItem(TNodeRec* item, const QString& typed) {
  editor_->RenameItem(item, StdStr(typed));
  UpdateStatus();
}

void TfmVrt::DropSelectedOn(const QPersistentModelIndex& target) {
  TNodeRec* dragged = trModel_->NodeOf(trTree->currentIndex());
  TNodeRec* onto = trModel_->NodeOf(target);
  if (!target.isValid() || !dragged || !onto) return;
  TNodeRec* moved = editor_->Drop(dragged, onto);
  if (moved) SelectTreeNode(trModel_->IndexOf(moved));
  RefreshViews();
}

void TfmVrt::ActDeleteDiskExecute() {
  if (!IsForeground()) return;
  TNodeRec* item = GoToCurrentItem();
  if (!item || ItemKindOf(item) <= ikCatalog) return;
  editor_->DeleteDisk(item);
  UpdateStatus();
}

void TfmVrt::ActRemoveFromCatalogExecute() {
  if (!trTree->currentIndex().isValid()) return;
  if (LV->hasFocus()) {
    std::vector<TNodeRec*> items;
    for (int row : SelectedRows())
      if (TNodeRec* item = lvModel_->ItemAt(row))
        if (ItemKindOf(item) >= ikFolder) items.push_back(item);
    if (items.empty()) return;
    editor_->RemoveItems(items);
  } else {
    TNodeRec* node = trModel_->NodeOf(trTree->currentIndex());
    if (ItemKindOf(node) < ikFolder) return;
    editor_->RemoveTreeItem(node);
  }
  listStale_ = true;
  RefreshViews();
}

void TfmVrt::ActSortDiskExecute() {
  TNodeRec* node = trModel_->NodeOf(trTree->currentIndex());
  if (ItemKindOf(node) == ikCatalog || ItemKindOf(node) == ikGroup) editor_->SortDisks(node);
}

void TfmVrt::ActGotoUpExecute() { GoUp(); }

void TfmVrt::ActHelpExecute() { ShowHelpTopic(QStringLiteral("Overview.htm")); }

// ---- the search window --------------------------------------------------------------------------

void TfmVrt::ActFindExecute() {
  if (!IsForeground() || !trTree->currentIndex().isValid()) return;
  TNodeRec* item = GoToCurrentItem();
  if (item && !IsContainer(item)) item = item->Parent;  // a file: the folder that holds it
  FindWindow().ShowSearch(item, false);
}

void TfmVrt::ActFindAllExecute() {
  if (!IsForeground() || bdMain.RootNode()->SlotCount < 2) return;
  FindWindow().ShowSearch(NodeChild(bdMain.RootNode(), 1), true);
}

void TfmVrt::nnAboutClick() {
  if (!fmAbout) fmAbout = new TfmAbout(versionText_, this);
  fmAbout->adjustSize();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    fmAbout->move(screen->geometry().center() - fmAbout->rect().center());
  fmAbout->exec();
}

// ---- the editor's reports -----------------------------------------------------------------------

bool TfmVrt::Confirm(int, const std::string&, const std::string& text) {
  return AskYesNoQ(this, QString::fromStdString(text));
}

void TfmVrt::TreeChanging(const TTreeChange& change) { trModel_->ApplyChange(change, true); }

void TfmVrt::TreeChanged(const TTreeChange& change) {
  trModel_->ApplyChange(change, false);
  // Rows added, moved or reordered in the container the list shows: refill it.
  const TNodeRec* shown = trModel_->NodeOf(trTree->currentIndex());
  if (change.Kind != TTreeChange::TKind::Update &&
      (change.Parent == shown || change.Kind == TTreeChange::TKind::Rebuild))
    listStale_ = true;
}

void TfmVrt::SubtreeRemoving(const TNodeRec* item) {
  if (fmFind) fmFind->ForgetStartNode(item, false);
  // The selection inside a subtree about to go moves to the subtree's parent first, so the
  // tree keeps a selection and the list shows the container the item was in.
  TNodeRec* shown = trModel_->NodeOf(trTree->currentIndex());
  if (shown && (shown == item || IsInside(shown, item)))
    SelectTreeNode(trModel_->IndexOf(item->Parent));
}
