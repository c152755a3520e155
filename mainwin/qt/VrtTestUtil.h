// SPDX-License-Identifier: MIT
// Test helpers for the main window: catalog files built in code and a main window in a scratch
// settings folder.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/Language.h"
#include "app/qt/PromptsTestUtil.h"
#include "catalog/CatalogLayout.h"
#include "catalog/CatalogTestUtil.h"
#include "mainwin/EditTestUtil.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/fmVrtU.h"

// The real language files of the source tree.
inline std::string SourceLanguageFolder() { return std::string(TOLVANE_SOURCE_DIR) + "/Language/"; }

// Loaded every time: tests of the editing code replace the table with a few texts of their own.
inline void LoadEnglish() {
  LangTable(TLangKind::English).LoadFromFile(SourceLanguageFolder() + "English.lng");
}

// Writes a catalog file whose catalog is named `name`; `build` adds its contents with the
// cursor on the catalog node.
inline void WriteCatalogFile(const std::string& path, const std::string& name,
                             const std::function<void(TQDBase&, TNodeRec*)>& build = {}) {
  TQDBase bd;
  InitCatalogStore(bd);
  CreateCatalogNode(bd, name, 45000.0);
  TNodeRec* catalog = bd.CurrentNode();
  if (build) build(bd, catalog);
  bd.GoToNode(catalog);
  bd.Signature = "Vrt base";
  std::string image;
  bd.SaveToString(image);
  std::ofstream(path, std::ios::binary) << image;
}

// A main window with stores of its own, which it is built after and destroyed before, as the
// program's main window is.
class TTestStores {
 protected:
  TAppStores stores_;
};
class TTestMainWindow : private TTestStores, public TfmVrt {
 public:
  explicit TTestMainWindow(const TVrtPlaces& places) : TfmVrt(stores_, places) {}
};

// Catalog "Alpha": group G1 (disk D2), disk D1 (of drive type `driveType`) holding folders sub/
// (inner.txt) and zeta/, the archive pack.zip listed as a folder, and the files b.txt, a.txt (both
// 10 bytes), c.doc.
inline void BuildAlphaCatalog(TQDBase& bd, TNodeRec* catalog, int driveType) {
  TNodeRec* g1 = AddItem(bd, catalog, "G1", ikGroup);
  AddItem(bd, g1, "D2", ikDisk, 100);
  TNodeRec* d1 = AddItem(bd, catalog, "D1", ikDisk, 2000);
  SetHeaderInt(bd, d1, kDiskDriveType, driveType);
  TNodeRec* sub = AddItem(bd, d1, "sub", ikFolder, 7);
  AddLeaf(bd, sub, "inner.txt", 7);
  AddItem(bd, d1, "zeta", ikFolder, 0);
  AddItem(bd, d1, "pack.zip", ikFolder | ifArchive, 30);
  AddLeaf(bd, d1, "b.txt", 10);
  AddLeaf(bd, d1, "a.txt", 10);
  AddLeaf(bd, d1, "c.doc", 5);
}

// Catalog files "Alpha" (BuildAlphaCatalog with D1 of `driveType`) and "Beta" (empty) and a
// settings folder, in a fresh scratch folder named after the running test.
struct TAlphaBetaFiles {
  std::string Dir, Alpha, Beta, Settings;
};
inline TAlphaBetaFiles MakeAlphaBetaFiles(int driveType) {
  TAlphaBetaFiles f;
  f.Dir = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
  f.Alpha = f.Dir + "/alpha.ctl";
  f.Beta = f.Dir + "/beta.ctl";
  WriteCatalogFile(f.Alpha, "Alpha", [driveType](TQDBase& bd, TNodeRec* catalog) {
    BuildAlphaCatalog(bd, catalog, driveType);
  });
  WriteCatalogFile(f.Beta, "Beta");
  f.Settings = f.Dir + "/settings";
  std::filesystem::create_directories(f.Settings);
  return f;
}

// A main window over a fresh settings folder, shown and active so that the commands with
// shortcuts act.
inline std::unique_ptr<TfmVrt> MakeMainWindow(const std::string& settingsFolder,
                                              const std::string& commandLineFile = {}) {
  LoadEnglish();
  TVrtPlaces places;
  places.SettingsFolder = settingsFolder + "/";
  places.LanguageFolder = SourceLanguageFolder();
  places.CommandLineFile = commandLineFile;
  std::unique_ptr<TfmVrt> w = std::make_unique<TTestMainWindow>(places);
  w->show();
  QApplication::setActiveWindow(w.get());
  QApplication::processEvents();
  return w;
}

// The child named `name` of `parent` in the main window's tree (invalid when there is none).
inline QModelIndex TreeChild(TfmVrt& w, const QModelIndex& parent, const QString& name) {
  TCatalogTreeModel* m = w.TreeModel();
  for (int r = 0; r < m->rowCount(parent); ++r) {
    QModelIndex i = m->index(r, 0, parent);
    if (m->data(i).toString() == name) return i;
  }
  return QModelIndex();
}

// Runs `trigger`, which opens a modal dialog of type T; while it runs, the dialog is handed to
// `inside` and then closed unless `inside` closed it. False when no such dialog came up.
template <class T>
bool RunModal(const std::function<void()>& trigger, const std::function<void(T&)>& inside) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dlg) return;
    seen = true;
    inside(*dlg);
    if (dlg->isVisible()) dlg->reject();
  });
  trigger();
  return seen;
}
