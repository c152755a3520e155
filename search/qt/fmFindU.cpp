// SPDX-License-Identifier: MIT
#include "search/qt/fmFindU.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Options.h"
#include "app/SizeTexts.h"
#include "app/qt/BusyCursor.h"
#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Images.h"
#include "app/qt/Prompts.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/ListHeader.h"
#include "mainwin/qt/VrtLayoutFile.h"
#include "mainwin/qt/fmVrtU.h"
#include "platform/DateTime.h"
#include "report/qt/fmReportU.h"
#include "scan/qt/DestinationCombo.h"
#include "search/ListCommands.h"
#include "search/ListSort.h"
#include "search/SearchWalk.h"
#include "search/qt/ResultList.h"
#include "store/CursorGuard.h"
#include "userlist/UserList.h"

namespace {

constexpr int kMaxHistory = 20;

bool SameText(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

double PickerValue(const QDateTimeEdit* picker) {
  return TimeToDateTime(static_cast<time_t>(picker->dateTime().toSecsSinceEpoch()));
}

TCheck CheckOf(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked:
      return TCheck::Checked;
    case Qt::Unchecked:
      return TCheck::Unchecked;
    default:
      return TCheck::Grayed;
  }
}

}  // namespace

// ---- the mask box ---------------------------------------------------------------------------

QString TMaskCombo::ClearEntryText() {
  return QStringLiteral("[ ") + LangQ(11006) + QStringLiteral(" ]");
}

void TMaskCombo::DropClearEntry() {
  if (count() > 0 && itemText(count() - 1) == ClearEntryText()) {
    QString text = currentText();
    removeItem(count() - 1);
    setEditText(text);
  }
}

void TMaskCombo::showPopup() {
  QString text = currentText();
  DropClearEntry();
  addItem(ClearEntryText());
  setEditText(text);
  QComboBox::showPopup();
}

void TMaskCombo::hidePopup() {
  QComboBox::hidePopup();
  // After the choice is handled: the entry stays only while the list is open.
  QTimer::singleShot(0, this, [this] {
    if (!view()->isVisible()) DropClearEntry();
  });
}

// ---- building -------------------------------------------------------------------------------

TfmFind::TfmFind(TfmVrt& main) : QMainWindow(&main, Qt::Window), main_(main), bd_(main.bdMain) {
  setObjectName(QStringLiteral("fmFind"));
  setWindowIcon(main.windowIcon());
  CreateActions();
  CreateControls();
  SetTexts();
  ReadPlacement();
  LoadResultColumns(main_, kOptFindColumns, LVF, sortColumn_, sortDescending_);
  for (const std::string& m : main_.Settings().Options.MaskHistory) cbMask->addItem(QStr(m));
  cbMask->setCurrentIndex(-1);
  cbMask->setEditText(QString());
  QDateTime now = QDateTime::currentDateTime();
  dp1->setDateTime(now);
  dp2->setDateTime(now);
  EnableDependents();
}

TfmFind::~TfmFind() = default;

void TfmFind::CreateActions() {
  filesMenu_ = MakeResultCommands(
      this, ResultCommandsOf(*this), [this](TFindItemCommand command) { RunItemCommand(command); },
      [this] { OpenFilesMenu(); });
  ActProperties->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_P),
                               QKeySequence(Qt::ALT | Qt::Key_Return),
                               QKeySequence(Qt::ALT | Qt::Key_Enter)});
  connect(ActGoto, &QAction::triggered, this, &TfmFind::GoTo);
  connect(ActDelete, &QAction::triggered, this, &TfmFind::RemoveFromResults);
  connect(ActReport, &QAction::triggered, this, [this] {
    if (!IsForeground() || searching_) return;
    TfmReport dlg(main_, this);
    dlg.ShowFor(TReportSource::SearchResults);
  });
  connect(ActHelp, &QAction::triggered, this, [this] {
    if (IsForeground()) ShowHelpTopic(QStringLiteral("Search.htm"));
  });
  connect(nnDelete, &QAction::triggered, this, &TfmFind::RemoveFromCatalog);

  auto make = [this](const char* name, const char* icon) {
    QAction* a = new QAction(this);
    a->setObjectName(QString::fromLatin1(name));
    if (icon) a->setIcon(CommandIcon(icon));
    addAction(a);
    return a;
  };
  ActUserView = make("ActUserView", "userlist");
  ActUserView->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
  ActUserAdd = make("ActUserAdd", nullptr);
  ActUserDelete = make("ActUserDelete", nullptr);
  ActUser = make("ActUser", "userlist");
  userMenu_ = new QMenu(this);
  userMenu_->addAction(ActUserAdd);
  userMenu_->addAction(ActUserDelete);
  userMenu_->addSeparator();
  userMenu_->addAction(ActUserView);
  ActUser->setMenu(userMenu_);
  connect(userMenu_, &QMenu::aboutToShow, this, &TfmFind::OpenUserMenu);
  connect(ActUser, &QAction::triggered, this, [this] { main_.OpenUserList(); });
  connect(ActUserView, &QAction::triggered, this, [this] {
    if (IsForeground()) main_.OpenUserList();
  });
  connect(ActUserAdd, &QAction::triggered, this, [this] {
    TResultViewRows rows(LVF);
    AddToUserList(bd_, &rows, mlFound, 0, [this] { main_.ReloadUserList(); });
  });
  connect(ActUserDelete, &QAction::triggered, this, [this] {
    TResultViewRows rows(LVF);
    RemoveFromUserList(bd_, &rows, mlFound, 0, [this] { main_.ReloadUserList(); });
  });
}

void TfmFind::CreateControls() {
  QWidget* central = new QWidget(this);
  setCentralWidget(central);
  QVBoxLayout* outer = new QVBoxLayout(central);
  outer->setContentsMargins(4, 4, 4, 0);

  QHBoxLayout* top = new QHBoxLayout;
  outer->addLayout(top);
  pcPages = new QTabWidget(central);
  pcPages->setObjectName(QStringLiteral("pcPages"));
  top->addWidget(pcPages, 1);

  // Page tsGen.
  tsGen = new QWidget;
  tsGen->setObjectName(QStringLiteral("tsGen"));
  QGridLayout* g = new QGridLayout(tsGen);
  lbFind = new QLabel(tsGen);
  cbMask = new TMaskCombo(tsGen);
  cbMask->setObjectName(QStringLiteral("cbMask"));
  cbMask->setEditable(true);
  cbMask->setInsertPolicy(QComboBox::NoInsert);
  cbMask->setMaxVisibleItems(kMaxHistory + 1);
  lbFind->setBuddy(cbMask);
  lbWhere = new QLabel(tsGen);
  cbDst = new TDestinationCombo(tsGen);
  cbDst->setObjectName(QStringLiteral("cbDst"));
  cbDst->setMaxVisibleItems(20);
  lbWhere->setBuddy(cbDst);
  lbCat = new QLabel(tsGen);
  cbCat = new QComboBox(tsGen);
  cbCat->setObjectName(QStringLiteral("cbCat"));
  lbCat->setBuddy(cbCat);
  cbInNames = new QCheckBox(tsGen);
  cbInDesc = new QCheckBox(tsGen);
  cbInArc = new QCheckBox(tsGen);
  for (QCheckBox* b : {cbInNames, cbInDesc, cbInArc}) b->setChecked(true);
  cbStopFind = new QCheckBox(tsGen);
  ndStopFind = new QSpinBox(tsGen);
  ndStopFind->setRange(0, 999999);
  ndStopFind->setValue(1000);
  ndStopFind->setButtonSymbols(QAbstractSpinBox::NoButtons);
  lbStopFind = new QLabel(tsGen);
  g->addWidget(lbFind, 0, 0);
  g->addWidget(cbMask, 0, 1, 1, 4);
  g->addWidget(lbWhere, 1, 0);
  g->addWidget(cbDst, 1, 1, 1, 4);
  g->addWidget(lbCat, 2, 0);
  g->addWidget(cbCat, 2, 1, 1, 4);
  QHBoxLayout* checks = new QHBoxLayout;
  checks->addWidget(cbInNames);
  checks->addWidget(cbInDesc);
  checks->addWidget(cbInArc);
  checks->addStretch(1);
  g->addLayout(checks, 3, 0, 1, 5);
  QHBoxLayout* stop = new QHBoxLayout;
  stop->addWidget(cbStopFind);
  stop->addWidget(ndStopFind);
  stop->addWidget(lbStopFind);
  stop->addStretch(1);
  g->addLayout(stop, 4, 0, 1, 5);
  g->setColumnStretch(1, 1);
  g->setRowStretch(5, 1);
  pcPages->addTab(tsGen, QString());

  // Page tsAdv.
  tsAdv = new QWidget;
  tsAdv->setObjectName(QStringLiteral("tsAdv"));
  QGridLayout* a = new QGridLayout(tsAdv);
  cbDate = new QCheckBox(tsAdv);
  dp1 = new QDateTimeEdit(tsAdv);
  dp2 = new QDateTimeEdit(tsAdv);
  for (QDateTimeEdit* dp : {dp1, dp2}) {
    dp->setCalendarPopup(true);
    dp->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
  }
  lbDatAnd = new QLabel(tsAdv);
  QHBoxLayout* dates = new QHBoxLayout;
  dates->addWidget(cbDate);
  dates->addWidget(dp1);
  dates->addWidget(lbDatAnd);
  dates->addWidget(dp2);
  dates->addStretch(1);
  a->addLayout(dates, 0, 0);
  QFrame* line1 = new QFrame(tsAdv);
  line1->setFrameShape(QFrame::HLine);
  a->addWidget(line1, 1, 0);
  cbSize = new QCheckBox(tsAdv);
  cbSize1 = new QComboBox(tsAdv);
  cbSize1->addItems({QStringLiteral("="), QStringLiteral(">"), QStringLiteral("<")});
  ndSize = new QSpinBox(tsAdv);
  ndSize->setRange(0, 2000000000);
  ndSize->setValue(1);
  ndSize->setButtonSymbols(QAbstractSpinBox::NoButtons);
  ndSize->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
  cbSize2 = new QComboBox(tsAdv);
  cbSize2->addItems({QString(), QString(), QString()});
  cbSize2->setCurrentIndex(1);
  QHBoxLayout* size = new QHBoxLayout;
  size->addWidget(cbSize);
  size->addWidget(cbSize1);
  size->addWidget(ndSize);
  size->addWidget(cbSize2);
  size->addStretch(1);
  a->addLayout(size, 2, 0);
  QFrame* line2 = new QFrame(tsAdv);
  line2->setFrameShape(QFrame::HLine);
  a->addWidget(line2, 3, 0);
  cbAttr = new QCheckBox(tsAdv);
  QHBoxLayout* attrs = new QHBoxLayout;
  attrs->addWidget(cbAttr);
  for (QCheckBox*& b : attrBoxes_) {
    b = new QCheckBox(tsAdv);
    b->setTristate(true);
    b->setCheckState(Qt::PartiallyChecked);
    attrs->addWidget(b);
  }
  attrs->addStretch(1);
  a->addLayout(attrs, 4, 0);
  a->setRowStretch(5, 1);
  pcPages->addTab(tsAdv, QString());

  // Buttons.
  QVBoxLayout* buttons = new QVBoxLayout;
  bkStart = new QPushButton(central);
  bkStart->setObjectName(QStringLiteral("bkStart"));
  bkStart->setDefault(true);
  bkStart->setAutoDefault(true);
  bkClose = new QPushButton(central);
  bkHelp = new QPushButton(central);
  buttons->addSpacing(pcPages->tabBar()->sizeHint().height());
  buttons->addWidget(bkStart);
  buttons->addWidget(bkClose);
  buttons->addWidget(bkHelp);
  buttons->addStretch(1);
  top->addLayout(buttons);
  connect(bkStart, &QPushButton::clicked, this, &TfmFind::Start);
  connect(bkClose, &QPushButton::clicked, this, &TfmFind::close);
  connect(bkHelp, &QPushButton::clicked, this, [] { ShowHelpTopic(QStringLiteral("Search.htm")); });
  connect(cbMask->lineEdit(), &QLineEdit::returnPressed, this, &TfmFind::Start);

  for (QCheckBox* b : {cbDate, cbSize, cbAttr, cbStopFind})
    connect(b, &QCheckBox::toggled, this, &TfmFind::EnableDependents);
  for (QCheckBox* b : {cbInNames, cbInDesc, cbInArc})
    connect(b, &QCheckBox::clicked, this, &TfmFind::UpdateStartButton);
  connect(cbMask, &QComboBox::activated, this, [this](int index) {
    if (index == cbMask->count() - 1 && cbMask->itemText(index) == TMaskCombo::ClearEntryText())
      ClearHistory();
  });

  // The results.
  LVF = new QTreeView(central);
  LVF->setObjectName(QStringLiteral("LVF"));
  model_ = new TItemListModel(bd_, mlFound, this);
  model_->SetDecoders(&main_.Decoders());
  SetUpResultView(LVF, model_);
  LVF->installEventFilter(this);
  outer->addWidget(LVF, 1);
  ConnectResultView(
      this, main_, LVF, sortColumn_, [this](int column) { ColumnClick(column); },
      [this] {
        SaveHeaderLayout(main_.Settings().bdOpt, kOptFindColumns, LVF, sortColumn_,
                         sortDescending_);
      },
      [this](const QPoint& pos) { ListContextMenu(pos); }, [this] { UpdateStatus(); });
  connect(LVF, &QTreeView::doubleClicked, this, [this] { ListDoubleClick(); });

  // The toolbar.
  tbSearchBar = new QToolBar(this);
  tbSearchBar->setObjectName(QStringLiteral("tbSearchBar"));
  FillResultBar(tbSearchBar, ResultCommandsOf(*this), ActUser);
  addToolBar(Qt::TopToolBarArea, tbSearchBar);

  // The status bar, with the search's progress after the first panel.
  pbProg = new QProgressBar(this);
  pbProg->setObjectName(QStringLiteral("pbProg"));
  pbProg->setRange(0, 100);
  pbProg->setMaximumWidth(100);
  pbProg->setTextVisible(false);
  pbProg->hide();
  MakeResultPanels(this, stPanels_, pbProg, false);
}

void TfmFind::SetTexts() {
  setWindowTitle(LangQ(1001));
  pcPages->setTabText(0, LangQ(1002));
  pcPages->setTabText(1, LangQ(1003));
  bkStart->setText(LangQ(1004));
  bkClose->setText(LangQ(1005));
  bkHelp->setText(LangQ(71));
  lbFind->setText(LangQ(1006));
  lbWhere->setText(LangQ(1007));
  cbInNames->setText(LangQ(1008));
  cbInDesc->setText(LangQ(1009));
  cbInArc->setText(LangQ(1033));
  cbStopFind->setText(LangQ(1010));
  lbStopFind->setText(LangQ(1011));
  lbCat->setText(LangQ(1034));
  cbDate->setText(LangQ(1012));
  lbDatAnd->setText(LangQ(1013));
  cbSize->setText(LangQ(1014));
  for (int i = 0; i < 3; ++i) cbSize2->setItemText(i, LangQ(1015 + i));
  cbAttr->setText(LangQ(1018));
  const int attrTexts[] = {1019, 1020, 1021, 1022, 1023};
  for (size_t i = 0; i < attrBoxes_.size(); ++i) attrBoxes_[i]->setText(LangQ(attrTexts[i]));
  SetResultCommandTexts(ResultCommandsOf(*this));
  SetCommandText(ActUserView, 36);
  SetCommandText(ActUserAdd, 37);
  SetCommandText(ActUserDelete, 38);
  SetCommandText(ActUser, 39);
  if (model_) {
    // Rows hold language texts too (disk types): they are formatted again.
    emit model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
    model_->RefreshRows();
    if (isVisible() && main_.Settings().Options.AdjustColumns) FitColumns(LVF, -1, sortColumn_);
  }
  if (cbCat && cbCat->count() > 0) cbCat->setItemText(0, LangQ(11007));
  if (cbDst && cbDst->count() > 0 && !cbDst->Entries().empty() && !cbDst->Entries()[0].Node)
    cbDst->setItemText(0, LangQ(11004));
  UpdateStatus();
}

// ---- placement ------------------------------------------------------------------------------

void TfmFind::ReadPlacement() {
  ReadResultPlacement(main_, this, QStringLiteral("fmFindpos"), tbSearchBar,
                      QStringLiteral("SearchBar"));
}

void TfmFind::WritePlacement() {
  QSettings ini(QString::fromStdString(main_.LayoutFileName()), QSettings::IniFormat);
  WriteWindowPlacement(ini, QStringLiteral("fmFindpos"), this, nullptr);
  WriteToolBarPlace(ini, QStringLiteral("SearchBar"), ToolBarPlaceOf(this, tbSearchBar));
  ini.sync();  // a failure to write the layout is ignored
}

// ---- showing --------------------------------------------------------------------------------

void TfmFind::ShowSearch(TNodeRec* startNode, bool allCatalogs) {
  bool wasHidden = !isVisible();
  startNode_ = startNode;
  allCatalogs_ = allCatalogs;
  if (wasHidden) {
    ReadSearchOptions();
    LVF->setFont(main_.List()->font());
    LVF->setPalette(main_.List()->palette());
    model_->SetFormattedSizes(main_.Settings().Options.FormatSizes);
    ShowSortMarks();
    ReloadResults();
    show();
  }
  raise();
  activateWindow();
  FillDestinations();
  pcPages->setCurrentWidget(tsGen);
  cbMask->setFocus();
  if (wasHidden) {
    FillCategories();
    UpdateStartButton();
    cbDate->setChecked(false);
    cbSize->setChecked(false);
    cbAttr->setChecked(false);
    EnableDependents();
  }
  UpdateStatus();
}

void TfmFind::FillDestinations() {
  std::vector<TDestination> found = ListDestinations(bd_.RootNode(), ikDisk);
  // The folders from the start node's disk down to the start node, after the disk.
  std::vector<TNodeRec*> chain;
  if (startNode_ && ItemKindOf(startNode_) >= ikFolder)
    for (TNodeRec* n = startNode_; n && ItemKindOf(n) >= ikFolder; n = n->Parent)
      chain.insert(chain.begin(), n);
  std::vector<TDestination> entries;
  entries.push_back({StdStr(LangQ(11004)), 0, 0, nullptr, -1});
  for (const TDestination& d : found) {
    entries.push_back(d);
    if (!chain.empty() && d.Node == chain.front()->Parent) {
      int level = d.Level;
      for (TNodeRec* f : chain)
        entries.push_back({std::string(ItemName(f)), ItemKindOf(f), ++level, f, TreeImageIndex(f)});
    }
  }
  cbDst->SetEntries(std::move(entries));
  int chosen = 0;
  if (!allCatalogs_)
    for (size_t i = 1; i < cbDst->Entries().size(); ++i)
      if (startNode_ && cbDst->Entries()[i].Node == startNode_) chosen = static_cast<int>(i);
  cbDst->setCurrentIndex(chosen);
}

void TfmFind::FillCategories() {
  QString chosen = cbCat->currentIndex() > 0 ? cbCat->currentText() : QString();
  cbCat->clear();
  cbCat->addItem(LangQ(11007));
  const TNodeRec* root = bd_.RootNode();
  for (int slot = 1; root && slot < root->SlotCount; ++slot) {
    const TNodeRec* catalog = NodeChild(root, slot);
    const TNodeRec* header = catalog ? NodeChild(catalog, 0) : nullptr;
    const TNodeRec* list = header ? NodeChild(header, kCatCategories) : nullptr;
    for (int k = 1; list && k < list->SlotCount; ++k) {
      const TNodeRec* e = NodeChild(list, k);
      if (!e) continue;
      QString name = QStr(FieldStr(e, kEntryName));
      if (name.isEmpty()) continue;
      bool there = false;
      for (int i = 0; i < cbCat->count() && !there; ++i) there = SameText(cbCat->itemText(i), name);
      if (!there) cbCat->addItem(name);
    }
  }
  int index = chosen.isEmpty() ? -1 : cbCat->findText(chosen, Qt::MatchFixedString);
  cbCat->setCurrentIndex(index > 0 ? index : 0);
}

void TfmFind::EnableDependents() {
  for (QWidget* w : std::initializer_list<QWidget*>{dp1, dp2, lbDatAnd})
    w->setEnabled(cbDate->isChecked());
  for (QWidget* w : std::initializer_list<QWidget*>{cbSize1, ndSize, cbSize2})
    w->setEnabled(cbSize->isChecked());
  for (QCheckBox* b : attrBoxes_) b->setEnabled(cbAttr->isChecked());
  ndStopFind->setEnabled(cbStopFind->isChecked());
}

void TfmFind::UpdateStartButton() {
  bkStart->setEnabled(!searching_ && (cbInNames->isChecked() || cbInDesc->isChecked()));
}

// ---- settings -------------------------------------------------------------------------------

void TfmFind::ReadSearchOptions() {
  TQDBase& opt = main_.Settings().bdOpt;
  opt.GoToDepth(0);
  EnterOptNode(opt, kOptFind);
  if (opt.CurrentNode()->SlotCount == 0) {
    opt.SetInt(kFindInNames, 1);
    opt.SetInt(kFindInDescriptions, 1);
    opt.SetInt(kFindInArchives, 1);
    opt.SetInt(kFindStopCount, 1000);
  }
  const TNodeRec* n = opt.CurrentNode();
  cbInNames->setChecked(OptInt(n, kFindInNames) != 0);
  cbInDesc->setChecked(OptInt(n, kFindInDescriptions) != 0);
  cbInArc->setChecked(OptInt(n, kFindInArchives) != 0);
  cbStopFind->setChecked(OptInt(n, kFindStopAtLimit) != 0);
  ndStopFind->setValue(std::clamp(OptInt(n, kFindStopCount), 0, 999999));
  opt.GoToDepth(0);
}

void TfmFind::WriteSearchOptions() {
  TQDBase& opt = main_.Settings().bdOpt;
  opt.GoToDepth(0);
  EnterOptNode(opt, kOptFind);
  opt.SetInt(kFindInNames, cbInNames->isChecked() ? 1 : 0);
  opt.SetInt(kFindInDescriptions, cbInDesc->isChecked() ? 1 : 0);
  opt.SetInt(kFindInArchives, cbInArc->isChecked() ? 1 : 0);
  opt.SetInt(kFindStopAtLimit, cbStopFind->isChecked() ? 1 : 0);
  opt.SetInt(kFindStopCount, ndStopFind->value());
  opt.GoToDepth(0);
}

void TfmFind::AddMaskToHistory(const QString& mask) {
  if (mask.isEmpty()) return;
  cbMask->DropClearEntry();
  for (int i = 0; i < cbMask->count(); ++i)
    if (SameText(cbMask->itemText(i), mask)) return;
  cbMask->insertItem(0, mask);
  while (cbMask->count() > kMaxHistory) cbMask->removeItem(cbMask->count() - 1);
  cbMask->setCurrentIndex(0);
  std::vector<std::string>& history = main_.Settings().Options.MaskHistory;
  history.insert(history.begin(), StdStr(mask));
  if (history.size() > static_cast<size_t>(kMaxHistory)) history.resize(kMaxHistory);
}

void TfmFind::ClearHistory() {
  cbMask->clear();
  cbMask->setEditText(QString());
  main_.Settings().Options.MaskHistory.clear();
  main_.SaveSettings();
}

// ---- the search -----------------------------------------------------------------------------

TFindControls TfmFind::ReadControls() const {
  TFindControls c;
  c.MaskText = StdStr(cbMask->currentText());
  c.InNames = cbInNames->isChecked();
  c.InDescriptions = cbInDesc->isChecked();
  c.InArchives = cbInArc->isChecked();
  c.DateOn = cbDate->isChecked();
  c.DateFrom = PickerValue(dp1);
  c.DateTo = PickerValue(dp2);
  c.SizeOn = cbSize->isChecked();
  c.SizeOp = cbSize1->currentIndex() < 0 ? soEqual : cbSize1->currentIndex();
  c.SizeValue = ndSize->value();
  c.SizeUnit = cbSize2->currentIndex();
  c.AttrOn = cbAttr->isChecked();
  c.Archive = CheckOf(cbA6);
  c.ReadOnly = CheckOf(cbA1);
  c.Hidden = CheckOf(cbA2);
  c.System = CheckOf(cbA3);
  c.Directory = CheckOf(cbA5);
  c.StopOn = cbStopFind->isChecked();
  c.StopCount = ndStopFind->value();
  return c;
}

void TfmFind::Start() {
  if (searching_ || !bkStart->isEnabled()) return;
  int chosen = cbDst->currentIndex();
  if (chosen < 0 || chosen >= static_cast<int>(cbDst->Entries().size())) return;
  const TNodeRec* scope = cbDst->Entries()[static_cast<size_t>(chosen)].Node;
  // An entry whose node was removed since the list was built is not searched: the list is
  // built again without it, for the user to choose anew.
  if (chosen > 0 && !scope) {
    FillDestinations();
    return;
  }
  AddMaskToHistory(cbMask->currentText().trimmed().isEmpty() ? QString() : cbMask->currentText());

  LVF->selectionModel()->clear();
  bd_.ClearMarkList(mlFound);
  ReloadResults();

  TFindParams params = CompileCriteria(ReadControls());
  searching_ = true;
  UpdateStartButton();
  pbProg->setValue(0);
  stPanels_[0]->setMinimumWidth(300);
  pbProg->show();
  std::string category = cbCat->currentIndex() > 0 ? StdStr(cbCat->currentText()) : std::string();
  {
    TBusyCursor busy;
    TSearchWalk walk(bd_, params);
    walk.Decoders = &main_.Decoders();
    walk.OnProgress = [this](int64_t visited, int64_t total, int found) {
      pbProg->setValue(total > 0 ? static_cast<int>(visited * 100 / total) : 0);
      stPanels_[0]->setText(
          LangFormatQ(11008, std::to_string(visited) + " / " + std::to_string(found)));
      // Repaint; input waits until the walk ends.
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    walk.Run(scope, category);
  }
  stPanels_[0]->setMinimumWidth(200);
  pbProg->hide();
  SortBy(sortColumn_, sortDescending_);
  searching_ = false;
  UpdateStartButton();
  ReloadResults();
  if (main_.Settings().Options.AdjustColumns) FitColumns(LVF, -1, sortColumn_);
  if (bd_.MarkCount(mlFound) == 0) ShowMessageQ(this, LangQ(11005));
}

void TfmFind::ReloadResults() {
  model_->ResetRows();
  UpdateStatus();
}

void TfmFind::ForgetStartNode(const TNodeRec* node, bool close) {
  if (!node) return;
  for (TDestination& d : cbDst->MutableEntries())
    if (d.Node && (d.Node == node || IsInside(d.Node, node))) d.Node = nullptr;
  if (startNode_ && (startNode_ == node || IsInside(startNode_, node))) {
    startNode_ = nullptr;
    if (close && isVisible()) this->close();
  }
}

// ---- sorting --------------------------------------------------------------------------------

void TfmFind::ShowSortMarks() {
  LVF->header()->setSortIndicator(sortColumn_,
                                  sortDescending_ ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TfmFind::SortBy(int column, bool descending) {
  sortColumn_ = column;
  sortDescending_ = descending;
  {
    TBusyCursor busy;
    stPanels_[1]->setText(LangFormatQ(11009, std::to_string(bd_.MarkCount(mlFound))));
    stPanels_[1]->repaint();
    SortResultView(bd_, mlFound, LVF, model_, column, descending, &main_.Decoders());
  }
  ShowSortMarks();
  UpdateStatus();
}

void TfmFind::ColumnClick(int column) {
  if (column == sortColumn_)
    SortBy(column, !sortDescending_);
  else
    SortBy(column, false);
}

// ---- status ---------------------------------------------------------------------------------

int TfmFind::FocusedRow() const {
  QModelIndex i = LVF->currentIndex();
  return i.isValid() ? i.row() : -1;
}

TNodeRec* TfmFind::FocusedItem() const { return FocusedViewItem(LVF, model_); }

std::vector<int> TfmFind::SelectedRows() const { return SelectedViewRows(LVF); }

QString TfmFind::StatusPanel(int panel) const {
  return panel >= 0 && panel < 3 ? stPanels_[static_cast<size_t>(panel)]->text() : QString();
}

void TfmFind::UpdateStatus() {
  if (!stPanels_[0] || searching_) return;
  ShowResultStatus(main_, mlFound, LVF, model_, stPanels_);
  EnableResultActions(ResultCommandsOf(*this).Focused(), FocusedItem(),
                      static_cast<bool>(ItemCommand));
}

// ---- commands -------------------------------------------------------------------------------

bool TfmFind::IsForeground() const { return IsResultWindowForeground(this); }

void TfmFind::GoTo() { GoToItemInMain(main_, FocusedItem()); }

void TfmFind::RemoveFromResults() {
  TResultViewRows rows(LVF);
  std::vector<int> entries = CollectSelected(bd_, rows, mlFound, 0, 0);
  if (entries.empty()) return;
  if (!AskYesNoQ(this, LangQ(11001))) return;
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) bd_.RemoveMark(mlFound, *it);
  LVF->selectionModel()->clear();
  ReloadResults();
  int rowsLeft = model_->rowCount();
  if (rowsLeft > 0) {
    int row = std::min(entries.front(), rowsLeft - 1);
    QModelIndex i = model_->index(row, 0);
    LVF->selectionModel()->setCurrentIndex(
        i, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    LVF->scrollTo(i);
  }
  UpdateStatus();
}

void TfmFind::RemoveFromCatalog() {
  RemoveSelectedFromCatalog(main_, LVF, model_);
  ReloadResults();
}

void TfmFind::RunItemCommand(TFindItemCommand command) {
  if (!ItemCommand) return;
  std::vector<TNodeRec*> items = ResultCommandItems(LVF, model_, command);
  // Catalogs have properties only alone, from the main window.
  if (command == TFindItemCommand::Properties)
    std::erase_if(items, [](TNodeRec* item) { return ItemKindOf(item) < ikGroup; });
  if (items.empty()) return;
  ItemCommand(command, items);
}

void TfmFind::OpenFilesMenu() {
  EnableResultFilesMenu(bd_, mlFound, LVF, static_cast<bool>(ItemCommand), ActFilesExtract,
                        {ActFilesCopy, ActFilesMove, ActFilesDelete});
}

void TfmFind::OpenUserMenu() {
  TResultViewRows rows(LVF);
  TUserListState state = UserListState(bd_, rows, mlFound, 0);
  ActUserAdd->setEnabled(state.CanAdd);
  ActUserDelete->setEnabled(state.CanRemove);
}

void TfmFind::ListContextMenu(const QPoint& pos) {
  ExecResultListMenu(this, LVF, model_, main_.MenuSheet(), ResultCommandsOf(*this), ActUser, pos,
                     [this] { UpdateStatus(); });
}

void TfmFind::ListDoubleClick() {
  if (SelectedRows().empty()) return;
  const TOptions& o = main_.Settings().Options;
  int action = (QApplication::keyboardModifiers() & Qt::AltModifier) ? o.AltDblClickAction
               : o.DblClickGoTo                                      ? 99
                                                                     : o.DblClickAction;
  TNodeRec* item = FocusedItem();
  if (!item) return;
  switch (action) {
    case 99:
      GoTo();
      break;
    case 2:
      RunItemCommand(IsContainer(item) && !(ItemFlagsOf(item) & ifArchive)
                         ? TFindItemCommand::Explore
                         : TFindItemCommand::Run);
      break;
    case 3:
      RunItemCommand(TFindItemCommand::Explore);
      break;
    case 1:
      if (ItemCommand) ItemCommand(TFindItemCommand::Properties, {item});
      break;
    default:
      break;
  }
}

// ---- events ---------------------------------------------------------------------------------

bool TfmFind::eventFilter(QObject* watched, QEvent* event) {
  if (watched == LVF && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
      RemoveFromResults();
      return true;
    }
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
        !(key->modifiers() & Qt::AltModifier)) {
      ListDoubleClick();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TfmFind::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !searching_) {
    close();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void TfmFind::closeEvent(QCloseEvent* event) {
  if (searching_) {
    event->ignore();
    return;
  }
  WriteSearchOptions();
  WritePlacement();
  SaveHeaderLayout(main_.Settings().bdOpt, kOptFindColumns, LVF, sortColumn_, sortDescending_);
  startNode_ = nullptr;
  QMainWindow::closeEvent(event);
}
