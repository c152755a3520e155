// SPDX-License-Identifier: MIT
// TfmPropItem: the properties dialog. For one item it shows a page per level of the item's path
// that has properties (its catalog, its group, its disk, its folder, the file or archive itself),
// each with statistics and editable name, description, category and location; for two or more
// items one selection page that applies a category, a location or a common description to all of
// them. Nothing is written before OK; OK writes through the catalog editor, which marks the
// catalog changed and has the tree, the item lists and the search results refreshed.
//
// The page contents and what OK writes are decided in mainwin/Properties.h; this window shows
// them and forwards the user's edits.
//
// Threads: GUI thread only; the dialog is modal.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "catalog/Categories.h"
#include "mainwin/CatalogEdit.h"
#include "mainwin/Properties.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

class TfmPropItem : public QDialog {
  Q_OBJECT

 public:
  // `editor` works on bdMain; `settings` holds the shared word-wrap switch. Both outlive the
  // dialog.
  TfmPropItem(TCatalogEditor& editor, TSettings& settings, QWidget* parent = nullptr);
  ~TfmPropItem() override;

  // Opening (FormShow): takes the items, fills the boxes, chooses the pages and fills the active
  // one. Other pages are filled when first shown.
  void Prepare(const TPropItems& items);
  // Prepare, then the modal loop. True when OK changed anything.
  bool Execute(const TPropItems& items);
  // OK: writes back the filled pages (one item) or the selection page (several), then closes.
  // True when anything changed.
  bool bkOkClick();

  // The catalog setup window for the catalog at root slot `catalogSlot` of bdMain, opened on its
  // categories or its locations page; returns true when it applied changes to the lists. While
  // it is empty the dialog offers no way to edit the lists. After a change the category and
  // location boxes are refilled and keep showing the same entries.
  std::function<bool(int catalogSlot, TListKind page)> EditLists;

  const TPropItems& Items() const { return items_; }
  // Whether the page was filled (shown at least once since Prepare).
  bool Filled(TPropPage page) const { return filled_[static_cast<size_t>(page)]; }
  // The tab of a page, or nullptr when the page is not part of the dialog now.
  QWidget* PageWidget(TPropPage page) const;
  // Shows a page (filling it first when needed).
  void ShowPage(TPropPage page);
  // Pressing a word-wrap button: all six take the state, the memos follow, the setting keeps it.
  void SetWrap(bool on);

  // Controls, named as the window's design names them.
  QTabWidget* pc = nullptr;
  QWidget* tsCat = nullptr;
  QWidget* tsGroup = nullptr;
  QWidget* tsDisk = nullptr;
  QWidget* tsFolder = nullptr;
  QWidget* tsFile = nullptr;
  QWidget* tsSel = nullptr;

  QLineEdit* edCatName = nullptr;
  QLabel* lbFileSize = nullptr;
  QLabel* lbCatMod = nullptr;
  QLabel* lbCatCapacity = nullptr;
  QLabel* lbCatFileCnt = nullptr;
  QLabel* lbCatFldCnt = nullptr;
  QLabel* lbCatDiskCnt = nullptr;
  QLabel* lbCatSize = nullptr;
  QPlainTextEdit* mmCat = nullptr;
  QPushButton* sbCatOptions = nullptr;

  QLineEdit* edGroupName = nullptr;
  QLabel* lbGrCap = nullptr;
  QLabel* lbGrFileCnt = nullptr;
  QLabel* lbGrFldCnt = nullptr;
  QLabel* lbGrDiskCnt = nullptr;
  QLabel* lbGrSize = nullptr;
  QPlainTextEdit* mmGr = nullptr;
  QComboBox* cbGrCat = nullptr;
  QComboBox* cbGrLoc = nullptr;
  QCheckBox* cbGrCatAll = nullptr;

  QLineEdit* edDiskName = nullptr;
  QLabel* lbDiskType = nullptr;
  QLabel* lbDiskLabel = nullptr;
  QLabel* lbDiskSerial = nullptr;
  QLabel* lbDiskCap = nullptr;
  QLabel* lbDiskSize = nullptr;
  QLabel* lbDiskFileCnt = nullptr;
  QLabel* lbDiskFldCnt = nullptr;
  QLabel* lbDiskMod = nullptr;
  QPlainTextEdit* mmDisk = nullptr;
  QComboBox* cbDiskCat = nullptr;
  QComboBox* cbDiskLoc = nullptr;
  QCheckBox* cbDiskCatAll = nullptr;

  QLineEdit* edFolderName = nullptr;
  QLabel* lbFolderSize = nullptr;
  QLabel* lbFolderCreate = nullptr;
  QLabel* lbFolderMod = nullptr;
  QLabel* lbFolderFileCnt = nullptr;
  QLabel* lbFolderFldCnt = nullptr;
  QPlainTextEdit* mmFolder = nullptr;
  QComboBox* cbFolderCat = nullptr;
  QCheckBox* cbFolderCatAll = nullptr;

  QLineEdit* edFileName = nullptr;
  QLabel* lbFileType = nullptr;
  QLabel* lbFileSz = nullptr;
  QLabel* lbFileCreate = nullptr;
  QLabel* lbFileMod = nullptr;
  QPlainTextEdit* mmFile = nullptr;
  QComboBox* cbFileCat = nullptr;
  QCheckBox* cbArchivCatAll = nullptr;

  QLabel* lbSelCnt = nullptr;
  QLabel* lbSizeSel = nullptr;
  QLabel* lbFilesSel = nullptr;
  QLabel* lbFoldersSel = nullptr;
  QLabel* lbDiskSel = nullptr;
  QLabel* lbSelLoc = nullptr;
  QComboBox* cbSelLoc = nullptr;
  QComboBox* cbSelCat = nullptr;
  QCheckBox* cbSelCatAll = nullptr;
  QCheckBox* cbSelDescAll = nullptr;
  QPlainTextEdit* mmSel = nullptr;

  // The word-wrap buttons (sbWrapCat, sbWrapGroup, sbWrapDisk, sbWrapFolder, sbWrapFile,
  // sbWrapSel), the OEM->ANSI buttons (sbOemAnsiDisk, sbOemAnsiFolder, sbOemAnsiFile), and the
  // "..." buttons that edit the category and location lists.
  std::array<QToolButton*, 6> sbWrap{};
  std::array<QToolButton*, 3> sbOemAnsi{};
  std::vector<QToolButton*> sbEditCat, sbEditLoc;
  QPushButton* bkOk = nullptr;
  QPushButton* bkCancel = nullptr;

 private:
  // One memo with its wrap button; the OEM button when `oem` is given.
  QWidget* MemoRow(QPlainTextEdit*& memo, int wrapIndex, QToolButton** oem);
  // A category or location box with its "..." button.
  QWidget* ListBox(QComboBox*& box, TListKind kind);
  void CreatePages();
  void FillPage(TPropPage page);
  void FillListBoxes();
  void EditListsClick(TListKind kind);
  void UpdateSelControls();
  // Shows a stored text in a memo or a name field and remembers both forms.
  void ShowText(QPlainTextEdit* memo, const std::string& stored);
  void ShowText(QLineEdit* edit, const std::string& stored);
  // The text to store for a memo or a name field: the stored bytes while it still shows them
  // (so a text in a legacy code page is not rewritten), else the edited text as UTF-8.
  std::string MemoText(const QPlainTextEdit* memo) const;
  std::string NameText(const QLineEdit* edit) const;
  TNodeRec* Catalog() const { return items_.Catalogs.empty() ? nullptr : items_.Catalogs[0]; }

  TCatalogEditor& editor_;
  TSettings& settings_;
  TPropItems items_;
  std::array<bool, 6> filled_{};
  TSelPageData sel_;
  // The stored description of each memo as first shown, and the text it was shown as.
  struct TShownText {
    const QObject* Control;
    std::string Stored;
    QString Shown;
  };
  std::vector<TShownText> shown_;
  bool changed_ = false;  // the last OK changed anything
};
