// SPDX-License-Identifier: MIT
// The main window's commands for the category and location lists (the catalog setup dialog) and
// the catalog manager.
#include <QTreeView>

#include "catalog/CatalogLayout.h"
#include "catalog/qt/fmCatSetupU.h"
#include "catman/qt/fmCatManU.h"
#include "mainwin/TreeRows.h"
#include "mainwin/qt/fmVrtU.h"

bool TfmVrt::ShowCatSetup(int catalogSlot, bool locations) {
  TNodeRec* catalog = NodeChild(bdMain.RootNode(), catalogSlot);
  if (!catalog || !IsContainer(catalog)) return false;
  TfmCatSetup dialog(bdMain, this);
  if (!dialog.Open(catalog, locations ? TListKind::Locations : TListKind::Categories)) return false;
  dialog.exec();
  if (!dialog.Applied()) return false;
  editor_->MarkModified(catalog);  // the lists and references changed: the views show them
  UpdateStatus();
  return true;
}

void TfmVrt::ActCatSetupExecute() {
  const TNodeRec* catalog = CatalogNodeOf(SelectedTreeNode());
  if (!catalog) return;
  ShowCatSetup(SlotInParent(catalog));
}

TfmCatMan& TfmVrt::CatManWindow() {
  if (!fmCatMan) {
    fmCatMan = new TfmCatMan(*editor_, this);
    fmCatMan->ShowProperties = [this](const std::vector<TNodeRec*>& items) {
      ShowProperties(items);
    };
  }
  return *fmCatMan;
}

void TfmVrt::ActCatManExecute() {
  if (bdMain.RootNode()->SlotCount <= 1) return;
  TfmCatMan& window = CatManWindow();
  window.FormShow(SelectedTreeNode());
  window.exec();
  UpdateStatus();
}
