// SPDX-License-Identifier: MIT
#include "platform/FileNames.h"

std::string SafeFileName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32) {
      c = '_';
      continue;
    }
    switch (c) {
      case '"':
      case '*':
      case '/':
      case ':':
      case '<':
      case '>':
      case '?':
      case '\\':
      case '|':
        c = '_';
        break;
      default:
        break;
    }
  }
  return out;
}

size_t ExtensionDot(std::string_view name) {
  size_t sep = name.find_last_of("/\\");
  size_t start = sep == std::string_view::npos ? 0 : sep + 1;
  size_t first = name.find_first_not_of('.', start);  // past the leading dots
  if (first == std::string_view::npos) return std::string_view::npos;
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos || dot < first ? std::string_view::npos : dot;
}

std::string NameWithoutExt(std::string_view name) {
  size_t dot = ExtensionDot(name);
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

std::string NameExt(std::string_view name) {
  size_t dot = ExtensionDot(name);
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot + 1));
}
