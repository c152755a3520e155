// SPDX-License-Identifier: MIT
#include "scan/DescImport.h"

#include <vector>

#include "platform/CodePage.h"
#include "platform/TextCase.h"
#include "scan/DescClean.h"
#include "scan/DescRules.h"
#include "scan/DescShortName.h"
#include "store/CursorGuard.h"
#include "store/QDBase.h"

namespace {

// Calls a reader; an empty entry or an exception gives the empty text.
template <class Reader, class... Args>
std::string CallReader(const Reader& reader, const Args&... args) {
  if (!reader) return std::string();
  try {
    return reader(args...);
  } catch (...) {
    return std::string();
  }
}

// The head of a text file, converted from the OEM code page when the first rule with `reader`
// says so.
std::string ReadHead(const std::string& path, int reader, const TDescImportContext& ctx) {
  const size_t limit = ctx.Rules->Options().TextHeadLimit();
  const bool oem = ctx.Rules->OemToAnsi(reader);
  // UTF-8 text cut at the limit may end inside a character: a few bytes more are read, so that
  // the cut can go back to the last whole character. Text that is not UTF-8 (a legacy code page)
  // is cut at the limit as it stands.
  std::string text = CallReader(ctx.Readers->TextHead, path, oem ? limit : limit + 3);
  if (text.empty()) return text;
  if (oem) return ctx.Rules->Oem().Convert(text);
  if (text.size() > limit) {
    std::string_view whole(text.data(), Utf8CompletePrefix(text));
    text.resize(IsValidUtf8(whole) ? Utf8CutPoint(text, limit) : limit);
  }
  return text;
}

// The field node of an item: its header for a container, the node itself for a file.
const TNodeRec* FieldNode(const TNodeRec* item) {
  const TNodeRec* header = NodeChild(item, 0);
  return header ? header : item;
}

}  // namespace

std::string ReadContentDescription(const std::string& path, int reader,
                                   const TDescImportContext& ctx) {
  if (!ctx.Readers) return std::string();
  const TContentReaders& r = *ctx.Readers;
  std::string text;
  switch (reader) {
    case drHTML:
      text = CallReader(r.Html, path);
      break;
    case drMP3:
      text = CallReader(r.Mp3, path);
      break;
    case drEXE:
      text = CallReader(r.Version, path);
      break;
    case drTXT:
      text = ReadHead(path, drTXT, ctx);
      break;
    case drBMP:
      text = CallReader(r.Bmp, path);
      break;
    case drJPG:
      text = CallReader(r.Jpeg, path);
      break;
    case drGIF:
      text = CallReader(r.Gif, path);
      break;
    case drPNG:
      text = CallReader(r.Png, path);
      break;
    case drPCX:
      text = CallReader(r.Pcx, path);
      break;
    case drTIFF:
      text = CallReader(r.Tiff, path);
      break;
    case drPhoto:
      text = CallReader(r.Photo, path);
      break;
    case drAudio:
      text = CallReader(r.Audio, path);
      break;
    case drVideo:
      text = CallReader(r.Video, path);
      break;
    case drPDF:
      text = CallReader(r.Pdf, path);
      break;
    case drOffice:
      text = CallReader(r.Office, path);
      break;
    default:
      return std::string();
  }
  if (!text.empty()) CleanDescription(text, ctx.Rules->Options());
  return text;
}

std::string ReadFolderDescription(const std::string& path, int reader,
                                  const TDescImportContext& ctx) {
  if (!ctx.Readers || reader != drDIZ) return std::string();
  std::string text = ReadHead(path, drDIZ, ctx);
  if (!text.empty()) CleanDescription(text, ctx.Rules->Options());
  return text;
}

int ImportFileDescriptions(TQDBase& disk, const std::string& folderPath, const TNodeRec* oldFile,
                           TFolderDescLists& lists, const TDescImportContext& ctx) {
  TNodeRec* file = disk.CurrentNode();
  TCursorBack back(disk, file);
  int done = 0;

  // 1-2. Update mode: carry the old description over and, when existing ones are kept, serve
  // the targets that already have one.
  TDoneTargets doneTargets = 0;
  if (ctx.UpdateMode) {
    std::string oldText(oldFile ? RuleSlotStr(oldFile, 8) : std::string_view());
    if (ctx.UpdateDescMode != TUpdateDescMode::DeleteAll) disk.SetStr(8, oldText);
    if (ctx.KeepExisting() && oldFile) {
      if (!oldText.empty()) AddTarget(doneTargets, dtFile);
      const TNodeRec* oldFolder = oldFile->Parent;
      if (oldFolder && !RuleSlotStr(FieldNode(oldFolder), 8).empty())
        AddTarget(doneTargets, dtFolder);
    }
  }

  // 3. The rules, in table order.
  if (!ctx.ImportDescriptions || !ctx.Rules) return done;
  std::string name(RuleSlotStr(file, 0));
  thread_local std::vector<TRuleMatch> matches;
  ctx.Rules->Match(name, matches);
  if (matches.empty()) return done;
  std::string path = folderPath + name;
  int32_t position = 0;
  int32_t sizeRank = 0;  // the rank of an image size that a photo rule may refine
  for (;;) {
    TNextRule next = NextMatchingRule(matches, doneTargets, position);
    if (next.Target == 0) break;
    if (next.Target == dtFile) {
      std::string text = ReadContentDescription(path, next.Reader, ctx);
      if (text.empty()) continue;
      disk.GoToNode(file);
      disk.SetStr(8, text);
      disk.SetTag(position);
      AddTarget(doneTargets, dtFile);
      if (next.Reader >= drBMP && next.Reader <= drTIFF) sizeRank = position;
      ++done;
    } else if (next.Target == dtFolder) {
      std::string text = ReadFolderDescription(path, next.Reader, ctx);
      TNodeRec* folder = file->Parent;
      if (text.empty() || !folder) continue;
      if (folder->NodeTag != 0 && folder->NodeTag <= position)
        continue;  // ranked the same or better
      disk.GoToNode(folder);
      disk.EnterChild(0);
      disk.SetStr(8, text);
      disk.GoToNode(folder);
      disk.SetTag(position);
      AddTarget(doneTargets, dtFolder);
      ++done;
    } else {
      if (ctx.Readers && ctx.Readers->ListFile) {
        if (next.Reader == drBBS || next.Reader == drION)
          ParseDescriptionList(CallReader(ctx.Readers->ListFile, path, kMaxListFileBytes),
                               next.Reader, *ctx.Rules, lists, position);
      } else {
        ReadDescriptionList(path, next.Reader, *ctx.Rules, lists, position);
      }
      AddTarget(doneTargets, dtList);
    }
  }
  if (sizeRank != 0) {
    // The first enabled photo rule after the size's rule that matches the file.
    for (const TRuleMatch& m : matches) {
      if (m.Rank <= sizeRank || m.Target != dtFile || m.Reader != drPhoto) continue;
      std::string text = ReadContentDescription(path, drPhoto, ctx);
      if (!text.empty()) {
        disk.GoToNode(file);
        disk.SetStr(8, text);
      }
      break;
    }
  }
  return done;
}

void ApplyListDescriptions(TQDBase& disk, const std::string& folderPath, TFolderDescLists& lists,
                           const TDescImportContext& ctx) {
  if (lists.Empty()) return;
  TNodeRec* folder = disk.CurrentNode();
  TCursorBack back(disk, folder);
  int count = folder->SlotCount;

  // 1. Short "~" names stand for long names of the folder's entries.
  std::vector<std::string> shortNames;
  for (const TListEntry& e : lists.Entries())
    if (e.Name.find('~') != std::string::npos) shortNames.push_back(e.Name);
  if (!shortNames.empty()) {
    std::vector<std::string_view> names;
    for (int i = 1; i < count; ++i)
      if (const TNodeRec* item = NodeChild(folder, i))
        names.push_back(RuleSlotStr(FieldNode(item), 0));
    for (const std::string& s : shortNames) {
      int found = ctx.FolderFd >= 0 ? FindShortNameEntryAt(s, names, ctx.FolderFd, std::string())
                                    : FindShortNameEntry(s, names, folderPath);
      if (found >= 0) lists.Rename(s, Utf8Upper(names[static_cast<size_t>(found)]));
    }
  }

  // 2. Every item listed takes the list's text unless it has a better one.
  for (int i = 1; i < count; ++i) {
    TNodeRec* item = NodeChild(folder, i);
    if (!item) continue;
    const TNodeRec* field = FieldNode(item);
    const TListEntry* entry = lists.Find(Utf8Upper(RuleSlotStr(field, 0)));
    if (!entry) continue;
    int32_t tag = item->NodeTag;
    if (tag == 0 && ctx.KeepExisting() && !RuleSlotStr(field, 8).empty()) continue;
    if (tag != 0 && entry->Rank >= tag) continue;
    disk.GoToNode(const_cast<TNodeRec*>(field));
    disk.SetStr(8, entry->Text);
  }
}
