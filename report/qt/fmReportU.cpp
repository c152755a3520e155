// SPDX-License-Identifier: MIT
#include "report/qt/fmReportU.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Prompts.h"
#include "app/qt/Shell.h"
#include "mainwin/qt/ItemListModel.h"
#include "mainwin/qt/fmVrtU.h"
#include "platform/DateTime.h"
#include "report/ReportTitle.h"
#include "report/qt/fmReportOptU.h"
#include "search/qt/fmFindU.h"

namespace {

const TReportTestHooks* testHooks = nullptr;

// "HTML files (*.htm;*.html)|*.htm;*.html" as a file dialog's filter: "HTML files (*.htm *.html)".
QString DialogFilter(const QString& filter) {
  QString shown = filter.section(QLatin1Char('|'), 0, 0);
  shown.replace(QLatin1Char(';'), QLatin1Char(' '));
  return shown;
}

// The desktop as the export needs it.
class TDialogReportUi : public TReportUi {
 public:
  explicit TDialogReportUi(QWidget* parent) : parent_(parent) {}

  bool ChooseReportFile(const std::string& folder, const std::string& fileName,
                        const std::string& extension, const std::string& filter,
                        std::string& chosen) override {
    QString path;
    if (testHooks && testHooks->ChooseFile) {
      path = testHooks->ChooseFile(QStr(folder), QStr(fileName), QStr(extension), QStr(filter));
    } else {
      QFileDialog dlg(parent_, QString(), QStr(folder));
      dlg.setAcceptMode(QFileDialog::AcceptSave);
      dlg.setFileMode(QFileDialog::AnyFile);
      dlg.setNameFilter(DialogFilter(QStr(filter)));
      dlg.setDefaultSuffix(QStr(extension).mid(1));
      dlg.selectFile(QStr(fileName));
      if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
        path = dlg.selectedFiles().front();
    }
    if (path.isEmpty()) return false;
    chosen = StdStr(path);
    return true;
  }
  void ShowReportError(const std::string& reason) override { ShowErrorQ(parent_, QStr(reason)); }
  void PutOnClipboard(const std::string& text) override {
    QApplication::clipboard()->setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
  }
  void OpenReport(const std::string& path) override {
    if (testHooks && testHooks->Open)
      testHooks->Open(QStr(path));
    else
      ShellOpen(QStr(path));
  }

 private:
  QWidget* parent_;
};

}  // namespace

TColumnLayout HeaderColumnLayout(const QHeaderView* header) {
  TColumnLayout layout;
  if (!header) return layout;
  for (int c = 0; c < header->count(); ++c) {
    layout.Width.push_back(header->isSectionHidden(c) ? 0 : header->sectionSize(c));
    layout.Position.push_back(header->visualIndex(c));
  }
  return layout;
}

void TfmReport::SetTestHooks(const TReportTestHooks* hooks) { testHooks = hooks; }

TfmReport::TfmReport(TfmVrt& main, QWidget* parent) : QDialog(parent), main_(main) {
  setObjectName(QStringLiteral("fmReport"));
  setWindowTitle(PlainCaption(LangQ(2001)));

  cbCaption = new TMaskCombo(this);
  cbCaption->setObjectName(QStringLiteral("cbCaption"));
  cbCaption->setEditable(true);
  cbCaption->setInsertPolicy(QComboBox::NoInsert);
  cbCaption->lineEdit()->setMaxLength(static_cast<int>(kMaxReportTitleLength));
  cbCaption->setMinimumContentsLength(40);
  cbCaption->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  auto* lbCapRep = new QLabel(LangQ(2002));
  lbCapRep->setBuddy(cbCaption);

  cbType = new QComboBox(this);
  cbType->setObjectName(QStringLiteral("cbType"));
  for (int n : {12102, 12103, 12104}) cbType->addItem(LangQ(n));
  cbType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  auto* lbTypeRep = new QLabel(LangQ(2003));
  lbTypeRep->setBuddy(cbType);
  cbRun = new QCheckBox(LangQ(12750), this);
  cbRun->setObjectName(QStringLiteral("cbRun"));

  auto* lbSrc = new QLabel(LangQ(2004));
  rbSRC1 = new QRadioButton(LangQ(2011), this);
  rbSRC1->setObjectName(QStringLiteral("rbSRC1"));
  rbSRC2 = new QRadioButton(LangQ(2012), this);
  rbSRC2->setObjectName(QStringLiteral("rbSRC2"));
  rbSRC3 = new QRadioButton(LangQ(2013), this);
  rbSRC3->setObjectName(QStringLiteral("rbSRC3"));

  auto* head = new QGridLayout;
  head->addWidget(lbCapRep, 0, 0);
  head->addWidget(cbCaption, 0, 1, 1, 2);
  head->addWidget(lbTypeRep, 1, 0);
  head->addWidget(cbType, 1, 1);
  head->addWidget(cbRun, 1, 2);
  head->setColumnStretch(2, 1);
  auto* sources = new QHBoxLayout;
  sources->addWidget(lbSrc);
  sources->addWidget(rbSRC1);
  sources->addWidget(rbSRC2);
  sources->addWidget(rbSRC3);
  sources->addStretch(1);

  gbCol = new QGroupBox(LangQ(2005), this);
  gbCol->setObjectName(QStringLiteral("gbCol"));
  lvCol = new QTreeWidget(gbCol);
  lvCol->setObjectName(QStringLiteral("lvCol"));
  lvCol->setColumnCount(1);
  lvCol->setHeaderLabels({LangQ(2006)});
  lvCol->setRootIsDecorated(false);
  lvCol->setSelectionMode(QAbstractItemView::SingleSelection);
  lvCol->setUniformRowHeights(true);
  lvCol->setMinimumHeight(lvCol->fontMetrics().height() * 12);
  sbColSet = new QPushButton(LangQ(272), gbCol);
  sbColSet->setObjectName(QStringLiteral("sbColSet"));
  sbColReset = new QPushButton(LangQ(12751), gbCol);
  sbColReset->setObjectName(QStringLiteral("sbColReset"));
  sbUpCol = new QToolButton(gbCol);
  sbUpCol->setObjectName(QStringLiteral("sbUpCol"));
  sbUpCol->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
  sbUpCol->setToolTip(PlainCaption(LangQ(278)));
  sbDownCol = new QToolButton(gbCol);
  sbDownCol->setObjectName(QStringLiteral("sbDownCol"));
  sbDownCol->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
  sbDownCol->setToolTip(PlainCaption(LangQ(279)));
  sbFromList = new QPushButton(LangQ(2007), gbCol);
  sbFromList->setObjectName(QStringLiteral("sbFromList"));
  auto* moves = new QHBoxLayout;
  moves->addWidget(sbUpCol);
  moves->addWidget(sbDownCol);
  moves->addStretch(1);
  auto* colButtons = new QVBoxLayout;
  colButtons->addWidget(sbColSet);
  colButtons->addWidget(sbColReset);
  colButtons->addLayout(moves);
  colButtons->addWidget(sbFromList);
  colButtons->addStretch(1);
  auto* cols = new QHBoxLayout(gbCol);
  cols->addWidget(lvCol, 1);
  cols->addLayout(colButtons);

  bkOpt = new QPushButton(LangQ(2010), this);
  bkOpt->setObjectName(QStringLiteral("bkOpt"));
  bkStart = new QPushButton(LangQ(2008), this);
  bkStart->setObjectName(QStringLiteral("bkStart"));
  bkStart->setDefault(true);
  bkCancel = new QPushButton(LangQ(1005), this);
  bkCancel->setObjectName(QStringLiteral("bkCancel"));
  auto* foot = new QHBoxLayout;
  foot->addWidget(bkOpt);
  foot->addStretch(1);
  foot->addWidget(bkStart);
  foot->addWidget(bkCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(head);
  layout->addLayout(sources);
  layout->addWidget(gbCol, 1);
  layout->addLayout(foot);
  for (QPushButton* b : {sbColSet, sbColReset, sbFromList, bkOpt, bkCancel})
    b->setAutoDefault(false);

  connect(cbCaption, &QComboBox::activated, this, [this](int index) {
    if (index == cbCaption->count() - 1 &&
        cbCaption->itemText(index) == TMaskCombo::ClearEntryText())
      ClearTitleHistory();
  });
  connect(cbType, &QComboBox::currentIndexChanged, this, &TfmReport::UpdateButtons);
  connect(rbSRC1, &QRadioButton::clicked, this,
          [this] { ChooseSource(TReportSource::MainWindow); });
  connect(rbSRC2, &QRadioButton::clicked, this,
          [this] { ChooseSource(TReportSource::SearchResults); });
  connect(rbSRC3, &QRadioButton::clicked, this, [this] { ChooseSource(TReportSource::UserList); });
  connect(lvCol, &QTreeWidget::itemChanged, this, [this] {
    if (filling_) return;
    ReadChecks();
    UpdateButtons();
  });
  connect(lvCol, &QTreeWidget::currentItemChanged, this, &TfmReport::UpdateButtons);
  connect(sbColSet, &QPushButton::clicked, this, [this] { CheckAll(true); });
  connect(sbColReset, &QPushButton::clicked, this, [this] { CheckAll(false); });
  connect(sbUpCol, &QToolButton::clicked, this, [this] { MoveColumn(true); });
  connect(sbDownCol, &QToolButton::clicked, this, [this] { MoveColumn(false); });
  connect(sbFromList, &QPushButton::clicked, this, &TfmReport::ColumnsFromList);
  connect(bkStart, &QPushButton::clicked, this, &TfmReport::Export);
  connect(bkOpt, &QPushButton::clicked, this, &TfmReport::ShowOptions);
  connect(bkCancel, &QPushButton::clicked, this, &QDialog::reject);

  FillTitleBox();
}

TfmReport::~TfmReport() = default;

int TfmReport::ShowFor(TReportSource source, QHeaderView* userListHeader) {
  OpenFor(source, userListHeader);
  return exec();
}

void TfmReport::OpenFor(TReportSource source, QHeaderView* userListHeader) {
  userListHeader_ = userListHeader;
  TSettings& settings = main_.Settings();
  state_ = OpenReportDialog(settings.bdOpt, settings.Options, source,
                            main_.ListModel()->DiskLayout(), main_.SelectedTreeNode());
  filling_ = true;
  cbType->setCurrentIndex(
      state_.Type >= kReportHtml && state_.Type <= kReportClipboard ? state_.Type : -1);
  cbRun->setChecked(state_.OpenAfterExport);
  filling_ = false;
  ShowSource();
  cbCaption->setFocus();
}

void TfmReport::ChooseSource(TReportSource source) {
  TSettings& settings = main_.Settings();
  ChooseReportSource(settings.bdOpt, state_, source, main_.ListModel()->DiskLayout(),
                     main_.SelectedTreeNode());
  ShowSource();
}

void TfmReport::ShowSource() {
  rbSRC1->setChecked(state_.Source == TReportSource::MainWindow);
  rbSRC2->setChecked(state_.Source == TReportSource::SearchResults);
  rbSRC3->setChecked(state_.Source == TReportSource::UserList);
  cbCaption->setEditText(QStr(state_.Title));
  FillColumnBox();
  if (lvCol->topLevelItemCount() > 0) lvCol->setCurrentItem(lvCol->topLevelItem(0));
  UpdateButtons();
}

void TfmReport::FillTitleBox() {
  QString text = cbCaption->currentText();
  cbCaption->clear();
  for (const std::string& title : main_.Settings().Options.Report.TitleHistory)
    cbCaption->addItem(QStr(title));
  cbCaption->setEditText(text);
}

void TfmReport::FillColumnBox() {
  filling_ = true;
  lvCol->clear();
  for (const TReportColumnEntry& entry : state_.Columns) {
    auto* item = new QTreeWidgetItem(lvCol, {QStr(entry.Caption)});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, entry.Checked ? Qt::Checked : Qt::Unchecked);
  }
  filling_ = false;
}

void TfmReport::ReadChecks() {
  for (int i = 0; i < lvCol->topLevelItemCount() && i < int(state_.Columns.size()); ++i)
    state_.Columns[size_t(i)].Checked = lvCol->topLevelItem(i)->checkState(0) == Qt::Checked;
}

QHeaderView* TfmReport::SourceHeader() const {
  switch (state_.Source) {
    case TReportSource::MainWindow:
      return main_.List()->header();
    case TReportSource::SearchResults:
      return main_.SearchWindow() ? main_.SearchWindow()->LVF->header() : nullptr;
    case TReportSource::UserList:
      return userListHeader_.data();
  }
  return nullptr;
}

void TfmReport::UpdateButtons() {
  if (filling_) return;
  int row = lvCol->currentItem() ? lvCol->indexOfTopLevelItem(lvCol->currentItem()) : -1;
  int count = lvCol->topLevelItemCount();
  sbUpCol->setEnabled(row > 0);
  sbDownCol->setEnabled(row >= 0 && row < count - 1);
  QHeaderView* header = SourceHeader();
  sbFromList->setEnabled(header && header->count() == count &&
                         count ==
                             ReportColumnCount(ReportTableOf(state_.Source, state_.DiskLayout)));
  bkStart->setEnabled(ReportExportEnabled(state_.Columns));
  cbRun->setEnabled(ReportRunEnabled(cbType->currentIndex()));
}

void TfmReport::CheckAll(bool checked) {
  SetAllColumnChecks(state_.Columns, checked);
  FillColumnBox();
  UpdateButtons();
}

void TfmReport::MoveColumn(bool up) {
  QTreeWidgetItem* current = lvCol->currentItem();
  if (!current) return;
  ReadChecks();
  int row = lvCol->indexOfTopLevelItem(current);
  int moved =
      MoveReportColumn(main_.Settings().bdOpt, ReportTableOf(state_.Source, state_.DiskLayout),
                       state_.Columns, row, up);
  FillColumnBox();
  if (moved >= 0 && moved < lvCol->topLevelItemCount())
    lvCol->setCurrentItem(lvCol->topLevelItem(moved));
  lvCol->setFocus();
  UpdateButtons();
}

void TfmReport::ColumnsFromList() {
  QHeaderView* header = SourceHeader();
  if (!header) return;
  ReadChecks();
  if (!::ColumnsFromList(main_.Settings().bdOpt, ReportTableOf(state_.Source, state_.DiskLayout),
                         HeaderColumnLayout(header), state_.Columns))
    return;
  FillColumnBox();
  if (lvCol->topLevelItemCount() > 0) lvCol->setCurrentItem(lvCol->topLevelItem(0));
  UpdateButtons();
}

bool TfmReport::Export() {
  ReadChecks();
  state_.Type = cbType->currentIndex();
  state_.OpenAfterExport = cbRun->isChecked();
  state_.Title = StdStr(cbCaption->currentText());
  TSettings& settings = main_.Settings();
  TDialogReportUi ui(this);
  TReportStamp stamp;
  stamp.ProgramTitle = StdStr(main_.CaptionText());
  stamp.Now = testHooks && testHooks->Now ? testHooks->Now() : NowDateTime();
  bool written = ExportReport(main_.bdMain, settings.bdOpt, settings.Options, state_, ui, stamp,
                              &main_.Decoders());
  FillTitleBox();
  return written;
}

void TfmReport::ShowOptions() {
  TfmReportOpt dlg(
      main_.Settings().Options.Report, [this] { main_.SaveSettings(); }, this);
  dlg.ShowPageOf(cbType->currentIndex());
  dlg.exec();
}

void TfmReport::ClearTitleHistory() {
  main_.Settings().Options.Report.TitleHistory.clear();
  cbCaption->clear();
  cbCaption->setEditText(QString());
  main_.SaveSettings();
}

void TfmReport::done(int result) {
  ReadChecks();
  state_.Type = cbType->currentIndex();
  state_.OpenAfterExport = cbRun->isChecked();
  TSettings& settings = main_.Settings();
  CloseReportDialog(settings.bdOpt, settings.Options, state_);
  main_.SaveSettings();
  QDialog::done(result);
}

void TfmReport::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
    ShowHelpTopic(QStringLiteral("Report.htm"));
    return;
  }
  QDialog::keyPressEvent(event);
}
