// SPDX-License-Identifier: MIT
// ZOO listing. The archive header is a 20-byte text, the tag 0xFDC4A7DC (4), the offset of the
// first directory entry (4), its negation (4) and the version (2). Directory entries form a
// chain through their `next` offsets; the chain ends at an entry whose `next` is 0. An entry:
//   0 tag (4), 4 type (1 or 2), 5 method, 6 next (4), 10 data offset (4), 14 DOS date (2),
//   16 DOS time (2), 18 CRC-16 (2), 20 original size (4), 24 compressed size (4), 28 version (2),
//   30 deleted flag, 31 structure, 32 comment offset (4), 36 comment size (2), 38 name (13);
// type 2 adds 51 variable part size (2), 53 time zone, 54 CRC (2), then the variable part:
//   name length, folder length, long name, folder name ("/" separated), system id (2),
//   attributes (3; bit 22 set when the low 9 bits are Unix permissions), ...
#include <string>

#include "archive/ArcText.h"
#include "archive/OwnReaders.h"
#include "archive/ReaderUtil.h"

namespace {

constexpr uint32_t kZooTag = 0xFDC4A7DCu;
constexpr unsigned kZooEntry = 51;
constexpr unsigned kZooEntry2 = 56;

}  // namespace

bool ProbeZoo(const TArcSource& src, uint64_t offset) {
  unsigned char h[34];
  if (!src.ReadAt(offset, h, sizeof h)) return false;
  if (Le32(h + 20) != kZooTag) return false;
  uint32_t first = Le32(h + 24);
  return first >= sizeof h && offset + first < src.Size();
}

TError ListZoo(const TArcSource& src, uint64_t start, const TEntrySink& sink) {
  unsigned char h[34];
  if (!src.ReadAt(start, h, sizeof h)) return TError::Failure("truncated ZOO header");
  if (Le32(h + 20) != kZooTag) return TError::Failure("not a ZOO archive");
  uint64_t pos = start + Le32(h + 24);
  for (uint64_t count = 0; count < kMaxArchiveEntries; ++count) {
    unsigned char d[kZooEntry2];
    if (!src.ReadAt(pos, d, kZooEntry)) return TError::Failure("truncated ZOO entry");
    if (Le32(d) != kZooTag) return TError::Failure("bad ZOO entry");
    uint64_t next = Le32(d + 6);
    if (next == 0) return {};
    next += start;
    // Entries are written in file order; a chain that goes back would loop.
    if (next <= pos || next > src.Size()) return TError::Failure("bad ZOO entry chain");
    unsigned type = d[4];
    if (type != 1 && type != 2) return TError::Failure("bad ZOO entry type");
    bool deleted = d[30] != 0;
    TArchiveEntry e;
    std::string name(FieldText(d + 38, 13));
    std::string dir;
    uint32_t attributes = 0;
    if (type == 2) {
      if (!src.ReadAt(pos, d, kZooEntry2)) return TError::Failure("truncated ZOO entry");
      unsigned varLen = Le16(d + 51);
      std::string var;
      if (varLen > 0 && src.ReadSome(pos + kZooEntry2, varLen, var) != varLen)
        return TError::Failure("truncated ZOO entry");
      const auto* v = reinterpret_cast<const unsigned char*>(var.data());
      if (varLen >= 2) {
        unsigned nameLen = v[0], dirLen = v[1];
        if (2u + nameLen + dirLen > varLen) return TError::Failure("bad ZOO entry");
        if (nameLen > 0) name.assign(FieldText(v + 2, nameLen));
        dir.assign(FieldText(v + 2 + nameLen, dirLen));
        size_t at = 2u + nameLen + dirLen + 2;  // after the system id
        if (at + 3 <= varLen) attributes = v[at] | (v[at + 1] << 8) | (v[at + 2] << 16);
      }
    }
    if (!deleted) {
      std::string path = dir.empty() ? name : dir + "/" + name;
      e.Path = ArcStoredPath(path);
      e.Size = Le32(d + 20);
      e.DateTime = ArcDosTimeToDateTime((static_cast<uint32_t>(Le16(d + 14)) << 16) | Le16(d + 16));
      e.Attr =
          (attributes & (1u << 22)) ? AttrFromUnixMode(attributes & 0777, false) : kAttrArchive;
      if (!sink(e)) return {};
    }
    pos = next;
  }
  return TError::Failure("too many entries");
}
