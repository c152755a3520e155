// SPDX-License-Identifier: MIT
#include "app/qt/Help.h"

#include "app/qt/GuiText.h"
#include "app/qt/ProgramPlaces.h"
#include "app/qt/Shell.h"

QString HelpTopicPath(const QString& topic) {
  // A topic is a file name of the help folder, never a path that leaves it.
  QString name = topic;
  name.replace('\\', '/');
  name = name.section('/', -1);
  if (name.isEmpty() || name == "." || name == "..") name = QStringLiteral("index.htm");
  return QStr(ProgramPlaces().DataFolder) + QStringLiteral("help/") + name;
}

void ShowHelpTopic(const QString& topic) { ShellOpen(HelpTopicPath(topic)); }
