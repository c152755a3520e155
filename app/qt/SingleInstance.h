// SPDX-License-Identifier: MIT
// One running Tolvane per user. The first instance listens on a local socket whose name is made
// of "Tolvane" and the user id; a later instance finds it listening, sends it "restore" and is
// told to end (TryBecomePrimary returns false). The running instance then raises its window
// (restoreRequested). A socket file left behind by an instance that crashed answers no
// connection: it is removed and the new instance becomes the primary one.
//
// Threads: GUI thread (the object lives in the thread that runs the event loop).
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

class TSingleInstance : public QObject {
  Q_OBJECT
 public:
  // `name` empty: the per-user name of the program (DefaultName). Tests pass a name of their own.
  explicit TSingleInstance(const QString& name = {}, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // True when this process is now the only instance and listens for later ones. False when
  // another instance answered; it has been sent "restore" and this process should end. Call once.
  bool TryBecomePrimary();

  const QString& Name() const { return name_; }
  // "Tolvane-" followed by the user id.
  static QString DefaultName();

 signals:
  // A later instance asked the running one to show itself.
  void restoreRequested();

 private:
  void acceptConnection();

  QString name_;
  QLocalServer* server_ = nullptr;
};
