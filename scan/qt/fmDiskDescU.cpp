// SPDX-License-Identifier: MIT
#include "scan/qt/fmDiskDescU.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/GuiText.h"

QString DescriptionToEditor(std::string_view stored) {
  QString text = QStr(stored);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string DescriptionFromEditor(const QString& text) {
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  while (t.endsWith(QLatin1Char('\n'))) t.chop(1);
  t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return StdStr(t);
}

TfmDiskDesc::TfmDiskDesc(const QString& diskName, std::string_view description, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(LangQ(10512));
  mmDesc = new QPlainTextEdit;
  mmDesc->setPlainText(DescriptionToEditor(description));
  auto* label = new QLabel(LangFormatQ(10513, StdStr(diskName)));
  label->setWordWrap(true);
  label->setBuddy(mmDesc);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(LangQ(260), QDialogButtonBox::AcceptRole);
  buttons->addButton(LangQ(261), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(mmDesc, 1);
  layout->addWidget(buttons);
  resize(420, 260);
}

std::string TfmDiskDesc::Description() const { return DescriptionFromEditor(mmDesc->toPlainText()); }
