// SPDX-License-Identifier: MIT
// The main window's properties command: which items the properties dialog gets, and the dialog.
#include <QTreeView>

#include "mainwin/Properties.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmPropItemU.h"
#include "mainwin/qt/fmVrtU.h"
#include "store/CursorGuard.h"

void TfmVrt::ActPropertiesExecute() {
  if (!IsForeground() || !trTree->currentIndex().isValid()) return;
  std::vector<TNodeRec*> items;
  if (LV->hasFocus()) {
    // The selected rows of every kind but catalogs; the parent row is no entry.
    std::vector<int> rows = SelectedRows();
    items = PrepareItems(bdMain, mlView, &rows, lvModel_->HasParentRow() ? 1 : 0).Items;
  }
  if (items.empty())
    if (TNodeRec* node = trModel_->NodeOf(trTree->currentIndex())) items.push_back(node);
  ShowProperties(items);
}

bool TfmVrt::ShowProperties(const std::vector<TNodeRec*>& nodes) {
  // The dialog takes its items from mlSelection.
  bdMain.ClearMarkList(mlSelection);
  {
    TCursorKeeper keep(bdMain);
    for (TNodeRec* node : nodes) {
      if (!node) continue;
      bdMain.GoToNode(node);
      bdMain.AddMark(mlSelection);
    }
  }
  TPropItems items = PrepareItems(bdMain, mlSelection, nullptr, 0);
  bdMain.ClearMarkList(mlSelection);
  if (items.Items.empty()) return false;
  TfmPropItem dialog(*editor_, settings_, this);
  dialog.EditLists = [this](int catalogSlot, TListKind page) {
    return ShowCatSetup(catalogSlot, page == TListKind::Locations);
  };
  bool changed = dialog.Execute(items);
  UpdateStatus();
  return changed;
}
