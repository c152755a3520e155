// SPDX-License-Identifier: MIT
#include "archive/GzipHeader.h"

#include "archive/ArcText.h"

namespace {

constexpr unsigned char kFExtra = 0x04, kFName = 0x08;
constexpr size_t kMaxName = 4096;

std::string Latin1ToUtf8(std::string_view s) {
  std::string out;
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool EndsWithNoCase(std::string_view s, std::string_view tail) {
  if (s.size() < tail.size()) return false;
  for (size_t i = 0; i < tail.size(); ++i) {
    char a = s[s.size() - tail.size() + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (a != tail[i]) return false;
  }
  return true;
}

}  // namespace

bool ReadGzipHeader(const TArcSource& src, uint64_t start, TGzipInfo& info) {
  info = TGzipInfo();
  unsigned char h[10];
  if (!src.ReadAt(start, h, sizeof h)) return false;
  if (h[0] != 0x1F || h[1] != 0x8B || h[2] != 8) return false;
  info.MTime = Le32(h + 4);
  uint64_t pos = start + 10;
  if (h[3] & kFExtra) {
    unsigned char x[2];
    if (!src.ReadAt(pos, x, 2)) return false;
    pos += 2u + Le16(x);
  }
  if (h[3] & kFName) {
    std::string chunk;
    src.ReadSome(pos, kMaxName, chunk);
    size_t nul = chunk.find('\0');
    if (nul == std::string::npos) return false;
    chunk.resize(nul);
    info.StoredName = IsValidUtf8(chunk) ? chunk : Latin1ToUtf8(chunk);
  }
  unsigned char tail[4];
  if (src.Size() - start >= 18 && src.ReadAt(src.Size() - 4, tail, 4)) info.ISize = Le32(tail);
  return true;
}

std::string GzipEntryName(const TGzipInfo& info, std::string_view archiveName) {
  if (!info.StoredName.empty()) return ArcStoredPath(info.StoredName);
  size_t slash = archiveName.find_last_of("/\\");
  std::string_view base =
      slash == std::string_view::npos ? archiveName : archiveName.substr(slash + 1);
  if (EndsWithNoCase(base, ".gz") && base.size() > 3)
    return std::string(base.substr(0, base.size() - 3));
  if (EndsWithNoCase(base, ".tgz") && base.size() > 4)
    return std::string(base.substr(0, base.size() - 4)) + ".tar";
  if (EndsWithNoCase(base, ".z") && base.size() > 2)
    return std::string(base.substr(0, base.size() - 2));
  return std::string(base);
}
