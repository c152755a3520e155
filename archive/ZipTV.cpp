// SPDX-License-Identifier: MIT
#include "archive/ZipTV.h"

#include <sys/stat.h>

#include <vector>

#include "archive/ArcDetect.h"
#include "archive/ArcText.h"
#include "archive/GzipHeader.h"
#include "archive/LibArchiveReader.h"
#include "archive/OwnReaders.h"
#include "archive/UdfReader.h"
#include "archive/UnarTool.h"
#include "platform/WildMatch.h"

namespace {

bool IsZipFamily(int32_t t) {
  return t == atZip || t == atZipExe || t == atJar || t == atJarExe || t == atZipDS || t == atZipMV;
}

// The last component of an entry path (a folder's trailing "\" ignored).
std::string_view EntryName(const std::string& path) {
  std::string_view p = path;
  if (!p.empty() && p.back() == '\\') p.remove_suffix(1);
  size_t slash = p.find_last_of('\\');
  return slash == std::string_view::npos ? p : p.substr(slash + 1);
}

}  // namespace

bool IsSelfExtractorType(int32_t t) {
  switch (t) {
    case atAceExe:
    case atArcExe:
    case atArjExe:
    case atBhExe:
    case atCabExe:
    case atJarExe:
    case atLhaExe:
    case atLzhExe:
    case atPakExe:
    case atRarExe:
    case atZipExe:
    case atSevenZipExe:
      return true;
    default:
      return false;
  }
}

const char* ArcTypeName(int32_t t) {
  switch (t) {
    case atNA:
      return "none";
    case atUnsupported:
      return "unsupported";
    case atFileOpenErr:
      return "file open error";
    case atUnknown:
      return "unknown";
    case atAce:
      return "ACE";
    case atAceExe:
      return "ACE self-extractor";
    case atArc:
      return "ARC";
    case atArcExe:
      return "ARC self-extractor";
    case atArj:
      return "ARJ";
    case atArjExe:
      return "ARJ self-extractor";
    case atBh:
      return "BH";
    case atBhExe:
      return "BH self-extractor";
    case atCab:
      return "CAB";
    case atCabExe:
      return "CAB self-extractor";
    case atGZip:
      return "GZIP";
    case atHA:
      return "HA";
    case atJar:
      return "JAR";
    case atJarExe:
      return "JAR self-extractor";
    case atLha:
      return "LHA";
    case atLhaExe:
      return "LHA self-extractor";
    case atLzh:
      return "LZH";
    case atLzhExe:
      return "LZH self-extractor";
    case atMsGZ:
      return "MsGZ";
    case atPak:
      return "PAK";
    case atPakExe:
      return "PAK self-extractor";
    case atRar:
      return "RAR";
    case atRarExe:
      return "RAR self-extractor";
    case atTar:
      return "TAR";
    case atTarGZip:
      return "TAR.GZ";
    case atUUE:
      return "UUE";
    case atZip:
      return "ZIP";
    case atZipExe:
      return "ZIP self-extractor";
    case atZipDS:
      return "ZIP (spanned)";
    case atZipMV:
      return "ZIP (multi-volume)";
    case atZoo:
      return "ZOO";
    case atSevenZip:
      return "7z";
    case atSevenZipExe:
      return "7z self-extractor";
    case atIso9660:
      return "ISO 9660";
    case atUdf:
      return "UDF";
    default:
      return "unknown";
  }
}

void TZipTV::SetArchiveFile(const std::string& path) {
  file_ = path;
  size_t slash = path.find_last_of('/');
  name_ = slash == std::string::npos ? path : path.substr(slash + 1);
  type_ = atNA;
  offset_ = 0;
  error_ = src_.OpenFile(path).Message();
  if (!error_.empty()) {
    type_ = atFileOpenErr;
    return;
  }
  Examine();
}

void TZipTV::SetArchiveFileAt(int dirfd, const std::string& name, const std::string& path,
                              uint64_t size) {
  file_ = path;
  name_ = name;
  type_ = atNA;
  offset_ = 0;
  error_ = src_.OpenFileAt(dirfd, name, size).Message();
  if (!error_.empty()) {
    type_ = atFileOpenErr;
    return;
  }
  Examine();
}

void TZipTV::SetArchiveMemory(std::string_view data, std::string_view name) {
  file_.clear();
  name_ = name;
  error_.clear();
  src_.OpenMemory(data);
  Examine();
}

void TZipTV::Examine() {
  TArcDetection d = DetectArchive(src_, name_);
  type_ = d.Type;
  offset_ = d.Offset;
  if (type_ == atUnknown) error_ = "not an archive";
}

TError TZipTV::ListWithOwnReaders(const TEntrySink& sink) {
  switch (type_) {
    case atArj:
    case atArjExe:
      return ListArj(src_, offset_, sink);
    case atArc:
    case atArcExe:
    case atPak:
    case atPakExe:
      return ListArc(src_, offset_, sink);
    case atZoo:
      return ListZoo(src_, offset_, sink);
    case atHA:
      return ListHa(src_, offset_, sink);
    case atAce:
    case atAceExe:
      return ListAce(src_, offset_, sink);
    case atUdf:
      return ListUdf(src_, sink);
    case atGZip: {
      TGzipInfo info;
      if (!ReadGzipHeader(src_, offset_, info)) return TError::Failure("damaged gzip header");
      TArchiveEntry e;
      e.Path = GzipEntryName(info, name_);
      e.Size = info.ISize;
      e.Attr = kAttrArchive;
      if (info.MTime != 0) {
        e.DateTime = ArcUnixTimeToDateTime(info.MTime);
      } else if (src_.Fd() >= 0) {
        struct stat st;
        if (::fstat(src_.Fd(), &st) == 0) e.DateTime = ArcUnixTimeToDateTime(st.st_mtime);
      }
      sink(e);
      return {};
    }
    default:
      break;
  }
  if (LibArchiveReadsType(type_)) return LibArchiveList(src_, offset_, type_, sink);
  return TError::Failure("no reader for " + std::string(ArcTypeName(type_)) + " archives");
}

TError TZipTV::ListAll(const TEntrySink& sink) {
  if (!IsListableArcType(type_)) return TError::Failure(error_.empty() ? "not an archive" : error_);
  std::vector<TArchiveEntry> entries;
  auto collect = [&](const TArchiveEntry& e) {
    entries.push_back(e);
    return true;
  };
  TError err = ListWithOwnReaders(collect);
  if (err.Failed() && IsZipFamily(type_) && offset_ != 0) {
    // A self-extractor whose offsets count from the start of the program, not of the archive.
    entries.clear();
    err = LibArchiveList(src_, 0, type_, collect);
  }
  if (err.Failed() && UseExternalTools && !file_.empty() && !src_.Cancelled()) {
    entries.clear();
    if (LsarList(file_, collect).Ok())
      err = {};
    else
      entries.clear();
  }
  if (err.Failed()) {
    error_ = err.Message();
    return err;
  }
  for (const auto& e : entries)
    if (!sink(e)) break;
  return {};
}

TError TZipTV::ListEntries(const TEntrySink& onRead) {
  bool all = FileSpec == "*.*" || FileSpec == "*" || FileSpec.empty();
  TWildMask mask(FileSpec);
  return ListAll([&](const TArchiveEntry& e) {
    if (e.IsFolder && !ShowEmptyDirs) return true;
    if (!RecurseDirs) {
      std::string_view p = e.Path;
      if (!p.empty() && p.back() == '\\') p.remove_suffix(1);
      if (p.find('\\') != std::string_view::npos) return true;
    }
    if (!all && !mask.Match(EntryName(e.Path))) return true;
    return onRead(e);
  });
}
