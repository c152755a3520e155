// SPDX-License-Identifier: MIT
#include "catalog/qt/fmNewCatU.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/DialogButtons.h"
#include "app/qt/GuiText.h"

TfmNewCat::TfmNewCat(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fmNewCat"));
  auto* layout = new QVBoxLayout(this);
  lbName = new QLabel(this);
  edName = new QLineEdit(this);
  edName->setObjectName(QStringLiteral("edName"));
  edName->setMinimumWidth(320);
  lbName->setBuddy(edName);
  TOkCancelRow buttons = MakeOkCancelRow(this);
  bkOk = buttons.Ok;
  bkCancel = buttons.Cancel;
  layout->addWidget(lbName);
  layout->addWidget(edName);
  layout->addSpacing(8);
  layout->addLayout(buttons.Layout);
  Prepare();
}

void TfmNewCat::Prepare() {
  setWindowTitle(LangQ(601));
  lbName->setText(LangQ(602));
  bkOk->setText(LangQ(260));
  bkCancel->setText(LangQ(261));
  edName->clear();
  edName->setFocus();
}

QString TfmNewCat::Name() const { return edName->text(); }
