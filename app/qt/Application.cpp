// SPDX-License-Identifier: MIT
#include "app/qt/Application.h"

#include <exception>

#include "app/qt/GuiText.h"
#include "app/qt/Prompts.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowApplicationError(mainWindow_, QString::fromUtf8(e.what()));
  } catch (...) {
    ShowApplicationError(mainWindow_, QStringLiteral("Unknown exception"));
  }
  return false;
}

QString ApplicationErrorText(const QString& what) {
  return LangQ(10175) + QStringLiteral("\r\n\r\n") + what + QStringLiteral("\r\n\r\n") +
         LangQ(10176);
}

void ShowApplicationError(QWidget* owner, const QString& what) {
  ShowErrorQ(owner, ApplicationErrorText(what));
}
