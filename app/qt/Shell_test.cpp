// SPDX-License-Identifier: MIT
#include "app/qt/Shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <string>
#include <vector>

#include "app/Language.h"
#include "app/ShellCommand.h"
#include "app/qt/GuiText.h"
#include "app/qt/Prompts.h"

namespace {

// Records the messages instead of showing boxes.
class RecordingPrompter : public TPrompter {
 public:
  TAnswer Prompt(QWidget*, TPromptKind, const QString&, const QString& text) override {
    texts.push_back(text);
    return TAnswer::Yes;
  }
  std::vector<QString> texts;
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    LangTable(TLangKind::English)
        .LoadFromFile(std::string(TOLVANE_SOURCE_DIR) + "/Language/English.lng");
    SetPrompter(&prompter_);
  }
  void TearDown() override {
    SetPrompter(nullptr);
    LangTable(TLangKind::English).Clear();
  }
  QString P(const QString& rel) const { return tmp_.path() + "/" + rel; }

  QTemporaryDir tmp_;
  RecordingPrompter prompter_;
};

TEST_F(ShellTest, PathErrorsAreTheShellCodes) {
  QDir(tmp_.path()).mkpath("sub");
  QFile f(P("sub/file.txt"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_EQ(ShellPathError(P("sub/file.txt")), 0);
  EXPECT_EQ(ShellPathError(P("sub")), 0);
  EXPECT_EQ(ShellPathError(P("sub/missing.txt")), 2);
  EXPECT_EQ(ShellPathError(P("nosuch/missing.txt")), 3);
  EXPECT_EQ(ShellPathError(QString()), 2);
  if (::geteuid() != 0) {  // root reads everything
    ::chmod(QFile::encodeName(P("sub/file.txt")).constData(), 0);
    EXPECT_EQ(ShellPathError(P("sub/file.txt")), 5);
  }
}

TEST_F(ShellTest, OpeningAMissingFileShowsTheShellMessage) {
  EXPECT_EQ(ShellOpen(P("nosuch/x.htm")), 3);
  ASSERT_EQ(prompter_.texts.size(), 1u);
  EXPECT_TRUE(prompter_.texts[0].startsWith(LangQ(10162))) << prompter_.texts[0].toStdString();
  EXPECT_TRUE(prompter_.texts[0].contains("x.htm"));
}

TEST_F(ShellTest, AWebAddressWithoutABrowserShowsTheShellMessage) {
  // No browser to be found: an empty search path and no browser named in the environment.
  const QByteArray path = qgetenv("PATH"), browser = qgetenv("BROWSER"),
                   defaultBrowser = qgetenv("DEFAULT_BROWSER");
  qputenv("PATH", QFile::encodeName(tmp_.path()));
  qunsetenv("BROWSER");
  qunsetenv("DEFAULT_BROWSER");
  const QUrl url(QStringLiteral("tolvane-no-such-scheme://example/page"));
  const int result = ShellOpenUrl(url);
  qputenv("PATH", path);
  if (!browser.isNull()) qputenv("BROWSER", browser);
  if (!defaultBrowser.isNull()) qputenv("DEFAULT_BROWSER", defaultBrowser);
  EXPECT_EQ(result, 31);
  ASSERT_EQ(prompter_.texts.size(), 1u);
  EXPECT_TRUE(prompter_.texts[0].startsWith(QStr(ShellErrorText(31))))
      << prompter_.texts[0].toStdString();
  EXPECT_TRUE(prompter_.texts[0].contains(url.toDisplayString()));
}

TEST_F(ShellTest, AlternativeShellWithAMissingProgramShowsItsName) {
  EXPECT_FALSE(ExploreWithProgram("tolvane-no-such-program --select %1", P("a.txt")));
  ASSERT_EQ(prompter_.texts.size(), 1u);
  EXPECT_EQ(prompter_.texts[0], LangFormatQ(10174, "tolvane-no-such-program"));
}

TEST_F(ShellTest, AlternativeShellStartsTheProgramWithTheItem) {
  // A script that records its arguments and working folder.
  const QString script = P("record.sh");
  QFile s(script);
  ASSERT_TRUE(s.open(QIODevice::WriteOnly));
  s.write("#!/bin/sh\npwd > \"$0.out\"\nfor a in \"$@\"; do echo \"$a\" >> \"$0.out\"; done\n");
  s.close();
  s.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QDir(tmp_.path()).mkpath("my dir");
  const QString item = P("my dir/a b.txt");
  ASSERT_TRUE(ExploreWithProgram(StdStr("\"" + script + "\" --in %2"), item));
  EXPECT_TRUE(prompter_.texts.empty());
  QFile out(script + ".out");
  for (int i = 0; i < 100 && !out.exists(); ++i) ::usleep(20000);
  for (int i = 0; i < 50 && out.size() < 10; ++i) ::usleep(20000);
  ::usleep(50000);
  ASSERT_TRUE(out.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(out.readAll()).split('\n', Qt::SkipEmptyParts);
  // The folder stays one argument despite its space; "%2" is there, so no "%1" is appended.
  ASSERT_EQ(lines.size(), 3) << lines.join('|').toStdString();
  EXPECT_EQ(lines[0], P("my dir"));
  EXPECT_EQ(lines[1], "--in");
  EXPECT_EQ(lines[2], P("my dir"));
}

TEST_F(ShellTest, FolderInsideRoot) {
  QDir(tmp_.path()).mkpath("a/b/c");
  QDir(tmp_.path()).mkpath("a/bc");
  EXPECT_TRUE(FolderInsideRoot(P("a/b"), P("a/b")));
  EXPECT_TRUE(FolderInsideRoot(P("a/b/"), P("a/b")));
  EXPECT_TRUE(FolderInsideRoot(P("a/b/c"), P("a/b/")));
  EXPECT_FALSE(FolderInsideRoot(P("a/bc"), P("a/b")));
  EXPECT_FALSE(FolderInsideRoot(P("a"), P("a/b")));
  EXPECT_FALSE(FolderInsideRoot(P("a/b/../../a"), P("a/b")));
  EXPECT_TRUE(FolderInsideRoot(P("a"), QString()));
  // A link inside the root that leads out of it is outside.
  ASSERT_TRUE(QFile::link(P("a/bc"), P("a/b/out")));
  EXPECT_FALSE(FolderInsideRoot(P("a/b/out"), P("a/b")));
}

}  // namespace
