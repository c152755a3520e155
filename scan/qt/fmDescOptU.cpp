// SPDX-License-Identifier: MIT
#include "scan/qt/fmDescOptU.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Options.h"
#include "app/qt/DialogButtons.h"
#include "app/qt/GuiText.h"
#include "scan/DescRules.h"
#include "store/QDBase.h"

namespace {

// The readers whose text is converted from the DOS code page when their rule says so.
bool HasOemOption(int reader) {
  return reader == drTXT || reader == drDIZ || reader == drBBS || reader == drION;
}

const char* OemBoxName(int reader) {
  switch (reader) {
    case drTXT:
      return "cbTXTOemAnsi";
    case drDIZ:
      return "cbDIZOemAnsi";
    case drBBS:
      return "cbBBSOemAnsi";
    default:
      return "cbIONOemAnsi";
  }
}

}  // namespace

TfmDescOpt::TfmDescOpt(TQDBase& table, int reader, QWidget* parent)
    : QDialog(parent), table_(table), reader_(reader) {
  setWindowTitle(LangQ(701));
  table_.GoToDepth(0);
  ruleSlot_ = table_.FindChildInt(reader, rsReader, 1);
  const TNodeRec* root = table_.RootNode();
  const TNodeRec* options = NodeChild(root, 0);
  const TNodeRec* rule = ruleSlot_ > 0 ? NodeChild(root, ruleSlot_) : nullptr;

  pcPages_ = new QTabWidget;

  // General page: maximum length and the line filters.
  tsGeneral = new QWidget;
  ndMaxDesc = new QSpinBox;
  ndMaxDesc->setRange(0, 9999);
  ndMaxDesc->setValue(RuleSlotInt(options, doMaxDescKB));
  auto* maxRow = new QHBoxLayout;
  auto* maxLabel = new QLabel(LangQ(702));
  maxLabel->setBuddy(ndMaxDesc);
  maxRow->addWidget(maxLabel);
  maxRow->addWidget(ndMaxDesc);
  maxRow->addWidget(new QLabel(LangQ(703)));
  maxRow->addStretch(1);
  auto* gbFilters = new QGroupBox(LangQ(704));
  auto* filters = new QVBoxLayout(gbFilters);
  QCheckBox** boxes[] = {&cbFilter1, &cbFilter2, &cbFilter3, &cbFilter4};
  const int optionSlots[] = {doDropEmptyLines, doTrimLeading, doTrimTrailing, doCollapseSpaces};
  for (int i = 0; i < 4; ++i) {
    *boxes[i] = new QCheckBox(LangQ(705 + i));
    (*boxes[i])->setChecked(RuleSlotInt(options, optionSlots[i]) != 0);
    filters->addWidget(*boxes[i]);
  }
  auto* general = new QVBoxLayout(tsGeneral);
  general->addLayout(maxRow);
  general->addWidget(gbFilters);
  general->addStretch(1);
  pcPages_->addTab(tsGeneral, LangQ(251));

  // The rule's page: its masks, and the code-page switch of the text-based readers.
  if (rule) {
    tsReader_ = new QWidget;
    tsReader_->setObjectName(QStringLiteral("ts%1").arg(reader - 1));
    lbExt = new QListWidget;
    edExt = new QLineEdit;
    bkAddExt = new QPushButton(LangQ(710));
    bkDelExt = new QPushButton(LangQ(711));
    bkUpExt = new QPushButton(style()->standardIcon(QStyle::SP_ArrowUp), QString());
    bkUpExt->setToolTip(PlainCaption(LangQ(278)));
    bkDownExt = new QPushButton(style()->standardIcon(QStyle::SP_ArrowDown), QString());
    bkDownExt->setToolTip(PlainCaption(LangQ(279)));
    bkDefExt = new QPushButton(LangQ(709));
    auto* maskLabel = new QLabel(LangQ(712));
    maskLabel->setBuddy(edExt);
    auto* grid = new QGridLayout(tsReader_);
    grid->addWidget(maskLabel, 0, 0, 1, 2);
    grid->addWidget(edExt, 1, 0);
    grid->addWidget(bkAddExt, 1, 1);
    grid->addWidget(lbExt, 2, 0, 5, 1);
    grid->addWidget(bkDelExt, 2, 1);
    grid->addWidget(bkUpExt, 3, 1);
    grid->addWidget(bkDownExt, 4, 1);
    grid->addWidget(bkDefExt, 5, 1);
    grid->setRowStretch(6, 1);
    if (HasOemOption(reader)) {
      cbOemAnsi_ = new QCheckBox(LangQ(713));
      cbOemAnsi_->setObjectName(QString::fromLatin1(OemBoxName(reader)));
      cbOemAnsi_->setChecked(RuleSlotInt(rule, rsOemToAnsi) != 0);
      grid->addWidget(cbOemAnsi_, 7, 0, 1, 2);
    }
    pcPages_->addTab(tsReader_, QStr(RuleSlotStr(rule, rsName)));
    pcPages_->setCurrentWidget(tsReader_);
    LoadMasks();
    connect(edExt, &QLineEdit::textChanged, this, &TfmDescOpt::UpdateButtons);
    connect(edExt, &QLineEdit::returnPressed, this, &TfmDescOpt::bkAddExtClick);
    connect(lbExt, &QListWidget::currentRowChanged, this, &TfmDescOpt::UpdateButtons);
    connect(bkAddExt, &QPushButton::clicked, this, &TfmDescOpt::bkAddExtClick);
    connect(bkDelExt, &QPushButton::clicked, this, &TfmDescOpt::bkDelExtClick);
    connect(bkUpExt, &QPushButton::clicked, this, [this] { MoveMask(-1); });
    connect(bkDownExt, &QPushButton::clicked, this, [this] { MoveMask(1); });
    connect(bkDefExt, &QPushButton::clicked, this, &TfmDescOpt::bkDefExtClick);
  }

  // Enter in the mask edit adds the mask and nothing else: no button of the dialog is its
  // default, else the first one that may be (Cancel, or Delete of the masks) would be pressed too.
  TOkCancelRow buttons = MakeOkCancelRow(this, {}, false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pcPages_);
  layout->addLayout(buttons.Layout);
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(false);
  UpdateButtons();
}

void TfmDescOpt::LoadMasks() {
  if (!lbExt) return;
  lbExt->clear();
  const TNodeRec* rule = NodeChild(table_.RootNode(), ruleSlot_);
  const TNodeRec* masks = NodeChild(rule, rsMasks);
  for (int i = 0; masks && i < masks->SlotCount; ++i)
    if (NodeSlotType(masks, i) == stString) lbExt->addItem(QStr(NodeGetStr(masks, i)));
  edExt->clear();
  UpdateButtons();
}

void TfmDescOpt::UpdateButtons() {
  if (!lbExt) return;
  const int row = lbExt->currentRow();
  bkAddExt->setEnabled(!edExt->text().trimmed().isEmpty());
  bkDelExt->setEnabled(row >= 0);
  bkUpExt->setEnabled(row > 0);
  bkDownExt->setEnabled(row >= 0 && row < lbExt->count() - 1);
}

void TfmDescOpt::bkAddExtClick() {
  const QString mask = edExt->text().trimmed().toUpper();
  // Ranks of different rules must not overlap: a rule holds at most kMaxRuleMasks masks.
  if (mask.isEmpty() || lbExt->count() >= kMaxRuleMasks) return;
  lbExt->addItem(mask);
  lbExt->setCurrentRow(lbExt->count() - 1);
  edExt->clear();
}

void TfmDescOpt::bkDelExtClick() {
  const int row = lbExt->currentRow();
  if (row < 0) return;
  delete lbExt->takeItem(row);
  if (lbExt->count() > 0) lbExt->setCurrentRow(std::min(row, lbExt->count() - 1));
  UpdateButtons();
}

void TfmDescOpt::MoveMask(int delta) {
  const int row = lbExt->currentRow();
  const int to = row + delta;
  if (row < 0 || to < 0 || to >= lbExt->count()) return;
  QListWidgetItem* item = lbExt->takeItem(row);
  lbExt->insertItem(to, item);
  lbExt->setCurrentRow(to);
}

void TfmDescOpt::bkDefExtClick() {
  table_.GoToDepth(0);
  ResetRuleMasks(table_, ruleSlot_);
  table_.GoToDepth(0);
  LoadMasks();
}

void TfmDescOpt::accept() {
  table_.GoToDepth(0);
  EnterOptNode(table_, 0);
  table_.SetInt(doMaxDescKB, ndMaxDesc->value());
  table_.SetInt(doDropEmptyLines, cbFilter1->isChecked() ? 1 : 0);
  table_.SetInt(doTrimLeading, cbFilter2->isChecked() ? 1 : 0);
  table_.SetInt(doTrimTrailing, cbFilter3->isChecked() ? 1 : 0);
  table_.SetInt(doCollapseSpaces, cbFilter4->isChecked() ? 1 : 0);
  table_.GoToDepth(0);
  if (ruleSlot_ > 0) {
    // The masks are written whichever page is active when OK is pressed: edits made on the
    // rule's page are never dropped silently.
    EnterOptNode(table_, ruleSlot_);
    if (cbOemAnsi_) table_.SetInt(rsOemToAnsi, cbOemAnsi_->isChecked() ? 1 : 0);
    EnterOptNode(table_, rsMasks);
    while (table_.SlotCount() > 0) table_.DeleteSlot(0);
    for (int i = 0; i < lbExt->count(); ++i) table_.SetStr(i, StdStr(lbExt->item(i)->text()));
    table_.GoToDepth(0);
  }
  QDialog::accept();
}
