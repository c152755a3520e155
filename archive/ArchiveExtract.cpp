// SPDX-License-Identifier: MIT
#include "archive/ArchiveExtract.h"

#include <sys/stat.h>

#include <vector>

#include "archive/ArchiveListing.h"
#include "archive/GzipHeader.h"
#include "archive/LibArchiveReader.h"
#include "archive/SafeWrite.h"
#include "archive/UnarTool.h"

namespace {

std::string StripSlashes(std::string_view s) {
  while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
  return std::string(s);
}

// True iff the entry `path` is `spec` or lies below it, folder names compared case-insensitively
// (the listing merged folders that differ only in case).
bool EntryMatches(const std::string& path, const std::string& spec) {
  std::string_view p = path, s = spec;
  while (!p.empty() && p.back() == '\\') p.remove_suffix(1);
  for (;;) {
    size_t es = s.find('\\'), ep = p.find('\\');
    std::string_view cs = s.substr(0, es), cp = p.substr(0, ep);
    if (CompareNamesNoCase(cp, cs) != 0) return false;
    if (es == std::string_view::npos) return true;   // all of spec matched
    if (ep == std::string_view::npos) return false;  // the path is shorter
    s.remove_prefix(es + 1);
    p.remove_prefix(ep + 1);
  }
}

// Where an entry goes below the target; fails for an unsafe path.
TError TargetParts(const std::string& path, bool withFolders, std::vector<std::string>& parts) {
  if (TError err = SafeRelativeParts(path, parts); err.Failed()) return err;
  if (!withFolders) parts.erase(parts.begin(), parts.end() - 1);
  return {};
}

void NoteError(TExtractResult& r, const TError& err) {
  if (r.Error.empty()) r.Error = err.Message();
}

// Extraction through libarchive from the archive starting at `start`. Fails with the error of
// the archive itself (a damaged archive); per-entry failures go into `r`.
TError ExtractWithLibArchive(TZipTV& reader, uint64_t start, const std::string& spec,
                             bool withFolders, const std::string& target, TExtractResult& r,
                             bool& matched) {
  std::string gzName;
  if (reader.ArcType() == atGZip) {
    TGzipInfo info;
    if (ReadGzipHeader(reader.Source(), start, info)) {
      std::string archive = reader.ArchiveFile();
      gzName = GzipEntryName(info, archive.substr(archive.find_last_of('/') + 1));
    }
  }
  return LibArchiveWalk(reader.Source(), start, reader.ArcType(),
                        [&](const TArchiveEntry& listed, const TDataReader& data) {
                          TArchiveEntry e = listed;
                          if (!gzName.empty()) e.Path = gzName;
                          if (!EntryMatches(e.Path, spec)) return true;
                          matched = true;
                          if (e.IsLink) return true;  // links are never written
                          std::vector<std::string> parts;
                          TError err = TargetParts(e.Path, withFolders, parts);
                          if (err.Failed()) {
                            NoteError(r, err);
                            return true;
                          }
                          if (e.IsFolder) {
                            if (withFolders) {
                              err = SafeMakeFolders(target, parts);
                              if (err.Failed()) NoteError(r, err);
                            }
                            return true;
                          }
                          int64_t written = 0;
                          TWriteOptions opt;
                          opt.DateTime = e.DateTime;
                          opt.ReadOnly = (e.Attr & kAttrReadOnly) != 0;
                          err = SafeWriteFile(
                              target, parts,
                              [&](void* buf, size_t len) {
                                int64_t n = data(buf, len);
                                if (n > 0) written += n;
                                return n;
                              },
                              opt);
                          if (err.Failed()) {
                            NoteError(r, err);
                            return true;
                          }
                          ++r.Files;
                          r.Bytes += written;
                          return true;
                        });
}

// Extraction through the unar tool, one entry at a time through a pipe, so that the tool writes
// nothing to disk itself and each file lands where the listing says.
void ExtractWithUnar(const std::string& archiveFile, const std::string& spec, bool withFolders,
                     const std::string& target, TExtractResult& r, bool& matched) {
  std::vector<TArchiveEntry> entries;
  std::vector<int> indexes;
  TError err = LsarList(
      archiveFile,
      [&](const TArchiveEntry& e) {
        entries.push_back(e);
        return true;
      },
      &indexes);
  if (err.Failed()) {
    NoteError(r, err);
    return;
  }
  for (size_t i = 0; i < entries.size(); ++i) {
    const TArchiveEntry& e = entries[i];
    if (!EntryMatches(e.Path, spec)) continue;
    matched = true;
    if (e.IsLink || indexes[i] < 0) continue;
    std::vector<std::string> parts;
    err = TargetParts(e.Path, withFolders, parts);
    if (err.Failed()) {
      NoteError(r, err);
      continue;
    }
    if (e.IsFolder) {
      if (withFolders) {
        err = SafeMakeFolders(target, parts);
        if (err.Failed()) NoteError(r, err);
      }
      continue;
    }
    int64_t written = 0;
    TWriteOptions opt;
    opt.DateTime = e.DateTime;
    opt.ReadOnly = (e.Attr & kAttrReadOnly) != 0;
    err = UnarExtractEntry(archiveFile, indexes[i],
                           [&](const std::function<int64_t(void*, size_t)>& read) {
                             return SafeWriteFile(
                                 target, parts,
                                 [&](void* buf, size_t len) {
                                   int64_t n = read(buf, len);
                                   if (n > 0) written += n;
                                   return n;
                                 },
                                 opt);
                           });
    if (err.Failed()) {
      NoteError(r, err);
      if (err.Message().find("not installed") != std::string::npos) return;
      continue;
    }
    ++r.Files;
    r.Bytes += written;
  }
}

}  // namespace

TExtractResult ExtractEntry(TZipTV& reader, const std::string& archiveFile,
                            const std::string& entrySpec, bool withFolders,
                            const std::string& targetFolder) {
  TExtractResult r;
  if (reader.ArchiveFile() != archiveFile || reader.ArcType() == atNA)
    reader.SetArchiveFile(archiveFile);
  int32_t type = reader.ArcType();
  std::string spec = StripSlashes(entrySpec);
  struct stat st;
  if (::stat(targetFolder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    r.Code = -1;
    r.Error = "the target folder does not exist: " + targetFolder;
    return r;
  }
  if (!IsListableArcType(type)) {
    r.Code = -2;
    r.Error = reader.LastError().empty() ? "not an archive" : reader.LastError();
    return r;
  }
  bool matched = false;
  bool done = false;
  std::string libError;
  if (LibArchiveReadsType(type)) {
    TError err = ExtractWithLibArchive(reader, reader.ArchiveOffset(), spec, withFolders,
                                       targetFolder, r, matched);
    if (err.Failed() && r.Files == 0 && reader.ArchiveOffset() != 0 &&
        (type == atZipExe || type == atJarExe)) {
      // Offsets counted from the start of the program instead of the archive.
      r = TExtractResult();
      matched = false;
      err = ExtractWithLibArchive(reader, 0, spec, withFolders, targetFolder, r, matched);
    }
    done = err.Ok() || r.Files > 0;
    if (!done)
      libError = err.Message();
    else if (err.Failed())
      NoteError(r, err);
  }
  if (!done) {
    TExtractResult viaTool;
    bool toolMatched = false;
    ExtractWithUnar(archiveFile, spec, withFolders, targetFolder, viaTool, toolMatched);
    if (viaTool.Files == 0 && viaTool.Error.find("not installed") != std::string::npos) {
      r = TExtractResult();
      r.Code = libError.empty() ? -2 : -1;
      r.Error = std::string("cannot extract from this ") + ArcTypeName(type) +
                " archive: " + (libError.empty() ? "" : libError + "; ") +
                "the unar program is not installed";
      return r;
    }
    r = viaTool;
    matched = toolMatched;
  }
  if (!r.Error.empty()) {
    r.Code = -1;
  } else if (r.Files == 0) {
    r.Code = -3;
    r.Error = matched ? "no file was extracted" : "entry not found in the archive: " + entrySpec;
  } else {
    r.Code = 0;
  }
  return r;
}
