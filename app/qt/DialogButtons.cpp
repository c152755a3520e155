// SPDX-License-Identifier: MIT
#include "app/qt/DialogButtons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/qt/GuiText.h"

TOkCancelRow MakeOkCancelRow(QDialog* dialog, std::function<void()> ok, bool enterPressesOk) {
  TOkCancelRow row;
  row.Ok = new QPushButton(LangQ(260), dialog);
  row.Ok->setObjectName(QStringLiteral("bkOk"));
  row.Cancel = new QPushButton(LangQ(261), dialog);
  row.Cancel->setObjectName(QStringLiteral("bkCancel"));
  if (enterPressesOk) {
    row.Ok->setDefault(true);
  } else {
    // A dialog without a default button makes its first auto-default button the default.
    row.Ok->setAutoDefault(false);
    row.Cancel->setAutoDefault(false);
  }
  if (ok)
    QObject::connect(row.Ok, &QPushButton::clicked, dialog, std::move(ok));
  else
    QObject::connect(row.Ok, &QPushButton::clicked, dialog, &QDialog::accept);
  QObject::connect(row.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  row.Layout = new QHBoxLayout;
  row.Layout->addStretch(1);
  row.Layout->addWidget(row.Ok);
  row.Layout->addWidget(row.Cancel);
  return row;
}
