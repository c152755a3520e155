// SPDX-License-Identifier: MIT
#include "archive/LibArchiveReader.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>

#include "archive/ArcText.h"
#include "archive/ArcType.h"
#include "archive/ReaderUtil.h"

namespace {

// The byte range [start, size) of a source, seen by libarchive as a whole file.
struct RangeStream {
  const TArcSource* src = nullptr;
  uint64_t start = 0;
  uint64_t pos = 0;  // relative to start
  std::string buf;

  uint64_t Length() const { return src->Size() - start; }
};

la_ssize_t ReadCb(struct archive*, void* data, const void** out) {
  auto* r = static_cast<RangeStream*>(data);
  r->buf.clear();
  size_t got = r->src->ReadSome(r->start + r->pos, 64 * 1024, r->buf);
  r->pos += got;
  *out = r->buf.data();
  return static_cast<la_ssize_t>(got);
}

la_int64_t SkipCb(struct archive*, void* data, la_int64_t request) {
  auto* r = static_cast<RangeStream*>(data);
  if (request <= 0) return 0;
  uint64_t left = r->Length() - r->pos;
  uint64_t step = static_cast<uint64_t>(request) < left ? static_cast<uint64_t>(request) : left;
  r->pos += step;
  return static_cast<la_int64_t>(step);
}

la_int64_t SeekCb(struct archive*, void* data, la_int64_t offset, int whence) {
  auto* r = static_cast<RangeStream*>(data);
  int64_t base = whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? static_cast<int64_t>(r->pos)
                                      : static_cast<int64_t>(r->Length());
  int64_t to = base + offset;
  if (to < 0 || static_cast<uint64_t>(to) > r->Length()) return ARCHIVE_FATAL;
  r->pos = static_cast<uint64_t>(to);
  return to;
}

struct ArchiveCloser {
  void operator()(struct archive* a) const { archive_read_free(a); }
};
using ArchivePtr = std::unique_ptr<struct archive, ArchiveCloser>;

// Enables the reader of `type`; false when libarchive does not read it.
bool EnableFormat(struct archive* a, int32_t type) {
  switch (type) {
    case atZip:
    case atZipExe:
    case atJar:
    case atJarExe:
    case atZipDS:
    case atZipMV:
      return archive_read_support_format_zip(a) == ARCHIVE_OK;
    case atRar:
    case atRarExe:
      archive_read_support_format_rar(a);
      return archive_read_support_format_rar5(a) == ARCHIVE_OK;
    case atCab:
    case atCabExe:
      return archive_read_support_format_cab(a) == ARCHIVE_OK;
    case atLha:
    case atLhaExe:
    case atLzh:
    case atLzhExe:
      return archive_read_support_format_lha(a) == ARCHIVE_OK;
    case atTar:
      return archive_read_support_format_tar(a) == ARCHIVE_OK;
    case atTarGZip:
      return archive_read_support_filter_gzip(a) == ARCHIVE_OK &&
             archive_read_support_format_tar(a) == ARCHIVE_OK;
    case atGZip:
      return archive_read_support_filter_gzip(a) == ARCHIVE_OK &&
             archive_read_support_format_raw(a) == ARCHIVE_OK;
    case atSevenZip:
    case atSevenZipExe:
      return archive_read_support_format_7zip(a) == ARCHIVE_OK;
    case atIso9660:
      return archive_read_support_format_iso9660(a) == ARCHIVE_OK;
    default:
      return false;
  }
}

std::string ErrorOf(struct archive* a, const char* fallback) {
  const char* s = archive_error_string(a);
  return s && *s ? std::string(s) : std::string(fallback);
}

void FillEntry(struct archive_entry* ae, TArchiveEntry& e) {
  const char* name = archive_entry_pathname_utf8(ae);
  if (name == nullptr) name = archive_entry_pathname(ae);
  e.Path = ArcStoredPath(name ? name : "");
  mode_t type = archive_entry_filetype(ae);
  e.IsFolder = type == AE_IFDIR;
  e.IsLink = type == AE_IFLNK || archive_entry_hardlink(ae) != nullptr;
  if (e.IsFolder) EndWithBackslash(e.Path);
  e.Size = (!e.IsFolder && archive_entry_size_is_set(ae)) ? archive_entry_size(ae) : 0;
  if (e.Size < 0) e.Size = 0;
  e.DateTime =
      archive_entry_mtime_is_set(ae) ? ArcUnixTimeToDateTime(archive_entry_mtime(ae)) : 0.0;
  e.Attr = AttrFromUnixMode(archive_entry_perm(ae), e.IsFolder);
}

bool IsZipType(int32_t type) {
  switch (type) {
    case atZip:
    case atZipExe:
    case atJar:
    case atJarExe:
    case atZipDS:
    case atZipMV:
      return true;
    default:
      return false;
  }
}

// The DOS date and time of every entry of a ZIP's central directory, by stored name, for the
// entries whose extended-time field holds 0 (libarchive then reports Unix time 0 and drops the
// DOS date). Offsets count from `start`. Empty when the directory cannot be found.
std::unordered_map<std::string, uint32_t> ZipDosTimes(const TArcSource& src, uint64_t start) {
  std::unordered_map<std::string, uint32_t> out;
  const uint64_t size = src.Size() - start;
  if (size < 22) return out;
  const uint64_t tailLen = std::min<uint64_t>(size, 22 + 65535);
  std::string tail;
  if (src.ReadSome(start + size - tailLen, static_cast<size_t>(tailLen), tail) != tailLen)
    return out;
  size_t eocd = tail.rfind(std::string_view("PK\x05\x06", 4));
  if (eocd == std::string::npos || tail.size() - eocd < 22) return out;
  auto u = [](const std::string& b, size_t at) {
    return reinterpret_cast<const unsigned char*>(b.data() + at);
  };
  uint64_t count = Le16(u(tail, eocd + 10));
  uint64_t cdOffset = Le32(u(tail, eocd + 16));
  uint64_t cdSize = Le32(u(tail, eocd + 12));
  if (cdOffset == 0xFFFFFFFFu || count == 0xFFFF) {  // zip64: the locator lies before the record
    uint64_t eocdAt = size - tailLen + eocd;
    unsigned char loc[20], rec[56];
    if (eocdAt < 20 || !src.ReadAt(start + eocdAt - 20, loc, 20) || Le32(loc) != 0x07064b50u)
      return out;
    uint64_t recAt = Le32(loc + 8) | uint64_t{Le32(loc + 12)} << 32;
    if (!src.ReadAt(start + recAt, rec, 56) || Le32(rec) != 0x06064b50u) return out;
    count = Le32(rec + 32) | uint64_t{Le32(rec + 36)} << 32;
    cdSize = Le32(rec + 40) | uint64_t{Le32(rec + 44)} << 32;
    cdOffset = Le32(rec + 48) | uint64_t{Le32(rec + 52)} << 32;
  }
  if (cdOffset > size || cdSize > size - cdOffset || count > kMaxArchiveEntries) return out;
  std::string cd;
  if (src.ReadSome(start + cdOffset, static_cast<size_t>(cdSize), cd) != cdSize) return out;
  size_t at = 0;
  for (uint64_t i = 0; i < count && at + 46 <= cd.size(); ++i) {
    const unsigned char* h = u(cd, at);
    if (Le32(h) != 0x02014b50u) break;
    size_t nameLen = Le16(h + 28), extraLen = Le16(h + 30), commentLen = Le16(h + 32);
    if (at + 46 + nameLen > cd.size()) break;
    out.emplace(cd.substr(at + 46, nameLen), uint32_t{Le16(h + 14)} << 16 | Le16(h + 12));
    at += 46 + nameLen + extraLen + commentLen;
  }
  return out;
}

}  // namespace

bool LibArchiveReadsType(int32_t type) {
  ArchivePtr a(archive_read_new());
  return a && EnableFormat(a.get(), type);
}

TError LibArchiveWalk(const TArcSource& src, uint64_t start, int32_t type,
                      const TEntryVisitor& visit) {
  if (start > src.Size()) return TError::Failure("archive offset beyond the end of the file");
  ArchivePtr a(archive_read_new());
  if (!a) return TError::Failure("out of memory");
  if (!EnableFormat(a.get(), type)) return TError::Failure("format not supported by libarchive");
  RangeStream stream;
  stream.src = &src;
  stream.start = start;
  archive_read_set_read_callback(a.get(), ReadCb);
  archive_read_set_skip_callback(a.get(), SkipCb);
  archive_read_set_seek_callback(a.get(), SeekCb);
  archive_read_set_callback_data(a.get(), &stream);
  if (archive_read_open1(a.get()) != ARCHIVE_OK)
    return TError::Failure(ErrorOf(a.get(), "cannot open archive"));
  std::unique_ptr<std::unordered_map<std::string, uint32_t>> dosTimes;
  for (;;) {
    struct archive_entry* ae = nullptr;
    int r = archive_read_next_header(a.get(), &ae);
    if (r == ARCHIVE_EOF) return {};
    if (r != ARCHIVE_OK && r != ARCHIVE_WARN)
      return TError::Failure(ErrorOf(a.get(), "damaged archive"));
    TArchiveEntry e;
    FillEntry(ae, e);
    if (type == atIso9660 && e.Path == ".\\") continue;  // the image's root folder itself
    if (IsZipType(type) && archive_entry_mtime_is_set(ae) && archive_entry_mtime(ae) == 0) {
      // An extended-time field of 0 says nothing: the entry's DOS date stands.
      if (!dosTimes)
        dosTimes =
            std::make_unique<std::unordered_map<std::string, uint32_t>>(ZipDosTimes(src, start));
      const char* raw = archive_entry_pathname(ae);
      auto it = raw ? dosTimes->find(raw) : dosTimes->end();
      if (it != dosTimes->end()) e.DateTime = ArcDosTimeToDateTime(it->second);
    }
    bool failed = false;
    TDataReader data = [&](void* buf, size_t len) -> int64_t {
      la_ssize_t n = archive_read_data(a.get(), buf, len);
      if (n < 0 && n != ARCHIVE_WARN) failed = true;
      return n < 0 ? -1 : n;
    };
    if (!visit(e, data)) return {};
    if (failed) return TError::Failure(ErrorOf(a.get(), "damaged archive"));
  }
}

TError LibArchiveList(const TArcSource& src, uint64_t start, int32_t type, const TEntrySink& sink) {
  return LibArchiveWalk(src, start, type,
                        [&](const TArchiveEntry& e, const TDataReader&) { return sink(e); });
}
