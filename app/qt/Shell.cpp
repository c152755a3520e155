// SPDX-License-Identifier: MIT
#include "app/qt/Shell.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

#include "app/ShellCommand.h"
#include "app/qt/GuiText.h"
#include "app/qt/Prompts.h"

namespace {

// A file manager that is started on demand by the bus may take a moment to answer.
constexpr int kFileManagerTimeoutMs = 5000;

void ShowShellError(int code, const QString& path) {
  ShowMessageQ(QApplication::activeWindow(),
               QStr(ShellErrorText(code)) + QStringLiteral("\n\n") + QDir::toNativeSeparators(path),
               TPromptKind::Warning);
}

bool AskFileManager(const QString& path, bool isFolder) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"),
      QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"),
      isFolder ? QStringLiteral("ShowFolders") : QStringLiteral("ShowItems"));
  call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
  const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
  return reply.type() == QDBusMessage::ReplyMessage;
}

QString Canonical(const QString& path) {
  const QString clean = QDir::cleanPath(QDir(path).absolutePath());
  const QString canonical = QFileInfo(clean).canonicalFilePath();
  return canonical.isEmpty() ? clean : canonical;
}

}  // namespace

int ShellPathError(const QString& path) {
  const QFileInfo info(path);
  if (path.isEmpty()) return 2;
  if (!info.exists()) return QFileInfo(info.absolutePath()).isDir() ? 2 : 3;
  if (!info.isReadable()) return 5;
  return 0;
}

int ShellOpen(const QString& path) {
  int code = ShellPathError(path);
  if (code == 0 &&
      !QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())))
    code = 31;
  if (code == 0) return kShellOpened;
  ShowShellError(code, path);
  return code;
}

int ShellOpenUrl(const QUrl& url) {
  if (QDesktopServices::openUrl(url)) return kShellOpened;
  ShowShellError(31, url.toDisplayString());
  return 31;
}

void ExploreItem(const QString& fullPath, bool isFolder) {
  if (const int code = ShellPathError(fullPath); code != 0) {
    ShowShellError(code, fullPath);
    return;
  }
  const QString absolute = QFileInfo(fullPath).absoluteFilePath();
  if (AskFileManager(absolute, isFolder)) return;
  ShellOpen(isFolder ? absolute : QFileInfo(absolute).absolutePath());
}

bool ExploreWithProgram(std::string_view templ, const QString& fullPath) {
  const QString folder = QFileInfo(fullPath).absolutePath();
  TShellCommand cmd;
  std::string error;
  if (!PrepareAlternativeShell(templ, StdStr(fullPath), StdStr(folder), cmd, error)) {
    ShowMessageQ(QApplication::activeWindow(), QStr(error), TPromptKind::Warning);
    return false;
  }
  QStringList args;
  for (const std::string& a : cmd.Arguments) args << QStr(a);
  if (!QProcess::startDetached(QStr(cmd.Program), args, folder)) {
    // Found and runnable, yet not started: not a program the system can run.
    const int code = ShellPathError(QStr(cmd.Program));
    ShowShellError(code != 0 ? code : 11, QStr(cmd.Program));
    return false;
  }
  return true;
}

bool FolderInsideRoot(const QString& folder, const QString& root) {
  if (root.isEmpty()) return true;
  const QString f = Canonical(folder);
  QString r = Canonical(root);
  if (f == r) return true;
  if (!r.endsWith('/')) r += '/';
  return f.startsWith(r);
}

QString BrowseForFolder(QWidget* parent, const QString& initial, const QString& title,
                        const QString& root) {
  QString start = initial.isEmpty() || !FolderInsideRoot(initial, root) ? root : initial;
  for (;;) {
    const QString chosen = QFileDialog::getExistingDirectory(
        parent, title, start, QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (chosen.isEmpty()) return {};
    if (FolderInsideRoot(chosen, root)) return chosen;
    QApplication::beep();
    start = root;
  }
}
