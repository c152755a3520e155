// SPDX-License-Identifier: MIT
// TfmReport: the report dialog. It writes the entries of one list of bdMain (the main window's
// item list, the search results or the user list, in their list order) as an HTML file, a text
// file or text on the clipboard, with the columns the user checks and orders in its column list.
// The column choice lives per source in the settings (report/ReportColumnSet.h); the title
// history, the type, the open-after-export mark and the format options (TfmReportOpt) in the
// report options of the settings. The work is done by the core (report/ReportExport.h); the
// window shows and forwards.
//
// Every window opens it the same way, modally and for its own source:
//   TfmReport dlg(main, this);
//   dlg.ShowFor(TReportSource::UserList, userListView->header());
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>
#include <functional>

#include "app/ColumnLayout.h"
#include "report/ReportExport.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHeaderView;
class QPushButton;
class QRadioButton;
class QToolButton;
class QTreeWidget;
class TMaskCombo;
class TfmVrt;

// What tests put in place of the desktop: the save dialog (folder, proposed file name, default
// extension ".htm", filter "HTML files (*.htm;*.html)|*.htm;*.html"; returns the chosen path or
// empty for Cancel), the opening of a written report, and the clock of the report head.
struct TReportTestHooks {
  std::function<QString(const QString& folder, const QString& name, const QString& extension,
                        const QString& filter)>
      ChooseFile;
  std::function<void(const QString& path)> Open;
  std::function<double()> Now;
};

// The column layout of a list as its header shows it: widths (a hidden column 0) and display
// positions, by logical column.
TColumnLayout HeaderColumnLayout(const QHeaderView* header);

class TfmReport : public QDialog {
  Q_OBJECT

 public:
  // `main` gives the stores, the settings, the tree's selection and the main list; it must
  // outlive the dialog. The title history is loaded here.
  explicit TfmReport(TfmVrt& main, QWidget* parent = nullptr);
  ~TfmReport() override;

  // The entry of the report commands: prepares the dialog for `source` (OpenFor) and runs it
  // modally. `userListHeader` is the header of the user-list window's list, which "As in the
  // List" reads for that source (nullptr: the button stays disabled for the user list). Returns
  // the dialog's result.
  int ShowFor(TReportSource source, QHeaderView* userListHeader = nullptr);
  // What showing does, without the modal loop (tests): the type and the open-after-export mark
  // from the settings, the source's radio button and column list, the default title, the focus
  // on the title box.
  void OpenFor(TReportSource source, QHeaderView* userListHeader = nullptr);

  // ---- the commands (public for tests) ------------------------------------------------------
  // Another source chosen: its column list and default title, the marks of the previous one
  // not stored.
  void ChooseSource(TReportSource source);
  void CheckAll(bool checked);
  // Moves the selected column up or down in the report order.
  void MoveColumn(bool up);
  // "As in the List": the order and visibility of the source list's columns.
  void ColumnsFromList();
  // bkStart: writes the report. False when nothing was written (no type, Cancel in the save
  // dialog, a write error).
  bool Export();
  // bkOpt: the report options, on the page of the chosen type.
  void ShowOptions();
  // The clear-history entry of the title box: history and box emptied, settings saved.
  void ClearTitleHistory();
  // The buttons' states after a change of the marks, the type or the selection.
  void UpdateButtons();
  // On close: marks, type and open-after-export mark stored, the settings saved.
  void done(int result) override;

  TReportSource Source() const { return state_.Source; }
  const TReportDialogState& State() const { return state_; }
  // The marks of lvCol read into the state.
  void ReadChecks();

  // Tests: the desktop replaced by `hooks` (nullptr: the real file dialog, shell and clock).
  static void SetTestHooks(const TReportTestHooks* hooks);

  // Controls, named as the design names them.
  TMaskCombo* cbCaption = nullptr;
  QComboBox* cbType = nullptr;
  QCheckBox* cbRun = nullptr;
  QRadioButton* rbSRC1 = nullptr;
  QRadioButton* rbSRC2 = nullptr;
  QRadioButton* rbSRC3 = nullptr;
  QGroupBox* gbCol = nullptr;
  QTreeWidget* lvCol = nullptr;
  QPushButton* sbColSet = nullptr;
  QPushButton* sbColReset = nullptr;
  QToolButton* sbUpCol = nullptr;
  QToolButton* sbDownCol = nullptr;
  QPushButton* sbFromList = nullptr;
  QPushButton* bkStart = nullptr;
  QPushButton* bkOpt = nullptr;
  QPushButton* bkCancel = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FillColumnBox();
  void FillTitleBox();
  void ShowSource();
  // The header of the source's list window, or nullptr when that window is not there.
  QHeaderView* SourceHeader() const;

  TfmVrt& main_;
  TReportDialogState state_;
  QPointer<QHeaderView> userListHeader_;
  bool filling_ = false;
};
