// SPDX-License-Identifier: MIT
#include "search/qt/ResultList.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>
#include <memory>

#include "app/SizeTexts.h"
#include "app/qt/BusyCursor.h"
#include "app/qt/GuiText.h"
#include "app/qt/Images.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/ListHeader.h"
#include "mainwin/qt/VrtLayoutFile.h"
#include "mainwin/qt/fmVrtU.h"
#include "search/ListCommands.h"
#include "search/ListSort.h"
#include "search/qt/fmFindU.h"
#include "store/CursorGuard.h"

int TResultViewRows::RowCount() const { return v_->model()->rowCount(); }

bool TResultViewRows::IsRowSelected(int row) const {
  return v_->selectionModel()->isRowSelected(row, QModelIndex());
}

bool TResultViewRows::IsRowFocused(int row) const { return v_->currentIndex().row() == row; }

void TResultViewRows::SetRowState(int row, bool focused, bool selected) {
  QModelIndex i = v_->model()->index(row, 0);
  if (selected)
    v_->selectionModel()->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (focused) v_->selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
}

void SetUpResultView(QTreeView* view, TItemListModel* model) {
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setItemsExpandable(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  view->header()->setSectionsMovable(true);
  view->header()->setStretchLastSection(false);
  view->header()->setSectionsClickable(true);
  view->header()->setSortIndicatorShown(true);
  view->header()->setContextMenuPolicy(Qt::CustomContextMenu);
  // Rows are dragged to the user list.
  model->SetDragRows(true);
  view->setDragEnabled(true);
  view->setDragDropMode(QAbstractItemView::DragOnly);
  view->setDefaultDropAction(Qt::CopyAction);
}

std::vector<int> SelectedViewRows(const QTreeView* view) {
  std::vector<int> rows;
  for (const QModelIndex& i : view->selectionModel()->selectedRows()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  return rows;
}

TNodeRec* FocusedViewItem(const QTreeView* view, const TItemListModel* model) {
  QModelIndex i = view->currentIndex();
  return i.isValid() ? model->ItemAt(i.row()) : nullptr;
}

std::vector<TNodeRec*> SelectedViewItems(const QTreeView* view, const TItemListModel* model) {
  std::vector<TNodeRec*> items;
  for (int row : SelectedViewRows(view))
    if (TNodeRec* item = model->ItemAt(row)) items.push_back(item);
  return items;
}

void SortResultView(TQDBase& bd, int list, QTreeView* view, TItemListModel* model, int column,
                    bool descending, const TCatalogDecoders* decoders) {
  TBusyCursor busy;
  // The selected and focused states, by row, follow their items through the sort; the view
  // is asked once for its selection, not row by row.
  struct TState : TListRows {
    std::vector<char> s;  // bit 0 selected, bit 1 focused
    int RowCount() const override { return static_cast<int>(s.size()); }
    bool IsRowSelected(int r) const override { return s[static_cast<size_t>(r)] & 1; }
    bool IsRowFocused(int r) const override { return s[static_cast<size_t>(r)] & 2; }
    void SetRowState(int r, bool f, bool sel) override {
      s[static_cast<size_t>(r)] = static_cast<char>((sel ? 1 : 0) | (f ? 2 : 0));
    }
  } state;
  int n = std::min(model->rowCount(), bd.MarkCount(list));
  state.s.assign(static_cast<size_t>(n), 0);
  for (const QModelIndex& i : view->selectionModel()->selectedRows())
    if (i.row() < n) state.s[static_cast<size_t>(i.row())] |= 1;
  if (QModelIndex f = view->currentIndex(); f.isValid() && f.row() < n)
    state.s[static_cast<size_t>(f.row())] |= 2;
  SortResults(bd, list, column, descending, &state, decoders);
  model->ResetRows();
  // Placeholders were dropped by the sort: the states beyond the rows left go.
  n = std::min(n, model->rowCount());
  QItemSelection selection;
  int focused = -1;
  for (int r = 0; r < n; ++r) {
    char st = state.s[static_cast<size_t>(r)];
    if (st & 2) focused = r;
    if (!(st & 1)) continue;
    int last = r;
    while (last + 1 < n && (state.s[static_cast<size_t>(last + 1)] & 1)) {
      ++last;
      if (state.s[static_cast<size_t>(last)] & 2) focused = last;
    }
    selection.select(model->index(r, 0), model->index(last, model->columnCount() - 1));
    r = last;
  }
  if (focused >= 0)
    view->selectionModel()->setCurrentIndex(model->index(focused, 0),
                                            QItemSelectionModel::NoUpdate);
  if (!selection.isEmpty()) view->selectionModel()->select(selection, QItemSelectionModel::Select);
  if (focused >= 0) view->scrollTo(model->index(focused, 0));
}

void ShowResultStatus(TfmVrt& main, int list, const QTreeView* view, TItemListModel* model,
                      const std::array<QLabel*, 3>& panels) {
  TQDBase& bd = main.bdMain;
  std::vector<int> selected = SelectedViewRows(view);
  QString summary;
  if (!selected.empty())
    if (TNodeRec* item = model->ItemAt(selected.front())) {
      TCursorKeeper keep(bd);
      bd.GoToNode(item);
      summary = main.ItemSummaryText();
    }
  panels[1]->setText(summary);
  int64_t sum = 0;
  int count = 0;
  for (int row : selected)
    if (TNodeRec* item = model->ItemAt(row)) {
      ++count;
      sum += ItemSizeOf(item);
    }
  panels[2]->setText(LangFormatQ(10140, std::to_string(count)) + QStringLiteral(" (") +
                     QString::fromStdString(FormatSizeUnits(sum)) + QStringLiteral(")"));
  panels[0]->setText(LangFormatQ(11002, std::to_string(bd.MarkCount(list))));
}

void EnableResultActions(const TResultActions& a, const TNodeRec* item, bool hook) {
  auto enable = [](QAction* action, bool on) {
    action->setEnabled(on && !action->property("tolvaneUnavailable").toBool());
  };
  if (!item) {
    for (QAction* action :
         {a.Goto, a.Properties, a.Run, a.Explore, a.Files, a.Delete, a.RemoveFromCatalog})
      action->setEnabled(false);
    a.Run->setText(LangQ(28));
    return;
  }
  int32_t flags = ItemFlagsOf(item);
  int k = ItemKind(flags);
  bool run = k >= ikFile || (flags & ifArchive);
  enable(a.Run, hook && run);
  a.Run->setText(LangQ(run && (flags & ifInArchive) ? 32 : 28));
  enable(a.Explore, hook && k >= ikDisk && !(flags & ifInArchive));
  enable(a.Files, hook && k > ikDisk);
  enable(a.Goto, true);
  enable(a.Properties, hook);
  enable(a.Delete, true);
  enable(a.RemoveFromCatalog, k >= ikFolder);
}

void EnableResultFilesMenu(TQDBase& bd, int list, QTreeView* view, bool hook, QAction* extract,
                           const std::vector<QAction*>& copyMoveDelete) {
  TResultViewRows rows(view);
  TFileOpsState state = FileOpsState(bd, rows, list, 0);
  extract->setVisible(state.Extract);
  extract->setEnabled(hook && state.Extract);
  for (QAction* a : copyMoveDelete) a->setEnabled(hook && state.CopyMoveDelete);
}

void GoToItemInMain(TfmVrt& main, TNodeRec* item) {
  if (!item || !item->Parent) return;
  TQDBase& bd = main.bdMain;
  std::string name(ItemName(item));
  main.raise();
  main.activateWindow();
  QModelIndex node;
  {
    TCursorKeeper keep(bd);
    bd.GoToNode(item->Parent);
    node = main.TreeNodeOfCursor(true);
  }
  if (!node.isValid()) return;
  main.SelectTreeNode(node);
  main.Tree()->scrollTo(node);
  const std::vector<TNodeRec*>& shown = bd.MarkList(mlView);
  for (size_t e = 0; e < shown.size(); ++e) {
    if (!shown[e] || ItemName(shown[e]) != name) continue;
    TItemListModel* m = main.ListModel();
    QModelIndex row = m->index(m->RowOfEntry(static_cast<int>(e)), 0);
    QTreeView* lv = main.List();
    lv->selectionModel()->clearSelection();
    lv->selectionModel()->setCurrentIndex(
        row, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    lv->scrollTo(row);
    break;
  }
  main.List()->setFocus();
}

void RemoveSelectedFromCatalog(TfmVrt& main, QTreeView* view, TItemListModel* model) {
  std::vector<TNodeRec*> items;
  for (TNodeRec* item : SelectedViewItems(view, model))
    if (ItemKindOf(item) >= ikFolder) items.push_back(item);
  if (items.empty()) return;
  view->selectionModel()->clear();
  // The editor asks, tells the tree and the search window, and has every list reloaded.
  main.Editor().RemoveItems(items);
}

TResultActions TResultCommands::Focused() const {
  return {Goto, Properties, Run, Explore, Files, Delete, RemoveFromCatalog};
}

QMenu* MakeResultCommands(QWidget* window, const TResultCommands& c,
                          const std::function<void(TFindItemCommand)>& itemCommand,
                          const std::function<void()>& openFilesMenu) {
  auto make = [window](const char* name, const char* icon) {
    QAction* a = new QAction(window);
    a->setObjectName(QString::fromLatin1(name));
    if (icon) a->setIcon(CommandIcon(icon));
    window->addAction(a);
    return a;
  };
  auto runs = [window, &itemCommand](QAction* a, TFindItemCommand command) {
    QObject::connect(a, &QAction::triggered, window,
                     [itemCommand, command] { itemCommand(command); });
  };
  c.Goto = make("ActGoto", "up");
  c.Goto->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
  c.Properties = make("ActProperties", "properties");
  c.Properties->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_P), QKeySequence(Qt::ALT | Qt::Key_Return)});
  runs(c.Properties, TFindItemCommand::Properties);
  c.Run = make("ActRunItem", "run");
  runs(c.Run, TFindItemCommand::Run);
  c.Explore = make("ActExploreItem", "explore");
  runs(c.Explore, TFindItemCommand::Explore);
  c.Files = make("ActFiles", nullptr);
  c.FilesExtract = make("ActFilesExtract", nullptr);
  runs(c.FilesExtract, TFindItemCommand::Extract);
  c.FilesCopy = make("ActFilesCopy", nullptr);
  runs(c.FilesCopy, TFindItemCommand::Copy);
  c.FilesMove = make("ActFilesMove", nullptr);
  runs(c.FilesMove, TFindItemCommand::Move);
  c.FilesDelete = make("ActFilesDelete", nullptr);
  // The file commands ask before deleting.
  runs(c.FilesDelete, TFindItemCommand::Delete);
  c.Delete = make("ActDelete", "delete");
  c.Report = make("ActReport", "report");
  c.Report->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  c.Help = make("ActHelp", "help");
  c.Help->setShortcut(QKeySequence(Qt::Key_F1));
  c.RemoveFromCatalog = make("nnDelete", nullptr);

  QMenu* files = new QMenu(window);
  files->addAction(c.FilesExtract);
  files->addAction(c.FilesCopy);
  files->addAction(c.FilesMove);
  files->addAction(c.FilesDelete);
  c.Files->setMenu(files);
  QObject::connect(files, &QMenu::aboutToShow, window, openFilesMenu);
  return files;
}

void SetCommandText(QAction* a, int number) {
  a->setText(LangQ(number));
  a->setToolTip(PlainCaption(a->text()));
  a->setStatusTip(PlainCaption(a->text()));
}

void SetResultCommandTexts(const TResultCommands& c) {
  SetCommandText(c.Goto, 1031);
  SetCommandText(c.Properties, 31);
  SetCommandText(c.Run, 28);
  SetCommandText(c.Explore, 27);
  SetCommandText(c.Delete, 1032);
  SetCommandText(c.Report, 2001);
  SetCommandText(c.Files, 29);
  SetCommandText(c.FilesCopy, 41);
  SetCommandText(c.FilesMove, 42);
  SetCommandText(c.FilesDelete, 43);
  SetCommandText(c.FilesExtract, 44);
  SetCommandText(c.Help, 71);
  SetCommandText(c.RemoveFromCatalog, 30);
}

void FillResultBar(QToolBar* bar, const TResultCommands& c, QAction* user) {
  bar->setIconSize(QSize(16, 16));
  bar->addAction(c.Report);
  if (user) {
    bar->addAction(user);
    if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(user)))
      b->setPopupMode(QToolButton::MenuButtonPopup);
  }
  bar->addSeparator();
  bar->addAction(c.Goto);
  bar->addAction(c.Properties);
  bar->addAction(c.Explore);
  bar->addAction(c.Run);
  bar->addAction(c.Files);
  if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(c.Files)))
    b->setPopupMode(QToolButton::InstantPopup);
  bar->addSeparator();
  bar->addAction(c.Delete);
}

void MakeResultPanels(QMainWindow* window, std::array<QLabel*, 3>& panels, QWidget* extra,
                      bool plainText) {
  QStatusBar* stBar = window->statusBar();
  stBar->setObjectName(QStringLiteral("stBar"));
  for (size_t i = 0; i < panels.size(); ++i) {
    panels[i] = new QLabel(stBar);
    panels[i]->setObjectName(QStringLiteral("stPanel%1").arg(i));
    if (plainText) panels[i]->setTextFormat(Qt::PlainText);
  }
  panels[0]->setMinimumWidth(200);
  stBar->addWidget(panels[0]);
  if (extra) stBar->addWidget(extra);
  stBar->addWidget(panels[1], 1);
  stBar->addPermanentWidget(panels[2]);
}

std::vector<TNodeRec*> ResultCommandItems(const QTreeView* view, const TItemListModel* model,
                                          TFindItemCommand command) {
  if (command == TFindItemCommand::Run || command == TFindItemCommand::Explore) {
    TNodeRec* item = FocusedViewItem(view, model);
    return item ? std::vector<TNodeRec*>{item} : std::vector<TNodeRec*>{};
  }
  return SelectedViewItems(view, model);
}

void ExecResultListMenu(QWidget* owner, QTreeView* view, const TItemListModel* model,
                        const QString& styleSheet, const TResultCommands& c, QAction* user,
                        const QPoint& pos, const std::function<void()>& updateStatus) {
  std::vector<int> selected = SelectedViewRows(view);
  if (selected.empty()) return;
  TNodeRec* first = model->ItemAt(selected.front());
  if (!first) return;
  updateStatus();
  int32_t flags = ItemFlagsOf(first);
  QMenu pmLV(owner);
  pmLV.setObjectName(QStringLiteral("pmLV"));
  pmLV.setStyleSheet(styleSheet);
  pmLV.addAction(c.Goto);
  pmLV.setDefaultAction(c.Goto);
  if (ItemKind(flags) >= ikFile || (flags & ifArchive)) pmLV.addAction(c.Run);
  if (!(flags & ifInArchive)) pmLV.addAction(c.Explore);
  pmLV.addAction(c.Delete);
  pmLV.addSeparator();
  if (user) pmLV.addAction(user);
  pmLV.addAction(c.Files);
  pmLV.addAction(c.RemoveFromCatalog);
  pmLV.addAction(c.Properties);
  pmLV.exec(view->viewport()->mapToGlobal(pos + QPoint(5, 0)));
}

bool IsResultWindowForeground(const QWidget* window) {
  if (QApplication::activeModalWidget()) return false;
  QWidget* active = QApplication::activeWindow();
  return active == nullptr || active == window;
}

void ConnectResultView(QWidget* owner, TfmVrt& main, QTreeView* view, const int& sortColumn,
                       const std::function<void(int)>& columnClick,
                       const std::function<void()>& saveColumns,
                       const std::function<void(const QPoint&)>& listMenu,
                       const std::function<void()>& updateStatus) {
  QObject::connect(view->header(), &QHeaderView::sectionClicked, owner, columnClick);
  QObject::connect(view->header(), &QHeaderView::customContextMenuRequested, owner,
                   [owner, &main, view, &sortColumn, saveColumns](const QPoint& pos) {
                     ExecColumnMenu(
                         owner, view, pos, main.MenuSheet(),
                         [view, &sortColumn, saveColumns](int column) {
                           FitColumns(view, column, sortColumn);
                           saveColumns();
                         },
                         saveColumns);
                   });
  QObject::connect(view, &QTreeView::customContextMenuRequested, owner, listMenu);
  auto posted = std::make_shared<bool>(false);
  QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, owner,
                   [owner, posted, updateStatus] {
                     if (*posted) return;
                     *posted = true;
                     QTimer::singleShot(0, owner, [posted, updateStatus] {
                       *posted = false;
                       updateStatus();
                     });
                   });
  QObject::connect(view->selectionModel(), &QItemSelectionModel::currentChanged, owner,
                   [updateStatus] { updateStatus(); });
}

void LoadResultColumns(TfmVrt& main, int rootSlot, QTreeView* view, int& sortColumn,
                       bool& sortDescending) {
  std::vector<int> widths;
  for (int c = 0; c < TItemListModel::ResultColumns(); ++c)
    widths.push_back(TItemListModel::ResultWidth(c));
  LoadHeaderLayout(main.Settings().bdOpt, rootSlot, view, widths, sortColumn, sortDescending);
}

void ReadResultPlacement(TfmVrt& main, QMainWindow* window, const QString& section, QToolBar* bar,
                         const QString& barSection) {
  QString file = QString::fromStdString(main.LayoutFileName());
  QSettings ini(file, QSettings::IniFormat);
  if (!QFileInfo::exists(file) || !ini.childGroups().contains(section)) {
    QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->geometry()
                                                 : QRect(0, 0, 1280, 1024);
    window->resize(screen.width() * 3 / 4, screen.height() * 3 / 5);
  } else {
    ReadWindowPlacement(ini, section, window, nullptr);
  }
  PlaceToolBars(window, {{bar, ReadToolBarPlace(ini, barSection, 0)}});
}
