// SPDX-License-Identifier: MIT
#include "scan/DescShortName.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/TextCase.h"

namespace {

// Characters allowed in 8.3 names besides letters and digits.
bool IsDosChar(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return c >= 0x20 && c < 0x80 && std::strchr("!#$%&'()-@^_`{}~", c) != nullptr;
}

// The alias form of one part of a long name: upper-cased, blanks and dots dropped, every other
// character an 8.3 name does not allow (a whole UTF-8 sequence counting as one) made "_".
std::string AliasPart(std::string_view part) {
  std::string out;
  for (size_t i = 0; i < part.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(part[i]);
    if (c == ' ' || c == '.') continue;
    if (c >= 0x80) {
      while (i + 1 < part.size() && (static_cast<unsigned char>(part[i + 1]) & 0xC0) == 0x80) ++i;
      out += '_';
    } else {
      out += IsDosChar(c) ? static_cast<char>(AsciiUpper(c)) : '_';
    }
  }
  return out;
}

bool SameFile(int dirfd, const std::string& a, const struct stat& sb) {
  struct stat sa;
  return ::fstatat(dirfd, a.c_str(), &sa, AT_SYMLINK_NOFOLLOW) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

bool IsDosName(std::string_view name) {
  size_t dot = name.find('.');
  std::string_view base = name.substr(0, dot);
  std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
  if (dot != std::string_view::npos && ext.empty()) return false;
  for (char c : base)
    if (!IsDosChar(static_cast<unsigned char>(c))) return false;
  for (char c : ext)
    if (!IsDosChar(static_cast<unsigned char>(c))) return false;
  return true;
}

int FindShortNameEntry(std::string_view shortName, const std::vector<std::string_view>& names,
                       const std::string& folderPath) {
  return FindShortNameEntryAt(shortName, names, folderPath.empty() ? -1 : AT_FDCWD, folderPath);
}

int FindShortNameEntryAt(std::string_view shortName, const std::vector<std::string_view>& names,
                         int dirfd, const std::string& pathPrefix) {
  std::string shortUpper = Utf8Upper(shortName);
  for (size_t i = 0; i < names.size(); ++i)
    if (Utf8Upper(names[i]) == shortUpper) return static_cast<int>(i);

  if (dirfd != -1 && shortName.find('/') == std::string_view::npos) {
    struct stat st;
    if (::fstatat(dirfd, (pathPrefix + std::string(shortName)).c_str(), &st, AT_SYMLINK_NOFOLLOW) ==
        0) {
      for (size_t i = 0; i < names.size(); ++i)
        if (SameFile(dirfd, pathPrefix + std::string(names[i]), st)) return static_cast<int>(i);
    }
  }

  // "PREFIX~N.EXT": the prefix is the start of the alias base, N a number.
  size_t dot = shortUpper.rfind('.');
  std::string_view base = std::string_view(shortUpper).substr(0, dot);
  std::string_view ext =
      dot == std::string::npos ? std::string_view() : std::string_view(shortUpper).substr(dot + 1);
  size_t tilde = base.rfind('~');
  if (tilde == std::string_view::npos || tilde == 0 || tilde + 1 == base.size()) return -1;
  for (size_t k = tilde + 1; k < base.size(); ++k)
    if (base[k] < '0' || base[k] > '9') return -1;
  std::string_view prefix = base.substr(0, tilde);
  int found = -1;
  for (size_t i = 0; i < names.size(); ++i) {
    std::string_view name = names[i];
    if (IsDosName(name)) continue;
    std::string_view trimmed = name;
    while (!trimmed.empty() && trimmed.front() == '.') trimmed.remove_prefix(1);
    size_t d = trimmed.rfind('.');
    std::string aliasBase = AliasPart(trimmed.substr(0, d));
    std::string aliasExt =
        d == std::string_view::npos ? std::string() : AliasPart(trimmed.substr(d + 1)).substr(0, 3);
    if (aliasBase.compare(0, prefix.size(), prefix) != 0 || aliasBase.size() < prefix.size() ||
        aliasExt != ext)
      continue;
    if (found >= 0) return -1;  // more than one entry could have this alias
    found = static_cast<int>(i);
  }
  return found;
}
