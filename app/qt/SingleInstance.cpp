// SPDX-License-Identifier: MIT
#include "app/qt/SingleInstance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace {
// Connecting to a live local server succeeds at once (the kernel queues the connection); the
// timeouts only bound a server that is wedged.
constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 1000;
constexpr char kRestore[] = "restore";
// A request is one short line; anything longer is not ours.
constexpr qint64 kMaxRequest = 64;
}  // namespace

TSingleInstance::TSingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name.isEmpty() ? DefaultName() : name) {}

TSingleInstance::~TSingleInstance() {
  // QLocalServer::close removes the socket file, so the next start is primary at once.
  if (server_) server_->close();
}

QString TSingleInstance::DefaultName() {
  return QStringLiteral("Tolvane-%1").arg(static_cast<qulonglong>(::getuid()));
}

bool TSingleInstance::TryBecomePrimary() {
  {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(kConnectMs)) {
      probe.write(kRestore);
      probe.write("\n");
      probe.flush();
      probe.waitForBytesWritten(kWriteMs);
      probe.disconnectFromServer();
      if (probe.state() != QLocalSocket::UnconnectedState) probe.waitForDisconnected(kWriteMs);
      return false;
    }
  }
  // Nobody answered: either no instance runs or a crashed one left its socket file behind.
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::acceptConnection);
  if (!server_->listen(name_) && server_->serverError() == QAbstractSocket::AddressInUseError) {
    QLocalServer::removeServer(name_);
    server_->listen(name_);
  }
  // When listening fails for another reason (no temporary folder) this instance still runs;
  // it only cannot be found by later ones.
  return true;
}

void TSingleInstance::acceptConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // The request may arrive before or together with the peer's close: read on both.
    auto handle = [this, s = QPointer<QLocalSocket>(socket)] {
      if (!s) return;
      while (s->canReadLine()) {
        const QByteArray line = s->readLine(kMaxRequest).trimmed();
        if (line == kRestore) emit restoreRequested();
      }
      if (s->bytesAvailable() > kMaxRequest) s->abort();
    };
    connect(socket, &QLocalSocket::readyRead, this, handle);
    connect(socket, &QLocalSocket::readChannelFinished, this, handle);
    handle();
  }
}
