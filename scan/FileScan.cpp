// SPDX-License-Identifier: MIT
#include "scan/FileScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <ctime>
#include <unordered_map>

#include "platform/DateTime.h"
#include "archive/ArcText.h"
#include "archive/ArchiveListing.h"
#include "archive/ZipTV.h"
#include "catalog/CatalogLayout.h"
#include "platform/Collate.h"
#include "platform/TextCase.h"
#include "scan/ByteSource.h"
#include "scan/ContentDesc.h"
#include "scan/MediaTags.h"

namespace {

// Attribute byte of a directory entry: 0x10 folder, 0x01 read-only when the owner may not write,
// 0x02 hidden for a name beginning with ".", 0x20 archive on regular files.
int Attributes(const std::string& name, mode_t mode) {
  int a = 0;
  if (S_ISDIR(mode)) a |= kAttrDirectory;
  if (!(mode & S_IWUSR)) a |= kAttrReadOnly;
  if (!name.empty() && name[0] == '.') a |= kAttrHidden;
  if (S_ISREG(mode)) a |= kAttrArchive;
  return a;
}

// At most `maxBytes` raw bytes of the head of a file, for the text-head rules and list files
// (converted by the importer).
std::string ReadHeadBytes(const TByteSource& src, size_t maxBytes) {
  if (!src.Ok()) return {};
  std::string out;
  size_t n = static_cast<size_t>(std::min<uint64_t>(src.Size(), maxBytes));
  out.resize(n);
  out.resize(src.ReadAt(0, out.data(), n));
  return out;
}

// The file type of a directory entry whose statx failed, from readdir's type.
mode_t ModeOfDirentType(unsigned char type) {
  switch (type) {
    case DT_DIR: return S_IFDIR;
    case DT_LNK: return S_IFLNK;
    case DT_FIFO: return S_IFIFO;
    case DT_SOCK: return S_IFSOCK;
    case DT_CHR: return S_IFCHR;
    case DT_BLK: return S_IFBLK;
    default: return S_IFREG;
  }
}

}  // namespace

// The old container's items by upper-cased name, for the counterpart lookup in large folders.
struct TFileScan::TOldIndex {
  const TNodeRec* container = nullptr;
  std::unordered_map<std::string, std::vector<int>> byName;
};

double FileTimeToDateTime(int64_t seconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm tmv;
  if (localtime_r(&t, &tmv) == nullptr) return 0.0;
  int year = tmv.tm_year + 1900;
  if (year < 1980 || year > 2107) return 0.0;  // outside what a DOS date holds
  TDateParts p{year, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec & ~1, 0};
  return EncodeDateTime(p);
}

struct TFileScan::Entry {
  std::string name;
  struct statx st;
  bool statOk;
};

void TFileScan::NoteUnreadable(const std::string& path) {
  std::lock_guard<std::mutex> lock(currentMutex_);
  unreadable_.push_back(path);
  ++FoldersUnreadable;
}

std::vector<std::string> TFileScan::UnreadableFolders() const {
  std::lock_guard<std::mutex> lock(currentMutex_);
  return unreadable_;
}

TFileScan::TFileScan(TQDBase& disk, std::string rootPath, TScanSettings settings)
    : disk_(disk),
      root_(std::move(rootPath)),
      settings_(std::move(settings)),
      isArchiveName_(settings_.ArchiveTypes, settings_.ArchiveTypeOn) {
  if (root_.empty() || root_.back() != '/') root_ += '/';
  const TNodeRec* table = settings_.DescRules ? settings_.DescRules->RootNode() : nullptr;
  rules_ = std::make_unique<TDescRuleSet>(table, settings_.OemCodePage);
  // Every reader reads the entry being imported, through its folder's descriptor, and only when
  // the walk found a regular file: links, FIFOs and devices give no description.
  readers_.Html = [this](const std::string&) { return HtmlTitleFromSource(CurrentSource()); };
  readers_.Mp3 = [this](const std::string&) { return Mp3TagsFromSource(CurrentSource()); };
  readers_.Version = [this](const std::string&) { return VersionTextFromSource(CurrentSource()); };
  readers_.TextHead = [this](const std::string&, size_t n) { return ReadHeadBytes(CurrentSource(), n); };
  readers_.ListFile = readers_.TextHead;
  readers_.Bmp = [this](const std::string&) { return ImageDescriptionFromSource(CurrentSource(), 5); };
  readers_.Jpeg = [this](const std::string&) { return ImageDescriptionFromSource(CurrentSource(), 6); };
  readers_.Gif = [this](const std::string&) { return ImageDescriptionFromSource(CurrentSource(), 7); };
  readers_.Png = [this](const std::string&) { return ImageDescriptionFromSource(CurrentSource(), 8); };
  readers_.Pcx = [this](const std::string&) { return ImageDescriptionFromSource(CurrentSource(), 9); };
  readers_.Tiff = [this](const std::string&) { return ImageDescriptionFromSource(CurrentSource(), 10); };
  importCtx_.Rules = rules_.get();
  importCtx_.Readers = &readers_;
  importCtx_.ImportDescriptions = settings_.ImportDescriptions;
  importCtx_.UpdateMode = settings_.UpdateMode;
  importCtx_.UpdateDescMode = settings_.UpdateDescMode;
  if (settings_.ArchiveTypeOn.size() < settings_.ArchiveTypes.size())
    settings_.ArchiveTypeOn.resize(settings_.ArchiveTypes.size(), true);
}

TFileScan::~TFileScan() {
  if (thread_.joinable()) {
    CancelRequested = true;
    thread_.join();
  }
}

void TFileScan::TakeOldDisk(TQDBase& source) {
  old_ = std::make_unique<TQDBase>();
  oldIndex_ = std::make_unique<TOldIndex>();
  old_->AppendFrom(source);  // the root of old_ now holds the old disk's slots
}

void TFileScan::Start() { thread_ = std::thread([this] { Run(); }); }

void TFileScan::Join() {
  if (thread_.joinable()) thread_.join();
}

void TFileScan::Run() {
  try {
    Walk();
  } catch (...) {
    // Nothing may escape the worker; a failed walk leaves what was written so far.
  }
  Done = true;
}

bool TFileScan::CheckContinue() {
  while (Paused.load(std::memory_order_relaxed) && !CancelRequested.load(std::memory_order_relaxed))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return !CancelRequested.load(std::memory_order_relaxed);
}

std::string TFileScan::CurrentFolder() const {
  std::lock_guard<std::mutex> lock(currentMutex_);
  return current_;
}

void TFileScan::SetCurrentFolder(const std::string& path) {
  std::lock_guard<std::mutex> lock(currentMutex_);
  current_ = path;
}

void TFileScan::Walk() {
  reader_ = std::make_unique<TZipTV>();
  reader_->SetCancelFlag(&CancelRequested);  // a cancel ends the listing of a huge archive
  listing_ = std::make_unique<TQDBase>();
  int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {  // the disk gets no items and a total of 0
    NoteUnreadable(root_);
    return;
  }
  int64_t total = 0;
  if (old_) old_->GoToDepth(0);
  ScanReal(fd, root_, total, old_ != nullptr);
  ::close(fd);
}

bool TFileScan::FindOldCounterpart(const std::string& name, bool asContainer, bool oldMatched) {
  if (!old_ || !oldMatched) return false;
  TNodeRec* container = old_->CurrentNode();
  if (!IsContainer(container)) return false;
  auto candidate = [&](int slot) -> bool {
    TNodeRec* item = NodeChild(container, slot);
    if (!item || IsContainer(item) != asContainer) return false;
    if (!AnsiSameText(ItemName(item), name)) return false;
    old_->GoToNode(item);
    return true;
  };
  int count = container->SlotCount;
  if (count <= 33) {
    for (int i = 1; i < count; ++i)
      if (candidate(i)) return true;
    return false;
  }
  // Large folders: an index by upper-cased name, built once per old container.
  TOldIndex& index = *oldIndex_;
  if (index.container != container) {
    index.container = container;
    index.byName.clear();
    for (int i = 1; i < count; ++i)
      if (const TNodeRec* item = NodeChild(container, i))
        index.byName[Utf8Upper(ItemName(item))].push_back(i);
  }
  auto it = index.byName.find(Utf8Upper(name));
  if (it == index.byName.end()) return false;
  for (int slot : it->second)
    if (candidate(slot)) return true;
  return false;
}

// Copies what a matched container keeps from its old counterpart into the new header (the disk
// store's cursor is on the new item, the old store's on the counterpart).
void TFileScan::CarryHeader() {
  const TNodeRec* oldHeader = FieldNode(old_->CurrentNode());
  int32_t oldFlags = FieldInt(oldHeader, kFieldFlags);
  disk_.EnterChild(0);
  if (settings_.UpdateDescMode != TUpdateDescMode::DeleteAll) disk_.SetStr(kFieldDescription, FieldStr(oldHeader, kFieldDescription));
  disk_.SetInt(kFieldFlags, WithCategory(disk_.GetInt(kFieldFlags), ItemCategory(oldFlags)));
  disk_.Up();
}

// A matched file: its category, and inside archives its description (real files get theirs
// through the importer).
void TFileScan::CarryFileFields(bool archiveEntry) {
  const TNodeRec* old = old_->CurrentNode();
  if (archiveEntry && settings_.UpdateDescMode != TUpdateDescMode::DeleteAll)
    disk_.SetStr(kFieldDescription, FieldStr(old, kFieldDescription));
  disk_.SetInt(kFieldFlags,
               WithCategory(disk_.GetInt(kFieldFlags), ItemCategory(FieldInt(old, kFieldFlags))));
}

void TFileScan::SortFolder() {
  disk_.SortSlots([this](int i, int j) { return CompareScannedItems(disk_, i, j); }, 1);
}

TByteSource TFileScan::CurrentSource() const {
  if (!entryAt_.Regular || !entryAt_.Name) return TByteSource::None();
  return TByteSource::OfFileAt(entryAt_.DirFd, *entryAt_.Name, entryAt_.Size);
}

bool TFileScan::ListArchiveFile(int dirfd, const std::string& name, const std::string& path,
                                uint64_t size) {
  reader_->SetArchiveFileAt(dirfd, name, path, size);
  if (!IsListableArcType(reader_->ArcType())) return false;
  return ListArchive(*reader_, *listing_) > 0;
}

void TFileScan::ScanReal(int dirfd, const std::string& path, int64_t& total, bool oldMatched) {
  total = 0;
  if (CancelRequested || !CheckContinue()) return;
  SetCurrentFolder(path);

  // Read the whole listing first, so that only one descriptor per level stays open.
  std::vector<Entry> entries;
  {
    int listFd = ::dup(dirfd);
    if (listFd < 0) return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
      ::close(listFd);
      NoteUnreadable(path);
      return;
    }
    while (struct dirent* de = ::readdir(dir)) {
      std::string name = de->d_name;
      if (name == "." || name == "..") continue;
      Entry e{std::move(name), {}, false};
      e.statOk = ::statx(dirfd, e.name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                         STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_BTIME,
                         &e.st) == 0;
      if (!e.statOk) {
        e.st = {};
        e.st.stx_mode = ModeOfDirentType(de->d_type);
      }
      entries.push_back(std::move(e));
    }
    ::closedir(dir);
  }

  TNodeRec* const folder = disk_.CurrentNode();
  TNodeRec* const oldFolder = old_ ? old_->CurrentNode() : nullptr;
  TFolderDescLists lists;
  for (const Entry& e : entries) {
    if (CancelRequested || !CheckContinue()) return;  // unwinding: no total, no sort
    try {
      disk_.EnterChild(disk_.SlotCount());
      const mode_t mode = e.st.stx_mode;
      const bool isDir = S_ISDIR(mode);
      const int attr = Attributes(e.name, mode);
      const double changed = e.statOk ? FileTimeToDateTime(e.st.stx_mtime.tv_sec) : 0.0;
      double created = changed;
      if (e.statOk && (e.st.stx_mask & STATX_BTIME)) created = FileTimeToDateTime(e.st.stx_btime.tv_sec);
      bool oldFound = FindOldCounterpart(e.name, isDir, oldMatched);
      if (isDir) {
        disk_.EnterChild(0);
        disk_.SetStr(kFieldName, e.name);
        disk_.SetInt(kFieldFlags, MakeItemFlags(attr, ikFolder));
        disk_.SetFloat(kFieldChanged, changed);
        disk_.SetFloat(kFieldCreated, created);
        disk_.Up();
        if (oldFound) CarryHeader();
        int sub = ::openat(dirfd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub >= 0) {
          int64_t subTotal = 0;
          ScanReal(sub, path + e.name + "/", subTotal, oldFound);
          ::close(sub);
          total = SaturatingAdd(total, subTotal);
        } else if (errno != ELOOP && errno != ENOTDIR) {  // not swapped for a link meanwhile
          NoteUnreadable(path + e.name + "/");
        }
      } else {
        const int64_t size = static_cast<int64_t>(
            std::min<uint64_t>(e.st.stx_size, static_cast<uint64_t>(INT64_MAX)));
        const bool regular = e.statOk && S_ISREG(mode);
        total = SaturatingAdd(total, size);
        bool listed = false;
        if (regular && settings_.ScanArchives && isArchiveName_(e.name) &&
            ListArchiveFile(dirfd, e.name, path + e.name, e.st.stx_size)) {
          // An archive is matched only to an old container of its name, never to a plain file.
          if (oldFound) {
            old_->GoToNode(oldFolder);
            oldFound = false;
          } else {
            oldFound = FindOldCounterpart(e.name, true, oldMatched);
          }
          disk_.EnterChild(0);
          disk_.SetStr(kFieldName, e.name);
          disk_.SetInt(kFieldFlags, MakeItemFlags(attr, ikFolder, ifArchive));
          disk_.SetFloat(kFieldChanged, changed);
          disk_.SetFloat(kFieldCreated, created);
          disk_.Up();
          if (oldFound) CarryHeader();
          WriteListedArchive(oldFound);
          disk_.ChildSetInt64(0, kFieldSize, size);
          total = SaturatingAdd(total, size);  // overwritten by the catalog's recompute after grafting
          ++FilesDone;
          ++ArchivesDone;
          BytesDone += size;
          listed = true;
        }
        if (!listed) {
          disk_.SetStr(kFieldName, e.name);
          disk_.SetInt(kFieldFlags, MakeItemFlags(attr, ikFile));
          disk_.SetInt64(kFieldSize, size);
          disk_.SetFloat(kFieldChanged, changed);
          disk_.SetFloat(kFieldCreated, changed);
          entryAt_ = TEntryAt{dirfd, &e.name, e.st.stx_size, regular};
          try {
            DescriptionsDone += ImportFileDescriptions(
                disk_, path, oldFound ? old_->CurrentNode() : nullptr, lists, importCtx_);
          } catch (...) {
          }
          entryAt_ = TEntryAt{};
          ++FilesDone;
          BytesDone += size;
          if (oldFound) CarryFileFields(false);
        }
      }
    } catch (...) {
      // The entry is abandoned (its node may be partly written); the walk goes on.
    }
    disk_.GoToNode(folder);
    if (old_) old_->GoToNode(oldFolder);
  }

  try {
    if (settings_.ImportDescriptions) {
      importCtx_.FolderFd = dirfd;
      ApplyListDescriptions(disk_, path, lists, importCtx_);
      importCtx_.FolderFd = -1;
    }
  } catch (...) {
    disk_.GoToNode(folder);
  }
  SortFolder();
  disk_.ChildSetInt64(0, kFieldSize, total);
  ++FoldersDone;
}

// The scanner's part in writing an archive subtree: cancel and pause, and in update mode the
// old counterparts, found level by level as in the real folders.
class TFileScan::TArchiveHooks : public TArchiveWriteHooks {
 public:
  explicit TArchiveHooks(TFileScan& scan) : scan_(scan) {}
  bool Continue() override { return !scan_.CancelRequested && scan_.CheckContinue(); }
  void LevelStarted() override {
    oldLevels_.push_back(scan_.old_ ? scan_.old_->CurrentNode() : nullptr);
  }
  void LevelEnded() noexcept override { oldLevels_.pop_back(); }
  bool FindCounterpart(const std::string& name, bool isFolder, bool levelMatched) override {
    return scan_.FindOldCounterpart(name, isFolder, levelMatched);
  }
  void CarryFields(bool isFolder) override {
    if (isFolder)
      scan_.CarryHeader();
    else
      scan_.CarryFileFields(true);
  }
  void ItemDone() override {
    if (scan_.old_) scan_.old_->GoToNode(oldLevels_.back());
  }

 private:
  TFileScan& scan_;
  std::vector<TNodeRec*> oldLevels_;  // the old cursor's container at the start of each level
};

void TFileScan::WriteListedArchive(bool oldMatched) {
  TArchiveHooks hooks(*this);
  WriteArchiveLevel(*listing_, disk_, "", &hooks, oldMatched);
}
