// SPDX-License-Identifier: MIT
// ACE listing. An ACE archive is a chain of blocks. Each block:
//   0 header CRC-16 (2), 2 header size (2; the bytes that follow this field), 4 type, 5 flags (2),
// and when flag 0x0001 is set the block carries data after the header whose size is the 32-bit
// (64-bit for types 3 to 5) field at offset 7. Type 0 is the archive header (bytes 7..13 are
// "**ACE**"), 1 a file (32-bit sizes), 2 a recovery record, 3 a file with 64-bit sizes, 4 and 5
// recovery records with 64-bit sizes. A file block, after the common part:
//   type 1: 7 packed size (4), 11 original size (4), 15 DOS time (4), 19 attributes (4),
//           23 CRC-32 (4), 27 technical info (4), 31 reserved (2), 33 name length (2), 35 name
//   type 3: 7 packed size (8), 15 original size (8), 23 DOS time, 27 attributes, 31 CRC-32,
//           35 technical info, 39 reserved, 41 name length (2), 43 name
// Names use "\" between folders.
#include <string>

#include "archive/ArcText.h"
#include "archive/OwnReaders.h"
#include "archive/ReaderUtil.h"

namespace {

uint64_t Le64(const unsigned char* p) {
  return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}

}  // namespace

bool ProbeAce(const TArcSource& src, uint64_t offset) {
  unsigned char h[14];
  if (!src.ReadAt(offset, h, sizeof h)) return false;
  return h[4] == 0 && std::string_view(reinterpret_cast<char*>(h + 7), 7) == "**ACE**" &&
         Le16(h + 2) >= 10;
}

TError ListAce(const TArcSource& src, uint64_t start, const TEntrySink& sink) {
  if (!ProbeAce(src, start)) return TError::Failure("not an ACE archive");
  uint64_t pos = start;
  for (uint64_t count = 0; count < kMaxArchiveEntries; ++count) {
    if (pos == src.Size()) return {};
    unsigned char lead[4];
    if (!src.ReadAt(pos, lead, 4)) return TError::Failure("truncated ACE header");
    unsigned size = Le16(lead + 2);
    if (size < 3) return TError::Failure("bad ACE header size");
    std::string block;
    if (src.ReadSome(pos, size + 4u, block) != size + 4u)
      return TError::Failure("truncated ACE header");
    const auto* b = reinterpret_cast<const unsigned char*>(block.data());  // offsets as above
    unsigned type = b[4];
    unsigned flags = Le16(b + 5);
    bool wide = type >= 3 && type <= 5;
    uint64_t extra = 0;
    if (flags & 1) {
      if (size < (wide ? 11u : 7u)) return TError::Failure("bad ACE header size");
      extra = wide ? Le64(b + 7) : Le32(b + 7);
    }
    uint64_t next = pos + 4 + size;
    if (extra > src.Size() - next) return TError::Failure("truncated ACE archive");
    next += extra;
    if (type == 1 || type == 3) {
      unsigned fixed = type == 1 ? 35 : 43;
      if (size + 4 < fixed) return TError::Failure("bad ACE header size");
      unsigned nameLen = Le16(b + fixed - 2);
      if (fixed + nameLen > size + 4) return TError::Failure("bad ACE file name");
      unsigned at = type == 1 ? 15 : 23;  // DOS time, then attributes
      TArchiveEntry e;
      e.Path = ArcStoredPath(std::string_view(reinterpret_cast<const char*>(b + fixed), nameLen));
      e.Size =
          static_cast<int64_t>(type == 1 ? Le32(b + 11) : Le64(b + 15) & 0x7FFFFFFFFFFFFFFFull);
      e.DateTime = ArcDosTimeToDateTime(Le32(b + at));
      e.Attr = static_cast<uint8_t>(Le32(b + at + 4) & 0xFF);
      e.IsFolder = (e.Attr & kAttrDirectory) != 0;
      if (e.IsFolder) {
        e.Size = 0;
        EndWithBackslash(e.Path);
      }
      if (!sink(e)) return {};
    }
    pos = next;
  }
  return TError::Failure("too many entries");
}
