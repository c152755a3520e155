// SPDX-License-Identifier: MIT
#include "mainwin/qt/fmPropItemU.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Options.h"
#include "app/SizeTexts.h"
#include "app/qt/BusyCursor.h"
#include "app/qt/DialogButtons.h"
#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Images.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"
#include "platform/DateTime.h"
#include "scan/qt/fmDiskDescU.h"

namespace {

constexpr size_t PageIndex(TPropPage page) { return static_cast<size_t>(page); }

QString SizeText(int64_t size) { return QString::fromStdString(FormatSizeUnits(size)); }
QString CountText(int64_t count) { return QString::number(count); }
QString DateText(double date) { return QString::fromStdString(FormatDateTime(date)); }

QLabel* ValueLabel() {
  auto* label = new QLabel;
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

void FillBox(QComboBox* box, const std::vector<std::string>& names, int index) {
  box->clear();
  for (const std::string& name : names) box->addItem(QStr(name));
  box->setCurrentIndex(index >= 0 && index < box->count() ? index : 0);
}

// The shell's name of the type of a file, from its name only.
QString FileTypeText(const std::string& name) {
  QMimeType type = QMimeDatabase().mimeTypeForFile(QStr(name), QMimeDatabase::MatchExtension);
  return type.isDefault() ? QString() : type.comment();
}

int RootSlotOf(const TQDBase& bd, const TNodeRec* catalog) {
  const TNodeRec* root = bd.RootNode();
  for (int i = 1; i < root->SlotCount; ++i)
    if (NodeChild(root, i) == catalog) return i;
  return -1;
}

}  // namespace

TfmPropItem::TfmPropItem(TCatalogEditor& editor, TSettings& settings, QWidget* parent)
    : QDialog(parent), editor_(editor), settings_(settings) {
  setObjectName(QStringLiteral("fmPropItem"));
  setWindowTitle(LangQ(1601));
  pc = new QTabWidget(this);
  pc->setObjectName(QStringLiteral("pc"));
  CreatePages();
  connect(pc, &QTabWidget::currentChanged, this, [this](int index) {
    QWidget* page = pc->widget(index);
    const std::array<QWidget*, 6> pages{tsCat, tsGroup, tsDisk, tsFolder, tsFile, tsSel};
    for (size_t i = 0; i < pages.size(); ++i)
      if (pages[i] == page) FillPage(static_cast<TPropPage>(i));
  });
  TOkCancelRow buttons = MakeOkCancelRow(
      this, [this] { bkOkClick(); }, false);
  bkOk = buttons.Ok;
  bkCancel = buttons.Cancel;
  bkOk->setObjectName(QStringLiteral("bkOk"));
  bkCancel->setObjectName(QStringLiteral("bkCancel"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pc, 1);
  layout->addLayout(buttons.Layout);
  SetWrap(settings_.Options.WrapDescriptions);
  auto* help = new QAction(this);
  help->setShortcut(QKeySequence(Qt::Key_F1));
  connect(help, &QAction::triggered, this, [] { ShowHelpTopic(QStringLiteral("Properties.htm")); });
  addAction(help);
}

TfmPropItem::~TfmPropItem() = default;

QWidget* TfmPropItem::MemoRow(QPlainTextEdit*& memo, int wrapIndex, QToolButton** oem) {
  static const char* const kWrapNames[] = {"sbWrapCat",    "sbWrapGroup", "sbWrapDisk",
                                           "sbWrapFolder", "sbWrapFile",  "sbWrapSel"};
  auto* box = new QWidget;
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  auto* head = new QHBoxLayout;
  auto* caption = new QLabel(LangQ(1609));
  head->addWidget(caption, 1);
  if (oem) {
    *oem = new QToolButton;
    (*oem)->setText(PlainCaption(LangQ(713)));
    (*oem)->setToolTip(PlainCaption(LangQ(713)));
    QPlainTextEdit** target = &memo;
    connect(*oem, &QToolButton::clicked, this, [target] {
      QPlainTextEdit* m = *target;
      QString text = m->toPlainText();
      if (text.isEmpty()) return;
      m->setPlainText(QString::fromStdString(OemToAnsiText(StdStr(text))));
    });
    head->addWidget(*oem);
  }
  QToolButton* wrap = new QToolButton;
  wrap->setObjectName(QString::fromLatin1(kWrapNames[wrapIndex]));
  wrap->setText(LangQ(1632));
  wrap->setCheckable(true);
  connect(wrap, &QToolButton::clicked, this, [this](bool on) { SetWrap(on); });
  sbWrap[static_cast<size_t>(wrapIndex)] = wrap;
  head->addWidget(wrap);
  v->addLayout(head);
  memo = new QPlainTextEdit;
  memo->setTabChangesFocus(true);
  memo->setMinimumSize(memo->fontMetrics().averageCharWidth() * 56,
                       memo->fontMetrics().lineSpacing() * 6);
  caption->setBuddy(memo);
  v->addWidget(memo, 1);
  return box;
}

QWidget* TfmPropItem::ListBox(QComboBox*& box, TListKind kind) {
  auto* w = new QWidget;
  auto* h = new QHBoxLayout(w);
  h->setContentsMargins(0, 0, 0, 0);
  box = new QComboBox;
  box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  box->setMinimumContentsLength(16);
  h->addWidget(box, 1);
  auto* edit = new QToolButton;
  edit->setText(QStringLiteral("..."));
  edit->setToolTip(LangQ(kind == TListKind::Categories ? 1634 : 1635));
  connect(edit, &QToolButton::clicked, this, [this, kind] { EditListsClick(kind); });
  (kind == TListKind::Categories ? sbEditCat : sbEditLoc).push_back(edit);
  h->addWidget(edit);
  return w;
}

void TfmPropItem::CreatePages() {
  // Every page belongs to the dialog, also while no tab shows it (a selection of files never
  // shows the catalog page); hidden until a tab takes it.
  auto page = [this](const char* name) {
    auto* w = new QWidget(this);
    w->setObjectName(QString::fromLatin1(name));
    w->hide();
    return w;
  };
  auto form = [](QWidget* w) {
    auto* v = new QVBoxLayout(w);
    auto* f = new QFormLayout;
    f->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    v->addLayout(f);
    return std::make_pair(v, f);
  };
  auto nameEdit = [](const char* name, bool readOnly) {
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(readOnly);
    return e;
  };
  auto value = [](QLabel*& label, const char* name) {
    label = ValueLabel();
    label->setObjectName(QString::fromLatin1(name));
    return label;
  };
  auto check = [](QCheckBox*& box, const char* name, int text) {
    box = new QCheckBox(LangQ(text));
    box->setObjectName(QString::fromLatin1(name));
    return box;
  };

  // The catalog.
  tsCat = page("tsCat");
  {
    auto [v, f] = form(tsCat);
    edCatName = nameEdit("edCatName", false);
    f->addRow(LangQ(1608), edCatName);
    f->addRow(LangQ(1618), value(lbFileSize, "lbFileSize"));
    f->addRow(LangQ(1617), value(lbCatMod, "lbCatMod"));
    f->addRow(LangQ(1613), value(lbCatCapacity, "lbCatCapacity"));
    f->addRow(LangQ(1614), value(lbCatFileCnt, "lbCatFileCnt"));
    f->addRow(LangQ(1615), value(lbCatFldCnt, "lbCatFldCnt"));
    f->addRow(LangQ(1616), value(lbCatDiskCnt, "lbCatDiskCnt"));
    f->addRow(LangQ(1612), value(lbCatSize, "lbCatSize"));
    v->addWidget(MemoRow(mmCat, 0, nullptr), 1);
    sbCatOptions = new QPushButton(LangQ(1636));
    sbCatOptions->setObjectName(QStringLiteral("sbCatOptions"));
    sbCatOptions->setAutoDefault(false);
    connect(sbCatOptions, &QPushButton::clicked, this,
            [this] { EditListsClick(TListKind::Categories); });
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(sbCatOptions);
    v->addLayout(row);
  }

  // A group.
  tsGroup = page("tsGroup");
  {
    auto [v, f] = form(tsGroup);
    edGroupName = nameEdit("edGroupName", false);
    f->addRow(LangQ(1608), edGroupName);
    f->addRow(LangQ(1613), value(lbGrCap, "lbGrCap"));
    f->addRow(LangQ(1614), value(lbGrFileCnt, "lbGrFileCnt"));
    f->addRow(LangQ(1615), value(lbGrFldCnt, "lbGrFldCnt"));
    f->addRow(LangQ(1616), value(lbGrDiskCnt, "lbGrDiskCnt"));
    f->addRow(LangQ(1612), value(lbGrSize, "lbGrSize"));
    f->addRow(LangQ(1610), ListBox(cbGrCat, TListKind::Categories));
    f->addRow(LangQ(1611), ListBox(cbGrLoc, TListKind::Locations));
    f->addRow(check(cbGrCatAll, "cbGrCatAll", 1629));
    v->addWidget(MemoRow(mmGr, 1, nullptr), 1);
  }

  // The disk.
  tsDisk = page("tsDisk");
  {
    auto [v, f] = form(tsDisk);
    edDiskName = nameEdit("edDiskName", false);
    f->addRow(LangQ(1608), edDiskName);
    f->addRow(LangQ(1619), value(lbDiskType, "lbDiskType"));
    f->addRow(LangQ(1620), value(lbDiskLabel, "lbDiskLabel"));
    f->addRow(LangQ(1621), value(lbDiskSerial, "lbDiskSerial"));
    f->addRow(LangQ(1633), value(lbDiskCap, "lbDiskCap"));
    f->addRow(LangQ(1612), value(lbDiskSize, "lbDiskSize"));
    f->addRow(LangQ(1614), value(lbDiskFileCnt, "lbDiskFileCnt"));
    f->addRow(LangQ(1615), value(lbDiskFldCnt, "lbDiskFldCnt"));
    f->addRow(LangQ(1622), value(lbDiskMod, "lbDiskMod"));
    f->addRow(LangQ(1610), ListBox(cbDiskCat, TListKind::Categories));
    f->addRow(LangQ(1611), ListBox(cbDiskLoc, TListKind::Locations));
    f->addRow(check(cbDiskCatAll, "cbDiskCatAll", 1629));
    v->addWidget(MemoRow(mmDisk, 2, &sbOemAnsi[0]), 1);
    sbOemAnsi[0]->setObjectName(QStringLiteral("sbOemAnsiDisk"));
  }

  // A folder.
  tsFolder = page("tsFolder");
  {
    auto [v, f] = form(tsFolder);
    edFolderName = nameEdit("edFolderName", true);
    f->addRow(LangQ(1608), edFolderName);
    f->addRow(LangQ(1612), value(lbFolderSize, "lbFolderSize"));
    f->addRow(LangQ(1623), value(lbFolderCreate, "lbFolderCreate"));
    f->addRow(LangQ(1624), value(lbFolderMod, "lbFolderMod"));
    f->addRow(LangQ(1614), value(lbFolderFileCnt, "lbFolderFileCnt"));
    f->addRow(LangQ(1615), value(lbFolderFldCnt, "lbFolderFldCnt"));
    f->addRow(LangQ(1610), ListBox(cbFolderCat, TListKind::Categories));
    f->addRow(check(cbFolderCatAll, "cbFolderCatAll", 1629));
    v->addWidget(MemoRow(mmFolder, 3, &sbOemAnsi[1]), 1);
    sbOemAnsi[1]->setObjectName(QStringLiteral("sbOemAnsiFolder"));
  }

  // A file or an archive.
  tsFile = page("tsFile");
  {
    auto [v, f] = form(tsFile);
    edFileName = nameEdit("edFileName", true);
    f->addRow(LangQ(1608), edFileName);
    f->addRow(LangQ(1625), value(lbFileType, "lbFileType"));
    f->addRow(LangQ(1612), value(lbFileSz, "lbFileSz"));
    f->addRow(LangQ(1623), value(lbFileCreate, "lbFileCreate"));
    f->addRow(LangQ(1624), value(lbFileMod, "lbFileMod"));
    f->addRow(LangQ(1610), ListBox(cbFileCat, TListKind::Categories));
    f->addRow(check(cbArchivCatAll, "cbArchivCatAll", 1629));
    v->addWidget(MemoRow(mmFile, 4, &sbOemAnsi[2]), 1);
    sbOemAnsi[2]->setObjectName(QStringLiteral("sbOemAnsiFile"));
  }

  // Several items.
  tsSel = page("tsSel");
  {
    auto [v, f] = form(tsSel);
    f->addRow(LangQ(1626), value(lbSelCnt, "lbSelCnt"));
    f->addRow(LangQ(1627), value(lbSizeSel, "lbSizeSel"));
    f->addRow(LangQ(1628), value(lbFilesSel, "lbFilesSel"));
    f->addRow(LangQ(1615), value(lbFoldersSel, "lbFoldersSel"));
    f->addRow(LangQ(1616), value(lbDiskSel, "lbDiskSel"));
    cbSelCat = new QComboBox;
    cbSelCat->setObjectName(QStringLiteral("cbSelCat"));
    cbSelCat->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    f->addRow(LangQ(1610), cbSelCat);
    cbSelLoc = new QComboBox;
    cbSelLoc->setObjectName(QStringLiteral("cbSelLoc"));
    cbSelLoc->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lbSelLoc = new QLabel(LangQ(1611));
    f->addRow(lbSelLoc, cbSelLoc);
    f->addRow(check(cbSelCatAll, "cbSelCatAll", 1630));
    f->addRow(check(cbSelDescAll, "cbSelDescAll", 1631));
    v->addWidget(MemoRow(mmSel, 5, nullptr), 1);
    connect(cbSelCat, &QComboBox::currentIndexChanged, this, [this] { UpdateSelControls(); });
    connect(cbSelDescAll, &QCheckBox::toggled, this, [this] { UpdateSelControls(); });
  }

  using TBoxName = std::pair<QComboBox*, const char*>;
  for (auto [box, name] : std::initializer_list<TBoxName>{{cbGrCat, "cbGrCat"},
                                                          {cbGrLoc, "cbGrLoc"},
                                                          {cbDiskCat, "cbDiskCat"},
                                                          {cbDiskLoc, "cbDiskLoc"},
                                                          {cbFolderCat, "cbFolderCat"},
                                                          {cbFileCat, "cbFileCat"}})
    box->setObjectName(QString::fromLatin1(name));
  using TMemoName = std::pair<QPlainTextEdit*, const char*>;
  for (auto [memo, name] : std::initializer_list<TMemoName>{{mmCat, "mmCat"},
                                                            {mmGr, "mmGr"},
                                                            {mmDisk, "mmDisk"},
                                                            {mmFolder, "mmFolder"},
                                                            {mmFile, "mmFile"},
                                                            {mmSel, "mmSel"}})
    memo->setObjectName(QString::fromLatin1(name));
}

QWidget* TfmPropItem::PageWidget(TPropPage page) const {
  const std::array<QWidget*, 6> pages{tsCat, tsGroup, tsDisk, tsFolder, tsFile, tsSel};
  QWidget* w = pages[PageIndex(page)];
  return pc->indexOf(w) >= 0 ? w : nullptr;
}

void TfmPropItem::ShowPage(TPropPage page) {
  if (QWidget* w = PageWidget(page)) {
    FillPage(page);
    pc->setCurrentWidget(w);
  }
}

void TfmPropItem::SetWrap(bool on) {
  for (QToolButton* b : sbWrap)
    if (b) b->setChecked(on);
  for (QPlainTextEdit* m : {mmCat, mmGr, mmDisk, mmFolder, mmFile, mmSel}) {
    m->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    m->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
  }
  if (settings_.Options.WrapDescriptions != on) {
    settings_.Options.WrapDescriptions = on;
    WriteGeneralOptions(settings_.bdOpt, settings_.Options);
  }
}

void TfmPropItem::Prepare(const TPropItems& items) {
  TBusyCursor busy;
  items_ = items;
  filled_ = {};
  shown_.clear();
  for (QCheckBox* box : {cbGrCatAll, cbDiskCatAll, cbFolderCatAll, cbArchivCatAll, cbSelCatAll})
    box->setChecked(false);
  std::vector<TPropPage> pages = PropPages(items_);
  bool single = items_.Items.size() == 1;
  cbArchivCatAll->setVisible(single && IsContainer(items_.Items[0]) &&
                             (ItemFlagsOf(items_.Items[0]) & ifArchive) != 0);
  FillListBoxes();
  bool lists = static_cast<bool>(EditLists) && single;
  for (QToolButton* b : sbEditCat) b->setVisible(lists);
  for (QToolButton* b : sbEditLoc) b->setVisible(lists);
  sbCatOptions->setVisible(lists);

  QSignalBlocker block(pc);
  while (pc->count() > 0) pc->removeTab(0);
  const std::array<QWidget*, 6> widgets{tsCat, tsGroup, tsDisk, tsFolder, tsFile, tsSel};
  const std::array<int, 6> images{1, 2, 3, 4, 0, 0};
  for (TPropPage page : pages) {
    size_t i = PageIndex(page);
    QIcon icon;
    if (page == TPropPage::Disk)
      icon = TreeIcon(TreeImageIndex(DiskNodeOf(items_.Items[0])));
    else if (page == TPropPage::File)
      icon = FileIcon(ItemName(items_.Items[0]));
    else if (page == TPropPage::Sel)
      icon = CommandIcon("properties");
    else
      icon = TreeIcon(images[i]);
    pc->addTab(widgets[i], icon, LangQ(1602 + static_cast<int>(i)));
  }
  if (!pages.empty()) ShowPage(ActivePropPage(items_));
}

bool TfmPropItem::Execute(const TPropItems& items) {
  Prepare(items);
  if (items_.Items.empty()) return false;
  changed_ = false;
  // The window the user came from is active again afterwards, with its focus.
  QPointer<QWidget> from = QApplication::activeWindow();
  exec();
  if (from) {
    QApplication::setActiveWindow(from);
    from->activateWindow();
  }
  bool changed = changed_;
  items_ = {};
  filled_ = {};
  return changed;
}

void TfmPropItem::ShowText(QPlainTextEdit* memo, const std::string& stored) {
  QString shown = DescriptionToEditor(stored);
  shown_.push_back({memo, stored, shown});
  memo->setPlainText(shown);
}

void TfmPropItem::ShowText(QLineEdit* edit, const std::string& stored) {
  QString shown = QStr(stored);
  shown_.push_back({edit, stored, shown});
  edit->setText(shown);
  edit->setCursorPosition(0);
}

std::string TfmPropItem::MemoText(const QPlainTextEdit* memo) const {
  QString text = memo->toPlainText();
  for (const TShownText& s : shown_)
    if (s.Control == memo && s.Shown == text) return s.Stored;
  return DescriptionFromEditor(text);
}

std::string TfmPropItem::NameText(const QLineEdit* edit) const {
  QString text = edit->text();
  for (const TShownText& s : shown_)
    if (s.Control == edit && s.Shown == text) return s.Stored;
  return StdStr(text);
}

void TfmPropItem::FillListBoxes() {
  if (items_.Items.size() == 1) {
    std::vector<std::string> cats = CategoryChoices(Catalog());
    std::vector<std::string> locs = LocationChoices(Catalog());
    for (QComboBox* box : {cbGrCat, cbDiskCat, cbFolderCat, cbFileCat}) FillBox(box, cats, 0);
    for (QComboBox* box : {cbGrLoc, cbDiskLoc}) FillBox(box, locs, 0);
  } else if (items_.Items.size() > 1) {
    sel_ = FillSelPage(items_);
    QSignalBlocker block(cbSelCat);
    FillBox(cbSelCat, sel_.CategoryChoices, 1);
    FillBox(cbSelLoc, sel_.LocationChoices, 1);
  }
}

void TfmPropItem::FillPage(TPropPage page) {
  size_t i = PageIndex(page);
  if (filled_[i] || items_.Items.empty()) return;
  filled_[i] = true;
  const TNodeRec* item = items_.Items[0];
  switch (page) {
    case TPropPage::Cat: {
      TCatPageData d = FillCatPage(item);
      ShowText(edCatName, d.Name);
      lbFileSize->setText(SizeText(d.FileSize));
      lbCatMod->setText(DateText(d.Changed));
      lbCatCapacity->setText(SizeText(d.Counts.Capacity));
      lbCatFileCnt->setText(CountText(d.Counts.Files));
      lbCatFldCnt->setText(CountText(d.Counts.Folders));
      lbCatDiskCnt->setText(CountText(d.Counts.Disks));
      lbCatSize->setText(SizeText(d.Size));
      ShowText(mmCat, d.Description);
      break;
    }
    case TPropPage::Group: {
      TGroupPageData d = FillGroupPage(item);
      ShowText(edGroupName, d.Name);
      lbGrCap->setText(SizeText(d.Counts.Capacity));
      lbGrFileCnt->setText(CountText(d.Counts.Files));
      lbGrFldCnt->setText(CountText(d.Counts.Folders));
      lbGrDiskCnt->setText(CountText(d.Counts.Disks));
      lbGrSize->setText(SizeText(d.Size));
      cbGrCat->setCurrentIndex(d.Category);
      cbGrLoc->setCurrentIndex(d.Location);
      ShowText(mmGr, d.Description);
      break;
    }
    case TPropPage::Disk: {
      TDiskPageData d = FillDiskPage(item);
      ShowText(edDiskName, d.Name);
      lbDiskType->setText(QStr(d.DriveTypeText));
      lbDiskLabel->setText(QStr(d.Label));
      lbDiskSerial->setText(QStr(d.Serial));
      lbDiskCap->setText(SizeText(d.Capacity));
      lbDiskSize->setText(SizeText(d.Size));
      lbDiskFileCnt->setText(CountText(d.Counts.Files));
      lbDiskFldCnt->setText(CountText(d.Counts.Folders));
      lbDiskMod->setText(DateText(d.Changed));
      cbDiskCat->setCurrentIndex(d.Category);
      cbDiskLoc->setCurrentIndex(d.Location);
      ShowText(mmDisk, d.Description);
      break;
    }
    case TPropPage::Folder: {
      TFolderPageData d = FillFolderPage(item);
      ShowText(edFolderName, d.Name);
      lbFolderSize->setText(SizeText(d.Size));
      lbFolderCreate->setText(DateText(d.Created));
      lbFolderMod->setText(DateText(d.Changed));
      lbFolderFileCnt->setText(CountText(d.Counts.Files));
      lbFolderFldCnt->setText(CountText(d.Counts.Folders));
      cbFolderCat->setCurrentIndex(d.Category);
      ShowText(mmFolder, d.Description);
      break;
    }
    case TPropPage::File: {
      TFilePageData d = FillFilePage(item);
      ShowText(edFileName, d.Name);
      lbFileType->setText(FileTypeText(d.Name));
      lbFileSz->setText(SizeText(d.Size));
      lbFileCreate->setText(DateText(d.Created));
      lbFileMod->setText(DateText(d.Changed));
      cbFileCat->setCurrentIndex(d.Category);
      ShowText(mmFile, d.Description);
      break;
    }
    case TPropPage::Sel: {
      lbSelCnt->setText(CountText(sel_.Count));
      lbSizeSel->setText(SizeText(sel_.Size));
      lbFilesSel->setText(CountText(sel_.FilesAndArchives));
      lbFoldersSel->setText(CountText(sel_.Folders));
      lbDiskSel->setText(CountText(sel_.Disks));
      lbSelLoc->setVisible(sel_.ShowLocation);
      cbSelLoc->setVisible(sel_.ShowLocation);
      cbSelDescAll->setChecked(false);
      mmSel->clear();
      UpdateSelControls();
      break;
    }
  }
}

void TfmPropItem::UpdateSelControls() {
  bool offered = sel_.HasContainers && cbSelCat->currentIndex() != 1;
  cbSelCatAll->setVisible(sel_.HasContainers);
  cbSelCatAll->setEnabled(offered);
  mmSel->setEnabled(cbSelDescAll->isChecked());
}

void TfmPropItem::EditListsClick(TListKind kind) {
  TNodeRec* catalog = Catalog();
  if (!EditLists || !catalog) return;
  TQDBase& bd = editor_.Store();
  int slot = RootSlotOf(bd, catalog);
  if (slot < 0 || !EditLists(slot, kind)) return;
  if (RootSlotOf(bd, catalog) != slot) {  // the catalog went away meanwhile
    reject();
    return;
  }
  // The boxes of the pages shown keep their entries at the entries' new indices.
  struct TBoxIndex {
    QComboBox* Box;
    int ListSlot;
    int Index;
  };
  std::vector<TBoxIndex> boxes;
  for (QComboBox* box : {cbGrCat, cbDiskCat, cbFolderCat, cbFileCat})
    boxes.push_back({box, kCatCategories, box->currentIndex()});
  for (QComboBox* box : {cbGrLoc, cbDiskLoc})
    boxes.push_back({box, kCatLocations, box->currentIndex()});
  FillListBoxes();
  for (const TBoxIndex& b : boxes)
    b.Box->setCurrentIndex(ListIndexAfterSetup(catalog, b.ListSlot, b.Index));
}

bool TfmPropItem::bkOkClick() {
  TBusyCursor busy;
  bool changed = false;
  if (items_.Items.size() == 1) {
    TPropEdits e;
    if (Filled(TPropPage::File))
      e.File = {
          true, {}, MemoText(mmFile), cbFileCat->currentIndex(), 0, cbArchivCatAll->isChecked()};
    if (Filled(TPropPage::Folder))
      e.Folder = {true,
                  {},
                  MemoText(mmFolder),
                  cbFolderCat->currentIndex(),
                  0,
                  cbFolderCatAll->isChecked()};
    if (Filled(TPropPage::Group))
      e.Group = {true,
                 NameText(edGroupName),
                 MemoText(mmGr),
                 cbGrCat->currentIndex(),
                 cbGrLoc->currentIndex(),
                 cbGrCatAll->isChecked()};
    if (Filled(TPropPage::Disk))
      e.Disk = {true,
                NameText(edDiskName),
                MemoText(mmDisk),
                cbDiskCat->currentIndex(),
                cbDiskLoc->currentIndex(),
                cbDiskCatAll->isChecked()};
    if (Filled(TPropPage::Cat)) e.Cat = {true, NameText(edCatName), MemoText(mmCat), 0, 0, false};
    changed = ApplySingleItem(editor_, items_.Items[0], e);
  } else if (items_.Items.size() > 1 && Filled(TPropPage::Sel)) {
    TSelEdit e;
    auto choice = [](QComboBox* box, const std::vector<std::string>& names, int& index,
                     std::string& name) {
      index = box->currentIndex();
      if (index >= 2 && index < static_cast<int>(names.size()))
        name = names[static_cast<size_t>(index)];
    };
    choice(cbSelCat, sel_.CategoryChoices, e.CatChoice, e.CatName);
    if (sel_.ShowLocation)
      choice(cbSelLoc, sel_.LocationChoices, e.LocChoice, e.LocName);
    else
      e.LocChoice = 1;
    e.CatAll = sel_.HasContainers && cbSelCatAll->isChecked();
    e.DescAll = cbSelDescAll->isChecked();
    if (e.DescAll) e.Description = DescriptionFromEditor(mmSel->toPlainText());
    changed = ApplySelection(editor_, items_, e);
  }
  changed_ = changed;
  accept();
  return changed;
}
