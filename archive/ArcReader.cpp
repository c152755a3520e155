// SPDX-License-Identifier: MIT
// ARC and PAK listing. The archive is a sequence of entries, each a header followed by its
// compressed data:
//   0 0x1A, 1 method (0 = end of archive; 1 = old stored, whose header lacks the original size;
//   2..9 ARC methods; 10, 11 PAK's crunch and distill; 20..29 PAK information records; 30 a
//   sub-folder whose data is a nested archive with its own end mark; 31 end of a sub-folder),
//   2 name (13 bytes, NUL-terminated), 15 compressed size (4), 19 DOS date (2), 21 DOS time (2),
//   23 CRC-16 (2), 25 original size (4; absent for method 1).
#include <string>
#include <vector>

#include "archive/ArcText.h"
#include "archive/OwnReaders.h"
#include "archive/ReaderUtil.h"

namespace {

constexpr unsigned char kArcMark = 0x1A;
constexpr unsigned kArcHeader = 29;
constexpr unsigned kArcOldHeader = 25;

bool IsArcNameByte(unsigned char c) { return c >= 0x20 && c != 0x7F; }

// True iff the 13-byte name field holds a non-empty, NUL-terminated name of printable bytes.
bool ValidArcName(const unsigned char* name) {
  size_t n = 0;
  while (n < 13 && name[n] != 0) {
    if (!IsArcNameByte(name[n])) return false;
    ++n;
  }
  return n > 0 && n < 13;
}

}  // namespace

bool ProbeArc(const TArcSource& src, uint64_t offset, bool* isPak) {
  unsigned char h[kArcHeader];
  if (!src.ReadAt(offset, h, kArcOldHeader)) return false;
  if (h[0] != kArcMark) return false;
  unsigned method = h[1];
  if (method == 0 || (method > 11 && method != 30)) return false;
  if (!ValidArcName(h + 2)) return false;
  uint64_t hdr = method == 1 ? kArcOldHeader : kArcHeader;
  if (method != 1 && !src.ReadAt(offset, h, kArcHeader)) return false;
  if (method != 30 && offset + hdr + Le32(h + 15) > src.Size()) return false;
  if (isPak) *isPak = method == 10 || method == 11;
  return true;
}

TError ListArc(const TArcSource& src, uint64_t start, const TEntrySink& sink) {
  uint64_t pos = start;
  std::vector<std::string> folders;  // sub-folder names we are inside
  std::string prefix;
  for (uint64_t count = 0; count < kMaxArchiveEntries; ++count) {
    unsigned char h[kArcHeader];
    if (pos == src.Size() && count > 0 && folders.empty()) return {};  // end mark missing
    if (!src.ReadAt(pos, h, 2)) return TError::Failure("truncated ARC header");
    if (h[0] != kArcMark) return TError::Failure("bad ARC header");
    unsigned method = h[1];
    if (method == 0 || method == 31) {  // end of the archive or of a sub-folder
      if (folders.empty()) return {};
      folders.pop_back();
      prefix.clear();
      for (auto& f : folders) prefix += f + "\\";
      pos += 2;
      continue;
    }
    if (method > 31) return TError::Failure("bad ARC method");
    unsigned hdr = method == 1 ? kArcOldHeader : kArcHeader;
    if (!src.ReadAt(pos, h, hdr)) return TError::Failure("truncated ARC header");
    uint32_t packed = Le32(h + 15);
    uint32_t original = method == 1 ? packed : Le32(h + 25);
    uint64_t data = pos + hdr;
    if (data + packed > src.Size()) return TError::Failure("truncated ARC archive");
    if (method >= 20 && method <= 29) {  // PAK information records are not entries
      pos = data + packed;
      continue;
    }
    if (!ValidArcName(h + 2)) return TError::Failure("bad ARC file name");
    TArchiveEntry e;
    std::string name = ArcStoredPath(FieldText(h + 2, 13));
    e.Path = prefix + name;
    e.DateTime = ArcDosTimeToDateTime((static_cast<uint32_t>(Le16(h + 19)) << 16) | Le16(h + 21));
    if (method == 30) {
      if (folders.size() >= 64) return TError::Failure("ARC folders nested too deeply");
      e.IsFolder = true;
      e.Attr = kAttrDirectory;
      EndWithBackslash(e.Path);
      if (!sink(e)) return {};
      folders.push_back(name);
      prefix += name + "\\";
      pos = data;  // the folder's data is the nested archive
      continue;
    }
    e.Size = original;
    e.Attr = kAttrArchive;
    if (!sink(e)) return {};
    pos = data + packed;
  }
  return TError::Failure("too many entries");
}
