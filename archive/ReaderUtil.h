// SPDX-License-Identifier: MIT
// Small helpers shared by the header readers of OwnReaders.h (internal to archive/).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "archive/ArchiveEntry.h"

// DOS-style attributes from Unix permission bits: read-only when the owner may not write,
// directory or archive by kind.
inline uint8_t AttrFromUnixMode(uint32_t mode, bool isDir) {
  uint8_t a = isDir ? kAttrDirectory : kAttrArchive;
  if ((mode & 0200) == 0) a |= kAttrReadOnly;
  return a;
}

// The text before the first NUL of a fixed-size field.
inline std::string_view FieldText(const unsigned char* p, size_t max) {
  size_t n = 0;
  while (n < max && p[n] != 0) ++n;
  return std::string_view(reinterpret_cast<const char*>(p), n);
}

// Makes a folder entry's path end with "\" (an empty path stays empty).
inline void EndWithBackslash(std::string& path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
}

// An upper bound on entries per archive: headers are at least a few bytes each, so this only
// stops a pathological file from growing a listing without end.
inline constexpr uint64_t kMaxArchiveEntries = 10'000'000;
