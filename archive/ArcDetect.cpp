// SPDX-License-Identifier: MIT
#include "archive/ArcDetect.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "archive/OwnReaders.h"

namespace {

// How far past the program image a self-extractor's archive is searched for. Stubs put the
// archive right after the image or after a little padding or a signature block.
constexpr uint64_t kSfxSearchWindow = 4u << 20;

bool ExtensionIs(std::string_view name, std::string_view ext) {
  if (name.size() < ext.size()) return false;
  for (size_t i = 0; i < ext.size(); ++i) {
    char a = name[name.size() - ext.size() + i];
    if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
    if (a != ext[i]) return false;
  }
  return true;
}

bool Starts(const unsigned char* p, size_t n, const char* sig, size_t len) {
  return n >= len && std::memcmp(p, sig, len) == 0;
}

bool IsLhaHeader(const unsigned char* p, size_t n) {
  // "-lh?-" or "-lz?-" at offset 2 and a header level of 0..3 at offset 20.
  if (n < 22 || p[2] != '-' || p[3] != 'l' || (p[4] != 'h' && p[4] != 'z') || p[6] != '-')
    return false;
  return p[20] <= 3;
}

bool IsCabHeader(const unsigned char* p, size_t n, uint64_t left) {
  // "MSCF", 4 reserved zero bytes, the cabinet size (at most what is left of the file).
  return n >= 16 && std::memcmp(p, "MSCF\0\0\0\0", 8) == 0 && Le32(p + 8) <= left &&
         Le32(p + 8) >= 36;
}

constexpr char kRarSig[] = "Rar!\x1a\x07";
constexpr char k7zSig[] = "7z\xBC\xAF\x27\x1C";

// Is the gzip stream at `start` a compressed tar? Decompresses its first 512 bytes only, reading
// the stream a few kilobytes at a time (a man page or changelog is answered from its first
// block), and follows concatenated members as gzip does. A stream whose first 512 bytes need
// more than 256 KiB of input is taken for a plain file.
bool GzipHoldsTar(const TArcSource& src, uint64_t start) {
  constexpr size_t kInputLimit = 256 * 1024;
  constexpr size_t kChunk = 8 * 1024;
  unsigned char input[kChunk];
  unsigned char block[512];
  // One decompressor per thread, reset for each stream: its state and window are allocated once.
  struct TInflater {
    z_stream z{};
    bool ready = false;
    TInflater() { ready = inflateInit2(&z, 16 + MAX_WBITS) == Z_OK; }
    ~TInflater() {
      if (ready) inflateEnd(&z);
    }
  };
  thread_local TInflater inflater;
  if (!inflater.ready || inflateReset(&inflater.z) != Z_OK) return false;
  z_stream& z = inflater.z;
  z.next_in = nullptr;  // a reset keeps the last stream's input
  z.avail_in = 0;
  z.next_out = block;
  z.avail_out = sizeof block;
  uint64_t offset = start;
  size_t readTotal = 0;
  // Appends the next piece of the stream after the input not yet taken; false at its end.
  auto refill = [&]() {
    if (readTotal >= kInputLimit || offset >= src.Size()) return false;
    const size_t keep = z.avail_in;
    if (keep) std::memmove(input, z.next_in, keep);
    const size_t want =
        std::min<uint64_t>({kChunk - keep, kInputLimit - readTotal, src.Size() - offset});
    if (!src.ReadAt(offset, input + keep, want)) return false;
    offset += want;
    readTotal += want;
    z.next_in = input;
    z.avail_in = static_cast<uInt>(keep + want);
    return true;
  };
  while (z.avail_out > 0) {
    if (z.avail_in == 0 && !refill()) break;
    const int rc = inflate(&z, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      // Another member may follow; anything else after the first member ends the data.
      if (z.avail_in < 2) refill();
      if (z.avail_in < 2 || z.next_in[0] != 0x1F || z.next_in[1] != 0x8B) break;
      if (inflateReset(&z) != Z_OK) break;
    } else if (rc != Z_OK) {
      break;  // damaged data, or no progress possible
    }
  }
  return z.avail_out == 0 && IsTarHeader(block);
}

// The type of an archive that begins at `off`, or atUnknown. `sfx` selects the self-extractor
// codes and leaves out formats that never come as self-extractors.
int32_t TypeAt(const TArcSource& src, uint64_t off, const unsigned char* p, size_t n,
               std::string_view name, bool sfx) {
  auto pick = [sfx](int32_t plain, int32_t exe) { return sfx ? exe : plain; };
  uint64_t left = src.Size() - off;
  if (Starts(p, n, "PK\x03\x04", 4) || (!sfx && Starts(p, n, "PK\x05\x06", 4))) {
    if (ExtensionIs(name, ".JAR")) return pick(atJar, atJarExe);
    return pick(atZip, atZipExe);
  }
  if (!sfx && (Starts(p, n, "PK\x07\x08PK\x03\x04", 8) || Starts(p, n, "PK00PK\x03\x04", 8)))
    return atZipDS;
  if (Starts(p, n, kRarSig, 6)) return pick(atRar, atRarExe);
  if (IsCabHeader(p, n, left)) return pick(atCab, atCabExe);
  if (Starts(p, n, k7zSig, 6)) return pick(atSevenZip, atSevenZipExe);
  if (n >= 14 && std::memcmp(p + 7, "**ACE**", 7) == 0 && ProbeAce(src, off))
    return pick(atAce, atAceExe);
  if (n >= 2 && p[0] == 0x60 && p[1] == 0xEA && ProbeArj(src, off)) return pick(atArj, atArjExe);
  if (IsLhaHeader(p, n)) {
    if (ExtensionIs(name, ".LHA")) return pick(atLha, atLhaExe);
    return pick(atLzh, atLzhExe);
  }
  if (Starts(p, n, "BH\x05\x07", 4)) return pick(atBh, atBhExe);
  if (!sfx) {
    if (Starts(p, n, "\x1F\x8B\x08", 3)) return GzipHoldsTar(src, off) ? atTarGZip : atGZip;
    if (ProbeZoo(src, off)) return atZoo;
    if (Starts(p, n, "HA", 2) && ProbeHa(src, off)) return atHA;
    if (n >= 512 && IsTarHeader(p)) return atTar;
  }
  bool pak = false;
  if (n >= 2 && p[0] == 0x1A && ProbeArc(src, off, &pak)) {
    if (pak || ExtensionIs(name, ".PAK")) return pick(atPak, atPakExe);
    return pick(atArc, atArcExe);
  }
  return atUnknown;
}

// Searches the bytes after the program image for the start of an archive.
TArcDetection FindSfxArchive(const TArcSource& src, uint64_t imageEnd, std::string_view name) {
  TArcDetection none;
  uint64_t end = src.Size();
  if (end - imageEnd > kSfxSearchWindow) end = imageEnd + kSfxSearchWindow;
  constexpr size_t kChunk = 64 * 1024, kLook = 600;  // kLook: bytes a check may need
  std::string buf;
  for (uint64_t base = imageEnd; base < end; base += kChunk) {
    buf.clear();
    src.ReadSome(base, kChunk + kLook, buf);
    const auto* b = reinterpret_cast<const unsigned char*>(buf.data());
    size_t limit = buf.size() < kChunk ? buf.size() : kChunk;
    for (size_t i = 0; i < limit && base + i < end; ++i) {
      unsigned char c = b[i];
      // Cheap first-byte filter: P(K), R(ar!), M(SCF), 7(z), 0x60 (ARJ), '-'(LHA at +2),
      // '*' (ACE at +7), B(H), 0x1A (ARC).
      if (c != 'P' && c != 'R' && c != 'M' && c != '7' && c != 0x60 && c != '-' && c != '*' &&
          c != 'B' && c != 0x1A)
        continue;
      uint64_t at = base + i;
      if (c == '-') {
        if (at < imageEnd + 2) continue;
        at -= 2;
      } else if (c == '*') {
        if (at < imageEnd + 7 || buf.compare(i, 7, "**ACE**") != 0) continue;
        at -= 7;
      }
      unsigned char p[kLook];
      size_t n = 0;
      size_t off = static_cast<size_t>(at - base);
      if (at >= base && off < buf.size()) {
        n = buf.size() - off < kLook ? buf.size() - off : kLook;
        std::memcpy(p, b + off, n);
      } else {
        std::string tmp;
        n = src.ReadSome(at, kLook, tmp);
        std::memcpy(p, tmp.data(), n);
      }
      int32_t t = TypeAt(src, at, p, n, name, true);
      if (t != atUnknown) return {t, at};
    }
  }
  // A ZIP self-extractor whose first local header is not where the search looked: the central
  // directory at the end of the file still identifies it.
  unsigned char eocd[22];
  if (src.Size() >= 22 + imageEnd && src.ReadAt(src.Size() - 22, eocd, 22) &&
      std::memcmp(eocd, "PK\x05\x06", 4) == 0)
    return {ExtensionIs(name, ".JAR") ? atJarExe : atZipExe, 0};
  return none;
}

}  // namespace

bool IsTarHeader(const unsigned char* p) {
  if (std::memcmp(p + 257, "ustar", 5) == 0) return true;
  // Old tar: the checksum field (octal, at 148) equals the byte sum with the field as spaces.
  if (p[0] == 0) return false;
  unsigned sum = 0;
  for (int i = 0; i < 512; ++i) sum += (i >= 148 && i < 156) ? ' ' : p[i];
  unsigned stored = 0;
  int digits = 0;
  for (int i = 148; i < 156; ++i) {
    unsigned char c = p[i];
    if (c >= '0' && c <= '7') {
      stored = stored * 8 + (c - '0');
      ++digits;
    } else if (c == ' ' || c == 0) {
      if (digits) break;
    } else {
      return false;
    }
  }
  return digits > 0 && stored == sum;
}

uint64_t ProgramImageEnd(const TArcSource& src) {
  unsigned char mz[64];
  if (!src.ReadAt(0, mz, sizeof mz) || mz[0] != 'M' || mz[1] != 'Z') return 0;
  uint32_t peOff = Le32(mz + 0x3C);
  unsigned char pe[24];
  if (peOff >= 64 && src.ReadAt(peOff, pe, sizeof pe) && std::memcmp(pe, "PE\0\0", 4) == 0) {
    unsigned sections = Le16(pe + 6), optSize = Le16(pe + 20);
    uint64_t table = uint64_t{peOff} + 24 + optSize;
    uint64_t end = table + uint64_t{sections} * 40;
    for (unsigned s = 0; s < sections && s < 96; ++s) {
      unsigned char sec[40];
      if (!src.ReadAt(table + uint64_t{s} * 40, sec, sizeof sec)) break;
      uint64_t rawEnd = uint64_t{Le32(sec + 20)} + Le32(sec + 16);
      if (Le32(sec + 16) != 0 && rawEnd > end) end = rawEnd;
    }
    return end < src.Size() ? end : src.Size();
  }
  // A DOS program: pages of 512 bytes, the last one holding e_cblp bytes.
  unsigned lastBytes = Le16(mz + 2), pages = Le16(mz + 4);
  if (pages == 0) return 0;
  uint64_t end = uint64_t{pages} * 512 - (lastBytes ? 512 - lastBytes : 0);
  return end < src.Size() ? end : src.Size();
}

int32_t DiscImageType(const TArcSource& src) {
  // The volume descriptors begin at sector 16 (2048-byte sectors), each with a five-letter
  // identifier at byte 1: "CD001" an ISO 9660 one; "BEA01" opens the extended area in which a
  // UDF image has its "NSR02" or "NSR03", "TEA01" closes it.
  constexpr uint64_t kFirst = 16 * 2048;
  bool extended = false;
  for (uint64_t sector = 0; sector < 16; ++sector) {
    unsigned char d[6];
    if (!src.ReadAt(kFirst + sector * 2048, d, sizeof d)) break;
    auto is = [&d](const char* id) { return std::memcmp(d + 1, id, 5) == 0; };
    if (is("CD001")) return atIso9660;
    if (extended && (is("NSR02") || is("NSR03"))) return atUdf;
    if (is("BEA01"))
      extended = true;
    else if (!is("BOOT2") && !is("CDW02"))
      break;  // no volume descriptor: no disc image
  }
  return atUnknown;
}

TArcDetection DetectArchive(const TArcSource& src, std::string_view fileName) {
  unsigned char head[600];
  size_t n = src.Size() < sizeof head ? static_cast<size_t>(src.Size()) : sizeof head;
  if (n == 0 || !src.ReadAt(0, head, n)) return {};
  // A disc image starts with 32 KiB of its own (zeros, or a boot record that may look like
  // anything): its volume descriptors decide first.
  if (int32_t disc = DiscImageType(src); disc != atUnknown) return {disc, 0};
  if (n >= 2 && head[0] == 'M' && head[1] == 'Z') {
    uint64_t imageEnd = ProgramImageEnd(src);
    if (imageEnd == 0 || imageEnd >= src.Size()) return {};
    return FindSfxArchive(src, imageEnd, fileName);
  }
  return {TypeAt(src, 0, head, n, fileName, false), 0};
}
