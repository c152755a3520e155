// SPDX-License-Identifier: MIT
// TfmReportOpt: the format options of the HTML and text reports (hide the table border, shade
// rows, the text column separator and its replacement inside cells). It edits the five values of
// a TReportOptions record; OK writes them back and has the settings saved at once, Cancel leaves
// the record as it was.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>
#include <functional>

#include "app/Options.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabWidget;

class TfmReportOpt : public QDialog {
  Q_OBJECT

 public:
  // `options` must outlive the dialog; `save` writes the settings file after OK.
  TfmReportOpt(TReportOptions& options, std::function<void()> save, QWidget* parent = nullptr);

  // Before showing: the page of the report type (0 HTML, 1 text file); the clipboard type keeps
  // the page shown last.
  void ShowPageOf(int reportType);
  // bkOk: the five values from the controls into the options, the settings saved, closed.
  void accept() override;
  // The enabled states of the replace box and the replacement edit.
  void UpdateStates();

  // Controls, named as the design names them.
  QTabWidget* pcPages = nullptr;
  QWidget* tsHTML = nullptr;
  QWidget* tsASCII = nullptr;
  QCheckBox* cbHTMLhideBorder = nullptr;
  QCheckBox* cbHTMLshading = nullptr;
  QComboBox* cbASCIItype = nullptr;
  QCheckBox* cbASCIIreplace = nullptr;
  QLineEdit* edreplaceStr = nullptr;
  QPushButton* bkOk = nullptr;
  QPushButton* bkCancel = nullptr;

 private:
  TReportOptions& options_;
  std::function<void()> save_;
};
