// SPDX-License-Identifier: MIT
#include "catalog/qt/fmNewCatU.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/GuiText.h"

TfmNewCat::TfmNewCat(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("fmNewCat"));
  auto* layout = new QVBoxLayout(this);
  lbName = new QLabel(this);
  edName = new QLineEdit(this);
  edName->setObjectName(QStringLiteral("edName"));
  edName->setMinimumWidth(320);
  lbName->setBuddy(edName);
  auto* buttons = new QDialogButtonBox(this);
  bkOk = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  bkCancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  bkOk->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(lbName);
  layout->addWidget(edName);
  layout->addSpacing(8);
  layout->addWidget(buttons);
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
