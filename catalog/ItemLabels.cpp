// SPDX-License-Identifier: MIT
#include "catalog/ItemLabels.h"

#include "app/Language.h"
#include "catalog/CatalogLayout.h"

std::string AttributeLetters(int32_t itemFlags) {
  int a = ItemAttributes(itemFlags);
  std::string s;
  if (a & kAttrDirectory) s += 'd';
  if (a & kAttrReadOnly) s += 'r';
  if (a & kAttrHidden) s += 'h';
  if (a & kAttrSystem) s += 's';
  if (a & kAttrArchive) s += 'a';
  return s;
}

std::string KindText(int32_t itemFlags) {
  int kind = ItemKind(itemFlags);
  if (kind >= 100) return LangText(10131);
  switch (kind) {
    case ikCatalog:
      return LangText(10132);
    case ikGroup:
      return LangText(10133);
    case ikDisk:
      return LangText(10134);
    case ikFolder:
      return LangText(10135);
    default:
      return {};
  }
}

std::string DriveTypeText(int driveType) {
  switch (driveType) {
    case 1:
      return LangText(10181);
    case 2:
      return LangText(10182);
    case 3:
      return LangText(10183);
    case 4:
      return LangText(10184);
    case 5:
      return LangText(10185);
    case 6:
      return LangText(10186);
    default:
      return {};
  }
}

std::string FirstLine(std::string_view description) {
  size_t start = 0;
  while (start < description.size() && static_cast<unsigned char>(description[start]) <= 32)
    ++start;
  std::string_view rest = description.substr(start);
  size_t cr = rest.find('\r');
  if (cr == std::string_view::npos) return std::string(rest);
  return std::string(rest.substr(0, cr)) + " [...]";
}
