// SPDX-License-Identifier: MIT
// The file operation engine: CopyFiles and what it calls for each item.
#include "fileops/FileOps.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "app/Language.h"
#include "app/SizeTexts.h"
#include "archive/ArchiveExtract.h"
#include "catalog/CatalogLayout.h"
#include "fileops/ProgressCopy.h"

namespace {

int DepthOf(const TNodeRec* n) {
  int d = 0;
  for (; n && n->Parent; n = n->Parent) ++d;
  return d;
}

// Restores the store's deferred packing and cursor, clears the work lists and closes the
// progress window on every path out of CopyFiles.
class TOperationScope {
 public:
  TOperationScope(TQDBase& bd, TFileOpsUi& ui, bool& windowShown)
      : bd_(bd), ui_(ui), windowShown_(windowShown), defer_(bd.DeferMarkPack) {
    bd_.PushPos();
  }
  ~TOperationScope() {
    if (windowShown_) ui_.ProgressClose();
    windowShown_ = false;
    bd_.DeferMarkPack = defer_;
    bd_.PackMarkList(mlOpSource);
    bd_.ClearMarkList(mlOpSource);
    bd_.ClearMarkList(mlOpPending);
    bd_.PopPos();
  }
  TOperationScope(const TOperationScope&) = delete;
  TOperationScope& operator=(const TOperationScope&) = delete;

 private:
  TQDBase& bd_;
  TFileOpsUi& ui_;
  bool& windowShown_;
  bool defer_;
};

}  // namespace

bool ItemRealPath(const std::string& root, const TNodeRec* item, std::string& out,
                  const TCatalogDecoders* decoders) {
  out = root;
  if (!item || !DiskNodeOf(item->Parent)) return true;  // a disk, or no item on a medium
  std::vector<std::string_view> names;
  for (const TNodeRec* n = item; n && n->Parent; n = n->Parent) {
    if (ItemKind(ItemFlagsOf(n)) <= ikDisk) break;
    names.push_back(ItemName(n));
  }
  const TCatalogDecoders& pages = decoders ? *decoders : DefaultCatalogDecoders();
  for (size_t i = names.size(); i-- > 0;) {
    if (!IsSafeComponent(names[i])) return false;
    if (!out.empty() && out.back() != '/') out += '/';
    if (TTextDecoder::NeedsDecoding(names[i])) {
      struct stat st;
      std::string decoded = pages.For(item).Text(names[i]);
      if (::lstat((out + std::string(names[i])).c_str(), &st) != 0 && IsSafeComponent(decoded)) {
        out += decoded;
        continue;
      }
    }
    out += names[i];
  }
  return true;
}

const TNodeRec* OutermostArchiveOf(const TNodeRec* item) {
  const TNodeRec* archive = nullptr;
  for (const TNodeRec* n = item ? item->Parent : nullptr; n && n->Parent; n = n->Parent) {
    if (ItemKind(ItemFlagsOf(n)) <= ikDisk) break;
    if (IsContainer(n) && (ItemFlagsOf(n) & ifArchive)) archive = n;
  }
  return archive;
}

TFileOpEngine::TFileOpEngine(TQDBase& bdMain, TFileOpsUi& ui, TTempFiles& temp)
    : bd_(bdMain), ui_(ui), temp_(temp) {}

std::string TFileOpEngine::CopyName(const TNodeRec* item) const {
  return (Decoders ? *Decoders : DefaultCatalogDecoders()).Text(item, ItemName(item));
}

// ---- totals ---------------------------------------------------------------------------------

int64_t TFileOpEngine::TotalOf(const std::vector<TNodeRec*>& items, bool extract) {
  int64_t total = 0;
  auto insideOneOf = [](const TNodeRec* n, const std::unordered_set<const TNodeRec*>& set) {
    for (const TNodeRec* p = n->Parent; p; p = p->Parent)
      if (set.count(p)) return true;
    return false;
  };
  if (!extract) {
    // Folder entries (containers that are not archives), by their ifInArchive state.
    std::unordered_set<const TNodeRec*> folders[2];
    for (const TNodeRec* e : items) {
      int32_t flags = ItemFlagsOf(e);
      int inArchive = (flags & ifInArchive) ? 1 : 0;
      if (insideOneOf(e, folders[inArchive])) continue;
      total += ItemSizeOf(e);
      if (IsContainer(e) && !(flags & ifArchive)) folders[inArchive].insert(e);
    }
    return total;
  }
  // Archive entries stand for their direct items, so that the total counts the entries'
  // sizes, not the archive files'.
  std::vector<const TNodeRec*> list;
  std::unordered_set<const TNodeRec*> listed;
  auto add = [&](const TNodeRec* n) {
    if (listed.insert(n).second) list.push_back(n);
  };
  for (const TNodeRec* e : items) {
    int32_t flags = ItemFlagsOf(e);
    if (flags & ifArchive) {
      for (int s = 1; s < e->SlotCount; ++s)
        if (const TNodeRec* c = NodeChild(e, s)) add(c);
    } else if (flags & ifInArchive) {
      add(e);
    }
  }
  for (const TNodeRec* e : list)
    if (!insideOneOf(e, listed)) total += ItemSizeOf(e);
  return total;
}

// ---- CopyFiles ------------------------------------------------------------------------------

void TFileOpEngine::CopyFiles(int markList, const std::vector<int>* indices, bool extract,
                              TFileOp op) {
  if (extract) op = TFileOp::Copy;
  failures_.clear();
  skippedDisks_.clear();
  kept_.clear();

  // 1. The destination.
  std::string dest;
  if (op != TFileOp::Delete) {
    std::string chosen = ui_.ChooseFolder(LangText(11501), Settings.LastDestination);
    if (chosen.empty()) return;
    struct stat st;
    if (::stat(chosen.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      ui_.ShowMessage(10507, chosen, LangFormat(10507, chosen));
      return;
    }
    if (Settings.LastDestination != chosen) {
      Settings.LastDestination = chosen;
      if (DestinationChanged) DestinationChanged();
    }
    dest = chosen;
    if (dest.back() != '/') dest += '/';
  }

  // 2. The items.
  std::vector<TNodeRec*> items;
  std::unordered_set<const TNodeRec*> taken;  // each item once, even when listed twice
  const std::vector<TNodeRec*>& source = bd_.MarkList(markList);
  if (indices) {
    for (int i : *indices) {
      if (i < 0 || static_cast<size_t>(i) >= source.size() || !source[static_cast<size_t>(i)])
        continue;
      TNodeRec* n = source[static_cast<size_t>(i)];
      if (ItemKind(ItemFlagsOf(n)) >= ikFolder && taken.insert(n).second) items.push_back(n);
    }
  } else {
    for (TNodeRec* n : source)
      if (n && taken.insert(n).second) items.push_back(n);
  }
  if (items.empty()) return;

  // 3. Medium by medium: drive type, serial, label, then the scanned sub-folder (disks of one
  //    medium scanned from different folders have different roots), then depth, so that a
  //    folder comes before the items inside it.
  struct Key {
    TMediumId id;
    int depth;
  };
  std::unordered_map<const TNodeRec*, Key> keys;
  for (TNodeRec* n : items) keys.emplace(n, Key{MediumIdOf(DiskNodeOf(n)), DepthOf(n)});
  std::stable_sort(items.begin(), items.end(), [&](const TNodeRec* a, const TNodeRec* b) {
    const Key& ka = keys.at(a);
    const Key& kb = keys.at(b);
    if (ka.id.DriveType != kb.id.DriveType) return ka.id.DriveType < kb.id.DriveType;
    if (int c = ka.id.Serial.compare(kb.id.Serial)) return c < 0;
    if (int c = ka.id.Label.compare(kb.id.Label)) return c < 0;
    if (int c = ka.id.SubFolder.compare(kb.id.SubFolder)) return c < 0;
    return ka.depth < kb.depth;
  });

  TOperationScope scope(bd_, ui_, windowShown_);

  // 4. The work lists.
  bd_.DeferMarkPack = false;
  bd_.ClearMarkList(mlOpSource);
  bd_.ClearMarkList(mlOpPending);
  sourceIndex_.clear();
  for (TNodeRec* n : items) {
    bd_.GoToNode(n);
    sourceIndex_.emplace(n, bd_.MarkCount(mlOpSource));
    bd_.AddMark(mlOpSource);
    bd_.AddMark(mlOpPending);
  }

  // 5. The progress window (a delete runs without it).
  cancel_ = false;
  doneCount_ = 0;
  doneBytes_ = 0;
  if (op != TFileOp::Delete) {
    std::string caption = op == TFileOp::Move ? LangText(1502) : LangText(1501);
    ui_.ProgressOpen(caption, dest);
    windowShown_ = true;
  }

  // 6. The total.
  std::vector<TNodeRec*> pending;
  for (TNodeRec* n : bd_.MarkList(mlOpPending))
    if (n) pending.push_back(n);
  bd_.ClearMarkList(mlOpPending);
  totalBytes_ = TotalOf(pending, extract);
  ShowProgress(0, 0);

  // 7-8. Item by item, medium by medium.
  bd_.DeferMarkPack = true;
  TMediumId work;
  bool haveWork = false, skipped = false;
  std::string root;
  for (size_t i = 0; i < bd_.MarkList(mlOpSource).size(); ++i) {
    TNodeRec* n = bd_.MarkList(mlOpSource)[i];
    if (!n) continue;  // handled inside a folder
    const TNodeRec* disk = DiskNodeOf(n);
    if (!disk) {
      Drop(n);
      continue;
    }
    TMediumId id = MediumIdOf(disk);
    if (!haveWork || !(id == work)) {
      std::string name(ItemName(disk));
      if (windowShown_) ui_.ProgressDisk(name);
      int answer = LocateMedium(n, Volumes, ui_, true, root);
      if (answer == kInsertCancel) break;
      work = id;
      haveWork = true;
      skipped = answer != kInsertOk;
      if (skipped) skippedDisks_.push_back(name);
    }
    if (skipped) continue;
    CopyFileCur(n, root, dest, extract, op);
    if (cancel_) break;
  }
  // 9. The scope closes the window and empties the work lists.
}

void TFileOpEngine::ShowProgress(int count, int64_t bytes) {
  if (!windowShown_) return;
  int percent = 100;
  if (totalBytes_ > 0)
    percent = static_cast<int>(
        std::lround(static_cast<double>(bytes) * 100.0 / static_cast<double>(totalBytes_)));
  percent = std::clamp(percent, 0, 100);
  ui_.ProgressShow(percent,
                   LangFormat(11503, std::to_string(count)) + " (" + FormatSizeUnits(bytes) + ")");
}

void TFileOpEngine::Drop(const TNodeRec* item) {
  auto it = sourceIndex_.find(item);
  if (it == sourceIndex_.end()) return;
  int index = it->second;
  sourceIndex_.erase(it);
  const auto& list = bd_.MarkList(mlOpSource);
  if (static_cast<size_t>(index) < list.size() && list[static_cast<size_t>(index)] == item)
    bd_.RemoveMark(mlOpSource, index);
}

void TFileOpEngine::DropSubtree(const TNodeRec* container) {
  Drop(container);
  const auto& list = bd_.MarkList(mlOpSource);
  for (size_t i = 0; i < list.size(); ++i) {
    const TNodeRec* n = list[i];
    if (!n) continue;
    for (const TNodeRec* p = n->Parent; p; p = p->Parent)
      if (p == container) {
        Drop(n);
        break;
      }
  }
}

void TFileOpEngine::Fail(const std::string& path, const std::string& reason) {
  failures_.push_back({path, reason});
}

// ---- per item -------------------------------------------------------------------------------

void TFileOpEngine::CopyFileCur(TNodeRec* item, const std::string& root, const std::string& dest,
                                bool extract, TFileOp op) {
  if (root.empty() || (op != TFileOp::Delete && dest.empty())) return;
  int32_t flags = ItemFlagsOf(item);
  int kind = ItemKind(flags);
  if (kind < ikDisk) {  // catalogs and groups have no medium
    Drop(item);
    return;
  }
  bool container = IsContainer(item);
  if (flags & ifInArchive) {
    // Items inside archives are extracted; they cannot be moved or deleted.
    if (extract || op == TFileOp::Copy)
      ExtractItems(item, root, dest, true);
    else
      Drop(item);
  } else if (!container) {
    if (extract)
      Drop(item);
    else
      CopyOrdinaryFile(item, root, dest, op);
  } else if (flags & ifArchive) {
    if (extract)
      ExtractItems(item, root, dest, true);
    else
      CopyOrdinaryFile(item, root, dest, op);
  } else {
    if (extract)
      Drop(item);
    else
      CopyFolder(item, root, dest, op);
  }
}

void TFileOpEngine::CopyFolder(TNodeRec* folder, const std::string& root, const std::string& dest,
                               TFileOp op) {
  Drop(folder);
  bool isDisk = ItemKind(ItemFlagsOf(folder)) == ikDisk;
  std::string source;
  if (!ItemRealPath(root, folder, source, Decoders)) {
    Fail(root + MediumPath(folder), "unsafe name in the catalog");
    return;
  }
  std::string target;
  if (op != TFileOp::Delete) {
    std::string name = CopyName(folder);
    if (!IsSafeComponent(name)) {
      Fail(source, "unsafe name in the catalog");
      return;
    }
    target = dest + name;
    if (!IsRealFolder(target) && ::mkdir(target.c_str(), 0777) != 0) {
      Fail(target, std::strerror(errno));
      return;
    }
    target += '/';
  }
  for (int s = 1; s < folder->SlotCount; ++s) {
    TNodeRec* child = NodeChild(folder, s);
    if (!child) continue;
    CopyFileCur(child, root, target, false, op);
    if (cancel_) return;
  }
  // A moved or deleted folder goes when it is empty; the medium's root never goes.
  if (op != TFileOp::Copy && !isDisk) ::rmdir(source.c_str());
}

void TFileOpEngine::CopyOrdinaryFile(TNodeRec* item, const std::string& root,
                                     const std::string& dest, TFileOp op) {
  Drop(item);
  std::string source;
  if (!ItemRealPath(root, item, source, Decoders)) {
    Fail(root + MediumPath(item), "unsafe name in the catalog");
    return;
  }
  bool copied = false;
  if (op != TFileOp::Delete) {
    std::string name = CopyName(item);
    if (!IsSafeComponent(name)) {
      Fail(source, "unsafe name in the catalog");
      return;
    }
    if (KeepExisting && PathExists(dest + name)) {
      kept_.push_back(dest + name);
      ShowProgress(doneCount_, doneBytes_);
      return;  // a move leaves the source too
    }
    int64_t size = ItemSizeOf(item);
    TCopyProgressFn progress = [&](int64_t copied) {
      if (windowShown_) ui_.ProgressFile(source, copied, size);
      ShowProgress(doneCount_, doneBytes_ + copied);
      if (windowShown_ && ui_.ProgressPoll()) cancel_ = true;
      return !cancel_;
    };
    const bool move = op == TFileOp::Move;
    TCopyResult r = CopyRunner ? CopyRunner(source, dest + name, progress, move)
                               : CopyFileWithProgress(source, dest + name, progress, move);
    if (r.Status == TCopyStatus::Done) {
      ++doneCount_;
      doneBytes_ += size;
      copied = true;
    } else if (r.Status == TCopyStatus::Failed) {
      Fail(source, r.Error);
    }
  }
  ShowProgress(doneCount_, doneBytes_);
  if (cancel_ || op == TFileOp::Copy || !PathExists(source)) return;
  // A move whose copy failed leaves the source where it is.
  if (op == TFileOp::Move && !copied) return;

  int oldMode = ClearReadOnly(source);
  for (;;) {
    TError err = DeleteFileAt(source);
    if (err.Ok() || !PathExists(source)) return;  // gone: also when removed meanwhile
    ClearReadOnly(source);
    TRetryAnswer a = ui_.AskRetry(11502, source, LangFormat(11502, source));
    if (a == TRetryAnswer::Retry) continue;
    // The file stays: give it back the permissions it had.
    if (oldMode >= 0) ::chmod(source.c_str(), static_cast<mode_t>(oldMode));
    Fail(source, err.Message());
    if (a == TRetryAnswer::Cancel) cancel_ = true;
    return;
  }
}

void TFileOpEngine::ExtractItems(TNodeRec* item, const std::string& root, const std::string& dest,
                                 bool withFolders) {
  int32_t flags = ItemFlagsOf(item);
  if (!(flags & (ifArchive | ifInArchive))) return;
  if (IsContainer(item) && (flags & ifArchive)) {
    Drop(item);
    for (int s = 1; s < item->SlotCount; ++s) {
      if (cancel_) return;
      if (TNodeRec* child = NodeChild(item, s)) ExtractItems(child, root, dest, withFolders);
    }
    return;
  }
  // A file or a folder inside the archive: one extraction of its entry spec (a folder's spec
  // takes everything below it in one pass over the archive).
  bool folder = IsContainer(item);
  if (folder && KeepExisting && item->SlotCount > 1) {
    // File by file, so that each existing target can be left alone.
    Drop(item);
    for (int s = 1; s < item->SlotCount; ++s) {
      if (cancel_) return;
      if (TNodeRec* child = NodeChild(item, s)) ExtractItems(child, root, dest, withFolders);
    }
    return;
  }
  if (folder)
    DropSubtree(item);
  else
    Drop(item);
  std::string archivePath, spec, archiveFile;
  if (!SplitArchivePath(item, archivePath, spec) ||
      !ItemRealPath(root, OutermostArchiveOf(item), archiveFile, Decoders)) {
    Fail(root + archivePath, "unsafe name in the catalog");
    return;
  }
  if (KeepExisting && !folder) {
    std::string target;
    bool named = withFolders ? RealPathBelow(dest, spec, target) : IsSafeComponent(ItemName(item));
    if (!withFolders && named) target = dest + std::string(ItemName(item));
    if (named && PathExists(target)) {
      kept_.push_back(target);
      ShowProgress(doneCount_, doneBytes_);
      return;
    }
  }
  if (windowShown_) ui_.ProgressFile(archiveFile + ": " + spec, 0, ItemSizeOf(item));
  TExtractResult r = ::ExtractEntry(reader_, archiveFile, spec, withFolders, dest);
  if (folder) {
    doneCount_ += r.Files;
    doneBytes_ += r.Bytes;
  } else if (r.Code == 0) {
    ++doneCount_;
    doneBytes_ += ItemSizeOf(item);
  }
  // A folder without files (an empty folder entry) extracts nothing, which is no failure.
  if (r.Code != 0 && !(folder && r.Code == -3)) Fail(archiveFile + ": " + spec, r.Error);
  ShowProgress(doneCount_, doneBytes_);
}

bool TFileOpEngine::SplitArchivePath(const TNodeRec* item, std::string& archivePath,
                                     std::string& entrySpec) {
  archivePath.clear();
  entrySpec.clear();
  // The chain from the item up to just below its disk, innermost first.
  std::vector<const TNodeRec*> chain;
  for (const TNodeRec* n = item; n && n->Parent; n = n->Parent) {
    if (ItemKind(ItemFlagsOf(n)) <= ikDisk) break;
    chain.push_back(n);
  }
  // The outermost archive on the path.
  size_t archive = chain.size();
  for (size_t i = chain.size(); i-- > 0;)
    if (IsContainer(chain[i]) && (ItemFlagsOf(chain[i]) & ifArchive)) {
      archive = i;
      break;
    }
  if (archive == chain.size() || archive == 0) return false;
  for (size_t i = chain.size(); i-- > 0;) {
    std::string& out = i >= archive ? archivePath : entrySpec;
    if (!out.empty()) out += '\\';
    out += ItemName(chain[i]);
  }
  return true;
}
