// SPDX-License-Identifier: MIT
#include "app/qt/SingleInstance.h"

#include <unistd.h>

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QUrl>
#include <memory>
#include <utility>

namespace {
// Connecting to a live local server succeeds at once (the kernel queues the connection); the
// timeouts only bound a server that is wedged.
constexpr int kConnectMs = 1000;
constexpr int kWriteMs = 1000;
constexpr char kRestore[] = "restore";
constexpr char kOpen[] = "open ";
// A line holds at most one encoded file name; anything longer is not ours.
constexpr qint64 kMaxRequest = 64 * 1024;
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

bool TSingleInstance::TryBecomePrimary(const QStringList& files) {
  {
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(kConnectMs)) {
      for (const QString& file : files) {
        if (file.isEmpty()) continue;
        probe.write(kOpen);
        probe.write(QUrl::toPercentEncoding(QFileInfo(file).absoluteFilePath(), "/"));
        probe.write("\n");
      }
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
    auto files = std::make_shared<QStringList>();
    auto handle = [this, s = QPointer<QLocalSocket>(socket), files] {
      if (!s) return;
      while (s->canReadLine()) {
        const QByteArray line = s->readLine(kMaxRequest).trimmed();
        if (line.startsWith(kOpen)) {
          const QString file = QUrl::fromPercentEncoding(line.mid(int(sizeof(kOpen)) - 1));
          if (QFileInfo(file).isAbsolute()) files->append(file);
        } else if (line == kRestore) {
          if (!files->isEmpty()) emit openRequested(std::exchange(*files, QStringList()));
          emit restoreRequested();
        }
      }
      if (s->bytesAvailable() > kMaxRequest) s->abort();
    };
    connect(socket, &QLocalSocket::readyRead, this, handle);
    connect(socket, &QLocalSocket::readChannelFinished, this, handle);
    handle();
  }
}
