// SPDX-License-Identifier: MIT
// HA listing. The archive begins with "HA" and the number of entries (2). Each entry is a header
// followed by its compressed data:
//   0 version << 4 | method (0 copy, 1 ASC, 2 HSC, 14 folder, 15 special), 1 compressed size
//   (4), 5 original size (4), 9 CRC-32 (4), 13 modification time (4, Unix seconds), then the
//   NUL-terminated folder path (byte 0xFF separates folders), the NUL-terminated name, the
//   length of the machine-specific data (1) and that data (first byte the system: 1 DOS with
//   the attribute byte next, 2 Unix with the permission bits next).
#include <string>

#include "archive/ArcText.h"
#include "archive/OwnReaders.h"
#include "archive/ReaderUtil.h"

namespace {

constexpr unsigned kHaFixed = 17;
constexpr size_t kHaMaxName = 1024;

bool ValidHaMethod(unsigned char type) {
  unsigned method = type & 0x0F;
  return method <= 2 || method == 14 || method == 15;
}

// Reads a NUL-terminated text at `pos` (at most kHaMaxName bytes); advances `pos` past the NUL.
bool ReadHaText(const TArcSource& src, uint64_t& pos, std::string& out) {
  out.clear();
  std::string chunk;
  if (src.ReadSome(pos, kHaMaxName + 1, chunk) == 0) return false;
  size_t nul = chunk.find('\0');
  if (nul == std::string::npos) return false;
  out.assign(chunk, 0, nul);
  pos += nul + 1;
  return true;
}

}  // namespace

bool ProbeHa(const TArcSource& src, uint64_t offset) {
  unsigned char h[4 + kHaFixed];
  if (!src.ReadAt(offset, h, sizeof h)) return false;
  if (h[0] != 'H' || h[1] != 'A') return false;
  if (Le16(h + 2) == 0 || !ValidHaMethod(h[4])) return false;
  return offset + sizeof h + Le32(h + 5) <= src.Size();
}

TError ListHa(const TArcSource& src, uint64_t start, const TEntrySink& sink) {
  unsigned char h[4];
  if (!src.ReadAt(start, h, 4)) return TError::Failure("truncated HA header");
  if (h[0] != 'H' || h[1] != 'A') return TError::Failure("not an HA archive");
  unsigned count = Le16(h + 2);
  uint64_t pos = start + 4;
  for (unsigned i = 0; i < count; ++i) {
    unsigned char f[kHaFixed - 4];
    if (!src.ReadAt(pos, f, 13)) return TError::Failure("truncated HA header");
    if (!ValidHaMethod(f[0])) return TError::Failure("bad HA method");
    uint32_t packed = Le32(f + 1);
    uint64_t p = pos + 17;
    std::string dir, name;
    if (!src.ReadAt(pos + 13, h, 4)) return TError::Failure("truncated HA header");
    uint32_t stamp = Le32(h);
    if (!ReadHaText(src, p, dir) || !ReadHaText(src, p, name))
      return TError::Failure("truncated HA header");
    unsigned char mdiLen;
    if (!src.ReadAt(p, &mdiLen, 1)) return TError::Failure("truncated HA header");
    std::string mdi;
    if (mdiLen > 0 && src.ReadSome(p + 1, mdiLen, mdi) != mdiLen)
      return TError::Failure("truncated HA header");
    p += 1u + mdiLen;
    if (p + packed > src.Size()) return TError::Failure("truncated HA archive");
    TArchiveEntry e;
    e.IsFolder = (f[0] & 0x0F) == 14;
    std::string path = dir;
    if (!path.empty() && path.back() != '\xFF' && path.back() != '/') path += '\xFF';
    path += name;
    e.Path = ArcStoredPath(path);
    if (e.IsFolder) EndWithBackslash(e.Path);
    e.Size = e.IsFolder ? 0 : Le32(f + 5);
    e.DateTime = ArcUnixTimeToDateTime(stamp);
    const auto* m = reinterpret_cast<const unsigned char*>(mdi.data());
    if (mdi.size() >= 2 && m[0] == 1)
      e.Attr = m[1];
    else if (mdi.size() >= 3 && m[0] == 2)
      e.Attr = AttrFromUnixMode(Le16(m + 1), e.IsFolder);
    else
      e.Attr = kAttrArchive;
    if (e.IsFolder) e.Attr |= kAttrDirectory;
    if (!sink(e)) return {};
    pos = p + packed;
  }
  return {};
}
