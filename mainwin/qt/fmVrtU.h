// SPDX-License-Identifier: MIT
// The main window: the catalog tree `tr` on the left, the item list `LV` on the right, the
// status bar `stBar` with three panels, the menus and two toolbars. It works on the two
// application stores, bdMain (every open catalog under its root) and bdOpt (the settings, in
// settings_), which a TAppStores that outlives the window owns, and it owns the catalog files
// object that opens, saves and closes catalogs.
//
// Files: the settings image bdOpt.dat and the window layout fmStorage.ini live in the settings
// folder; the language files in the language folder (TVrtPlaces).
//
// Threads: GUI thread only. While a scan runs, the add-disk dialog's modal loop keeps the user
// out of the window's commands.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Settings.h"
#include "app/qt/AppStores.h"
#include "catalog/CatalogFiles.h"
#include "catalog/CatalogText.h"
#include "fileops/FileOps.h"
#include "fileops/TempFiles.h"
#include "mainwin/CatalogEdit.h"
#include "mainwin/EditHost.h"
#include "scan/qt/AddDiskHost.h"
#include "store/QDBase.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QToolBar;
class QToolButton;
class QTreeView;
class TCatalogTreeModel;
class TItemListModel;
class TfmAddDisk;
class TfmNewCat;
class TfmAbout;
class TfmFind;
class TfmOpt;
struct TOptionsApplied;
class TfmUserList;
enum class TFindItemCommand;
class TSingleInstance;
class TGridDelegate;
class TGuiCatalogUi;
class TFileCommands;
class TfmCatMan;

// Where the window finds and keeps its files. Folders end in "/".
struct TVrtPlaces {
  std::string SettingsFolder;   // bdOpt.dat, fmStorage.ini, the default "Catalogs/" folder
  std::string LanguageFolder;   // English.lng and the other *.lng files
  std::string CommandLineFile;  // the catalog named on the command line, or empty
};

class TfmVrt : public QMainWindow, public TAddDiskHost, public TEditHost {
  Q_OBJECT

 public:
  // Loads the settings into `stores` (the English table must already be loaded) and builds the
  // window; `stores` must outlive it. The catalogs of the command line or the start-up list are
  // opened when the window is first shown.
  TfmVrt(TAppStores& stores, const TVrtPlaces& places, QWidget* parent = nullptr);
  ~TfmVrt() override;

  // ---- the catalog tree (tree rows are container items; see CatalogTreeModel.h) -------------
  // Moves bdMain's cursor to the store node of a tree row (the root for the invalid index).
  void GoToTreeNode(const QModelIndex& node);
  // The tree row of the store node under bdMain's cursor, its ancestors expanded when `expand`
  // (the path is built either way). The cursor stays.
  QModelIndex TreeNodeOfCursor(bool expand);
  // Selects a row and refills the list once, as a user selection does.
  void SelectTreeNode(const QModelIndex& node);
  // With the cursor on a store node P: item `slot` of P changed its name or image, or its
  // children were replaced; the row is repainted and the list refilled.
  void RefreshTreeChild(int slot);
  // The tree row of the cursor's node when the rows of its path are being shown (every
  // ancestor expanded or the row visible); false otherwise. Nothing is built.
  bool TreeNodeIfBuilt(QModelIndex& node);
  // Expands a catalog or group and, recursively, its groups, down to the disks.
  void ExpandToDisks(const QModelIndex& node);
  // The status-bar summary of the item under bdMain's cursor.
  QString ItemSummaryText();
  void UpdateStatus();
  void UpdateActions();
  // The tree selection's parent becomes the selection and the row of the item left is focused.
  void GoUp();

  // ---- the item list --------------------------------------------------------------------------
  void SetListLayout(bool diskLayout, bool forced);
  void SortList();
  void ShowSortMarks();
  void LVColumnClick(int column);
  // Fits column `column` (-1: every visible column) to its caption and the visible rows.
  void AdjustColumns(int column);
  void RefreshList();
  void RefreshViews() override;
  // Double click or Enter on the focused row; `alt` as if Alt were held.
  void LVDblClick(bool alt = false);

  // ---- catalog commands -----------------------------------------------------------------------
  // Opens files as the open dialog or the command line would.
  int OpenCatalogFiles(const std::vector<std::string>& files);
  // New catalog named `name` (the default name when empty), as the new-catalog dialog does.
  void NewCatalog(const QString& name);
  // Save (saveAs false) or Save As of the catalog of the tree selection.
  TSaveResult SaveSelectedCatalog(bool saveAs);
  bool CloseSelectedCatalog();
  bool CloseAllCatalogs();

  // ---- parts exposed to the other windows and to tests ---------------------------------------
  TQDBase& bdMain;
  TQDBase& MainStore() override { return bdMain; }
  TSettings& Settings() override { return settings_; }
  TCatalogFiles& CatalogFiles() { return *files_; }
  TCatalogEditor& Editor() { return *editor_; }
  QTreeView* Tree() const { return trTree; }
  QTreeView* List() const { return LV; }
  TCatalogTreeModel* TreeModel() const { return trModel_; }
  // How texts that are not UTF-8 read (the code pages of the settings); for the windows
  // that show catalog texts beside this one.
  const TCatalogDecoders& Decoders() const { return decoders_; }
  TItemListModel* ListModel() const { return lvModel_; }
  QString StatusPanel(int panel) const;
  // The style sheet of the configured menu style, for pop-up menus of this window.
  const QString& MenuSheet() const { return menuSheet_; }
  QString CaptionText() const { return caption_; }
  // The file dialogs of the catalog commands are answered by `chooser` instead (tests). It gets
  // the proposed name and folder and returns the chosen name, or empty for Cancel.
  void SetSaveNameChooser(std::function<std::string(const std::string&, const std::string&)>);
  // The files extracted from archives to be opened, offered for deletion at exit.
  TTempFiles& TempFiles() { return tempFiles_; }
  // Copying, moving, deleting and extracting real files, running and exploring items: the entry
  // point of every window (the search window passes its found items, mlFound).
  TFileCommands& FileCommands() { return *fileCommands_; }
  // The Files sub-menu's command on the current selection: the selected rows of the list when
  // it has the focus and a selected item row, else the tree's selection (a disk, folder or file).
  void FilesCommand(bool extract, TFileOp mode);
  // Run (`explore` false) or Explore on the current item (the focused row, else the tree node).
  void RunItem(bool explore);
  // The search window, made on first use with its run, explore and file commands connected.
  TfmFind& FindWindow();
  // Restores the window from minimised or hidden state (a second start of the program).
  void RestoreApplication();
  // A later start of the program, announced by `instance`, restores this window and opens the
  // files of its command line as File > Open does (once no dialog is open).
  void ListenForRestore(TSingleInstance& instance);
  // Opens `files` as File > Open does; while a modal dialog is open they wait until it closes.
  void OpenRequestedFiles(const QStringList& files);
  // Switches to the language file `file` of the language folder and retexts the window.
  void ChooseLanguage(const QString& file);
  // The legacy code page of catalog texts that are not UTF-8: the program's (empty: as the
  // language), or, with `catalogFile`, that catalog file's own (empty: as the program). Saved in
  // the settings and shown at once.
  void ChooseCodePage(const std::string& page, const std::string& catalogFile = {});
  // The foreground condition of the commands with shortcuts.
  bool IsForeground() const;

  // ---- TAddDiskHost ---------------------------------------------------------------------------
  TNodeRec* SelectedTreeNode() override;
  TNodeRec* AddScannedDisk(TNodeRec* destination, TQDBase& bdDisk) override;
  void ReplaceScannedDisk(TNodeRec* oldDisk, TQDBase& bdDisk) override;
  void MarkModified(const TNodeRec* item) override;
  void ShowDiskProperties(TNodeRec* disk) override { ShowProperties({disk}); }
  void SaveCatalogOf(const TNodeRec* item) override;
  void SaveSettings() override;
  QWidget* MainWindow() override { return this; }

  // ---- TEditHost ------------------------------------------------------------------------------
  bool Confirm(int number, const std::string& arg, const std::string& text) override;
  void TreeChanging(const TTreeChange& change) override;
  void TreeChanged(const TTreeChange& change) override;
  void SubtreeRemoving(const TNodeRec* item) override;

  // Members that the window's design names (actions Act*, menu items nn*, toolbars, `LV`,
  // `bdMain`, the windows fm*) keep those names; the program's own members end in "_". The
  // tree `tr` is `trTree`: a member `tr` would hide QObject::tr.
  // Actions, named as the commands they run.
  QAction* ActNewCatalog = nullptr;
  QAction* ActOpenCatalog = nullptr;
  QAction* ActSaveCatalog = nullptr;
  QAction* nnMMSaveCatAs = nullptr;
  QAction* ActSaveAll = nullptr;
  QAction* ActCloseCatalog = nullptr;
  QAction* nnMMCloseAllCat = nullptr;
  QAction* nnMMProgramExit = nullptr;
  QAction* ActAddNewDisk = nullptr;
  QAction* ActAddNewDiskGroup = nullptr;
  QAction* ActUpdateDisk = nullptr;
  QAction* ActRenameDisk = nullptr;
  QAction* ActRenameCatalog = nullptr;
  QAction* ActDeleteDisk = nullptr;
  QAction* ActExploreItem = nullptr;
  QAction* ActRunItem = nullptr;
  QAction* ActFiles = nullptr;
  QAction* ActFilesCopy = nullptr;
  QAction* ActFilesMove = nullptr;
  QAction* ActFilesDelete = nullptr;
  QAction* ActFilesExtract = nullptr;
  QAction* ActRemoveFromCatalog = nullptr;
  QAction* ActProperties = nullptr;
  QAction* ActSortDisk = nullptr;
  QAction* ActCatSetup = nullptr;
  QAction* ActCatMan = nullptr;
  QAction* ActGotoUp = nullptr;
  QAction* ActUserView = nullptr;
  QAction* ActUser = nullptr;  // the user-list sub-menu
  QAction* ActUserAdd = nullptr;
  QAction* ActUserDelete = nullptr;
  QAction* ActFind = nullptr;
  QAction* ActFindAll = nullptr;
  QAction* nnSearchAllCatalogs = nullptr;
  QAction* ActReport = nullptr;
  QAction* nnOpt0 = nullptr;
  QAction* ActHelp = nullptr;
  QAction* nnSite = nullptr;
  QAction* nnMail = nullptr;
  QAction* nnAbout = nullptr;
  std::array<QAction*, 10> nnRecCat{};
  std::array<QAction*, 10> npRecCat{};
  QAction* nnRecentSep = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void customEvent(QEvent* event) override;

 private:
  // Building (fmVrtU.cpp).
  void CreateActions();
  void CreateMenus();
  void CreateToolBars();
  void CreateStatusBar();
  void CreateViews();
  void SetTexts();
  void FillLanguageMenu();
  void FillCodePageMenu();
  // Start-up and exit (fmVrtU.cpp).
  void FirstShow();
  void ApplyInterfaceSettings();
  void ApplyListOptions();
  // Fills decoders_ from the settings (the program's page, the catalog files' own) and repaints.
  void ApplyCodePages();
  void ReadLayout();
  void WriteLayout();
  void AfterClose();
  void PostStatusUpdate();
  // Tree (fmVrtTree.cpp).
  void trChange(bool userAction);
  void trContextMenu(const QPoint& pos);
  void trKeyPressed(QKeyEvent* event, bool& handled);
  // Shows and enables the Files sub-menu's commands for the current selection.
  void UpdateFilesMenu();
  // True when the Files commands apply to the list's selected rows rather than the tree node.
  bool FilesOnListRows() const;
  TNodeRec* GoToCurrentItem();
  int CountDisks(const TNodeRec* catalog) const;
  // List (fmVrtList.cpp).
  void LVContextMenu(const QPoint& pos);
  void LVColumnRightClick(const QPoint& pos);
  void LVKeyPressed(QKeyEvent* event, bool& handled);
  int FocusedRow() const;
  std::vector<int> SelectedRows() const;
  void LoadListLayout();
  void SaveListLayout();
  // Catalog commands (fmVrtCatalogs.cpp).
  void ActNewCatalogExecute();
  void ActOpenCatalogExecute();
  void ActSaveCatalogExecute();
  void nnMMSaveCatAsClick();
  void ActSaveAllExecute();
  void ActCloseCatalogExecute();
  void nnMMCloseAllCatClick();
  void ShowRecentItems();
  void OpenRecent(int index);
  void CatalogOpening(int rootSlot);
  void CatalogOpened(int rootSlot, bool last);
  void CatalogClosing(int rootSlot);
  void CatalogClosed(int rootSlot);
  // Disk commands (fmVrtCatalogs.cpp).
  void ActAddNewDiskExecute();
  void ActUpdateDiskExecute();
  void ActAddNewDiskGroupExecute();
  void ActRenameExecute();
  void RenameTreeItem(TNodeRec* item, const QString& typed);

 public:
  // Drag and drop in the tree: moves the tree's selection onto `target` (the editor's rules).
  void DropSelectedOn(const QPersistentModelIndex& target);

 private:
  void ActDeleteDiskExecute();
  void ActRemoveFromCatalogExecute();
  void ActSortDiskExecute();
  void ActGotoUpExecute();
  void ActHelpExecute();
  void nnAboutClick();
  void ActFindExecute();
  void ActFindAllExecute();

 public:
  // The window layout file fmStorage.ini, shared with the other windows.
  std::string LayoutFileName() const;
  // The search window, once it was opened.
  TfmFind* SearchWindow() const { return fmFind; }

 private:
  TVrtPlaces places_;
  TSettings& settings_;
  // The code pages of catalog texts that are not UTF-8, from the settings (ApplyCodePages).
  TCatalogDecoders decoders_;
  std::unique_ptr<TGuiCatalogUi> ui_;
  std::unique_ptr<TCatalogFiles> files_;
  std::unique_ptr<TCatalogEditor> editor_;
  TTempFiles tempFiles_;
  std::unique_ptr<TFileCommands> fileCommands_;
  QString caption_;
  QString menuSheet_;  // the menu style's style sheet, also given to the pop-up menus
  QString versionText_;
  QStringList requestedFiles_;  // files a later start asked to open, waiting for a dialog
  bool firstShown_ = false;
  bool statusPosted_ = false;
  bool selecting_ = false;  // SelectTreeNode is moving the tree's current row
  bool listStale_ = false;  // rows of the shown container were added or moved: refill the list

  QSplitter* splitter_ = nullptr;
  QTreeView* trTree = nullptr;
  QTreeView* LV = nullptr;
  TCatalogTreeModel* trModel_ = nullptr;
  TItemListModel* lvModel_ = nullptr;
  TGridDelegate* lvDelegate_ = nullptr;
  std::array<QLabel*, 3> stPanels_{};
  QToolBar* FileBar = nullptr;
  QToolBar* MainBar = nullptr;
  QToolButton* tbOpenCat = nullptr;
  // The menus of the menu bar and the language menu; filesMenu_ and userListMenu_ are the
  // sub-menus of ActFiles and ActUser, recentMenu_ the drop-down of tbOpenCat, codePageMenu_ the
  // code page of old catalogs (Options).
  QMenu* nnnFile = nullptr;
  QMenu* nnnAction = nullptr;
  QMenu* filesMenu_ = nullptr;
  QMenu* userListMenu_ = nullptr;
  QMenu* nnnSearch = nullptr;
  QMenu* nnnOptions = nullptr;
  QMenu* languageMenu_ = nullptr;
  QMenu* codePageMenu_ = nullptr;
  QMenu* nnnHelp = nullptr;
  QMenu* recentMenu_ = nullptr;
  QSystemTrayIcon* Tray = nullptr;

  // The list: the layout's sort column and direction, per layout (0 disk, 1 file).
  std::array<int, 2> sortColumn_{0, 0};
  std::array<bool, 2> sortDescending_{false, false};
  bool diskLayout_ = true;
  bool layoutBuilt_ = false;

  QPointer<TfmAddDisk> fmAddDisk;
  QPointer<TfmNewCat> fmNewCat;
  QPointer<TfmAbout> fmAbout;
  TfmFind* fmFind = nullptr;  // a child window, made on first use

  // ---- categories and locations, the catalog manager (fmVrtCatMan.cpp) ----------------------
 public:
  // The catalog setup dialog for the catalog at root slot `catalogSlot` (1 for the first open
  // catalog), opened on its location page with `locations`. True when the lists were applied
  // (the catalog's references renumbered and the views refreshed).
  bool ShowCatSetup(int catalogSlot, bool locations = false);
  // The catalog manager, made on first use (its ShowProperties hook opens the properties).
  TfmCatMan& CatManWindow();

 private:
  void ActCatSetupExecute();
  void ActCatManExecute();
  QPointer<TfmCatMan> fmCatMan;

 public:
  // The report command (Ctrl+R): the report dialog for the item list (fmVrtReport.cpp).
  void ActReportExecute();

 public:
  // ---- the options dialog (fmVrtOptions.cpp) -------------------------------------------------
  // Opens the options dialog (made on first use and kept) modally on page `page` (0 to 5).
  void ShowOptions(int page);
  // The options dialog, once it was made.
  TfmOpt* OptionsDialog() const { return fmOpt; }
  // Makes the options dialog without showing it (tests drive it through OpenPage).
  TfmOpt& OptionsWindow();
  // nnOpt1 .. nnOpt5 open the dialog on the lists, archives, descriptions, interface and
  // language pages (nnOpt0, the general page, is above); the language files are also listed in
  // the sub-menu languageMenu_ as a shortcut.
  QAction* nnOpt1 = nullptr;
  QAction* nnOpt2 = nullptr;
  QAction* nnOpt3 = nullptr;
  QAction* nnOpt4 = nullptr;
  QAction* nnOpt5 = nullptr;

 private:
  // What Apply in the options dialog changed reaches the windows.
  void OptionsApplied(const TOptionsApplied& applied);
  TfmOpt* fmOpt = nullptr;
  // ---- the user list (fmVrtUserList.cpp) --------------------------------------------------------
 public:
  // The user list window, made on first use with its run, explore and file commands connected.
  TfmUserList& UserListWindow();
  // The user list window, once it was made.
  TfmUserList* UserList() const { return fmUserList; }
  // Shows the user list window (ActUserView, Ctrl+U).
  void OpenUserList();
  // The members changed or catalog contents changed: the user list window re-reads its rows.
  void ReloadUserList();
  // Add to (`add`) or remove from the user list: with `onListRows` the item list's selected rows
  // (the parent row left out), otherwise the tree's selected node. Catalogs never join.
  void ChangeUserList(bool add, bool onListRows);
  // ActUserAdd and ActUserDelete: the list's rows when the list has the focus and a selected row
  // other than the parent row, else the tree's selected node.
  void UserListCommand(bool add);
  // Running, exploring and the file operations on items of a result window.
  void RunFoundItems(TFindItemCommand command, const std::vector<TNodeRec*>& items);
  // Rows of the item list dropped on a tree node: whether the list's selected groups and disks
  // may go there, and moving (or, with `copy`, copying) them there through the editor.
  bool CanDropListRowsOn(const TNodeRec* target);
  void DropListRowsOn(const QPersistentModelIndex& target, bool copy);
  // Delete on the item list in the disk layout: the focused group or disk is deleted as in the
  // tree (asked first); the row at its place keeps the focus.
  void DeleteListRow();
  // F2 in the item list's disk layout: the focused group's or disk's name is edited in place;
  // the list keeps its rows, scroll position and current row.
  bool RenameListRow();

 private:
  void ConnectUserList();
  void UpdateUserListActions();
  // The list's selected rows are what the user-list commands work on: the list has the focus, or
  // a menu or toolbar has it and the list had it last of the two views (listFocusedLast_).
  bool UserListOnListRows() const;
  bool listFocusedLast_ = false;
  TfmUserList* fmUserList = nullptr;  // a child window, made on first use
 public:
  // ---- the properties dialog (fmVrtProps.cpp) ------------------------------------------------
  // Action > Properties (Ctrl+P, Alt+Enter): the selected item rows of the list when it has the
  // focus, else the tree's selection.
  void ActPropertiesExecute();
  // The properties dialog for `items` (nodes of bdMain; catalogs only alone). True when OK
  // changed anything.
  bool ShowProperties(const std::vector<TNodeRec*>& items);
};
