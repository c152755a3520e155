// SPDX-License-Identifier: MIT
// The application object with the last-resort error handler: an exception that escapes an event
// handler is shown in a box titled "Error" (text 10175, the exception's message, text 10176)
// and the program goes on. Commands report their expected failures themselves; this only keeps
// a fault in one command from ending the program with unsaved catalogs.
//
// Threads: GUI thread only.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
  // The owner of the error box (the main window).
  void SetMainWindow(QWidget* window) { mainWindow_ = window; }

 private:
  QPointer<QWidget> mainWindow_;
};

// The text of the error box for an exception with message `what`.
QString ApplicationErrorText(const QString& what);
// Shows the error box for `what`, owned by `owner`.
void ShowApplicationError(QWidget* owner, const QString& what);
