// SPDX-License-Identifier: MIT
// What the two result windows (the search results and the user list) share: the list view over
// a mark list of bdMain in the results layout, its sort with the selection kept, the status
// panels, the enabling of the commands on the focused row, going to an item in the main window,
// and removing the selected items from their catalogs.
//
// Threads: GUI thread only.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "search/ListRows.h"
#include "store/QDBase.h"

class QAction;
class QLabel;
class QMainWindow;
class QMenu;
class QPoint;
class QString;
class QToolBar;
class QTreeView;
class QWidget;
class TCatalogDecoders;
class TItemListModel;
class TfmVrt;
enum class TFindItemCommand;

// The rows of a list view as the shared list commands see them.
class TResultViewRows : public TListRows {
 public:
  explicit TResultViewRows(QTreeView* view) : v_(view) {}
  int RowCount() const override;
  bool IsRowSelected(int row) const override;
  bool IsRowFocused(int row) const override;
  void SetRowState(int row, bool focused, bool selected) override;

 private:
  QTreeView* v_;
};

// Sets `view` up as a result list over `model`: whole rows, several selected, read-only, no
// tree decoration, movable and clickable column headers with the sort mark, rows draggable.
void SetUpResultView(QTreeView* view, TItemListModel* model);

// The view's selected rows, ascending.
std::vector<int> SelectedViewRows(const QTreeView* view);
// The item of the focused row, or nullptr.
TNodeRec* FocusedViewItem(const QTreeView* view, const TItemListModel* model);

// Sorts mark list `list` shown by `view` through `model` by result column `column`; the selected
// and focused states follow their items and the focused row is scrolled into view.
void SortResultView(TQDBase& bd, int list, QTreeView* view, TItemListModel* model, int column,
                    bool descending, const TCatalogDecoders* decoders);

// Panel 1 the summary of the first selected item, panel 2 the number and total size of the
// selected items, panel 0 text 11002 with the number of entries of `list`.
void ShowResultStatus(TfmVrt& main, int list, const QTreeView* view, TItemListModel* model,
                      const std::array<QLabel*, 3>& panels);

// The commands on the focused row of a result list.
struct TResultActions {
  QAction* Goto = nullptr;
  QAction* Properties = nullptr;
  QAction* Run = nullptr;
  QAction* Explore = nullptr;
  QAction* Files = nullptr;
  QAction* Delete = nullptr;             // remove from the list
  QAction* RemoveFromCatalog = nullptr;  // nnDelete
};
// Enables them for the focused item `item` (none without one); run, explore and the file
// commands only with `hook` (their handler is connected). Actions marked "tolvaneUnavailable"
// stay off. Run is captioned "Open" or, inside an archive, "Extract and open".
void EnableResultActions(const TResultActions& a, const TNodeRec* item, bool hook);
// The Files sub-menu: extract shown and enabled for archives and what lies inside them, copy,
// move and delete for what lies outside, over the selected folders and files.
void EnableResultFilesMenu(TQDBase& bd, int list, QTreeView* view, bool hook, QAction* extract,
                           const std::vector<QAction*>& copyMoveDelete);

// Shows `item` in the main window: its container selected in the tree, its row focused in the
// list, which gets the focus.
void GoToItemInMain(TfmVrt& main, TNodeRec* item);

// Removes the selected folders and files of `view` from their catalogs through the main window's
// editor (which asks, and has every list reloaded). The selection is cleared first.
void RemoveSelectedFromCatalog(TfmVrt& main, QTreeView* view, TItemListModel* model);

// The items of the selected rows, in row order.
std::vector<TNodeRec*> SelectedViewItems(const QTreeView* view, const TItemListModel* model);

// The commands both result windows have, as the window's own members (filled by
// MakeResultCommands).
struct TResultCommands {
  QAction*& Goto;
  QAction*& Properties;
  QAction*& Run;
  QAction*& Explore;
  QAction*& Files;
  QAction*& FilesExtract;
  QAction*& FilesCopy;
  QAction*& FilesMove;
  QAction*& FilesDelete;
  QAction*& Delete;  // remove from the list
  QAction*& Report;
  QAction*& Help;
  QAction*& RemoveFromCatalog;  // nnDelete

  // The commands on the focused row.
  TResultActions Focused() const;
};
// The commands of a result window, which names its members as the design does.
template <class Window>
TResultCommands ResultCommandsOf(Window& w) {
  return {w.ActGoto,         w.ActProperties, w.ActRunItem,   w.ActExploreItem, w.ActFiles,
          w.ActFilesExtract, w.ActFilesCopy,  w.ActFilesMove, w.ActFilesDelete, w.ActDelete,
          w.ActReport,       w.ActHelp,       w.nnDelete};
}

// Makes the commands as actions of `window`, named as the design names them, with their icons
// and shortcuts. Properties, run, explore and the file commands call `itemCommand`; the Files
// sub-menu (returned) calls `openFilesMenu` before it shows. Go to, remove from the list, report,
// help and remove from the catalog are left for the window to connect.
QMenu* MakeResultCommands(QWidget* window, const TResultCommands& c,
                          const std::function<void(TFindItemCommand)>& itemCommand,
                          const std::function<void()>& openFilesMenu);
// Captions, tool tips and status tips of the commands in the current language.
void SetResultCommandTexts(const TResultCommands& c);
// The caption of `a` from language text `number`, also as its tool and status tip.
void SetCommandText(QAction* a, int number);

// Fills the toolbar: report, `user` (the user list sub-menu, when given), go to, properties,
// explore, run, the Files sub-menu and remove from the list, in groups.
void FillResultBar(QToolBar* bar, const TResultCommands& c, QAction* user);
// Adds three status panels to the window's status bar, `extra` (when given) after the first.
void MakeResultPanels(QMainWindow* window, std::array<QLabel*, 3>& panels, QWidget* extra,
                      bool plainText);

// The items a command works on: the focused one for run and explore, else the selected ones.
std::vector<TNodeRec*> ResultCommandItems(const QTreeView* view, const TItemListModel* model,
                                          TFindItemCommand command);

// The list's pop-up menu at `pos` over the selected rows (none without a selection);
// `updateStatus` runs before it shows, `user` (when given) is the user list sub-menu.
void ExecResultListMenu(QWidget* owner, QTreeView* view, const TItemListModel* model,
                        const QString& styleSheet, const TResultCommands& c, QAction* user,
                        const QPoint& pos, const std::function<void()>& updateStatus);

// Connects the list view's header and rows in `owner`: a click on a column header calls
// `columnClick`, the header's pop-up menu (styled as the main window's menus) fits or shows
// columns and then calls `saveColumns` (it fits against `sortColumn`), the rows' pop-up menu calls
// `listMenu`, and `updateStatus` runs when the focused row changes and, once the view has
// finished changing it, when the selection changes.
void ConnectResultView(QWidget* owner, TfmVrt& main, QTreeView* view, const int& sortColumn,
                       const std::function<void(int)>& columnClick,
                       const std::function<void()>& saveColumns,
                       const std::function<void(const QPoint&)>& listMenu,
                       const std::function<void()>& updateStatus);

// Reads the columns of `view` (result widths by default) and the sort state from the options
// root `rootSlot`.
void LoadResultColumns(TfmVrt& main, int rootSlot, QTreeView* view, int& sortColumn,
                       bool& sortDescending);
// Places `window` and its toolbar `bar` from the main window's layout file (sections `section`
// and `barSection`); without a placement the window takes 3/4 of the screen's width and 3/5 of
// its height.
void ReadResultPlacement(TfmVrt& main, QMainWindow* window, const QString& section, QToolBar* bar,
                         const QString& barSection);

// `window` may take a command key: no modal dialog is open, and it is the active window or no
// window is active.
bool IsResultWindowForeground(const QWidget* window);
