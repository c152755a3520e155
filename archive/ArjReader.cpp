// SPDX-License-Identifier: MIT
// ARJ listing. An ARJ archive is a main header followed by one local header per entry and ends
// with a header of basic size 0. Every header is:
//   0x60 0xEA, basic size (2, at most 2600), basic header (basic size bytes), CRC-32 of the basic
//   header (4), extended headers (each: size (2), bytes, CRC-32 (4)) up to a size of 0,
// and a local header is followed by the entry's compressed data. The basic header begins with a
// fixed part of first_hdr_size bytes (at least 30), then the NUL-terminated name and comment:
//   0 first_hdr_size, 1 version, 2 min version, 3 host OS, 4 flags, 5 method, 6 file type
//   (0 binary, 1 text, 2 comment/main header, 3 directory, 4 volume label), 7 reserved,
//   8 modification time (4; DOS format, Unix seconds for Unix hosts), 12 compressed size (4),
//   16 original size (4), 20 CRC (4), 24 filespec position (2), 26 access mode (2),
//   28 first chapter, 29 last chapter.
#include <cstring>

#include "archive/ArcText.h"
#include "archive/OwnReaders.h"
#include "archive/ReaderUtil.h"

namespace {

constexpr unsigned kArjMaxBasic = 2600;
constexpr unsigned kArjMinFixed = 30;

enum : uint8_t {
  kHostDos = 0,
  kHostUnix = 2,
  kHostOs2 = 5,
  kHostNext = 8,
  kHostWin95 = 10,
  kHostWin32 = 11
};

struct ArjHeader {
  unsigned char basic[kArjMaxBasic];
  unsigned basicSize = 0;
  uint64_t dataPos = 0;  // first byte after the header (and its extended headers)
};

// Reads the header at `pos`. Returns "" on success, "end" for the end-of-archive header, or the
// reason of a failure.
std::string ReadArjHeader(const TArcSource& src, uint64_t pos, ArjHeader& h) {
  unsigned char lead[4];
  if (!src.ReadAt(pos, lead, 4)) return "truncated ARJ header";
  if (lead[0] != 0x60 || lead[1] != 0xEA) return "bad ARJ header signature";
  h.basicSize = Le16(lead + 2);
  if (h.basicSize == 0) return "end";
  if (h.basicSize > kArjMaxBasic || h.basicSize < kArjMinFixed) return "bad ARJ header size";
  if (!src.ReadAt(pos + 4, h.basic, h.basicSize)) return "truncated ARJ header";
  unsigned char crc[4];
  if (!src.ReadAt(pos + 4 + h.basicSize, crc, 4)) return "truncated ARJ header";
  if (Le32(crc) != ArcCrc32(h.basic, h.basicSize)) return "ARJ header CRC error";
  unsigned fixed = h.basic[0];
  if (fixed < kArjMinFixed || fixed > h.basicSize) return "bad ARJ header size";
  if (std::memchr(h.basic + fixed, 0, h.basicSize - fixed) == nullptr) return "bad ARJ file name";
  uint64_t p = pos + 4 + h.basicSize + 4;
  for (int guard = 0;; ++guard) {
    unsigned char ext[2];
    if (!src.ReadAt(p, ext, 2)) return "truncated ARJ header";
    unsigned size = Le16(ext);
    p += 2;
    if (size == 0) break;
    if (guard > 1000) return "too many ARJ extended headers";
    p += size + 4u;
    if (p > src.Size()) return "truncated ARJ header";
  }
  h.dataPos = p;
  return {};
}

}  // namespace

bool ProbeArj(const TArcSource& src, uint64_t offset) {
  ArjHeader h;
  // The first header of an archive is the main header (file type 2).
  return ReadArjHeader(src, offset, h).empty() && h.basic[6] == 2;
}

TError ListArj(const TArcSource& src, uint64_t start, const TEntrySink& sink) {
  ArjHeader h;
  std::string err = ReadArjHeader(src, start, h);
  if (err == "end") return TError::Failure("not an ARJ archive");
  if (!err.empty()) return TError::Failure(err);
  uint64_t pos = h.dataPos;  // the main header carries no data
  for (uint64_t count = 0; count < kMaxArchiveEntries; ++count) {
    err = ReadArjHeader(src, pos, h);
    if (err == "end") return {};
    if (!err.empty()) return TError::Failure(err);
    const unsigned char* b = h.basic;
    uint32_t packed = Le32(b + 12);
    uint64_t next = h.dataPos + packed;
    if (next > src.Size()) return TError::Failure("truncated ARJ archive");
    uint8_t fileType = b[6];
    if (fileType != 4 && fileType != 2) {  // volume labels and comment headers are not entries
      uint8_t host = b[3];
      bool unixHost = host == kHostUnix || host == kHostNext;
      TArchiveEntry e;
      e.IsFolder = fileType == 3;
      e.Path = ArcStoredPath(FieldText(b + b[0], h.basicSize - b[0]));
      if (e.IsFolder) EndWithBackslash(e.Path);
      e.Size = e.IsFolder ? 0 : Le32(b + 16);
      uint32_t stamp = Le32(b + 8);
      e.DateTime = unixHost ? ArcUnixTimeToDateTime(stamp) : ArcDosTimeToDateTime(stamp);
      uint16_t mode = Le16(b + 26);
      if (unixHost) {
        e.Attr = AttrFromUnixMode(mode, e.IsFolder);
        e.IsLink = (mode & 0170000) == 0120000;
      } else {
        e.Attr = static_cast<uint8_t>(mode & 0xFF);
        if (e.IsFolder) e.Attr |= kAttrDirectory;
      }
      if (!sink(e)) return {};
    }
    pos = next;
  }
  return TError::Failure("too many entries");
}

uint32_t ArcCrc32(const void* data, size_t len) {
  static const auto table = [] {
    struct T {
      uint32_t v[256];
    } t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t.v[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < len; ++i) c = table.v[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}
