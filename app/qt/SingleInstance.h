// SPDX-License-Identifier: MIT
// One running Tolvane per user. The first instance listens on a local socket whose name is made
// of "Tolvane" and the user id; a later instance finds it listening, sends it the files of its
// command line and "restore", and is told to end (TryBecomePrimary returns false). The running
// instance then opens the files (openRequested) and raises its window (restoreRequested).
//
// The request is lines of text: one "open " line per file, the absolute file name
// percent-encoded (so that any byte of a name, line ends included, passes), then "restore". A
// socket file left behind by an instance that crashed answers no connection: it is removed and the
// new instance becomes the primary one.
//
// Threads: GUI thread (the object lives in the thread that runs the event loop).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

class TSingleInstance : public QObject {
  Q_OBJECT
 public:
  // `name` empty: the per-user name of the program (DefaultName). Tests pass a name of their own.
  explicit TSingleInstance(const QString& name = {}, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // True when this process is now the only instance and listens for later ones. False when
  // another instance answered; it has been sent `files` (made absolute against the current
  // folder) and "restore", and this process should end. Call once.
  bool TryBecomePrimary(const QStringList& files = {});

  const QString& Name() const { return name_; }
  // "Tolvane-" followed by the user id.
  static QString DefaultName();

 signals:
  // A later instance asked the running one to open these files (absolute names, in the order
  // of its command line); restoreRequested follows.
  void openRequested(const QStringList& files);
  // A later instance asked the running one to show itself.
  void restoreRequested();

 private:
  void acceptConnection();

  QString name_;
  QLocalServer* server_ = nullptr;
};
