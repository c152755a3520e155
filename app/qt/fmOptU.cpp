// SPDX-License-Identifier: MIT
#include "app/qt/fmOptU.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Language.h"
#include "app/Settings.h"
#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Prompts.h"
#include "app/qt/Shell.h"
#include "archive/ArchiveTypes.h"
#include "catalog/qt/GuiCatalogUi.h"
#include "mainwin/qt/InterfaceStyle.h"
#include "scan/DescRules.h"
#include "scan/qt/DescRulesPage.h"
#include "scan/qt/fmDescOptU.h"
#include "store/QDBase.h"

namespace {

// Texts of this dialog that are not in the design's table.
constexpr int kTxtFileMissing = 12790;      // File "%s" not found!
constexpr int kTxtAlreadyListed = 12791;    // Catalog "%s" is already in the list!
constexpr int kTxtNoFolder = 12792;         // Folder "%s" does not exist!
constexpr int kTxtNoFolderDefault = 12793;  // ... the default folder is used.
constexpr int kTxtFolderTitle = 12794;      // Default catalog folder
constexpr int kTxtFileManager = 12795;      // The desktop's file manager
constexpr int kTxtChooseProgram = 12796;    // Choose a program
constexpr int kTxtChooseColor = 12797;      // Choose...
constexpr int kTxtFont = 12798;             // Font...
constexpr int kTxtTextColor = 12799;        // Text Colour...
constexpr int kTxtSample = 12800;           // the sample text

int32_t ValueFromColor(const QColor& c) {
  return static_cast<int32_t>(static_cast<uint32_t>(c.red()) |
                              (static_cast<uint32_t>(c.green()) << 8) |
                              (static_cast<uint32_t>(c.blue()) << 16));
}

TFontOption FontOptionFrom(const QFont& font, int32_t color) {
  TFontOption f;
  f.Name = StdStr(font.family());
  f.Size = font.pointSize() > 0 ? font.pointSize() : 8;
  f.Style = (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) |
            (font.strikeOut() ? 8 : 0);
  f.Color = color;
  return f;
}

QFont ShownFont(const TFontOption& f) { return ViewLook(0, f, QApplication::font()).Font; }

QString FontText(const QFont& font) {
  QString text = font.family() + QStringLiteral(", ") + QString::number(font.pointSize());
  if (font.bold()) text += QStringLiteral(", B");
  if (font.italic()) text += QStringLiteral(", I");
  if (font.underline()) text += QStringLiteral(", U");
  if (font.strikeOut()) text += QStringLiteral(", S");
  return text;
}

// A colour box: the colour inside a black frame.
QIcon ColorSwatch(const QColor& color) {
  QPixmap pix(40, 16);
  pix.fill(Qt::transparent);
  QPainter p(&pix);
  p.fillRect(pix.rect(), Qt::black);
  p.fillRect(pix.rect().adjusted(1, 1, -1, -1), color);
  return QIcon(pix);
}

QToolButton* ArrowButton(QWidget* owner, QStyle::StandardPixmap icon, int hint) {
  auto* b = new QToolButton;
  b->setIcon(owner->style()->standardIcon(icon));
  b->setToolTip(PlainCaption(LangQ(hint)));
  return b;
}

}  // namespace

TfmOpt::TfmOpt(TSettings& settings, const std::string& languageFolder, QWidget* parent)
    : QDialog(parent), settings_(settings), languageFolder_(languageFolder) {
  setObjectName(QStringLiteral("fmOpt"));
  if (!languageFolder_.empty() && languageFolder_.back() != '/') languageFolder_ += '/';

  pc = new QTabWidget;
  pc->setObjectName(QStringLiteral("pc"));
  pc->setUsesScrollButtons(false);  // every page's tab shows: the dialog is as wide as they need
  tsGen = CreateGeneralPage();
  tsList = CreateListPage();
  tsArc = CreateArchivePage();
  tsDesc = CreateDescriptionPage();
  tsInter = CreateInterfacePage();
  tsLang = CreateLanguagePage();
  for (QWidget* page : {tsGen, tsList, tsArc, tsDesc, tsInter, tsLang}) pc->addTab(page, QString());

  bkHelp = new QPushButton;
  bkOk = new QPushButton;
  bkCancel = new QPushButton;
  bkApply = new QPushButton;
  bkOk->setDefault(true);  // Enter acts as OK
  for (QPushButton* b : {bkHelp, bkCancel, bkApply}) b->setAutoDefault(false);
  connect(bkHelp, &QPushButton::clicked, this, &TfmOpt::HelpClick);
  connect(bkOk, &QPushButton::clicked, this, &TfmOpt::accept);
  connect(bkCancel, &QPushButton::clicked, this, &TfmOpt::reject);
  connect(bkApply, &QPushButton::clicked, this, [this] { Apply(); });
  auto* foot = new QHBoxLayout;
  foot->addWidget(bkHelp);
  foot->addStretch(1);
  foot->addWidget(bkOk);
  foot->addWidget(bkCancel);
  foot->addWidget(bkApply);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pc, 1);
  layout->addLayout(foot);

  auto* help = new QAction(this);
  help->setShortcut(QKeySequence(Qt::Key_F1));
  help->setShortcutContext(Qt::WindowShortcut);
  connect(help, &QAction::triggered, this, &TfmOpt::HelpClick);
  addAction(help);

  ChooseCatalogFiles = [this](const std::string& folder) {
    return ChooseCatalogFilesToOpen(this, folder);
  };
  ChooseFolder = [this](const QString& start) {
    return BrowseForFolder(this, start, PlainCaption(LangQ(kTxtFolderTitle)));
  };
  ChooseProgram = [this](const QString& start) {
    QFileDialog dialog(this, PlainCaption(LangQ(kTxtChooseProgram)), start);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
  };
  ChooseColor = [this](QColor& color) {
    QColor chosen = QColorDialog::getColor(color, this);
    if (!chosen.isValid()) return false;
    color = chosen;
    return true;
  };
  ChooseFont = [this](QFont& font) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, font, this);
    if (ok) font = chosen;
    return ok;
  };
  ShowHelp = [](const QString& topic) { ShowHelpTopic(topic); };

  const std::pair<QObject*, const char*> names[] = {{tsGen, "tsGen"},
                                                    {tsList, "tsList"},
                                                    {tsArc, "tsArc"},
                                                    {tsDesc, "tsDesc"},
                                                    {tsInter, "tsInter"},
                                                    {tsLang, "tsLang"},
                                                    {cmMinToTray, "cmMinToTray"},
                                                    {gbCat, "gbCat"},
                                                    {rbCat0, "rbCat0"},
                                                    {rbCat1, "rbCat1"},
                                                    {rbCat2, "rbCat2"},
                                                    {lbCat, "lbCat"},
                                                    {sbAddCat, "sbAddCat"},
                                                    {sbDelCat, "sbDelCat"},
                                                    {sbUpCat, "sbUpCat"},
                                                    {sbDownCat, "sbDownCat"},
                                                    {edCatDefPath, "edCatDefPath"},
                                                    {sbCatDefPath, "sbCatDefPath"},
                                                    {cbAutoSaveExit, "cbAutoSaveExit"},
                                                    {cbBackCopy, "cbBackCopy"},
                                                    {cbExpandCat, "cbExpandCat"},
                                                    {rbEplorer0, "rbEplorer0"},
                                                    {rbEplorer1, "rbEplorer1"},
                                                    {edEplorer, "edEplorer"},
                                                    {sbEplorer, "sbEplorer"},
                                                    {cbGrid, "cbGrid"},
                                                    {cbUpLine, "cbUpLine"},
                                                    {cbFormatSize, "cbFormatSize"},
                                                    {cbAdjustColumns, "cbAdjustColumns"},
                                                    {cbAutoExpand, "cbAutoExpand"},
                                                    {cbDblClick1, "cbDblClick1"},
                                                    {cbDblClick2, "cbDblClick2"},
                                                    {cbDblClickGo, "cbDblClickGo"},
                                                    {cbScanArc, "cbScanArc"},
                                                    {clScanArc, "clScanArc"},
                                                    {sbArcOptSet, "sbArcOptSet"},
                                                    {sbArcOptReset, "sbArcOptReset"},
                                                    {cbImportDesc, "cbImportDesc"},
                                                    {clImpDesc, "clImpDesc"},
                                                    {sbDescOptSet, "sbDescOptSet"},
                                                    {sbDescOptReset, "sbDescOptReset"},
                                                    {sbDescOpt, "sbDescOpt"},
                                                    {sbUpDesc, "sbUpDesc"},
                                                    {sbDownDesc, "sbDownDesc"},
                                                    {cbMenuStyle, "cbMenuStyle"},
                                                    {pbFileColor, "pbFileColor"},
                                                    {pbFileColorSet, "pbFileColorSet"},
                                                    {pbTreeColor, "pbTreeColor"},
                                                    {pbTreeColorSet, "pbTreeColorSet"},
                                                    {cbSelFont, "cbSelFont"},
                                                    {sbFontSet, "sbFontSet"},
                                                    {sbFontColor, "sbFontColor"},
                                                    {lbFont1, "lbFont1"},
                                                    {lbFont2, "lbFont2"},
                                                    {lbFontSample, "lbFontSample"},
                                                    {cbLang, "cbLang"},
                                                    {lbLangCap, "lbLangCap"},
                                                    {bkHelp, "bkHelp"},
                                                    {bkOk, "bkOk"},
                                                    {bkCancel, "bkCancel"},
                                                    {bkApply, "bkApply"}};
  for (const auto& [object, name] : names) object->setObjectName(QString::fromLatin1(name));

  SetTexts();
  WatchChanges();
}

TfmOpt::~TfmOpt() = default;

// ---- building ---------------------------------------------------------------------------------

QWidget* TfmOpt::CreateGeneralPage() {
  auto* page = new QWidget;
  cmMinToTray = new QCheckBox;

  gbCat = new QGroupBox;
  rbCat0 = new QRadioButton;
  rbCat1 = new QRadioButton;
  rbCat2 = new QRadioButton;
  lbCat = new QListWidget;
  lbCat->setMinimumHeight(80);
  sbAddCat = new QPushButton;
  sbDelCat = new QPushButton;
  sbUpCat = ArrowButton(this, QStyle::SP_ArrowUp, 278);
  sbDownCat = ArrowButton(this, QStyle::SP_ArrowDown, 279);
  for (QPushButton* b : {sbAddCat, sbDelCat}) b->setAutoDefault(false);
  connect(sbAddCat, &QPushButton::clicked, this, &TfmOpt::sbAddCatClick);
  connect(sbDelCat, &QPushButton::clicked, this, &TfmOpt::sbDelCatClick);
  connect(sbUpCat, &QToolButton::clicked, this, [this] { MoveCatalog(-1); });
  connect(sbDownCat, &QToolButton::clicked, this, [this] { MoveCatalog(1); });
  connect(lbCat, &QListWidget::currentRowChanged, this, &TfmOpt::UpdateEnabled);
  connect(rbCat2, &QRadioButton::toggled, this, &TfmOpt::UpdateEnabled);
  auto* catButtons = new QVBoxLayout;
  catButtons->addWidget(sbAddCat);
  catButtons->addWidget(sbDelCat);
  auto* arrows = new QHBoxLayout;
  arrows->addWidget(sbUpCat);
  arrows->addWidget(sbDownCat);
  arrows->addStretch(1);
  catButtons->addLayout(arrows);
  catButtons->addStretch(1);
  auto* catRow = new QHBoxLayout;
  catRow->addWidget(lbCat, 1);
  catRow->addLayout(catButtons);
  auto* g = new QVBoxLayout(gbCat);
  g->addWidget(rbCat0);
  g->addWidget(rbCat1);
  g->addWidget(rbCat2);
  g->addLayout(catRow);

  lbDefPathCat = new QLabel;
  edCatDefPath = new QLineEdit;
  lbDefPathCat->setBuddy(edCatDefPath);
  sbCatDefPath = new QToolButton;
  sbCatDefPath->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  connect(sbCatDefPath, &QToolButton::clicked, this, &TfmOpt::sbCatDefPathClick);
  auto* pathRow = new QHBoxLayout;
  pathRow->addWidget(edCatDefPath, 1);
  pathRow->addWidget(sbCatDefPath);

  cbAutoSaveExit = new QCheckBox;
  cbBackCopy = new QCheckBox;
  cbExpandCat = new QCheckBox;

  gbExplorer = new QGroupBox;
  rbEplorer0 = new QRadioButton;
  rbEplorer1 = new QRadioButton;
  edEplorer = new QLineEdit;
  sbEplorer = new QToolButton;
  sbEplorer->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
  connect(sbEplorer, &QToolButton::clicked, this, &TfmOpt::sbEplorerClick);
  connect(rbEplorer1, &QRadioButton::toggled, this, &TfmOpt::UpdateEnabled);
  auto* programRow = new QHBoxLayout;
  programRow->addWidget(rbEplorer1);
  programRow->addWidget(edEplorer, 1);
  programRow->addWidget(sbEplorer);
  auto* e = new QVBoxLayout(gbExplorer);
  e->addWidget(rbEplorer0);
  e->addLayout(programRow);

  auto* layout = new QVBoxLayout(page);
  layout->addWidget(cmMinToTray);
  layout->addWidget(gbCat, 1);
  layout->addWidget(lbDefPathCat);
  layout->addLayout(pathRow);
  layout->addWidget(cbAutoSaveExit);
  layout->addWidget(cbBackCopy);
  layout->addWidget(cbExpandCat);
  layout->addWidget(gbExplorer);
  return page;
}

QWidget* TfmOpt::CreateListPage() {
  auto* page = new QWidget;
  cbGrid = new QCheckBox;
  cbUpLine = new QCheckBox;
  cbFormatSize = new QCheckBox;
  cbAdjustColumns = new QCheckBox;
  cbAutoExpand = new QCheckBox;
  gbDblClick = new QGroupBox;
  lbdblclick1 = new QLabel;
  lbdblclick2 = new QLabel;
  cbDblClick1 = new QComboBox;
  cbDblClick2 = new QComboBox;
  lbdblclick1->setBuddy(cbDblClick1);
  lbdblclick2->setBuddy(cbDblClick2);
  auto* form = new QFormLayout(gbDblClick);
  form->addRow(lbdblclick1, cbDblClick1);
  form->addRow(lbdblclick2, cbDblClick2);
  cbDblClickGo = new QCheckBox;
  auto* layout = new QVBoxLayout(page);
  for (QCheckBox* box : {cbGrid, cbUpLine, cbFormatSize, cbAdjustColumns, cbAutoExpand})
    layout->addWidget(box);
  layout->addWidget(gbDblClick);
  layout->addWidget(cbDblClickGo);
  layout->addStretch(1);
  return page;
}

QWidget* TfmOpt::CreateArchivePage() {
  return BuildArcTypesPage(
      this, {cbScanArc, clScanArc, sbArcOptSet, sbArcOptReset}, [this](bool) { UpdateEnabled(); },
      nullptr);
}

TDescRulesWidgets TfmOpt::DescRulesWidgets() {
  return {cbImportDesc, clImpDesc, sbDescOptSet, sbDescOptReset, sbDescOpt, sbUpDesc, sbDownDesc};
}

QWidget* TfmOpt::CreateDescriptionPage() {
  TDescRulesHandlers h;
  h.SetAll = [this](bool on) { CheckAllItems(clImpDesc, on); };
  h.Move = [this](int step) { MoveRule(step); };
  h.OpenRule = [this] { sbDescOptClick(); };
  h.UpdateButtons = [this] { UpdateEnabled(); };
  QWidget* page = BuildDescRulesPage(this, DescRulesWidgets(), h, nullptr);
  connect(clImpDesc, &QListWidget::itemChanged, this, [this] {
    if (filling_) return;
    std::vector<bool> enabled;
    for (int i = 0; i < clImpDesc->count(); ++i)
      enabled.push_back(clImpDesc->item(i)->checkState() == Qt::Checked);
    SetDescRulesEnabled(draft_.DescRules, enabled);
  });
  return page;
}

QWidget* TfmOpt::CreateInterfacePage() {
  auto* page = new QWidget;
  lbInter1 = new QLabel;
  lbInter2 = new QLabel;
  lbInter3 = new QLabel;
  lbInter4 = new QLabel;
  lbInter5 = new QLabel;
  cbMenuStyle = new QComboBox;
  lbInter1->setBuddy(cbMenuStyle);
  pbFileColor = new QToolButton;
  pbTreeColor = new QToolButton;
  pbFileColorSet = new QPushButton;
  pbTreeColorSet = new QPushButton;
  for (QToolButton* box : {pbFileColor, pbTreeColor}) box->setIconSize(QSize(40, 16));
  for (QPushButton* b : {pbFileColorSet, pbTreeColorSet}) b->setAutoDefault(false);
  lbInter2->setBuddy(pbFileColorSet);
  lbInter3->setBuddy(pbTreeColorSet);
  connect(pbFileColor, &QToolButton::clicked, this, &TfmOpt::ChooseListColor);
  connect(pbFileColorSet, &QPushButton::clicked, this, &TfmOpt::ChooseListColor);
  connect(pbTreeColor, &QToolButton::clicked, this, &TfmOpt::ChooseTreeColor);
  connect(pbTreeColorSet, &QPushButton::clicked, this, &TfmOpt::ChooseTreeColor);
  auto colorRow = [](QToolButton* box, QPushButton* button) {
    auto* row = new QHBoxLayout;
    row->addWidget(box);
    row->addWidget(button);
    row->addStretch(1);
    return row;
  };
  auto* grid = new QGridLayout;
  grid->addWidget(lbInter1, 0, 0);
  grid->addWidget(cbMenuStyle, 0, 1, Qt::AlignLeft);
  grid->addWidget(lbInter2, 1, 0);
  grid->addLayout(colorRow(pbFileColor, pbFileColorSet), 1, 1);
  grid->addWidget(lbInter3, 2, 0);
  grid->addLayout(colorRow(pbTreeColor, pbTreeColorSet), 2, 1);
  grid->setColumnStretch(1, 1);

  gbFonts = new QGroupBox;
  cbSelFont = new QComboBox;
  lbInter4->setBuddy(cbSelFont);
  sbFontSet = new QPushButton;
  sbFontColor = new QPushButton;
  for (QPushButton* b : {sbFontSet, sbFontColor}) b->setAutoDefault(false);
  connect(cbSelFont, qOverload<int>(&QComboBox::currentIndexChanged), this, &TfmOpt::ShowFonts);
  connect(sbFontSet, &QPushButton::clicked, this, &TfmOpt::sbFontSetClick);
  connect(sbFontColor, &QPushButton::clicked, this, &TfmOpt::sbFontColorClick);
  lbFont1 = new QLabel;
  lbFont2 = new QLabel;
  lbFontSample = new QLabel;
  lbFontSample->setAutoFillBackground(true);
  lbFontSample->setFrameShape(QFrame::Box);
  lbFontSample->setMinimumHeight(48);
  lbFontSample->setAlignment(Qt::AlignCenter);
  auto* choose = new QHBoxLayout;
  choose->addWidget(lbInter4);
  choose->addWidget(cbSelFont);
  choose->addWidget(sbFontSet);
  choose->addWidget(sbFontColor);
  choose->addStretch(1);
  auto* f = new QVBoxLayout(gbFonts);
  f->addLayout(choose);
  f->addWidget(lbFont1);
  f->addWidget(lbFont2);
  f->addWidget(lbInter5);
  f->addWidget(lbFontSample);

  auto* layout = new QVBoxLayout(page);
  layout->addLayout(grid);
  layout->addWidget(gbFonts);
  layout->addStretch(1);
  return page;
}

QWidget* TfmOpt::CreateLanguagePage() {
  auto* page = new QWidget;
  lbLangFile = new QLabel;
  cbLang = new QComboBox;
  lbLangFile->setBuddy(cbLang);
  lbLang = new QLabel;
  lbLangCap = new QLabel;
  lbLangCap->setTextFormat(Qt::PlainText);
  connect(cbLang, qOverload<int>(&QComboBox::currentIndexChanged), this,
          &TfmOpt::ShowLanguageCaption);
  auto* form = new QFormLayout;
  form->addRow(lbLangFile, cbLang);
  form->addRow(lbLang, lbLangCap);
  gbNotes = new QGroupBox;
  lbNote1 = new QLabel;
  lbNote2 = new QLabel;
  for (QLabel* l : {lbNote1, lbNote2}) l->setWordWrap(true);
  auto* n = new QVBoxLayout(gbNotes);
  n->addWidget(lbNote1);
  n->addWidget(lbNote2);
  auto* layout = new QVBoxLayout(page);
  layout->addLayout(form);
  layout->addWidget(gbNotes);
  layout->addStretch(1);
  return page;
}

void TfmOpt::SetTexts() {
  const bool was = filling_;
  filling_ = true;  // refilling the combo boxes is no change of the user's
  setWindowTitle(LangQ(1301));
  const int pageTexts[] = {1302, 1314, 1340, 1331, 1351, 1333};
  for (int i = 0; i < 6; ++i) pc->setTabText(i, LangQ(pageTexts[i]));
  cmMinToTray->setText(LangQ(1313));
  gbCat->setTitle(LangQ(1303));
  rbCat0->setText(LangQ(1304));
  rbCat1->setText(LangQ(1305));
  rbCat2->setText(LangQ(1306));
  sbAddCat->setText(LangQ(1307));
  sbDelCat->setText(LangQ(1308));
  lbDefPathCat->setText(LangQ(1309));
  sbCatDefPath->setToolTip(PlainCaption(LangQ(270)));
  cbAutoSaveExit->setText(LangQ(1310));
  cbBackCopy->setText(LangQ(1341));
  cbExpandCat->setText(LangQ(1342));
  gbExplorer->setTitle(LangQ(1311));
  rbEplorer0->setText(LangQ(kTxtFileManager));
  rbEplorer1->setText(LangQ(1312));
  sbEplorer->setToolTip(PlainCaption(LangQ(kTxtChooseProgram)));

  cbGrid->setText(LangQ(1315));
  cbUpLine->setText(LangQ(1316));
  cbFormatSize->setText(LangQ(1317));
  cbAdjustColumns->setText(LangQ(1343));
  cbAutoExpand->setText(LangQ(1318));
  gbDblClick->setTitle(LangQ(1319));
  lbdblclick1->setText(LangQ(1320));
  lbdblclick2->setText(LangQ(1321));
  for (QComboBox* box : {cbDblClick1, cbDblClick2}) {
    const int index = box->currentIndex();
    box->clear();
    for (int n = 1322; n <= 1325; ++n) box->addItem(LangQ(n));
    box->setCurrentIndex(index);
  }
  cbDblClickGo->setText(LangQ(1339));

  SetArcTypesPageTexts({cbScanArc, clScanArc, sbArcOptSet, sbArcOptReset});
  SetDescRulesPageTexts(DescRulesWidgets());
  sbUpCat->setToolTip(PlainCaption(LangQ(278)));
  sbDownCat->setToolTip(PlainCaption(LangQ(279)));

  lbInter1->setText(LangQ(1352));
  lbInter2->setText(LangQ(1353));
  lbInter3->setText(LangQ(1354));
  lbInter4->setText(LangQ(1355));
  lbInter5->setText(LangQ(1356));
  gbFonts->setTitle(LangQ(1357));
  {
    const int index = cbMenuStyle->currentIndex();
    cbMenuStyle->clear();
    cbMenuStyle->addItem(LangQ(1358));
    for (int k = 1; k <= 3; ++k) cbMenuStyle->addItem(LangQ(1359) + QStringLiteral(" %1").arg(k));
    cbMenuStyle->setCurrentIndex(index);
  }
  {
    const int index = cbSelFont->currentIndex();
    cbSelFont->clear();
    cbSelFont->addItem(LangQ(1360));
    cbSelFont->addItem(LangQ(1361));
    cbSelFont->setCurrentIndex(index < 0 ? 0 : index);
  }
  pbFileColorSet->setText(LangQ(kTxtChooseColor));
  pbTreeColorSet->setText(LangQ(kTxtChooseColor));
  pbFileColor->setToolTip(PlainCaption(LangQ(1353)));
  pbTreeColor->setToolTip(PlainCaption(LangQ(1354)));
  sbFontSet->setText(LangQ(kTxtFont));
  sbFontColor->setText(LangQ(kTxtTextColor));
  lbFontSample->setText(LangQ(kTxtSample));

  lbLangFile->setText(LangQ(1334));
  lbLang->setText(LangQ(1335));
  gbNotes->setTitle(LangQ(1336));
  lbNote1->setText(LangQ(1337));
  lbNote2->setText(LangQ(1338));

  bkHelp->setText(LangQ(71));
  bkOk->setText(LangQ(260));
  bkCancel->setText(LangQ(261));
  bkApply->setText(LangQ(1332));
  ShowFonts();
  ShowLanguageCaption();
  filling_ = was;
}

// Any change of a control enables Apply.
void TfmOpt::WatchChanges() {
  for (QCheckBox* box : findChildren<QCheckBox*>())
    connect(box, &QCheckBox::toggled, this, &TfmOpt::Changed);
  for (QRadioButton* rb : findChildren<QRadioButton*>())
    connect(rb, &QRadioButton::toggled, this, &TfmOpt::Changed);
  for (QComboBox* box : {cbDblClick1, cbDblClick2, cbMenuStyle, cbLang})
    connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this, &TfmOpt::Changed);
  for (QLineEdit* edit : {edCatDefPath, edEplorer})
    connect(edit, &QLineEdit::textChanged, this, &TfmOpt::Changed);
  for (QListWidget* list : {clScanArc, clImpDesc})
    connect(list, &QListWidget::itemChanged, this, &TfmOpt::Changed);
}

void TfmOpt::Changed() {
  if (!filling_) bkApply->setEnabled(true);
}

// ---- showing ----------------------------------------------------------------------------------

void TfmOpt::ShowPage(int page) {
  OpenPage(page);
  if (QScreen* screen = QApplication::primaryScreen()) {
    adjustSize();
    const QRect area = screen->availableGeometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
  }
  exec();
}

void TfmOpt::OpenPage(int page) {
  LoadOptionsDraft(settings_, draft_);
  Fill();
  pc->setCurrentIndex(page >= 0 && page < pc->count() ? page : 0);
}

int TfmOpt::CurrentPage() const { return pc->currentIndex(); }

void TfmOpt::Fill() {
  filling_ = true;
  const TOptions& o = draft_.Options;
  cmMinToTray->setChecked(o.MinToTray);
  (o.StartupMode == 0 ? rbCat0 : o.StartupMode == 2 ? rbCat2 : rbCat1)->setChecked(true);
  FillStartupList(0);
  edCatDefPath->setText(QStr(o.CatalogFolder));
  cbAutoSaveExit->setChecked(o.SaveAllAtExit);
  cbBackCopy->setChecked(o.BackupCopies);
  cbExpandCat->setChecked(o.ExpandOnOpen);
  (o.UseAltShell ? rbEplorer1 : rbEplorer0)->setChecked(true);
  edEplorer->setText(QStr(o.AltShell));

  cbGrid->setChecked(o.GridLines);
  cbUpLine->setChecked(o.UpLine);
  cbFormatSize->setChecked(o.FormatSizes);
  cbAdjustColumns->setChecked(o.AdjustColumns);
  cbAutoExpand->setChecked(o.AutoExpand);
  cbDblClick1->setCurrentIndex(o.DblClickAction >= 0 && o.DblClickAction <= 3 ? o.DblClickAction
                                                                              : 0);
  cbDblClick2->setCurrentIndex(
      o.AltDblClickAction >= 0 && o.AltDblClickAction <= 3 ? o.AltDblClickAction : 0);
  cbDblClickGo->setChecked(o.DblClickGoTo);

  cbScanArc->setChecked(o.ScanArchives);
  FillArchiveList();
  cbImportDesc->setChecked(o.ImportDescriptions);
  FillRuleList(0);

  const int style = draft_.Ui.MenuStyle;
  cbMenuStyle->setCurrentIndex(style >= 0 && style <= 3 ? style : 0);
  cbSelFont->setCurrentIndex(0);
  ShowColors();
  ShowFonts();
  FillLanguages();
  filling_ = false;
  UpdateEnabled();
  bkApply->setEnabled(false);
}

void TfmOpt::FillStartupList(int select) {
  const bool was = filling_;
  filling_ = true;
  lbCat->clear();
  for (const std::string& file : draft_.Options.StartupCatalogs) lbCat->addItem(QStr(file));
  if (select >= 0 && select < lbCat->count()) lbCat->setCurrentRow(select);
  filling_ = was;
  UpdateEnabled();
}

void TfmOpt::FillArchiveList() {
  const bool was = filling_;
  filling_ = true;
  clScanArc->clear();
  const std::vector<TArchiveTypeRow> rows = ReadArchiveTypes(settings_.bdOpt);
  for (size_t k = 0; k < rows.size(); ++k) {
    std::string text = rows[k].Name;
    if (!rows[k].Masks.empty()) {
      text += " (";
      for (size_t i = 0; i < rows[k].Masks.size(); ++i) {
        if (i) text += ", ";
        text += rows[k].Masks[i].Text();
      }
      text += ")";
    }
    auto* item = new QListWidgetItem(QStr(text), clScanArc);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    const bool on = k < draft_.ArchiveEnabled.size() && draft_.ArchiveEnabled[k];
    item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
  filling_ = was;
}

void TfmOpt::FillRuleList(int select) {
  const bool was = filling_;
  filling_ = true;
  FillDescRulesList(clImpDesc, draft_.DescRules, select);
  filling_ = was;
  UpdateEnabled();
}

void TfmOpt::FillLanguages() {
  cbLang->clear();
  QDir dir(QStr(languageFolder_));
  for (const QFileInfo& fi : dir.entryInfoList({QStringLiteral("*.lng")}, QDir::Files, QDir::Name))
    cbLang->addItem(fi.fileName());
  cbLang->setCurrentIndex(cbLang->findText(QStr(draft_.Options.LanguageFile)));
  ShowLanguageCaption();
}

void TfmOpt::ShowLanguageCaption() {
  if (!lbLangCap || !cbLang) return;
  QString text;
  if (cbLang->currentIndex() >= 0) {
    TLangTable table;
    table.LoadFromFile(languageFolder_ + StdStr(cbLang->currentText()));
    text = table.Loaded() ? QStr(table.FirstLine()) : LangQ(12001);
  }
  lbLangCap->setText(text);
}

void TfmOpt::ShowColors() {
  pbFileColor->setIcon(ColorSwatch(ColorFromValue(draft_.Ui.ListColor)));
  pbTreeColor->setIcon(ColorSwatch(ColorFromValue(draft_.Ui.TreeColor)));
  ShowFonts();
}

void TfmOpt::ShowFonts() {
  if (!lbFont1 || !cbSelFont) return;
  lbFont1->setText(LangQ(1360) + QStringLiteral(": ") + FontText(ShownFont(draft_.Ui.TreeFont)));
  lbFont2->setText(LangQ(1361) + QStringLiteral(": ") + FontText(ShownFont(draft_.Ui.ListFont)));
  const bool tree = cbSelFont->currentIndex() != 1;
  const TFontOption& f = tree ? draft_.Ui.TreeFont : draft_.Ui.ListFont;
  lbFontSample->setFont(ShownFont(f));
  QPalette p = lbFontSample->palette();
  p.setColor(QPalette::Window, ColorFromValue(tree ? draft_.Ui.TreeColor : draft_.Ui.ListColor));
  p.setColor(QPalette::WindowText, ColorFromValue(f.Color));
  lbFontSample->setPalette(p);
}

void TfmOpt::UpdateEnabled() {
  if (!lbCat) return;
  const bool list = rbCat2->isChecked();
  const int cat = lbCat->currentRow();
  lbCat->setEnabled(list);
  sbAddCat->setEnabled(list);
  sbDelCat->setEnabled(list && cat >= 0);
  sbUpCat->setEnabled(list && cat > 0);
  sbDownCat->setEnabled(list && cat >= 0 && cat < lbCat->count() - 1);
  const bool program = rbEplorer1->isChecked();
  edEplorer->setEnabled(program);
  sbEplorer->setEnabled(program);
  EnableArcTypesPage({cbScanArc, clScanArc, sbArcOptSet, sbArcOptReset});
  EnableDescRulesPage(DescRulesWidgets());
}

// ---- page 0 -----------------------------------------------------------------------------------

void TfmOpt::sbAddCatClick() {
  const std::vector<std::string> files = ChooseCatalogFiles(draft_.Options.CatalogFolder);
  if (files.empty()) return;
  for (const std::string& file : files) {
    switch (AddStartupCatalog(draft_.Options.StartupCatalogs, file)) {
      case TStartupAdd::Missing:
        ShowMessageQ(this, LangFormatQ(kTxtFileMissing, file), TPromptKind::Warning);
        break;
      case TStartupAdd::Duplicate:
        ShowMessageQ(this, LangFormatQ(kTxtAlreadyListed, file), TPromptKind::Warning);
        break;
      case TStartupAdd::Added:
        Changed();
        break;
    }
  }
  FillStartupList(static_cast<int>(draft_.Options.StartupCatalogs.size()) - 1);
}

void TfmOpt::sbDelCatClick() {
  const int row = lbCat->currentRow();
  if (row < 0) return;
  const int select = DeleteStartupCatalog(draft_.Options.StartupCatalogs, row);
  FillStartupList(select);
  Changed();
}

void TfmOpt::MoveCatalog(int delta) {
  const int row = lbCat->currentRow();
  const int to = MoveStartupCatalog(draft_.Options.StartupCatalogs, row, delta);
  if (to == row) return;
  FillStartupList(to);
  Changed();
}

void TfmOpt::sbCatDefPathClick() {
  const QString chosen = ChooseFolder(edCatDefPath->text());
  if (chosen.isEmpty()) return;
  if (!QFileInfo(chosen).isDir()) {
    ShowMessageQ(this, LangFormatQ(kTxtNoFolder, StdStr(chosen)), TPromptKind::Warning);
    return;
  }
  QString folder = chosen;
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  edCatDefPath->setText(folder);
}

void TfmOpt::sbEplorerClick() {
  // The program part of the template: up to the closing quote, or to the first space.
  QString text = edEplorer->text().trimmed();
  QString program;
  if (text.startsWith(QLatin1Char('"')))
    program = text.mid(1).section(QLatin1Char('"'), 0, 0);
  else
    program = text.section(QLatin1Char(' '), 0, 0);
  const QString start = program.isEmpty() ? QString() : QFileInfo(program).absolutePath();
  const QString chosen = ChooseProgram(start);
  if (chosen.isEmpty()) return;
  if (!QFileInfo(chosen).isFile()) {
    ShowMessageQ(this, LangFormatQ(kTxtFileMissing, StdStr(chosen)), TPromptKind::Warning);
    return;
  }
  edEplorer->setText(QLatin1Char('"') + chosen + QLatin1Char('"'));
}

// ---- page 3 -----------------------------------------------------------------------------------

void TfmOpt::MoveRule(int delta) {
  const int row = clImpDesc->currentRow();
  const int to = MoveDescRule(draft_.DescRules, row, delta);
  if (to == row) return;
  FillRuleList(to);
  Changed();
}

void TfmOpt::sbDescOptClick() {
  const int row = clImpDesc->currentRow();
  const TNodeRec* rule = NodeChild(draft_.DescRules.RootNode(), row + 1);
  if (row < 0 || !rule || !clImpDesc->isEnabled()) return;
  TfmDescOpt dialog(draft_.DescRules, RuleSlotInt(rule, rsReader), this);
  if (dialog.exec() == QDialog::Accepted) Changed();
  draft_.DescRules.GoToDepth(0);
  FillRuleList(row);
}

// ---- page 4 -----------------------------------------------------------------------------------

void TfmOpt::ChooseListColor() {
  QColor color = ColorFromValue(draft_.Ui.ListColor);
  if (!ChooseColor(color)) return;
  draft_.Ui.ListColor = ValueFromColor(color);
  ShowColors();
  Changed();
}

void TfmOpt::ChooseTreeColor() {
  QColor color = ColorFromValue(draft_.Ui.TreeColor);
  if (!ChooseColor(color)) return;
  draft_.Ui.TreeColor = ValueFromColor(color);
  ShowColors();
  Changed();
}

TFontOption& TfmOpt::SelectedFont() {
  return cbSelFont->currentIndex() == 1 ? draft_.Ui.ListFont : draft_.Ui.TreeFont;
}

void TfmOpt::sbFontSetClick() {
  TFontOption& option = SelectedFont();
  QFont font = ShownFont(option);
  if (!ChooseFont(font)) return;
  option = FontOptionFrom(font, option.Color);
  ShowFonts();
  Changed();
}

void TfmOpt::sbFontColorClick() {
  TFontOption& option = SelectedFont();
  QColor color = ColorFromValue(option.Color);
  if (!ChooseColor(color)) return;
  option.Color = ValueFromColor(color);
  ShowFonts();
  Changed();
}

// ---- help, apply, OK --------------------------------------------------------------------------

QString TfmOpt::HelpTopic(int page) {
  switch (page) {
    case pgLists:
      return QStringLiteral("FileListOptions.htm");
    case pgArchives:
      return QStringLiteral("ArcOptions.htm");
    case pgDescriptions:
      return QStringLiteral("DescOptions.htm");
    case pgInterface:
      return QStringLiteral("InterOptions.htm");
    default:
      return QStringLiteral("GeneralOptions.htm");
  }
}

void TfmOpt::HelpClick() { ShowHelp(HelpTopic(CurrentPage())); }

void TfmOpt::ReadControls() {
  TOptions& o = draft_.Options;
  o.MinToTray = cmMinToTray->isChecked();
  o.StartupMode = rbCat0->isChecked() ? 0 : rbCat2->isChecked() ? 2 : 1;
  o.CatalogFolder = StdStr(edCatDefPath->text().trimmed());
  o.ExpandOnOpen = cbExpandCat->isChecked();
  o.SaveAllAtExit = cbAutoSaveExit->isChecked();
  o.BackupCopies = cbBackCopy->isChecked();
  o.AltShell = StdStr(edEplorer->text());
  o.UseAltShell = rbEplorer1->isChecked();
  o.GridLines = cbGrid->isChecked();
  o.UpLine = cbUpLine->isChecked();
  o.FormatSizes = cbFormatSize->isChecked();
  o.AdjustColumns = cbAdjustColumns->isChecked();
  o.AutoExpand = cbAutoExpand->isChecked();
  o.DblClickAction = cbDblClick1->currentIndex();
  o.AltDblClickAction = cbDblClick2->currentIndex();
  o.DblClickGoTo = cbDblClickGo->isChecked();
  o.ScanArchives = cbScanArc->isChecked();
  draft_.ArchiveEnabled.clear();
  for (int i = 0; i < clScanArc->count(); ++i)
    draft_.ArchiveEnabled.push_back(clScanArc->item(i)->checkState() == Qt::Checked);
  o.ImportDescriptions = cbImportDesc->isChecked();
  std::vector<bool> rules;
  for (int i = 0; i < clImpDesc->count(); ++i)
    rules.push_back(clImpDesc->item(i)->checkState() == Qt::Checked);
  SetDescRulesEnabled(draft_.DescRules, rules);
  draft_.Ui.MenuStyle = cbMenuStyle->currentIndex() < 0 ? 0 : cbMenuStyle->currentIndex();
  o.LanguageFile = cbLang->currentIndex() < 0 ? std::string(kDefaultLanguageFile)
                                              : StdStr(cbLang->currentText());
}

bool TfmOpt::Apply() {
  if (!bkApply->isEnabled()) return false;
  ReadControls();
  const TOptionsApplied result = ApplyOptionsDraft(draft_, settings_);
  if (result.CatalogFolderReplaced)
    ShowMessageQ(this, LangFormatQ(kTxtNoFolderDefault, StdStr(edCatDefPath->text().trimmed())),
                 TPromptKind::Warning);
  filling_ = true;
  edCatDefPath->setText(QStr(draft_.Options.CatalogFolder));
  filling_ = false;
  bkApply->setEnabled(false);
  if (Applied) Applied(result);
  return true;
}

void TfmOpt::accept() {
  Apply();
  QDialog::accept();
}
