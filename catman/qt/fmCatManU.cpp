// SPDX-License-Identifier: MIT
#include "catman/qt/fmCatManU.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "app/qt/BusyCursor.h"
#include "app/qt/GuiText.h"
#include "app/qt/Help.h"
#include "app/qt/Images.h"
#include "app/qt/Prompts.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"
#include "scan/qt/DestinationCombo.h"

namespace {

// Watches the focus of a panel's box and list: the panel that gets it becomes the active one.
class TPanelFocus : public QObject {
 public:
  TPanelFocus(QObject* parent, std::function<void()> entered)
      : QObject(parent), entered_(std::move(entered)) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) entered_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> entered_;
};

// The index of the box entry standing for `node` (pointers compared only), or -1.
int EntryOf(const std::vector<TDestination>& entries, const TNodeRec* node) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].Node == node) return static_cast<int>(i);
  return -1;
}

}  // namespace

TfmCatMan::TfmCatMan(TCatalogEditor& editor, QWidget* parent)
    : QDialog(parent), ed_(editor), cm_(editor) {
  setObjectName(QStringLiteral("fmCatMan"));
  setModal(true);
  auto* grid = new QGridLayout(this);

  auto makeList = [this](const char* name) {
    auto* list = new QListWidget(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setEditTriggers(QAbstractItemView::EditKeyPressed);
    list->setMinimumWidth(220);
    return list;
  };
  cbL = new TDestinationCombo(this);
  cbL->setObjectName(QStringLiteral("cbL"));
  cbR = new TDestinationCombo(this);
  cbR->setObjectName(QStringLiteral("cbR"));
  trL = makeList("trL");
  trR = makeList("trR");

  auto* buttons = new QVBoxLayout;
  auto button = [&](const char* name) {
    auto* b = new QPushButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setFocusPolicy(Qt::NoFocus);  // the active panel keeps the focus
    buttons->addWidget(b);
    return b;
  };
  sbCopy = button("sbCopy");
  sbMove = button("sbMove");
  buttons->addSpacing(10);
  sbUp = button("sbUp");
  sbDown = button("sbDown");
  buttons->addSpacing(10);
  sbNewGr = button("sbNewGr");
  sbNewGr->setIcon(CommandIcon("addgroup"));
  sbRename = button("sbRename");
  sbRename->setIcon(CommandIcon("rename"));
  sbDelete = button("sbDelete");
  sbDelete->setIcon(CommandIcon("delete"));
  sbProp = button("sbProp");
  sbProp->setIcon(CommandIcon("properties"));
  buttons->addStretch(1);
  sbClose = button("sbClose");
  sbClose->setFocusPolicy(Qt::StrongFocus);

  stBar = new QLabel(this);
  stBar->setObjectName(QStringLiteral("stBar"));
  stBar->setFrameShape(QFrame::StyledPanel);
  stBar->setTextFormat(Qt::PlainText);

  grid->addWidget(cbL, 0, 0);
  grid->addWidget(cbR, 0, 2);
  grid->addWidget(trL, 1, 0);
  grid->addLayout(buttons, 1, 1);
  grid->addWidget(trR, 1, 2);
  grid->addWidget(stBar, 2, 0, 1, 3);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(2, 1);
  grid->setRowStretch(1, 1);

  for (int panel : {0, 1}) {
    auto* focus = new TPanelFocus(this, [this, panel] { SetActivePanel(panel); });
    PanelBox(panel)->installEventFilter(focus);
    PanelList(panel)->installEventFilter(focus);
    connect(PanelBox(panel), &QComboBox::activated, this, [this, panel] {
      FillPanel(panel);
      SelectRows(panel, {0});
      UpdateStatus();
    });
    QListWidget* list = PanelList(panel);
    connect(list, &QListWidget::itemSelectionChanged, this, [this] { UpdateStatus(); });
    connect(list, &QListWidget::itemChanged, this, [this, panel, list](QListWidgetItem* item) {
      if (!updating_) RenameRow(panel, list->row(item), item->text());
    });
    connect(list, &QListWidget::itemDoubleClicked, this,
            [this, panel, list](QListWidgetItem* item) { PanelDblClick(panel, list->row(item)); });
  }
  connect(sbCopy, &QPushButton::clicked, this, &TfmCatMan::sbCopyClick);
  connect(sbMove, &QPushButton::clicked, this, &TfmCatMan::sbMoveClick);
  connect(sbUp, &QPushButton::clicked, this, &TfmCatMan::sbUpClick);
  connect(sbDown, &QPushButton::clicked, this, &TfmCatMan::sbDownClick);
  connect(sbNewGr, &QPushButton::clicked, this, &TfmCatMan::sbNewGrClick);
  connect(sbRename, &QPushButton::clicked, this, &TfmCatMan::sbRenameClick);
  connect(sbDelete, &QPushButton::clicked, this, &TfmCatMan::sbDeleteClick);
  connect(sbProp, &QPushButton::clicked, this, &TfmCatMan::sbPropClick);
  connect(sbClose, &QPushButton::clicked, this, &QDialog::accept);

  auto* help = new QAction(this);
  help->setShortcut(QKeySequence(Qt::Key_F1));
  connect(help, &QAction::triggered, this, [] { ShowHelpTopic(QStringLiteral("CatMan.htm")); });
  addAction(help);

  SetTexts();
  resize(820, 500);
}

void TfmCatMan::SetTexts() {
  setWindowTitle(LangQ(2401));
  sbUp->setText(LangQ(12730));
  sbDown->setText(LangQ(12731));
  sbRename->setText(LangQ(2406));
  sbDelete->setText(LangQ(2407));
  sbNewGr->setText(LangQ(2408));
  sbProp->setText(LangQ(2409));
  sbClose->setText(LangQ(2410));
}

void TfmCatMan::FormShow(const TNodeRec* selected) {
  SetTexts();
  ++updating_;
  const TNodeRec* root = ed_.Store().RootNode();
  cbL->Fill(root);
  cbR->Fill(root);
  const TNodeRec* catalog = selected ? CatalogNodeOf(selected) : nullptr;
  int left = catalog ? EntryOf(cbL->Entries(), catalog) : -1;
  cbL->setCurrentIndex(left >= 0 ? left : (cbL->count() ? 0 : -1));
  cbR->setCurrentIndex(cbR->count() ? 0 : -1);
  for (int panel : {0, 1}) {
    FillPanel(panel);
    SelectRows(panel, {0});
  }
  --updating_;
  trL->setFocus();
  SetActivePanel(0);
}

// ---- panels -----------------------------------------------------------------------------------

TNodeRec* TfmCatMan::Destination(int panel) const { return PanelBox(panel)->CurrentNode(); }

void TfmCatMan::SelectDestination(int panel, const TNodeRec* destination) {
  int index = EntryOf(PanelBox(panel)->Entries(), destination);
  if (index < 0) return;
  ++updating_;
  PanelBox(panel)->setCurrentIndex(index);
  FillPanel(panel);
  SelectRows(panel, {0});
  --updating_;
  UpdateStatus();
}

void TfmCatMan::FillPanel(int panel) {
  ++updating_;
  QListWidget* list = PanelList(panel);
  list->clear();
  TNodeRec* destination = Destination(panel);
  rows_[panel] = destination ? TCatMan::PanelItems(destination) : std::vector<TNodeRec*>{};
  for (TNodeRec* item : rows_[panel]) {
    auto* row = new QListWidgetItem(TreeIcon(TreeImageIndex(item)), QStr(ItemName(item)));
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    list->addItem(row);
  }
  --updating_;
}

std::vector<TNodeRec*> TfmCatMan::SelectedItems(int panel) const {
  std::vector<TNodeRec*> out;
  QListWidget* list = PanelList(panel);
  for (int row = 0; row < list->count() && row < static_cast<int>(rows_[panel].size()); ++row)
    if (list->item(row)->isSelected()) out.push_back(rows_[panel][static_cast<size_t>(row)]);
  return out;
}

void TfmCatMan::SelectRows(int panel, const std::vector<int>& rows) {
  ++updating_;
  QListWidget* list = PanelList(panel);
  list->clearSelection();
  bool first = true;
  for (int row : rows) {
    if (row < 0 || row >= list->count()) continue;
    if (first) {
      list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
      first = false;
    } else {
      list->item(row)->setSelected(true);
    }
  }
  --updating_;
  UpdateStatus();
}

void TfmCatMan::SetActivePanel(int panel) {
  active_ = panel == 0 || panel == 1 ? panel : -1;
  UpdateStatus();
}

void TfmCatMan::RefillAll(std::array<bool, 2> reset) {
  ++updating_;
  std::array<const TNodeRec*, 2> destination{};
  std::array<std::vector<TNodeRec*>, 2> selected;
  std::array<int, 2> current{};
  for (int panel : {0, 1}) {
    // A panel reset shows a destination that is gone: its node must not be read.
    destination[panel] = reset[panel] ? nullptr : Destination(panel);
    selected[panel] = reset[panel] ? std::vector<TNodeRec*>{} : SelectedItems(panel);
    current[panel] = reset[panel] ? 0 : PanelList(panel)->currentRow();
  }
  const TNodeRec* root = ed_.Store().RootNode();
  for (int panel : {0, 1}) {
    TDestinationCombo* box = PanelBox(panel);
    box->Fill(root);
    int index = destination[panel] ? EntryOf(box->Entries(), destination[panel]) : -1;
    if (index < 0) {
      index = box->count() ? 0 : -1;
      selected[panel].clear();
      current[panel] = 0;
    }
    box->setCurrentIndex(index);
    FillPanel(panel);
    std::vector<int> rows;
    for (size_t row = 0; row < rows_[panel].size(); ++row)
      if (std::find(selected[panel].begin(), selected[panel].end(), rows_[panel][row]) !=
          selected[panel].end())
        rows.push_back(static_cast<int>(row));
    if (rows.empty() && !rows_[panel].empty())
      rows.push_back(std::clamp(current[panel], 0, static_cast<int>(rows_[panel].size()) - 1));
    SelectRows(panel, rows);
  }
  --updating_;
  UpdateStatus();
}

QString TfmCatMan::StatusText() const { return stBar->text(); }

void TfmCatMan::UpdateStatus() {
  if (updating_) return;
  bool on = active_ >= 0;
  std::vector<TNodeRec*> selected = on ? SelectedItems(active_) : std::vector<TNodeRec*>{};
  bool some = !selected.empty();
  bool apart = Destination(0) != Destination(1);
  sbCopy->setText(on ? QString::fromStdString(TCatMan::CopyCaption(active_ == 0)) : LangQ(2404));
  sbMove->setText(on ? QString::fromStdString(TCatMan::MoveCaption(active_ == 0)) : LangQ(2405));
  sbNewGr->setEnabled(on && Destination(active_));
  for (QPushButton* b : {sbRename, sbDelete, sbUp, sbDown}) b->setEnabled(some);
  sbProp->setEnabled(some && ShowProperties != nullptr);
  sbCopy->setEnabled(some && apart);
  sbMove->setEnabled(some && apart);
  stBar->setText(
      on ? QString::fromStdString(TCatMan::StatusText(active_ == 0, rows_[active_], selected))
         : QString());
}

// ---- commands ---------------------------------------------------------------------------------

void TfmCatMan::CopyOrMove(bool move) {
  if (active_ < 0) return;
  TNodeRec* source = Destination(active_);
  TNodeRec* target = Destination(1 - active_);
  std::vector<TNodeRec*> selected = SelectedItems(active_);
  if (!source || !target || source == target || selected.empty()) return;
  // The hourglass waits while the question about missing names is up.
  const TNodeRec* targetCatalog = CatalogNodeOf(target);
  bool asks = CatalogNodeOf(source) != targetCatalog &&
              BuildRemapTables(selected, targetCatalog).NeedsNewEntries();
  TCatMan::TCopyResult result;
  {
    std::optional<TBusyCursor> busy;
    if (!asks) busy.emplace();
    result = cm_.CopyItems(selected, source, target, move);
  }
  RefillAll();
  if (!result.Error.empty()) ShowErrorQ(this, QString::fromStdString(result.Error));
}

void TfmCatMan::Shift(int delta) {
  if (active_ < 0) return;
  QListWidget* list = PanelList(active_);
  int row = list->currentRow();
  if (row < 0 || !list->item(row)->isSelected()) {
    std::vector<TNodeRec*> selected = SelectedItems(active_);
    if (selected.empty()) return;
    row = static_cast<int>(std::find(rows_[active_].begin(), rows_[active_].end(), selected[0]) -
                           rows_[active_].begin());
  }
  TNodeRec* item = rows_[active_][static_cast<size_t>(row)];
  bool moved = delta < 0 ? cm_.MoveUp(item) : cm_.MoveDown(item);
  if (!moved) return;
  // The moved item stays the selection, in each panel that had it selected.
  SelectRows(active_, {row});
  RefillAll();
}

void TfmCatMan::sbDeleteClick() {
  if (active_ < 0) return;
  std::vector<TNodeRec*> selected = SelectedItems(active_);
  if (selected.empty()) return;
  // A panel showing a group inside a deleted item falls back to the first entry.
  std::array<bool, 2> reset{};
  for (int panel : {0, 1}) {
    const TNodeRec* shown = Destination(panel);
    for (const TNodeRec* item : selected)
      if (shown && (shown == item || IsInside(shown, item))) reset[panel] = true;
  }
  if (cm_.DeleteItems(selected) > 0) RefillAll(reset);
}

void TfmCatMan::sbNewGrClick() {
  if (active_ < 0) return;
  TNodeRec* group = cm_.NewGroup(Destination(active_));
  if (!group) return;
  RefillAll();
  auto it = std::find(rows_[active_].begin(), rows_[active_].end(), group);
  if (it == rows_[active_].end()) return;
  int row = static_cast<int>(it - rows_[active_].begin());
  SelectRows(active_, {row});
  PanelList(active_)->setFocus();
  PanelList(active_)->editItem(PanelList(active_)->item(row));
}

void TfmCatMan::sbRenameClick() {
  if (active_ < 0) return;
  QListWidget* list = PanelList(active_);
  QListWidgetItem* item = list->currentItem();
  if (!item || !item->isSelected()) return;
  list->setFocus();
  list->editItem(item);
}

void TfmCatMan::RenameRow(int panel, int row, const QString& typed) {
  if (row < 0 || row >= static_cast<int>(rows_[panel].size())) return;
  TNodeRec* item = rows_[panel][static_cast<size_t>(row)];
  QString stored = QStr(cm_.Rename(item, StdStr(typed)));
  ++updating_;
  // The edited row shows the name stored; so does the other panel's row of the same item.
  for (int p : {0, 1}) {
    for (size_t r = 0; r < rows_[p].size(); ++r)
      if (rows_[p][r] == item) PanelList(p)->item(static_cast<int>(r))->setText(stored);
    // The boxes show the new name of a group.
    TDestinationCombo* box = PanelBox(p);
    TNodeRec* shown = box->CurrentNode();
    box->Fill(ed_.Store().RootNode());
    int index = EntryOf(box->Entries(), shown);
    box->setCurrentIndex(index >= 0 ? index : (box->count() ? 0 : -1));
  }
  --updating_;
  UpdateStatus();
}

void TfmCatMan::PanelDblClick(int panel, int row) {
  if (row < 0 || row >= static_cast<int>(rows_[panel].size())) return;
  TNodeRec* item = rows_[panel][static_cast<size_t>(row)];
  if (ItemKindOf(item) == ikGroup) SelectDestination(panel, item);
}

void TfmCatMan::sbPropClick() {
  if (active_ < 0 || !ShowProperties) return;
  std::vector<TNodeRec*> selected = SelectedItems(active_);
  if (selected.empty()) return;
  ShowProperties(selected);
  RefillAll();
}
