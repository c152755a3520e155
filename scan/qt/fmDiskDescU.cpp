// SPDX-License-Identifier: MIT
#include "scan/qt/fmDiskDescU.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "app/qt/DialogButtons.h"
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
  TOkCancelRow buttons = MakeOkCancelRow(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(mmDesc, 1);
  layout->addLayout(buttons.Layout);
  resize(420, 260);
}

std::string TfmDiskDesc::Description() const {
  return DescriptionFromEditor(mmDesc->toPlainText());
}
