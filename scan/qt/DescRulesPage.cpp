// SPDX-License-Identifier: MIT
#include "scan/qt/DescRulesPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/qt/GuiText.h"
#include "scan/DescRules.h"
#include "store/QDBase.h"

QWidget* BuildDescRulesPage(QWidget* dialog, const TDescRulesWidgets& w,
                            const TDescRulesHandlers& h, QVBoxLayout** layout) {
  auto* page = new QWidget;
  w.cbImportDesc = new QCheckBox;
  w.clImpDesc = new QListWidget;
  w.sbDescOptSet = new QPushButton;
  w.sbDescOptReset = new QPushButton;
  w.sbDescOpt = new QPushButton;
  w.sbUpDesc = new QToolButton;
  w.sbUpDesc->setIcon(dialog->style()->standardIcon(QStyle::SP_ArrowUp));
  w.sbDownDesc = new QToolButton;
  w.sbDownDesc->setIcon(dialog->style()->standardIcon(QStyle::SP_ArrowDown));
  for (QPushButton* b : {w.sbDescOptSet, w.sbDescOptReset, w.sbDescOpt}) b->setAutoDefault(false);
  SetDescRulesPageTexts(w);

  QObject::connect(w.sbDescOptSet, &QPushButton::clicked, dialog, [h] { h.SetAll(true); });
  QObject::connect(w.sbDescOptReset, &QPushButton::clicked, dialog, [h] { h.SetAll(false); });
  QObject::connect(w.clImpDesc, &QListWidget::currentRowChanged, dialog,
                   [h] { h.UpdateButtons(); });
  QObject::connect(w.clImpDesc, &QListWidget::itemDoubleClicked, dialog, [h] { h.OpenRule(); });
  QObject::connect(w.sbUpDesc, &QToolButton::clicked, dialog, [h] { h.Move(-1); });
  QObject::connect(w.sbDownDesc, &QToolButton::clicked, dialog, [h] { h.Move(1); });
  QObject::connect(w.sbDescOpt, &QPushButton::clicked, dialog, [h] { h.OpenRule(); });
  QObject::connect(w.cbImportDesc, &QCheckBox::toggled, dialog, [h] { h.UpdateButtons(); });

  auto* side = new QVBoxLayout;
  side->addWidget(w.sbUpDesc);
  side->addWidget(w.sbDownDesc);
  side->addStretch(1);
  auto* listRow = new QHBoxLayout;
  listRow->addWidget(w.clImpDesc, 1);
  listRow->addLayout(side);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(w.sbDescOptSet);
  buttons->addWidget(w.sbDescOptReset);
  buttons->addStretch(1);
  buttons->addWidget(w.sbDescOpt);
  auto* main = new QVBoxLayout(page);
  main->addWidget(w.cbImportDesc);
  main->addLayout(listRow, 1);
  main->addLayout(buttons);
  if (layout) *layout = main;
  return page;
}

void SetDescRulesPageTexts(const TDescRulesWidgets& w) {
  w.cbImportDesc->setText(LangQ(271));
  w.sbDescOptSet->setText(LangQ(272));
  w.sbDescOptReset->setText(LangQ(273));
  w.sbDescOpt->setText(LangQ(274));
  w.sbUpDesc->setToolTip(PlainCaption(LangQ(278)));
  w.sbDownDesc->setToolTip(PlainCaption(LangQ(279)));
}

void CheckAllItems(QListWidget* list, bool on) {
  for (int i = 0; i < list->count(); ++i)
    list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

QWidget* BuildArcTypesPage(QWidget* dialog, const TArcTypesWidgets& w,
                           const std::function<void(bool on)>& scanToggled, QVBoxLayout** layout) {
  auto* page = new QWidget;
  w.cbScanArc = new QCheckBox;
  w.clScanArc = new QListWidget;
  w.sbArcOptSet = new QPushButton;
  w.sbArcOptReset = new QPushButton;
  for (QPushButton* b : {w.sbArcOptSet, w.sbArcOptReset}) b->setAutoDefault(false);
  SetArcTypesPageTexts(w);
  QListWidget* list = w.clScanArc;
  QObject::connect(w.sbArcOptSet, &QPushButton::clicked, dialog,
                   [list] { CheckAllItems(list, true); });
  QObject::connect(w.sbArcOptReset, &QPushButton::clicked, dialog,
                   [list] { CheckAllItems(list, false); });
  QObject::connect(w.cbScanArc, &QCheckBox::toggled, dialog, scanToggled);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(w.sbArcOptSet);
  buttons->addWidget(w.sbArcOptReset);
  buttons->addStretch(1);
  auto* main = new QVBoxLayout(page);
  main->addWidget(w.cbScanArc);
  main->addWidget(w.clScanArc, 1);
  main->addLayout(buttons);
  if (layout) *layout = main;
  return page;
}

void SetArcTypesPageTexts(const TArcTypesWidgets& w) {
  w.cbScanArc->setText(LangQ(276));
  w.sbArcOptSet->setText(LangQ(272));
  w.sbArcOptReset->setText(LangQ(273));
}

void EnableDescRulesPage(const TDescRulesWidgets& w) {
  const bool on = w.cbImportDesc->isChecked();
  const int row = w.clImpDesc->currentRow();
  w.clImpDesc->setEnabled(on);
  w.sbDescOptSet->setEnabled(on);
  w.sbDescOptReset->setEnabled(on);
  w.sbUpDesc->setEnabled(on && row > 0);
  w.sbDownDesc->setEnabled(on && row >= 0 && row < w.clImpDesc->count() - 1);
  w.sbDescOpt->setEnabled(on && row >= 0);
}

void EnableArcTypesPage(const TArcTypesWidgets& w) {
  const bool on = w.cbScanArc->isChecked();
  for (QWidget* c : std::initializer_list<QWidget*>{w.clScanArc, w.sbArcOptSet, w.sbArcOptReset})
    c->setEnabled(on);
}

void FillDescRulesList(QListWidget* list, const TQDBase& rules, int select) {
  list->clear();
  const TNodeRec* root = rules.RootNode();
  for (int slot = 1; slot < root->SlotCount; ++slot) {
    const TNodeRec* rule = NodeChild(root, slot);
    auto* item = new QListWidgetItem(QStr(RuleListText(rule)), list);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(RuleSlotInt(rule, rsEnabled) ? Qt::Checked : Qt::Unchecked);
  }
  if (select >= 0 && select < list->count()) list->setCurrentRow(select);
}
