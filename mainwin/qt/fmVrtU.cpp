// SPDX-License-Identifier: MIT
// The main window: building it, its texts, start-up, exit and the window layout file.
#include "mainwin/qt/fmVrtU.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWindow>
#include <filesystem>

#include "app/Language.h"
#include "app/qt/GuiText.h"
#include "app/qt/Images.h"
#include "app/qt/Prompts.h"
#include "app/qt/SingleInstance.h"
#include "app/qt/fmAboutU.h"
#include "archive/ArchiveTypes.h"
#include "catalog/CatalogLayout.h"
#include "catalog/ItemLabels.h"
#include "catalog/qt/GuiCatalogUi.h"
#include "catalog/qt/fmNewCatU.h"
#include "fileops/qt/FileCommands.h"
#include "mainwin/qt/CatalogTreeModel.h"
#include "mainwin/qt/GridDelegate.h"
#include "mainwin/qt/InterfaceStyle.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/VrtLayoutFile.h"
#include "scan/DescRules.h"
#include "scan/qt/fmAddDiskU.h"
#include "search/qt/fmFindU.h"
#include "userlist/qt/fmUserListU.h"

namespace {

// The version text of the caption: the 1st character of the version, ".", its 3rd and 5th
// characters ("2.1.0" gives "2.10").
QString VersionText() {
  std::string v = TOLVANE_VERSION;
  QString text;
  if (!v.empty()) text += QChar(v[0]);
  text += '.';
  if (v.size() > 2) text += QChar(v[2]);
  if (v.size() > 4) text += QChar(v[4]);
  return text;
}

}  // namespace

TfmVrt::TfmVrt(TAppStores& stores, const TVrtPlaces& places, QWidget* parent)
    : QMainWindow(parent), bdMain(stores.bdMain), places_(places), settings_(stores.Settings) {
  setObjectName(QStringLiteral("fmVrt"));
  setWindowIcon(ProgramIcon());

  // The settings and the window layout live in the settings folder.
  if (!places_.SettingsFolder.empty() && places_.SettingsFolder.back() != '/')
    places_.SettingsFolder += '/';
  if (!places_.LanguageFolder.empty() && places_.LanguageFolder.back() != '/')
    places_.LanguageFolder += '/';
  if (!QFileInfo::exists(QString::fromStdString(LayoutFileName()))) {
    QRect screen = QApplication::primaryScreen() ? QApplication::primaryScreen()->geometry()
                                                 : QRect(0, 0, 1280, 1024);
    resize(screen.width() * 4 / 5, screen.height() * 3 / 5);
  }

  versionText_ = VersionText();
  caption_ = QStringLiteral("Tolvane ") + versionText_;

  InitCatalogStore(bdMain);
  TSettingsPlace place;
  place.SettingsFile = places_.SettingsFolder + kSettingsFileName;
  place.ProgramFolder = places_.SettingsFolder;
  place.LanguageFolder = places_.LanguageFolder;
  TSettingsHooks hooks;
  hooks.InitDescriptionRules = [](TQDBase& bd) { InitDescriptionRules(bd); };
  hooks.InitArchiveTypes = [](TQDBase& bd) { InitArchiveTypes(bd); };
  settings_.Load(place, hooks);

  ui_ = std::make_unique<TGuiCatalogUi>(this);
  files_ = std::make_unique<TCatalogFiles>(bdMain, *ui_, settings_.Options.RecentCatalogs,
                                           settings_.Options.OpenAtExit);
  files_->Options.ProgramFolder = places_.SettingsFolder;
  files_->Events.SettingsChanged = [this] { SaveSettings(); };
  files_->Events.CatalogOpening = [this](int slot) { CatalogOpening(slot); };
  files_->Events.CatalogOpened = [this](int slot, bool last) { CatalogOpened(slot, last); };
  files_->Events.CatalogClosing = [this](int slot) { CatalogClosing(slot); };
  files_->Events.CatalogClosed = [this](int slot) { CatalogClosed(slot); };
  files_->Events.CatalogSaved = [this] { UpdateStatus(); };
  editor_ = std::make_unique<TCatalogEditor>(bdMain, *this);
  fileCommands_ = std::make_unique<TFileCommands>(this, bdMain, settings_, tempFiles_);
  fileCommands_->Engine().Decoders = &decoders_;

  CreateViews();
  CreateActions();
  CreateMenus();
  CreateToolBars();
  ConnectUserList();
  CreateStatusBar();
  SetListLayout(true, true);
  SetTexts();
  ReadLayout();
  UpdateStatus();
}

// The child windows, views and models go with the QObject children; the stores they read
// outlive the window.
TfmVrt::~TfmVrt() {
  // Focus moves while the widgets are destroyed, after this body: the application's focus
  // signal must not reach the window then.
  disconnect(qApp, nullptr, this, nullptr);
}

std::string TfmVrt::LayoutFileName() const { return places_.SettingsFolder + "fmStorage.ini"; }

// ---- building -------------------------------------------------------------------------------

void TfmVrt::CreateViews() {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("spMain"));
  splitter_->setChildrenCollapsible(false);

  trTree = new QTreeView(splitter_);
  trTree->setObjectName(QStringLiteral("tr"));
  trModel_ = new TCatalogTreeModel(bdMain, this);
  trModel_->SetDecoders(&decoders_);
  trTree->setModel(trModel_);
  trTree->setHeaderHidden(true);
  // Long names scroll sideways instead of being cut off.
  trTree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  trTree->header()->setStretchLastSection(false);
  trTree->setUniformRowHeights(true);
  trTree->setSelectionMode(QAbstractItemView::SingleSelection);
  trTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  trTree->setContextMenuPolicy(Qt::CustomContextMenu);
  trTree->setExpandsOnDoubleClick(true);
  trTree->setAnimated(false);
  trTree->installEventFilter(this);
  connect(trTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex&, const QModelIndex&) {
            if (!selecting_) trChange(true);
          });
  trModel_->OnRename = [this](TNodeRec* item, const QString& typed) {
    RenameTreeItem(item, typed);
  };
  // Drag and drop: the selected node moves onto the target once the drag has ended.
  trModel_->CanDropOn = [this](const TNodeRec* target) {
    TNodeRec* dragged = trModel_->NodeOf(trTree->currentIndex());
    return dragged && editor_->CanDrop(dragged, target);
  };
  trModel_->DropOn = [this](TNodeRec* target) {
    QPersistentModelIndex at = trModel_->IndexOf(target);
    QMetaObject::invokeMethod(
        this, [this, at] { DropSelectedOn(at); }, Qt::QueuedConnection);
  };
  trTree->setDragEnabled(true);
  trTree->setAcceptDrops(true);
  trTree->setDropIndicatorShown(true);
  trTree->setDragDropMode(QAbstractItemView::DragDrop);
  trTree->setDefaultDropAction(Qt::MoveAction);
  connect(trTree, &QTreeView::customContextMenuRequested, this, &TfmVrt::trContextMenu);

  LV = new QTreeView(splitter_);
  LV->setObjectName(QStringLiteral("LV"));
  lvModel_ = new TItemListModel(bdMain, this);
  lvModel_->SetDecoders(&decoders_);
  LV->setModel(lvModel_);
  LV->setRootIsDecorated(false);
  LV->setItemsExpandable(false);
  LV->setUniformRowHeights(true);
  LV->setAllColumnsShowFocus(true);
  LV->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LV->setSelectionBehavior(QAbstractItemView::SelectRows);
  LV->setEditTriggers(QAbstractItemView::NoEditTriggers);
  LV->setContextMenuPolicy(Qt::CustomContextMenu);
  LV->setTextElideMode(Qt::ElideRight);
  LV->header()->setSectionsMovable(true);
  LV->header()->setStretchLastSection(false);
  LV->header()->setSectionsClickable(true);
  LV->header()->setSortIndicatorShown(true);
  LV->header()->setContextMenuPolicy(Qt::CustomContextMenu);
  LV->header()->setMinimumSectionSize(1);
  LV->installEventFilter(this);
  lvDelegate_ = new TGridDelegate(LV);
  LV->setItemDelegate(lvDelegate_);
  connect(LV->header(), &QHeaderView::sectionClicked, this, &TfmVrt::LVColumnClick);
  connect(LV->header(), &QHeaderView::customContextMenuRequested, this,
          &TfmVrt::LVColumnRightClick);
  connect(LV, &QTreeView::customContextMenuRequested, this, &TfmVrt::LVContextMenu);
  connect(LV, &QTreeView::doubleClicked, this, [this](const QModelIndex&) {
    LVDblClick(QApplication::keyboardModifiers() & Qt::AltModifier);
  });
  connect(LV->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { PostStatusUpdate(); });
  connect(LV->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { PostStatusUpdate(); });

  splitter_->addWidget(trTree);
  splitter_->addWidget(LV);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({260, 800});
  setCentralWidget(splitter_);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    if (now == trTree || now == LV) UpdateStatus();
  });
}

void TfmVrt::CreateActions() {
  auto make = [this](const char* name, const char* icon, void (TfmVrt::*slot)()) {
    QAction* a = new QAction(this);
    a->setObjectName(QString::fromLatin1(name));
    if (icon) a->setIcon(CommandIcon(icon));
    if (slot) connect(a, &QAction::triggered, this, slot);
    addAction(a);
    return a;
  };
  ActNewCatalog = make("ActNewCatalog", "new", &TfmVrt::ActNewCatalogExecute);
  ActNewCatalog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  ActOpenCatalog = make("ActOpenCatalog", "open", &TfmVrt::ActOpenCatalogExecute);
  ActOpenCatalog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  ActSaveCatalog = make("ActSaveCatalog", "save", &TfmVrt::ActSaveCatalogExecute);
  ActSaveCatalog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  nnMMSaveCatAs = make("nnMMSaveCatAs", nullptr, &TfmVrt::nnMMSaveCatAsClick);
  ActSaveAll = make("ActSaveAll", "saveall", &TfmVrt::ActSaveAllExecute);
  ActCloseCatalog = make("ActCloseCatalog", "close", &TfmVrt::ActCloseCatalogExecute);
  ActCloseCatalog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
  nnMMCloseAllCat = make("nnMMCloseAllCat", nullptr, &TfmVrt::nnMMCloseAllCatClick);
  nnMMProgramExit = make("nnMMProgramExit", nullptr, nullptr);
  nnMMProgramExit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));
  connect(nnMMProgramExit, &QAction::triggered, this, &QWidget::close);
  for (int k = 0; k < 10; ++k) {
    nnRecCat[k] = new QAction(this);
    nnRecCat[k]->setObjectName(QStringLiteral("nnRecCat%1").arg(k));
    connect(nnRecCat[k], &QAction::triggered, this, [this, k] { OpenRecent(k); });
    npRecCat[k] = new QAction(this);
    npRecCat[k]->setObjectName(QStringLiteral("npRecCat%1").arg(k));
    connect(npRecCat[k], &QAction::triggered, this, [this, k] { OpenRecent(k); });
  }

  ActAddNewDisk = make("ActAddNewDisk", "adddisk", &TfmVrt::ActAddNewDiskExecute);
  ActAddNewDisk->setShortcut(QKeySequence(Qt::Key_Insert));
  ActAddNewDiskGroup = make("ActAddNewDiskGroup", "addgroup", &TfmVrt::ActAddNewDiskGroupExecute);
  ActUpdateDisk = make("ActUpdateDisk", "update", &TfmVrt::ActUpdateDiskExecute);
  ActRenameDisk = make("ActRenameDisk", "rename", &TfmVrt::ActRenameExecute);
  ActRenameCatalog = make("ActRenameCatalog", nullptr, &TfmVrt::ActRenameExecute);
  ActDeleteDisk = make("ActDeleteDisk", "delete", &TfmVrt::ActDeleteDiskExecute);
  ActExploreItem = make("ActExploreItem", "explore", nullptr);
  connect(ActExploreItem, &QAction::triggered, this, [this] { RunItem(true); });
  ActRunItem = make("ActRunItem", "run", nullptr);
  connect(ActRunItem, &QAction::triggered, this, [this] { RunItem(false); });
  ActFilesCopy = make("ActFilesCopy", nullptr, nullptr);
  connect(ActFilesCopy, &QAction::triggered, this, [this] { FilesCommand(false, TFileOp::Copy); });
  ActFilesMove = make("ActFilesMove", nullptr, nullptr);
  connect(ActFilesMove, &QAction::triggered, this, [this] { FilesCommand(false, TFileOp::Move); });
  ActFilesDelete = make("ActFilesDelete", nullptr, nullptr);
  connect(ActFilesDelete, &QAction::triggered, this,
          [this] { FilesCommand(false, TFileOp::Delete); });
  ActFilesExtract = make("ActFilesExtract", nullptr, nullptr);
  connect(ActFilesExtract, &QAction::triggered, this,
          [this] { FilesCommand(true, TFileOp::Copy); });
  ActRemoveFromCatalog =
      make("ActRemoveFromCatalog", nullptr, &TfmVrt::ActRemoveFromCatalogExecute);
  ActProperties = make("ActProperties", "properties", &TfmVrt::ActPropertiesExecute);
  ActProperties->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_P),
                               QKeySequence(Qt::ALT | Qt::Key_Return),
                               QKeySequence(Qt::ALT | Qt::Key_Enter)});
  ActSortDisk = make("ActSortDisk", nullptr, &TfmVrt::ActSortDiskExecute);
  ActCatSetup = make("ActCatSetup", nullptr, &TfmVrt::ActCatSetupExecute);
  ActCatMan = make("ActCatMan", nullptr, &TfmVrt::ActCatManExecute);
  ActGotoUp = make("ActGotoUp", "up", &TfmVrt::ActGotoUpExecute);
  ActUserView = make("ActUserView", "userlist", nullptr);
  ActUserView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  ActUserAdd = make("ActUserAdd", nullptr, nullptr);
  ActUserDelete = make("ActUserDelete", nullptr, nullptr);
  ActFind = make("ActFind", "find", &TfmVrt::ActFindExecute);
  ActFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  ActFindAll = make("ActFindAll", nullptr, &TfmVrt::ActFindAllExecute);
  ActFindAll->setShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_F));
  nnSearchAllCatalogs = ActFindAll;
  ActReport = make("ActReport", "report", &TfmVrt::ActReportExecute);
  ActReport->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  nnOpt0 = make("nnOpt0", nullptr, nullptr);
  nnOpt1 = make("nnOpt1", nullptr, nullptr);
  nnOpt2 = make("nnOpt2", nullptr, nullptr);
  nnOpt3 = make("nnOpt3", nullptr, nullptr);
  nnOpt4 = make("nnOpt4", nullptr, nullptr);
  nnOpt5 = make("nnOpt5", nullptr, nullptr);
  {
    const std::array<QAction*, 6> pages{nnOpt0, nnOpt1, nnOpt2, nnOpt3, nnOpt4, nnOpt5};
    for (int page = 0; page < 6; ++page)
      connect(pages[page], &QAction::triggered, this, [this, page] { ShowOptions(page); });
  }
  ActHelp = make("ActHelp", "help", &TfmVrt::ActHelpExecute);
  ActHelp->setShortcut(QKeySequence(Qt::Key_F1));
  nnSite = make("nnSite", nullptr, nullptr);
  nnMail = make("nnMail", nullptr, nullptr);
  nnAbout = make("nnAbout", nullptr, &TfmVrt::nnAboutClick);
  connect(nnSite, &QAction::triggered, this, [] { OpenProductPage(false); });
  connect(nnMail, &QAction::triggered, this, [this] { OpenProductPage(true, caption_); });
}

void TfmVrt::CreateMenus() {
  nnnFile = menuBar()->addMenu(QString());
  nnnFile->setObjectName(QStringLiteral("nnnFile"));
  nnnFile->addAction(ActNewCatalog);
  nnnFile->addAction(ActOpenCatalog);
  nnnFile->addAction(ActSaveCatalog);
  nnnFile->addAction(nnMMSaveCatAs);
  nnnFile->addAction(ActSaveAll);
  nnnFile->addSeparator();
  nnnFile->addAction(ActCloseCatalog);
  nnnFile->addAction(nnMMCloseAllCat);
  nnRecentSep = nnnFile->addSeparator();
  for (QAction* a : nnRecCat) nnnFile->addAction(a);
  nnnFile->addSeparator();
  nnnFile->addAction(nnMMProgramExit);
  connect(nnnFile, &QMenu::aboutToShow, this, &TfmVrt::ShowRecentItems);

  nnnAction = menuBar()->addMenu(QString());
  nnnAction->setObjectName(QStringLiteral("nnnAction"));
  nnnAction->addAction(ActAddNewDisk);
  nnnAction->addAction(ActUpdateDisk);
  nnnAction->addAction(ActAddNewDiskGroup);
  nnnAction->addAction(ActRenameDisk);
  nnnAction->addAction(ActRenameCatalog);
  nnnAction->addAction(ActDeleteDisk);
  nnnAction->addAction(ActSortDisk);
  nnnAction->addSeparator();
  nnnAction->addAction(ActGotoUp);
  nnnAction->addAction(ActExploreItem);
  nnnAction->addAction(ActRunItem);
  filesMenu_ = nnnAction->addMenu(QString());
  filesMenu_->addAction(ActFilesCopy);
  filesMenu_->addAction(ActFilesMove);
  filesMenu_->addAction(ActFilesDelete);
  filesMenu_->addAction(ActFilesExtract);
  ActFiles = filesMenu_->menuAction();
  ActFiles->setObjectName(QStringLiteral("ActFiles"));
  connect(filesMenu_, &QMenu::aboutToShow, this, &TfmVrt::UpdateFilesMenu);
  nnnAction->addAction(ActRemoveFromCatalog);
  nnnAction->addSeparator();
  nnnAction->addAction(ActProperties);
  nnnAction->addAction(ActCatSetup);
  nnnAction->addAction(ActCatMan);
  nnnAction->addSeparator();
  userListMenu_ = nnnAction->addMenu(QString());
  userListMenu_->addAction(ActUserView);
  userListMenu_->addAction(ActUserAdd);
  userListMenu_->addAction(ActUserDelete);
  ActUser = userListMenu_->menuAction();
  ActUser->setObjectName(QStringLiteral("ActUser"));

  nnnSearch = menuBar()->addMenu(QString());
  nnnSearch->addAction(ActFind);
  nnnSearch->addAction(ActFindAll);
  nnnSearch->addSeparator();
  nnnSearch->addAction(ActReport);

  nnnOptions = menuBar()->addMenu(QString());
  for (QAction* a : {nnOpt0, nnOpt1, nnOpt2, nnOpt3, nnOpt4, nnOpt5}) nnnOptions->addAction(a);
  nnnOptions->addSeparator();
  languageMenu_ = nnnOptions->addMenu(QString());
  languageMenu_->setObjectName(QStringLiteral("nnLanguageMenu"));
  connect(languageMenu_, &QMenu::aboutToShow, this, &TfmVrt::FillLanguageMenu);
  codePageMenu_ = nnnOptions->addMenu(QString());
  codePageMenu_->setObjectName(QStringLiteral("codePageMenu"));
  connect(codePageMenu_, &QMenu::aboutToShow, this, &TfmVrt::FillCodePageMenu);

  nnnHelp = menuBar()->addMenu(QString());
  nnnHelp->addAction(ActHelp);
  nnnHelp->addSeparator();
  nnnHelp->addAction(nnSite);
  nnnHelp->addAction(nnMail);
  nnnHelp->addSeparator();
  nnnHelp->addAction(nnAbout);
}

void TfmVrt::CreateToolBars() {
  FileBar = addToolBar(QString());
  FileBar->setObjectName(QStringLiteral("FileBar"));
  FileBar->setIconSize(QSize(20, 20));
  FileBar->addAction(ActNewCatalog);
  // tbOpenCat: opens the open dialog; its drop-down lists the recent catalogs.
  recentMenu_ = new QMenu(this);
  for (QAction* a : npRecCat) recentMenu_->addAction(a);
  tbOpenCat = new QToolButton(FileBar);
  tbOpenCat->setObjectName(QStringLiteral("tbOpenCat"));
  tbOpenCat->setDefaultAction(ActOpenCatalog);
  tbOpenCat->setPopupMode(QToolButton::MenuButtonPopup);
  tbOpenCat->setMenu(recentMenu_);
  connect(recentMenu_, &QMenu::aboutToShow, this, &TfmVrt::ShowRecentItems);
  FileBar->addWidget(tbOpenCat);
  FileBar->addAction(ActSaveCatalog);
  FileBar->addAction(ActSaveAll);
  FileBar->addAction(ActCloseCatalog);

  MainBar = addToolBar(QString());
  MainBar->setObjectName(QStringLiteral("MainBar"));
  MainBar->setIconSize(QSize(20, 20));
  MainBar->addAction(ActAddNewDisk);
  MainBar->addAction(ActUpdateDisk);
  MainBar->addAction(ActAddNewDiskGroup);
  MainBar->addAction(ActDeleteDisk);
  MainBar->addSeparator();
  MainBar->addAction(ActGotoUp);
  MainBar->addSeparator();
  MainBar->addAction(ActFind);
  MainBar->addAction(ActProperties);
  MainBar->addAction(ActReport);
  MainBar->addAction(ActUserView);
  MainBar->addSeparator();
  MainBar->addAction(ActHelp);
}

void TfmVrt::CreateStatusBar() {
  QStatusBar* stBar = statusBar();
  stBar->setObjectName(QStringLiteral("stBar"));
  for (int i = 0; i < 3; ++i) {
    stPanels_[i] = new QLabel(stBar);
    stPanels_[i]->setObjectName(QStringLiteral("stPanel%1").arg(i));
    stPanels_[i]->setTextFormat(Qt::PlainText);
  }
  stPanels_[0]->setMinimumWidth(150);
  stPanels_[2]->setMinimumWidth(220);
  stBar->addWidget(stPanels_[0]);
  stBar->addWidget(stPanels_[1], 1);
  stBar->addPermanentWidget(stPanels_[2]);
}

QString TfmVrt::StatusPanel(int panel) const {
  return panel >= 0 && panel < 3 ? stPanels_[panel]->text() : QString();
}

void TfmVrt::SetTexts() {
  auto set = [](QAction* a, int number) {
    a->setText(LangQ(number));
    a->setToolTip(PlainCaption(LangQ(number)));
    a->setStatusTip(PlainCaption(LangQ(number)));
  };
  nnnFile->setTitle(LangQ(1));
  set(ActNewCatalog, 2);
  set(ActOpenCatalog, 3);
  set(ActSaveCatalog, 4);
  set(nnMMSaveCatAs, 5);
  set(ActSaveAll, 6);
  set(ActCloseCatalog, 7);
  set(nnMMCloseAllCat, 8);
  set(nnMMProgramExit, 9);
  nnnAction->setTitle(LangQ(21));
  set(ActAddNewDisk, 22);
  set(ActAddNewDiskGroup, 23);
  set(ActUpdateDisk, 24);
  set(ActRenameDisk, 25);
  set(ActDeleteDisk, 26);
  set(ActExploreItem, 27);
  set(ActRunItem, 28);
  set(ActFiles, 29);
  filesMenu_->setTitle(LangQ(29));
  set(ActRemoveFromCatalog, 30);
  set(ActProperties, 31);
  set(ActSortDisk, 33);
  set(ActCatSetup, 34);
  set(ActCatMan, 35);
  set(ActUserView, 36);
  set(ActUserAdd, 37);
  set(ActUserDelete, 38);
  set(ActUser, 39);
  userListMenu_->setTitle(LangQ(39));
  set(ActFilesCopy, 41);
  set(ActFilesMove, 42);
  set(ActFilesDelete, 43);
  set(ActFilesExtract, 44);
  nnnSearch->setTitle(LangQ(51));
  set(ActFind, 52);
  set(ActFindAll, 53);
  set(ActReport, 2001);
  nnnOptions->setTitle(LangQ(61));
  set(nnOpt0, 62);
  set(nnOpt1, 63);
  set(nnOpt2, 66);
  set(nnOpt3, 64);
  set(nnOpt4, 67);
  set(nnOpt5, 65);
  languageMenu_->setTitle(LangQ(12801));
  codePageMenu_->setTitle(LangQ(12705));
  nnnHelp->setTitle(LangQ(71));
  set(ActHelp, 72);
  set(nnSite, 73);
  set(nnMail, 74);
  set(nnAbout, 76);
  set(ActGotoUp, 91);
  set(ActRenameCatalog, 92);
  FileBar->setWindowTitle(PlainCaption(LangQ(1)));
  MainBar->setWindowTitle(PlainCaption(LangQ(21)));
  lvModel_->headerDataChanged(Qt::Horizontal, 0, lvModel_->columnCount() - 1);
  if (Tray) Tray->setToolTip(windowTitle());
  UpdateStatus();
}

void TfmVrt::FillLanguageMenu() {
  languageMenu_->clear();
  QDir dir(QString::fromStdString(places_.LanguageFolder));
  QString current = QString::fromStdString(settings_.Options.LanguageFile);
  auto* group = new QActionGroup(languageMenu_);
  for (const QFileInfo& fi :
       dir.entryInfoList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name)) {
    TLangTable table;
    if (!table.LoadFromFile(fi.absoluteFilePath().toStdString()) || !table.Loaded()) continue;
    QAction* a = languageMenu_->addAction(QString::fromStdString(table.FirstLine()));
    a->setCheckable(true);
    a->setChecked(fi.fileName() == current);
    group->addAction(a);
    QString file = fi.fileName();
    connect(a, &QAction::triggered, this, [this, file] { ChooseLanguage(file); });
  }
}

namespace {
// The pages offered in the menu: the Windows pages of old catalogs, and two DOS-era ones.
const char* const kMenuCodePages[] = {
    "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1253", "WINDOWS-1254", "WINDOWS-1255",
    "WINDOWS-1256", "WINDOWS-1257", "WINDOWS-1258", "WINDOWS-874",  "CP866",        "KOI8-R"};
}  // namespace

void TfmVrt::FillCodePageMenu() {
  codePageMenu_->clear();
  const TCodePageOptions& pages = settings_.Options.CodePages;
  // One checkable list: the first entry follows (the language, or for a catalog the program).
  auto fill = [this](QMenu* menu, const QString& follow, const std::string& chosen,
                     const std::string& catalogFile) {
    auto* group = new QActionGroup(menu);
    QAction* a = menu->addAction(follow);
    a->setCheckable(true);
    a->setChecked(chosen.empty());
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, catalogFile] { ChooseCodePage({}, catalogFile); });
    menu->addSeparator();
    for (const char* page : kMenuCodePages) {
      a = menu->addAction(QString::fromLatin1(page));
      a->setCheckable(true);
      a->setChecked(chosen == page);
      group->addAction(a);
      std::string p = page;
      connect(a, &QAction::triggered, this,
              [this, p, catalogFile] { ChooseCodePage(p, catalogFile); });
    }
  };
  fill(codePageMenu_, LangFormatQ(12706, LanguageCodePage(settings_.Options.LanguageFile)),
       pages.Program, {});
  // The catalog selected in the tree, once it has a file, may have a page of its own.
  const TNodeRec* catalog = CatalogNodeOf(SelectedTreeNode());
  std::string file = catalog ? std::string(FieldStr(FieldNode(catalog), kCatFileName)) : "";
  if (file.empty()) return;
  codePageMenu_->addSeparator();
  QMenu* own = codePageMenu_->addMenu(LangQ(12707) + QStringLiteral(": ") +
                                      QStr(decoders_.Text(catalog, ItemName(catalog))));
  own->setObjectName(QStringLiteral("nnCatalogCodePage"));
  std::string chosen;
  for (const auto& [f, p] : pages.Catalogs)
    if (f == file) chosen = p;
  fill(own, LangFormatQ(12708, CatalogCodePage(pages, settings_.Options.LanguageFile, {})), chosen,
       file);
}

void TfmVrt::ChooseCodePage(const std::string& page, const std::string& catalogFile) {
  if (catalogFile.empty())
    settings_.Options.CodePages.Program = page;
  else
    SetCatalogCodePage(settings_.Options.CodePages, catalogFile, page);
  SaveSettings();
  ApplyCodePages();
  UpdateStatus();
}

void TfmVrt::ChooseLanguage(const QString& file) {
  settings_.Options.LanguageFile = file.toStdString();
  WriteGeneralOptions(settings_.bdOpt, settings_.Options);
  LoadSelectedLanguage(settings_.bdOpt, places_.LanguageFolder);
  ReadGeneralOptions(settings_.bdOpt, settings_.Options);
  SaveSettings();
  ApplyCodePages();  // the program's page may follow the language
  SetTexts();
  if (fmFind) fmFind->SetTexts();
  if (fmUserList) fmUserList->SetTexts();
  SetListLayout(diskLayout_, true);
  trChange(false);
  if (settings_.Options.AdjustColumns) AdjustColumns(-1);
}

// ---- start-up and exit ------------------------------------------------------------------------

void TfmVrt::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShown_) {
    firstShown_ = true;
    FirstShow();
  }
}

void TfmVrt::FirstShow() {
  ApplyInterfaceSettings();
  setWindowTitle(caption_);
  ApplyListOptions();
  UpdateStatus();
  files_->Options.DefaultFolder = settings_.Options.CatalogFolder;
  files_->Options.BackupCopies = settings_.Options.BackupCopies;
  files_->Options.SaveAllOnExit = settings_.Options.SaveAllAtExit;
  files_->StartUp(places_.CommandLineFile, StartupOpenFromSetting(settings_.Options.StartupMode),
                  settings_.Options.StartupCatalogs);
  UpdateStatus();
}

void TfmVrt::ApplyInterfaceSettings() {
  TInterfaceOptions ui = ReadInterfaceOptions(settings_.bdOpt);
  menuSheet_ = MenuStyleSheet(ui.MenuStyle);
  menuBar()->setStyleSheet(menuSheet_);
  FileBar->setStyleSheet(menuSheet_);
  MainBar->setStyleSheet(menuSheet_);
  recentMenu_->setStyleSheet(menuSheet_);
  if (Tray && Tray->contextMenu()) Tray->contextMenu()->setStyleSheet(menuSheet_);
  TViewLook tree = ViewLook(ui.TreeColor, ui.TreeFont, font());
  TViewLook list = ViewLook(ui.ListColor, ui.ListFont, font());
  ApplyViewLook(trTree, tree);
  ApplyViewLook(LV, list);
  trModel_->SetAppearance(tree.Font, tree.Text);
  lvModel_->SetAppearance(list.Font, list.Text);
}

void TfmVrt::ApplyListOptions() {
  lvDelegate_->SetGridLines(settings_.Options.GridLines);
  LV->viewport()->update();
  if (settings_.Options.MinToTray && QSystemTrayIcon::isSystemTrayAvailable()) {
    if (!Tray) {
      Tray = new QSystemTrayIcon(ProgramIcon(), this);
      Tray->setObjectName(QStringLiteral("Tray"));
      connect(Tray, &QSystemTrayIcon::activated, this,
              [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason != QSystemTrayIcon::Trigger) return;
                if (isVisible() && !isMinimized()) {
                  hide();
                } else {
                  RestoreApplication();
                }
              });
      auto* menu = new QMenu(this);
      QAction* restore = menu->addAction(PlainCaption(LangQ(93)));
      connect(restore, &QAction::triggered, this, &TfmVrt::RestoreApplication);
      menu->addSeparator();
      menu->addAction(nnMMProgramExit);
      menu->setStyleSheet(menuSheet_);
      Tray->setContextMenu(menu);
    }
    Tray->setToolTip(windowTitle());
    Tray->show();
  } else if (Tray) {
    Tray->hide();
  }
  lvModel_->SetFormattedSizes(settings_.Options.FormatSizes);
  ApplyCodePages();
}

void TfmVrt::ApplyCodePages() {
  const TCodePageOptions& pages = settings_.Options.CodePages;
  std::string page = CatalogCodePage(pages, settings_.Options.LanguageFile, {});
  TCatalogDecoders decoders{TTextDecoder(page)};
  for (const auto& [file, own] : pages.Catalogs) decoders.SetForFile(file, TTextDecoder(own));
  decoders_ = std::move(decoders);
  SetLegacyCodePage(decoders_.All().CodePage());  // texts shown without their catalog
  lvModel_->RefreshRows();
  trTree->viewport()->update();
}

void TfmVrt::RestoreApplication() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
}

void TfmVrt::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMinimized() && Tray && Tray->isVisible())
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) UpdateStatus();
}

void TfmVrt::ListenForRestore(TSingleInstance& instance) {
  connect(&instance, &TSingleInstance::openRequested, this, &TfmVrt::OpenRequestedFiles);
  connect(&instance, &TSingleInstance::restoreRequested, this, &TfmVrt::RestoreApplication);
}

void TfmVrt::OpenRequestedFiles(const QStringList& files) {
  requestedFiles_ += files;
  if (requestedFiles_.isEmpty()) return;
  // A dialog (a scan, a question) owns the catalogs now: try again once it is gone.
  if (QApplication::activeModalWidget() || (fmFind && fmFind->Searching())) {
    QTimer::singleShot(300, this, [this] { OpenRequestedFiles({}); });
    return;
  }
  std::vector<std::string> names;
  for (const QString& f : std::exchange(requestedFiles_, QStringList())) names.push_back(StdStr(f));
  OpenCatalogFiles(names);
}

bool TfmVrt::IsForeground() const {
  QWidget* active = QApplication::activeWindow();
  if (QApplication::activeModalWidget()) return false;
  return active == nullptr || active == this;
}

void TfmVrt::closeEvent(QCloseEvent* event) {
  // A running search reads the catalogs: they stay until it ends.
  if ((fmFind && fmFind->Searching()) || !files_->ExitQuery()) {
    event->ignore();
    return;
  }
  AfterClose();
  event->accept();
}

void TfmVrt::AfterClose() {
  if (fmFind && fmFind->isVisible()) fmFind->close();  // writes its options and layout
  if (fmUserList) {
    fmUserList->WriteLayout();
    fmUserList->hide();
  }
  WriteLayout();
  SaveListLayout();
  SaveSettings();
  hide();
  if (Tray) Tray->hide();
  // No keeps the extracted files (and their folder) for the user.
  if (!tempFiles_.Empty() && AskYesNoQ(nullptr, LangQ(10005))) tempFiles_.DeleteAll();
}

void TfmVrt::SaveSettings() {
  TError error = settings_.Save();
  (void)error;  // the settings are written again at exit; a failure here is not shown
}

void TfmVrt::ReadLayout() {
  QSettings ini(QString::fromStdString(LayoutFileName()), QSettings::IniFormat);
  ReadWindowPlacement(ini, QStringLiteral("fmVrtpos"), this, splitter_);
  TToolBarPlace file = ReadToolBarPlace(ini, QStringLiteral("FileBar"), 0);
  TToolBarPlace main = ReadToolBarPlace(ini, QStringLiteral("MainBar"), 50);
  PlaceToolBars(this, {{FileBar, file}, {MainBar, main}});
}

void TfmVrt::WriteLayout() {
  QSettings ini(QString::fromStdString(LayoutFileName()), QSettings::IniFormat);
  WriteWindowPlacement(ini, QStringLiteral("fmVrtpos"), this, splitter_);
  WriteToolBarPlace(ini, QStringLiteral("FileBar"), ToolBarPlaceOf(this, FileBar));
  WriteToolBarPlace(ini, QStringLiteral("MainBar"), ToolBarPlaceOf(this, MainBar));
  ini.sync();
}
