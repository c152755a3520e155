// SPDX-License-Identifier: MIT
#include "app/qt/SingleInstance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QSignalSpy>
#include <cstring>
#include <memory>

namespace {

// A name per test and process, so parallel runs never meet.
QString TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return QStringLiteral("TolvaneTest-%1-%2")
      .arg(info->name())
      .arg(QCoreApplication::applicationPid());
}

TEST(SingleInstance, SecondInstanceRestoresTheFirstAndEnds) {
  const QString name = TestName();
  auto first = std::make_unique<TSingleInstance>(name);
  ASSERT_TRUE(first->TryBecomePrimary());
  QSignalSpy restored(first.get(), &TSingleInstance::restoreRequested);

  TSingleInstance second(name);
  EXPECT_FALSE(second.TryBecomePrimary());
  ASSERT_TRUE(restored.wait(3000));
  EXPECT_EQ(restored.count(), 1);

  // A third start restores again: the first keeps listening.
  TSingleInstance third(name);
  EXPECT_FALSE(third.TryBecomePrimary());
  ASSERT_TRUE(restored.wait(3000));
  EXPECT_EQ(restored.count(), 2);

  // Once the first has ended, the next start is the primary one.
  first.reset();
  TSingleInstance next(name);
  EXPECT_TRUE(next.TryBecomePrimary());
}

TEST(SingleInstance, SecondInstancePassesItsFilesAbsoluteBeforeTheRestore) {
  const QString name = TestName();
  TSingleInstance first(name);
  ASSERT_TRUE(first.TryBecomePrimary());
  QStringList order;
  QStringList opened;
  QObject::connect(&first, &TSingleInstance::openRequested, [&](const QStringList& files) {
    opened = files;
    order << "open";
  });
  QSignalSpy restored(&first, &TSingleInstance::restoreRequested);
  QObject::connect(&first, &TSingleInstance::restoreRequested, [&] { order << "restore"; });

  // A relative name is taken against the second instance's folder; odd bytes pass unchanged.
  const QString odd = QStringLiteral("/tmp/a dir/100% \u043a\u0430\u0442.ctl\nsecond line.ctl");
  TSingleInstance second(name);
  EXPECT_FALSE(second.TryBecomePrimary({QStringLiteral("rel/other.ctl"), odd}));
  ASSERT_TRUE(restored.wait(3000));
  EXPECT_EQ(opened, (QStringList{QDir::current().absoluteFilePath("rel/other.ctl"), odd}));
  EXPECT_EQ(order, (QStringList{"open", "restore"}));

  // Without files only the restore arrives.
  opened.clear();
  TSingleInstance third(name);
  EXPECT_FALSE(third.TryBecomePrimary());
  ASSERT_TRUE(restored.wait(3000));
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_EQ(order, (QStringList{"open", "restore", "restore"}));
}

TEST(SingleInstance, StaleSocketOfACrashedInstanceDoesNotBlockTheStart) {
  const QString name = TestName();
  // What a killed instance leaves: a socket file that nobody listens on.
  const QByteArray path = QFile::encodeName(QDir::tempPath() + "/" + name);
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  ASSERT_LT(static_cast<size_t>(path.size()), sizeof(addr.sun_path));
  std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
  ::close(fd);
  ASSERT_TRUE(QFileInfo::exists(QString::fromLocal8Bit(path)));

  TSingleInstance recovered(name);
  EXPECT_TRUE(recovered.TryBecomePrimary());
  QSignalSpy restored(&recovered, &TSingleInstance::restoreRequested);
  // It really listens now.
  TSingleInstance later(name);
  EXPECT_FALSE(later.TryBecomePrimary());
  EXPECT_TRUE(restored.wait(3000));
}

TEST(SingleInstance, DefaultNameIsPerUser) {
  EXPECT_EQ(TSingleInstance::DefaultName(), QStringLiteral("Tolvane-%1").arg(::getuid()));
  EXPECT_EQ(TSingleInstance().Name(), TSingleInstance::DefaultName());
  EXPECT_EQ(TSingleInstance("x").Name(), "x");
}

}  // namespace
