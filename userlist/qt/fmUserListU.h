// SPDX-License-Identifier: MIT
// The user list window: the members of the user list (mark list mlUserList of bdMain) in a
// virtual list with the columns, sorting and commands of the search results. One instance is
// made at first use and lives as long as the main window; closing hides it and keeps the members.
// Rows dragged here from the main window's tree or list or from the search results are added.
//
// Threads: GUI thread only.
#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <vector>

#include "store/QDBase.h"

class QAction;
class QLabel;
class QMenu;
class QToolBar;
class QTreeView;
class TItemListModel;
class TfmVrt;
enum class TFindItemCommand;

class TfmUserList : public QMainWindow {
  Q_OBJECT

 public:
  explicit TfmUserList(TfmVrt& main);
  ~TfmUserList() override;

  // Brings the window to the front, or shows it.
  void OpenUserList();
  // The members changed (added, removed, released): rows re-read, status updated.
  void ReloadUserList();

  // ---- commands (public for the main window and tests) ---------------------------------------
  void GoTo();
  // Remove from list (Del): asks 11001; the selected members leave the list, the row at the
  // first removed index (or the last row) is focused.
  void RemoveFromList();
  // Clear list: asks 11010; every member leaves.
  void ClearList();
  void RemoveFromCatalog();
  void ColumnClick(int column);
  void SortBy(int column, bool descending);
  void UpdateStatus();
  // What a drag that ends here carries: the tree's selected node, the main list's or the search
  // results' selected rows, all of kind 2 or more, join the list. Any other source adds nothing.
  void DropFrom(QObject* source);
  // Writes the column layout and sort state, and the window and toolbar placement (at exit).
  void WriteLayout();

  // Running, exploring and the file operations on `items` (the focused one for Run and
  // Explore). While unset, those commands stay disabled.
  std::function<void(TFindItemCommand command, const std::vector<TNodeRec*>& items)> ItemCommand;
  // The report command: opens the report window with the user list as its source. While unset
  // the command stays disabled.
  std::function<void()> OpenReport;

  int SortColumn() const { return sortColumn_; }
  bool SortDescending() const { return sortDescending_; }
  TItemListModel* Model() const { return model_; }
  QString StatusPanel(int panel) const;
  std::vector<int> SelectedRows() const;
  void SetTexts();

  // Controls, named as the design names them.
  QTreeView* LVU = nullptr;
  QToolBar* tbUserListBar = nullptr;

  QAction* ActGoto = nullptr;
  QAction* ActProperties = nullptr;
  QAction* ActRunItem = nullptr;
  QAction* ActExploreItem = nullptr;
  QAction* ActFiles = nullptr;
  QAction* ActFilesExtract = nullptr;
  QAction* ActFilesCopy = nullptr;
  QAction* ActFilesMove = nullptr;
  QAction* ActFilesDelete = nullptr;
  QAction* ActDelete = nullptr;  // remove from the list
  QAction* ActReport = nullptr;
  QAction* ActDeleteAll = nullptr;  // clear the list
  QAction* ActHelp = nullptr;
  QAction* nnDelete = nullptr;  // remove from the catalog

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void CreateControls();
  void ReadPlacement();
  void ShowSortMarks();
  void ListContextMenu(const QPoint& pos);
  void RunItemCommand(TFindItemCommand command);
  void OpenFilesMenu();
  bool IsForeground() const;
  void SaveColumns();

  TfmVrt& main_;
  TQDBase& bd_;
  TItemListModel* model_ = nullptr;
  QMenu* filesMenu_ = nullptr;
  std::array<QLabel*, 3> stPanels_{};
  int sortColumn_ = 0;
  bool sortDescending_ = false;
};
