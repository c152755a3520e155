// SPDX-License-Identifier: MIT
#include "app/qt/GuiText.h"

#include <QRegularExpression>

#include "app/Language.h"
#include "platform/CodePage.h"
#include "platform/TextCase.h"

namespace {

std::string& LegacyCodePage() {
  static std::string page = "WINDOWS-1252";
  return page;
}

}  // namespace

QString QStr(std::string_view bytes) {
  if (IsValidUtf8(bytes))
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  std::string utf8 = AnsiToUtf8(bytes, LegacyCodePage());
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string StdStr(const QString& text) { return text.toStdString(); }

void SetLegacyCodePage(std::string_view codepage) { LegacyCodePage() = std::string(codepage); }

QString LangQ(int number) { return QString::fromStdString(LangText(number)); }

QString LangFormatQ(int number, std::string_view arg) {
  return QString::fromStdString(LangFormat(number, arg));
}

QString PlainCaption(const QString& caption) {
  QString s = caption;
  s.remove(QRegularExpression(QStringLiteral("&(?!&)")));
  s.replace(QStringLiteral("&&"), QStringLiteral("&"));
  if (s.endsWith(QStringLiteral("..."))) s.chop(3);
  return s;
}
