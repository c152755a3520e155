// SPDX-License-Identifier: MIT
#include "archive/UnarTool.h"

#include <cstdio>

#include "archive/ArcText.h"
#include "archive/JsonLite.h"
#include "archive/ReaderUtil.h"
#include "archive/RunTool.h"

namespace {

constexpr size_t kMaxListing = 256u << 20;
constexpr int kListSeconds = 120;
constexpr int kExtractSeconds = 3600;

// "2023-01-15 10:20:30 +0100" to the local date-time double.
double ParseLsarDate(const std::string& s) {
  int y, mo, d, h, mi, sec;
  char sign;
  int tz;
  if (std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d %c%d", &y, &mo, &d, &h, &mi, &sec, &sign, &tz) != 8)
    return 0.0;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec > 60) return 0.0;
  // To Unix seconds (UTC), then to local time.
  double asUtc = ArcFieldsToDateTime(y, mo, d, h, mi, sec);
  int offset = (tz / 100) * 3600 + (tz % 100) * 60;
  if (sign == '-') offset = -offset;
  double unixSecs = (asUtc - 25569.0) * 86400.0 - offset;
  return ArcUnixTimeToDateTime(
      static_cast<int64_t>(unixSecs < 0 ? unixSecs - 0.5 : unixSecs + 0.5));
}

}  // namespace

TError ParseLsarJson(const std::string& json, const TEntrySink& sink, std::vector<int>* indexes) {
  TJsonValue root;
  if (TError err = ParseJson(json, root); err.Failed())
    return TError::Failure("unreadable lsar output: " + err.Message());
  const TJsonValue* contents = root.Field("lsarContents");
  if (contents == nullptr || contents->kind != TJsonValue::Array)
    return TError::Failure("lsar cannot list this archive");
  for (const TJsonValue& item : contents->items) {
    const TJsonValue* name = item.Field("XADFileName");
    if (name == nullptr || name->kind != TJsonValue::String) continue;
    if (const TJsonValue* fork = item.Field("XADIsResourceFork"); fork && fork->AsNumber() != 0)
      continue;
    TArchiveEntry e;
    e.Path = ArcStoredPath(name->text);
    const TJsonValue* dir = item.Field("XADIsDirectory");
    e.IsFolder = dir && dir->AsNumber() != 0;
    const TJsonValue* link = item.Field("XADIsLink");
    e.IsLink = link && link->AsNumber() != 0;
    if (e.IsFolder) EndWithBackslash(e.Path);
    if (const TJsonValue* size = item.Field("XADFileSize"); size && !e.IsFolder) {
      double v = size->AsNumber();
      e.Size = v > 0 && v < 9.0e18 ? static_cast<int64_t>(v) : 0;
    }
    if (const TJsonValue* date = item.Field("XADLastModificationDate");
        date && date->kind == TJsonValue::String)
      e.DateTime = ParseLsarDate(date->text);
    if (const TJsonValue* dos = item.Field("XADDOSFileAttributes")) {
      e.Attr = static_cast<uint8_t>(static_cast<int64_t>(dos->AsNumber()) & 0xFF);
      if (e.IsFolder) e.Attr |= kAttrDirectory;
    } else if (const TJsonValue* perm = item.Field("XADPosixPermissions")) {
      e.Attr = AttrFromUnixMode(static_cast<uint32_t>(perm->AsNumber()), e.IsFolder);
    } else {
      e.Attr = e.IsFolder ? kAttrDirectory : kAttrArchive;
    }
    int index = -1;
    if (const TJsonValue* ix = item.Field("XADIndex")) index = static_cast<int>(ix->AsNumber());
    if (indexes) indexes->push_back(index);
    if (!sink(e)) return {};
  }
  return {};
}

TError LsarList(const std::string& archivePath, const TEntrySink& sink, std::vector<int>* indexes) {
  // "--" ends the options, so a file name beginning with "-" is not taken for one.
  TToolResult r = RunTool({"lsar", "-j", "-nr", "--", archivePath}, kMaxListing, kListSeconds);
  if (!r.Started || !r.Error.empty()) return TError::Failure(r.Error);
  if (r.ExitCode != 0) return TError::Failure("lsar cannot list this archive");
  return ParseLsarJson(r.Out, sink, indexes);
}

TError UnarExtractEntry(
    const std::string& archivePath, int index,
    const std::function<TError(const std::function<int64_t(void*, size_t)>&)>& write) {
  // "-o -" writes the entry's data to standard output: nothing lands on disk but what we write.
  TToolStream tool;
  TError err =
      tool.Start({"unar", "-q", "-nr", "-o", "-", "-i", "--", archivePath, std::to_string(index)},
                 kExtractSeconds);
  if (err.Failed()) return err;
  // The end of the data counts only when the tool succeeded, so that a file it could not
  // decompress completely is never put in place.
  int code = 0;
  bool finished = false;
  err = write([&](void* buf, size_t len) -> int64_t {
    if (finished) return 0;
    int64_t n = tool.Read(buf, len);
    if (n != 0) return n;
    finished = true;
    code = tool.Finish();
    return code == 0 ? 0 : -1;
  });
  if (!finished) code = tool.Finish();
  if (err.Failed()) return err;
  if (code == 127) return TError::Failure("unar is not installed");
  if (code != 0) return TError::Failure("unar could not extract the entry");
  return {};
}
