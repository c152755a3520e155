// SPDX-License-Identifier: MIT
#include "app/qt/Help.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

const QStringList kTopics = {"Overview.htm",       "Search.htm",          "UserList.htm",
                             "GeneralOptions.htm", "FileListOptions.htm", "ArcOptions.htm",
                             "DescOptions.htm",    "InterOptions.htm",    "index.htm",
                             "FileOps.htm",        "CatSetup.htm",        "CatMan.htm",
                             "Properties.htm"};

QString Read(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST(HelpTest, EveryTopicOfTheProgramHasAPage) {
  for (const QString& topic : kTopics) {
    const QString path = HelpTopicPath(topic);
    EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
    const QString html = Read(path);
    EXPECT_TRUE(html.contains("<meta charset=\"utf-8\">")) << topic.toStdString();
    EXPECT_TRUE(html.contains("tolvane.css")) << topic.toStdString();
  }
}

TEST(HelpTest, TopicsNeverLeaveTheHelpFolder) {
  const QString folder = QFileInfo(HelpTopicPath("index.htm")).absolutePath();
  for (const QString& topic : {QString("../Language/English.lng"), QString("..\\..\\etc\\passwd"),
                               QString("/etc/passwd"), QString(".."), QString("")}) {
    EXPECT_EQ(QFileInfo(HelpTopicPath(topic)).absolutePath(), folder) << topic.toStdString();
  }
  EXPECT_TRUE(HelpTopicPath("").endsWith("/help/index.htm"));
}

// Every link between the pages leads to an existing page and anchor.
TEST(HelpTest, LinksBetweenPagesResolve) {
  const QDir dir(QFileInfo(HelpTopicPath("index.htm")).absolutePath());
  QHash<QString, QSet<QString>> anchors;
  const QStringList pages = dir.entryList({"*.htm"}, QDir::Files);
  ASSERT_GE(pages.size(), kTopics.size());
  static const QRegularExpression idRe(R"re(\bid="([^"]+)")re"), hrefRe(R"re(\bhref="([^"]+)")re");
  for (const QString& page : pages) {
    auto it = idRe.globalMatch(Read(dir.filePath(page)));
    QSet<QString>& ids = anchors[page];
    while (it.hasNext()) ids.insert(it.next().captured(1));
  }
  for (const QString& page : pages) {
    auto it = hrefRe.globalMatch(Read(dir.filePath(page)));
    while (it.hasNext()) {
      const QString href = it.next().captured(1);
      if (href.startsWith("http")) continue;
      const QString file = href.section('#', 0, 0).isEmpty() ? page : href.section('#', 0, 0);
      const QString anchor = href.section('#', 1);
      if (file.endsWith(".css")) {
        EXPECT_TRUE(dir.exists(file)) << page.toStdString() << ": " << href.toStdString();
        continue;
      }
      ASSERT_TRUE(anchors.contains(file)) << page.toStdString() << ": " << href.toStdString();
      if (!anchor.isEmpty()) {
        EXPECT_TRUE(anchors[file].contains(anchor))
            << page.toStdString() << ": " << href.toStdString();
      }
    }
  }
}

}  // namespace
