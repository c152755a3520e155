// SPDX-License-Identifier: MIT
// The catalog setup dialog: the category and location lists of one catalog, edited on working
// copies (TCatSetup) and applied on OK with every reference in the catalog renumbered. Two pages
// (tsCat, tsLoc), each with its list box and the buttons add, edit, delete, up, down and copy
// from another open catalog (the pop-up menu pmCopy). Nothing reaches the catalog before the
// user confirms the changes on OK; Cancel and Esc leave it untouched.
//
// Modal. Tests drive it without exec(): Open, the button handlers, InputName and bkOkClick.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>
#include <functional>

#include "catalog/Categories.h"
#include "store/QDBase.h"

class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;
class QWidget;

class TfmCatSetup : public QDialog {
  Q_OBJECT

 public:
  // `bdMain` (the catalog store) must outlive the dialog.
  explicit TfmCatSetup(TQDBase& bdMain, QWidget* parent = nullptr);

  // Copies the lists of `catalog` (a catalog node of bdMain) into the working copies and shows
  // them on the page of `kind`. False when `catalog` is not an open catalog.
  bool Open(const TNodeRec* catalog, TListKind kind = TListKind::Categories);
  // True once OK applied the lists to the catalog (since the last Open).
  bool Applied() const { return applied_; }
  // The list showing on the current page.
  TListKind CurrentKind() const;
  // The other open catalogs, as the copy menu lists them.
  std::vector<TNodeRec*> OtherCatalogs() const;
  // The copy menu's command: the missing names of `catalog`'s list of the current page.
  void CopyFromCatalog(const TNodeRec* catalog);
  TCatSetup& Setup() { return setup_; }

  // Asks for a name: caption, prompt, the text to start with. False for Cancel. Defaults to an
  // input box; tests answer it themselves.
  std::function<bool(const QString& caption, const QString& prompt, QString& text)> InputName;

  // Button handlers of the page of `kind`.
  void AddClick(TListKind kind);
  void EditClick(TListKind kind);
  void DelClick(TListKind kind);
  void UpClick(TListKind kind);
  void DownClick(TListKind kind);
  void CopyClick(TListKind kind);
  // OK: without changes it closes; otherwise asks 12509 (Yes applies, No closes without
  // applying, Cancel stays).
  void bkOkClick();

  QTabWidget* pcPages = nullptr;
  QWidget* tsCat = nullptr;
  QWidget* tsLoc = nullptr;
  QListWidget* lbCat = nullptr;
  QListWidget* lbLoc = nullptr;
  QPushButton *sbAddCat = nullptr, *sbEditCat = nullptr, *sbDelCat = nullptr, *sbUpCat = nullptr,
              *sbDownCat = nullptr, *sbCopyCat = nullptr;
  QPushButton *sbAddLoc = nullptr, *sbEditLoc = nullptr, *sbDelLoc = nullptr, *sbUpLoc = nullptr,
              *sbDownLoc = nullptr, *sbCopyLoc = nullptr;
  QPushButton* bkOk = nullptr;
  QPushButton* bkCancel = nullptr;
  QMenu* pmCopy = nullptr;

 private:
  struct TPage {
    QListWidget* List;
    QPushButton *Add, *Edit, *Del, *Up, *Down, *Copy;
  };
  TPage Page(TListKind kind) const;
  QWidget* BuildPage(TListKind kind);
  void SetTexts();
  // Refills a list box from the working copy and selects `row` (clamped; -1: none).
  void FillList(TListKind kind, int row);
  void UpdateButtons();
  int SelectedRow(TListKind kind) const;

  TQDBase& bdMain_;
  TCatSetup setup_;
  const TNodeRec* catalog_ = nullptr;
  bool applied_ = false;
};
