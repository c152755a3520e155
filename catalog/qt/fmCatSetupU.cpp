// SPDX-License-Identifier: MIT
#include "catalog/qt/fmCatSetupU.h"

#include <QAction>
#include <QCursor>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/qt/DialogButtons.h"
#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Images.h"
#include "app/qt/Prompts.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"

namespace {

constexpr TListKind kKinds[] = {TListKind::Categories, TListKind::Locations};

}  // namespace

TfmCatSetup::TfmCatSetup(TQDBase& bdMain, QWidget* parent) : QDialog(parent), bdMain_(bdMain) {
  setObjectName(QStringLiteral("fmCatSetup"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  pcPages = new QTabWidget(this);
  pcPages->setObjectName(QStringLiteral("pcPages"));
  tsCat = BuildPage(TListKind::Categories);
  tsLoc = BuildPage(TListKind::Locations);
  pcPages->addTab(tsCat, QString());
  pcPages->addTab(tsLoc, QString());
  connect(pcPages, &QTabWidget::currentChanged, this, [this] { UpdateButtons(); });
  layout->addWidget(pcPages, 1);

  TOkCancelRow buttons = MakeOkCancelRow(this, [this] { bkOkClick(); });
  bkOk = buttons.Ok;
  bkCancel = buttons.Cancel;
  layout->addLayout(buttons.Layout);

  pmCopy = new QMenu(this);
  pmCopy->setObjectName(QStringLiteral("pmCopy"));

  auto* help = new QAction(this);
  help->setShortcut(QKeySequence(Qt::Key_F1));
  connect(help, &QAction::triggered, this, [] { ShowHelpTopic(QStringLiteral("CatSetup.htm")); });
  addAction(help);

  InputName = [this](const QString& caption, const QString& prompt, QString& text) {
    bool ok = false;
    QString answer = QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, text, &ok);
    if (ok) text = answer;
    return ok;
  };
  SetTexts();
  resize(sizeHint().width() + 40, 360);
}

QWidget* TfmCatSetup::BuildPage(TListKind kind) {
  bool cat = kind == TListKind::Categories;
  auto* page = new QWidget(pcPages);
  page->setObjectName(cat ? QStringLiteral("tsCat") : QStringLiteral("tsLoc"));
  auto* row = new QHBoxLayout(page);
  auto* list = new QListWidget(page);
  list->setObjectName(cat ? QStringLiteral("lbCat") : QStringLiteral("lbLoc"));
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setMinimumWidth(220);
  row->addWidget(list, 1);
  auto* column = new QVBoxLayout;
  auto button = [&](const char* name) {
    auto* b = new QPushButton(page);
    b->setObjectName(QString::fromLatin1(name) +
                     (cat ? QStringLiteral("Cat") : QStringLiteral("Loc")));
    b->setAutoDefault(false);
    column->addWidget(b);
    return b;
  };
  QPushButton* add = button("sbAdd");
  QPushButton* edit = button("sbEdit");
  QPushButton* del = button("sbDel");
  column->addSpacing(8);
  QPushButton* up = button("sbUp");
  QPushButton* down = button("sbDown");
  column->addSpacing(8);
  QPushButton* copy = button("sbCopy");
  column->addStretch(1);
  row->addLayout(column);
  if (cat) {
    lbCat = list;
    sbAddCat = add, sbEditCat = edit, sbDelCat = del, sbUpCat = up, sbDownCat = down,
    sbCopyCat = copy;
  } else {
    lbLoc = list;
    sbAddLoc = add, sbEditLoc = edit, sbDelLoc = del, sbUpLoc = up, sbDownLoc = down,
    sbCopyLoc = copy;
  }
  connect(add, &QPushButton::clicked, this, [this, kind] { AddClick(kind); });
  connect(edit, &QPushButton::clicked, this, [this, kind] { EditClick(kind); });
  connect(del, &QPushButton::clicked, this, [this, kind] { DelClick(kind); });
  connect(up, &QPushButton::clicked, this, [this, kind] { UpClick(kind); });
  connect(down, &QPushButton::clicked, this, [this, kind] { DownClick(kind); });
  connect(copy, &QPushButton::clicked, this, [this, kind] { CopyClick(kind); });
  connect(list, &QListWidget::itemDoubleClicked, this, [this, kind] { EditClick(kind); });
  connect(list, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
  return page;
}

void TfmCatSetup::SetTexts() {
  setWindowTitle(LangQ(2301));
  pcPages->setTabText(0, LangQ(2302));
  pcPages->setTabText(1, LangQ(2303));
  for (TListKind kind : kKinds) {
    TPage p = Page(kind);
    p.Add->setText(LangQ(2304));
    p.Edit->setText(LangQ(2305));
    p.Del->setText(LangQ(2306));
    p.Up->setText(LangQ(12730));
    p.Down->setText(LangQ(12731));
    p.Copy->setText(LangQ(2307));
  }
  bkOk->setText(LangQ(260));
  bkCancel->setText(LangQ(261));
}

TfmCatSetup::TPage TfmCatSetup::Page(TListKind kind) const {
  if (kind == TListKind::Categories)
    return {lbCat, sbAddCat, sbEditCat, sbDelCat, sbUpCat, sbDownCat, sbCopyCat};
  return {lbLoc, sbAddLoc, sbEditLoc, sbDelLoc, sbUpLoc, sbDownLoc, sbCopyLoc};
}

TListKind TfmCatSetup::CurrentKind() const {
  return pcPages->currentWidget() == tsLoc ? TListKind::Locations : TListKind::Categories;
}

bool TfmCatSetup::Open(const TNodeRec* catalog, TListKind kind) {
  applied_ = false;
  catalog_ = nullptr;
  const TNodeRec* root = bdMain_.RootNode();
  if (!catalog || catalog->Parent != root || ItemKindOf(catalog) != ikCatalog) return false;
  TNodeRec* saved = bdMain_.CurrentNode();
  bdMain_.GoToNode(const_cast<TNodeRec*>(catalog));
  bool opened = setup_.Open(bdMain_);
  bdMain_.GoToNode(saved);
  if (!opened) return false;
  catalog_ = catalog;
  SetTexts();
  FillList(TListKind::Categories, 0);
  FillList(TListKind::Locations, 0);
  pcPages->setCurrentWidget(kind == TListKind::Categories ? tsCat : tsLoc);
  Page(kind).List->setFocus();
  UpdateButtons();
  return true;
}

void TfmCatSetup::FillList(TListKind kind, int row) {
  QListWidget* list = Page(kind).List;
  list->clear();
  for (const std::string& name : setup_.Names(kind)) list->addItem(QStr(name));
  if (list->count() == 0 || row < 0) {
    list->setCurrentRow(-1);
  } else {
    list->setCurrentRow(std::min(row, list->count() - 1));
  }
  UpdateButtons();
}

int TfmCatSetup::SelectedRow(TListKind kind) const { return Page(kind).List->currentRow(); }

void TfmCatSetup::UpdateButtons() {
  bool others = !OtherCatalogs().empty();
  for (TListKind kind : kKinds) {
    TPage p = Page(kind);
    if (!p.List) return;  // still building
    int row = p.List->currentRow();
    bool selected = row >= 0;
    p.Edit->setEnabled(selected);
    p.Del->setEnabled(selected);
    p.Up->setEnabled(selected && row > 0);
    p.Down->setEnabled(selected && row + 1 < p.List->count());
    p.Copy->setEnabled(others);
  }
}

std::vector<TNodeRec*> TfmCatSetup::OtherCatalogs() const {
  std::vector<TNodeRec*> out;
  const TNodeRec* root = bdMain_.RootNode();
  if (!catalog_) return out;
  for (int slot = 1; slot < root->SlotCount; ++slot) {
    TNodeRec* c = NodeChild(root, slot);
    if (c && c != catalog_ && IsContainer(c)) out.push_back(c);
  }
  return out;
}

// ---- commands ---------------------------------------------------------------------------------

void TfmCatSetup::AddClick(TListKind kind) {
  if (!catalog_) return;
  if (!setup_.CanAdd(kind)) {
    ShowMessageQ(this, QString::fromStdString(TCatSetup::LimitText(kind)));
    return;
  }
  QString name;
  if (!InputName(QString::fromStdString(TCatSetup::InputCaption(kind)),
                 QString::fromStdString(TCatSetup::InputPrompt(kind)), name))
    return;
  int row = setup_.Add(kind, StdStr(name));
  FillList(kind, row);
}

void TfmCatSetup::EditClick(TListKind kind) {
  int row = SelectedRow(kind);
  if (!catalog_ || row < 0) return;
  QString name = Page(kind).List->item(row)->text();
  if (!InputName(QString::fromStdString(TCatSetup::InputCaption(kind)),
                 QString::fromStdString(TCatSetup::InputPrompt(kind)), name))
    return;
  if (setup_.Edit(kind, row, StdStr(name))) FillList(kind, row);
}

void TfmCatSetup::DelClick(TListKind kind) {
  int row = SelectedRow(kind);
  if (!catalog_ || row < 0) return;
  FillList(kind, setup_.Delete(kind, row));
}

void TfmCatSetup::UpClick(TListKind kind) {
  int row = SelectedRow(kind);
  if (!catalog_ || row < 0) return;
  FillList(kind, setup_.MoveUp(kind, row));
}

void TfmCatSetup::DownClick(TListKind kind) {
  int row = SelectedRow(kind);
  if (!catalog_ || row < 0) return;
  FillList(kind, setup_.MoveDown(kind, row));
}

void TfmCatSetup::CopyClick(TListKind kind) {
  if (!catalog_) return;
  pcPages->setCurrentWidget(kind == TListKind::Categories ? tsCat : tsLoc);
  pmCopy->clear();
  for (TNodeRec* other : OtherCatalogs()) {
    QAction* a = pmCopy->addAction(TreeIcon(TreeImageIndex(other)), QStr(ItemName(other)));
    connect(a, &QAction::triggered, this, [this, other] { CopyFromCatalog(other); });
  }
  if (pmCopy->isEmpty()) return;
  QPushButton* button = Page(kind).Copy;
  pmCopy->exec(button->mapToGlobal(QPoint(0, button->height())));
}

void TfmCatSetup::CopyFromCatalog(const TNodeRec* catalog) {
  if (!catalog_ || !catalog) return;
  TListKind kind = CurrentKind();
  int row = SelectedRow(kind);
  if (setup_.CopyFrom(kind, catalog)) {
    FillList(TListKind::Categories,
             kind == TListKind::Categories ? row : SelectedRow(TListKind::Categories));
    FillList(TListKind::Locations,
             kind == TListKind::Locations ? row : SelectedRow(TListKind::Locations));
  }
}

void TfmCatSetup::bkOkClick() {
  if (!catalog_ || !setup_.Changed()) {
    accept();
    return;
  }
  TAnswer answer = AskYesNoCancelQ(this, QString::fromStdString(TCatSetup::ConfirmApplyText()));
  if (answer == TAnswer::Cancel) return;
  if (answer == TAnswer::Yes) applied_ = setup_.Apply(bdMain_);
  if (answer == TAnswer::Yes) {
    accept();
  } else {
    reject();
  }
}
