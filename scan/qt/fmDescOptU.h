// SPDX-License-Identifier: MIT
// TfmDescOpt: the settings of one description rule (its file name masks and, for the text-based
// readers, the DOS code-page conversion) and the clean-up options shared by all rules (maximum
// description length, the four line filters). It edits a working copy of the rule table (a store
// whose root holds the table's slots, see scan/DescRules.h) and writes it only on OK.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TQDBase;

class TfmDescOpt : public QDialog {
  Q_OBJECT

 public:
  // `table` (the caller's bdDescOpt) must outlive the dialog; `reader` is the reader id (1..13)
  // of the rule to edit. The first rule with that reader is edited; without one only the general
  // page is shown.
  TfmDescOpt(TQDBase& table, int reader, QWidget* parent = nullptr);

  // bkOk: writes the maximum length, the four filters, the code-page flag and the masks (in the
  // list's order) into the table, then closes.
  void accept() override;

  // For tests: the mask list and the mask edit.
  QListWidget* MaskList() const { return lbExt; }
  QLineEdit* MaskEdit() const { return edExt; }
  void AddMask() { bkAddExtClick(); }

 private:
  void LoadMasks();
  void bkAddExtClick();
  void bkDelExtClick();
  void MoveMask(int delta);
  void bkDefExtClick();
  void UpdateButtons();

  TQDBase& table_;
  int reader_;
  int ruleSlot_ = -1;  // slot of the rule in the table, -1 when there is none

  QTabWidget* pcPages_;
  QWidget* tsGeneral;
  QSpinBox* ndMaxDesc;
  QCheckBox* cbFilter1;
  QCheckBox* cbFilter2;
  QCheckBox* cbFilter3;
  QCheckBox* cbFilter4;
  QWidget* tsReader_ = nullptr;  // ts0 .. ts12: the page of this reader
  QListWidget* lbExt = nullptr;
  QLineEdit* edExt = nullptr;
  QPushButton* bkAddExt = nullptr;
  QPushButton* bkDelExt = nullptr;
  QPushButton* bkUpExt = nullptr;
  QPushButton* bkDownExt = nullptr;
  QPushButton* bkDefExt = nullptr;
  QCheckBox* cbOemAnsi_ = nullptr;  // cbTXTOemAnsi, cbDIZOemAnsi, cbBBSOemAnsi or cbIONOemAnsi
};
