// SPDX-License-Identifier: MIT
// The search window: the criteria (two pages), where to search (every open catalog, group and
// disk, and the folders down to the one the window was opened from), the search itself, and the
// results (mark list mlFound of bdMain) in a virtual list with the commands of the main window on
// them. One instance lives as long as the main window; closing hides it and keeps the results.
//
// The search runs on the GUI thread in the walk of search/SearchWalk.h, which reports progress
// every 20 ms; the window then repaints (input events wait), so nothing else touches bdMain
// meanwhile.
//
// Threads: GUI thread only.
#pragma once

#include <QComboBox>
#include <QMainWindow>
#include <array>
#include <functional>
#include <vector>

#include "search/FindParams.h"
#include "store/QDBase.h"

class QAction;
class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolBar;
class QTreeView;
class TDestinationCombo;
class TItemListModel;
class TfmVrt;

// The mask box: an editable history whose drop-down ends in a clear-history entry.
class TMaskCombo : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;
  void showPopup() override;
  void hidePopup() override;
  // The entry's text: "[ " + text 11006 + " ]".
  static QString ClearEntryText();
  // Removes a clear-history entry at the end.
  void DropClearEntry();

 signals:
  void clearHistoryChosen();
};

// The commands on the results that belong to other parts of the program (running, exploring,
// file operations, the properties dialog). The main window connects them through
// TfmFind::ItemCommand.
enum class TFindItemCommand { Run, Explore, Extract, Copy, Move, Delete, Properties };

class TfmFind : public QMainWindow {
  Q_OBJECT

 public:
  explicit TfmFind(TfmVrt& main);
  ~TfmFind() override;

  // Shows the window for a search below `startNode` (a tree node of the main window: catalog,
  // group, disk or folder), or in all catalogs.
  void ShowSearch(TNodeRec* startNode, bool allCatalogs);
  // `node` is about to be deleted from bdMain: destination entries inside it are dropped from
  // the search; when the start node lies inside it the start node is forgotten and, with
  // `close`, the window closes.
  void ForgetStartNode(const TNodeRec* node, bool close);
  // The results changed (catalog contents changed): rows re-read, status updated.
  void ReloadResults();

  // ---- commands (public for the main window and tests) ---------------------------------------
  void Start();
  void GoTo();
  void RemoveFromResults();
  void RemoveFromCatalog();
  void ColumnClick(int column);
  void SortBy(int column, bool descending);
  void UpdateStatus();
  void UpdateStartButton();

  // Running, exploring, the file operations and the properties dialog on `items` (the focused
  // one for Run and Explore; the selected ones, catalogs left out, for Properties). While unset,
  // those commands stay disabled.
  std::function<void(TFindItemCommand command, const std::vector<TNodeRec*>& items)> ItemCommand;

  TNodeRec* StartNode() const { return startNode_; }
  // A search is running (bdMain must not change).
  bool Searching() const { return searching_; }
  int SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return sortDescending_; }
  TItemListModel* ResultModel() const { return model_; }
  QString StatusPanel(int panel) const;
  // The results' items of the selected rows, ascending.
  std::vector<int> SelectedRows() const;
  // Re-texts the window in the current language.
  void SetTexts();

  // Controls, named as the design names them.
  QTabWidget* pcPages = nullptr;
  QWidget* tsGen = nullptr;
  QWidget* tsAdv = nullptr;
  TMaskCombo* cbMask = nullptr;
  TDestinationCombo* cbDst = nullptr;
  QCheckBox* cbInNames = nullptr;
  QCheckBox* cbInDesc = nullptr;
  QCheckBox* cbInArc = nullptr;
  QComboBox* cbCat = nullptr;
  QCheckBox* cbStopFind = nullptr;
  QSpinBox* ndStopFind = nullptr;
  QLabel* lbStopFind = nullptr;
  QLabel* lbFind = nullptr;
  QLabel* lbWhere = nullptr;
  QLabel* lbCat = nullptr;
  QCheckBox* cbDate = nullptr;
  QDateTimeEdit* dp1 = nullptr;
  QDateTimeEdit* dp2 = nullptr;
  QLabel* lbDatAnd = nullptr;
  QCheckBox* cbSize = nullptr;
  QComboBox* cbSize1 = nullptr;
  QSpinBox* ndSize = nullptr;
  QComboBox* cbSize2 = nullptr;
  QCheckBox* cbAttr = nullptr;
  std::array<QCheckBox*, 5> attrBoxes_{};  // cbA6, cbA1, cbA2, cbA3, cbA5
  QCheckBox*& cbA6 = attrBoxes_[0];
  QCheckBox*& cbA1 = attrBoxes_[1];
  QCheckBox*& cbA2 = attrBoxes_[2];
  QCheckBox*& cbA3 = attrBoxes_[3];
  QCheckBox*& cbA5 = attrBoxes_[4];
  QPushButton* bkStart = nullptr;
  QPushButton* bkClose = nullptr;
  QPushButton* bkHelp = nullptr;
  QTreeView* LVF = nullptr;
  QToolBar* tbSearchBar = nullptr;
  QProgressBar* pbProg = nullptr;

  QAction* ActGoto = nullptr;
  QAction* ActProperties = nullptr;
  QAction* ActRunItem = nullptr;
  QAction* ActExploreItem = nullptr;
  QAction* ActDelete = nullptr;  // remove from the results
  QAction* ActReport = nullptr;
  QAction* ActFiles = nullptr;
  QAction* ActFilesCopy = nullptr;
  QAction* ActFilesMove = nullptr;
  QAction* ActFilesDelete = nullptr;
  QAction* ActFilesExtract = nullptr;
  QAction* ActUserView = nullptr;
  QAction* ActUserAdd = nullptr;
  QAction* ActUserDelete = nullptr;
  QAction* ActUser = nullptr;
  QAction* ActHelp = nullptr;
  QAction* nnDelete = nullptr;  // remove from the catalog

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateControls();
  void FillDestinations();
  void FillCategories();
  void EnableDependents();
  void AddMaskToHistory(const QString& mask);
  void ClearHistory();
  TFindControls ReadControls() const;
  void ReadSearchOptions();
  void WriteSearchOptions();
  void ReadPlacement();
  void WritePlacement();
  void ShowSortMarks();
  void ListContextMenu(const QPoint& pos);
  void ListDoubleClick();
  void RunItemCommand(TFindItemCommand command);
  void OpenFilesMenu();
  void OpenUserMenu();
  bool IsForeground() const;
  int FocusedRow() const;
  TNodeRec* FocusedItem() const;

  TfmVrt& main_;
  TQDBase& bd_;
  TItemListModel* model_ = nullptr;
  QMenu* filesMenu_ = nullptr;
  QMenu* userMenu_ = nullptr;
  std::array<QLabel*, 3> stPanels_{};
  TNodeRec* startNode_ = nullptr;
  bool allCatalogs_ = false;
  int sortColumn_ = 0;
  bool sortDescending_ = false;
  bool searching_ = false;
};
