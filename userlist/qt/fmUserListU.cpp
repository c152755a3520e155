// SPDX-License-Identifier: MIT
#include "userlist/qt/fmUserListU.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <algorithm>

#include "app/Options.h"
#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Images.h"
#include "app/qt/Prompts.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/qt/GridDelegate.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/ListHeader.h"
#include "mainwin/qt/VrtLayoutFile.h"
#include "mainwin/qt/fmVrtU.h"
#include "search/qt/ResultList.h"
#include "search/qt/fmFindU.h"
#include "userlist/UserList.h"

namespace {
const QString kPlacement = QStringLiteral("fmUserListpos");
const QString kBarPlacement = QStringLiteral("UserListBar");
}  // namespace

TfmUserList::TfmUserList(TfmVrt& main)
    : QMainWindow(&main, Qt::Window), main_(main), bd_(main.bdMain) {
  setObjectName(QStringLiteral("fmUserList"));
  setWindowIcon(main.windowIcon());
  CreateActions();
  CreateControls();
  SetTexts();
  ReadPlacement();
  LoadResultColumns(main_, kOptUserListColumns, LVU, sortColumn_, sortDescending_);
  ShowSortMarks();
  UpdateStatus();
}

TfmUserList::~TfmUserList() = default;

void TfmUserList::CreateActions() {
  filesMenu_ = MakeResultCommands(
      this, ResultCommandsOf(*this), [this](TFindItemCommand command) { RunItemCommand(command); },
      [this] { OpenFilesMenu(); });
  connect(ActGoto, &QAction::triggered, this, &TfmUserList::GoTo);
  connect(ActDelete, &QAction::triggered, this, &TfmUserList::RemoveFromList);
  connect(ActReport, &QAction::triggered, this, [this] {
    if (OpenReport && IsForeground()) OpenReport();
  });
  ActDeleteAll = new QAction(this);
  ActDeleteAll->setObjectName(QStringLiteral("ActDeleteAll"));
  addAction(ActDeleteAll);
  connect(ActDeleteAll, &QAction::triggered, this, &TfmUserList::ClearList);
  connect(ActHelp, &QAction::triggered, this, [this] {
    if (IsForeground()) ShowHelpTopic(QStringLiteral("UserList.htm"));
  });
  connect(nnDelete, &QAction::triggered, this, &TfmUserList::RemoveFromCatalog);
}

void TfmUserList::CreateControls() {
  LVU = new QTreeView(this);
  LVU->setObjectName(QStringLiteral("LVU"));
  model_ = new TItemListModel(bd_, mlUserList, this);
  model_->SetDecoders(&main_.Decoders());
  SetUpResultView(LVU, model_);
  auto* grid = new TGridDelegate(LVU);
  LVU->setItemDelegate(grid);
  LVU->installEventFilter(this);
  // Drops are taken on the viewport: every drag is accepted, the source decides what is added.
  LVU->setAcceptDrops(true);
  LVU->viewport()->setAcceptDrops(true);
  LVU->viewport()->installEventFilter(this);
  setCentralWidget(LVU);
  ConnectResultView(
      this, main_, LVU, sortColumn_, [this](int column) { ColumnClick(column); },
      [this] { SaveColumns(); }, [this](const QPoint& pos) { ListContextMenu(pos); },
      [this] { UpdateStatus(); });

  tbUserListBar = new QToolBar(this);
  tbUserListBar->setObjectName(QStringLiteral("tbUserListBar"));
  FillResultBar(tbUserListBar, ResultCommandsOf(*this), nullptr);
  tbUserListBar->addAction(ActDeleteAll);
  addToolBar(Qt::TopToolBarArea, tbUserListBar);

  MakeResultPanels(this, stPanels_, nullptr, true);
}

void TfmUserList::SetTexts() {
  setWindowTitle(LangQ(2501));
  // The captions of the search window's commands of the same names.
  SetResultCommandTexts(ResultCommandsOf(*this));
  SetCommandText(ActDeleteAll, 2502);
  tbUserListBar->setWindowTitle(PlainCaption(LangQ(2501)));
  if (model_) {
    emit model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
    model_->RefreshRows();
  }
  UpdateStatus();
}

// ---- placement ------------------------------------------------------------------------------

void TfmUserList::ReadPlacement() {
  ReadResultPlacement(main_, this, kPlacement, tbUserListBar, kBarPlacement);
}

void TfmUserList::SaveColumns() {
  SaveHeaderLayout(main_.Settings().bdOpt, kOptUserListColumns, LVU, sortColumn_, sortDescending_);
}

void TfmUserList::WriteLayout() {
  SaveColumns();
  QSettings ini(QString::fromStdString(main_.LayoutFileName()), QSettings::IniFormat);
  WriteWindowPlacement(ini, kPlacement, this, nullptr);
  WriteToolBarPlace(ini, kBarPlacement, ToolBarPlaceOf(this, tbUserListBar));
  ini.sync();  // a failure to write the layout is ignored
}

// ---- showing and reloading ------------------------------------------------------------------

void TfmUserList::OpenUserList() {
  if (!isVisible()) {
    LVU->setFont(main_.List()->font());
    LVU->setPalette(main_.List()->palette());
    model_->SetFormattedSizes(main_.Settings().Options.FormatSizes);
    static_cast<TGridDelegate*>(LVU->itemDelegate())
        ->SetGridLines(main_.Settings().Options.GridLines);
    ShowSortMarks();
    ReloadUserList();
    show();
  }
  raise();
  activateWindow();
  UpdateStatus();
}

void TfmUserList::ReloadUserList() {
  // A release may leave placeholders while a caller defers packing: they are dropped first.
  if (!bd_.DeferMarkPack) bd_.PackMarkList(mlUserList);
  model_->ResetRows();
  UpdateStatus();
}

// ---- sorting --------------------------------------------------------------------------------

void TfmUserList::ShowSortMarks() {
  LVU->header()->setSortIndicator(sortColumn_,
                                  sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TfmUserList::SortBy(int column, bool descending) {
  sortColumn_ = column;
  sortDescending_ = descending;
  SortResultView(bd_, mlUserList, LVU, model_, column, descending, &main_.Decoders());
  ShowSortMarks();
  UpdateStatus();
}

void TfmUserList::ColumnClick(int column) {
  SortBy(column, column == sortColumn_ ? !sortDescending_ : false);
}

// ---- status ---------------------------------------------------------------------------------

std::vector<int> TfmUserList::SelectedRows() const { return SelectedViewRows(LVU); }

QString TfmUserList::StatusPanel(int panel) const {
  return panel >= 0 && panel < 3 ? stPanels_[static_cast<size_t>(panel)]->text() : QString();
}

void TfmUserList::UpdateStatus() {
  if (!stPanels_[0]) return;
  ShowResultStatus(main_, mlUserList, LVU, model_, stPanels_);
  EnableResultActions(ResultCommandsOf(*this).Focused(), FocusedViewItem(LVU, model_),
                      static_cast<bool>(ItemCommand));
  ActDeleteAll->setEnabled(bd_.MarkCount(mlUserList) > 0);
  ActReport->setEnabled(static_cast<bool>(OpenReport));
}

// ---- commands -------------------------------------------------------------------------------

bool TfmUserList::IsForeground() const { return IsResultWindowForeground(this); }

void TfmUserList::GoTo() { GoToItemInMain(main_, FocusedViewItem(LVU, model_)); }

void TfmUserList::RemoveFromList() {
  if (SelectedRows().empty()) return;
  if (!AskYesNoQ(this, LangQ(11001))) return;
  TResultViewRows rows(LVU);
  int first = RemoveSelectedFromUserList(bd_, rows);
  if (first < 0) return;
  LVU->selectionModel()->clear();
  main_.ReloadUserList();
  int left = model_->rowCount();
  if (left > 0) {
    QModelIndex i = model_->index(std::min(first, left - 1), 0);
    LVU->setFocus();
    LVU->selectionModel()->setCurrentIndex(
        i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LVU->scrollTo(i);
  }
  UpdateStatus();
}

void TfmUserList::ClearList() {
  if (bd_.MarkCount(mlUserList) == 0) return;
  if (!AskYesNoQ(this, LangQ(11010))) return;
  LVU->selectionModel()->clear();
  ClearUserList(bd_);
  main_.ReloadUserList();
}

void TfmUserList::RemoveFromCatalog() {
  RemoveSelectedFromCatalog(main_, LVU, model_);
  ReloadUserList();
}

void TfmUserList::RunItemCommand(TFindItemCommand command) {
  if (!ItemCommand) return;
  std::vector<TNodeRec*> items = ResultCommandItems(LVU, model_, command);
  if (items.empty()) return;
  ItemCommand(command, items);
}

void TfmUserList::OpenFilesMenu() {
  EnableResultFilesMenu(bd_, mlUserList, LVU, static_cast<bool>(ItemCommand), ActFilesExtract,
                        {ActFilesCopy, ActFilesMove, ActFilesDelete});
}

void TfmUserList::ListContextMenu(const QPoint& pos) {
  ExecResultListMenu(this, LVU, model_, main_.MenuSheet(), ResultCommandsOf(*this), nullptr, pos,
                     [this] { UpdateStatus(); });
}

void TfmUserList::DropFrom(QObject* source) {
  if (!source) return;
  if (source == main_.Tree() || source == main_.List()) {
    main_.ChangeUserList(true, source == main_.List());
    return;
  }
  TfmFind* find = main_.SearchWindow();
  if (find && source == find->LVF) {
    TResultViewRows rows(find->LVF);
    AddToUserList(bd_, &rows, mlFound, 0, [this] { main_.ReloadUserList(); });
  }
}

// ---- events ---------------------------------------------------------------------------------

bool TfmUserList::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LVU->viewport()) {
    switch (event->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
      }
      case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        QObject* source = drop->source();
        // The source's view finishes its drag first; the rows are read afterwards.
        QPointer<QObject> from(source);
        QTimer::singleShot(0, this, [this, from] {
          if (from) DropFrom(from);
        });
        return true;
      }
      default:
        break;
    }
  }
  if (watched == LVU && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
      RemoveFromList();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfmUserList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void TfmUserList::closeEvent(QCloseEvent* event) {
  SaveColumns();
  QMainWindow::closeEvent(event);
}
