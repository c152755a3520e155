// SPDX-License-Identifier: MIT
#include "scan/FileScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <unordered_map>

#include "archive/ArcText.h"
#include "archive/ArchiveListing.h"
#include "archive/ZipTV.h"
#include "catalog/CatalogLayout.h"
#include "platform/Collate.h"
#include "platform/DateTime.h"
#include "platform/TextCase.h"
#include "platform/Volumes.h"
#include "scan/AudioDesc.h"
#include "scan/ByteSource.h"
#include "scan/ContentDesc.h"
#include "scan/MediaTags.h"
#include "scan/OfficeDesc.h"
#include "scan/PdfDesc.h"
#include "scan/PhotoDesc.h"
#include "scan/VideoDesc.h"

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
    case DT_DIR:
      return S_IFDIR;
    case DT_LNK:
      return S_IFLNK;
    case DT_FIFO:
      return S_IFIFO;
    case DT_SOCK:
      return S_IFSOCK;
    case DT_CHR:
      return S_IFCHR;
    case DT_BLK:
      return S_IFBLK;
    default:
      return S_IFREG;
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
  std::vector<std::string> paths;
  {
    std::lock_guard<std::mutex> lock(currentMutex_);
    paths = unreadable_;
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// What one walking thread uses: the store it writes, its content readers (which read the entry
// being imported), its archive reader and listing, and its queue of subfolders not yet walked.
struct TFileScan::TWorker {
  struct TEntryAt {
    int DirFd = -1;
    const std::string* Name = nullptr;
    uint64_t Size = 0;
    bool Regular = false;
  };

  TWorker(TFileScan& scan, TQDBase* store, int number) : disk(store), index(number) {
    // Every reader reads the entry being imported, through its folder's descriptor, and only
    // when the walk found a regular file: links, FIFOs and devices give no description.
    readers.Html = [this](const std::string&) { return HtmlTitleFromSource(CurrentSource()); };
    readers.Mp3 = [this](const std::string&) { return Mp3TagsFromSource(CurrentSource()); };
    readers.Version = [this](const std::string&) { return VersionTextFromSource(CurrentSource()); };
    readers.TextHead = [this](const std::string&, size_t n) {
      return ReadHeadBytes(CurrentSource(), n);
    };
    readers.ListFile = readers.TextHead;
    readers.Bmp = [this](const std::string&) {
      return ImageDescriptionFromSource(CurrentSource(), 5);
    };
    readers.Jpeg = [this](const std::string&) {
      return ImageDescriptionFromSource(CurrentSource(), 6);
    };
    readers.Gif = [this](const std::string&) {
      return ImageDescriptionFromSource(CurrentSource(), 7);
    };
    readers.Png = [this](const std::string&) {
      return ImageDescriptionFromSource(CurrentSource(), 8);
    };
    readers.Pcx = [this](const std::string&) {
      return ImageDescriptionFromSource(CurrentSource(), 9);
    };
    readers.Tiff = [this](const std::string&) {
      return ImageDescriptionFromSource(CurrentSource(), 10);
    };
    readers.Photo = [this](const std::string&) { return PhotoDescription(CurrentSource()); };
    readers.Audio = [this](const std::string&) { return AudioDescription(CurrentSource()); };
    readers.Video = [this](const std::string&) { return VideoDescription(CurrentSource()); };
    readers.Pdf = [this](const std::string&) { return PdfDescription(CurrentSource()); };
    readers.Office = [this](const std::string&) { return OfficeDescription(CurrentSource()); };
    importCtx.Rules = scan.rules_.get();
    importCtx.Readers = &readers;
    importCtx.ImportDescriptions = scan.settings_.ImportDescriptions;
    importCtx.UpdateMode = scan.settings_.UpdateMode;
    importCtx.UpdateDescMode = scan.settings_.UpdateDescMode;
    reader = std::make_unique<TZipTV>();
    reader->SetCancelFlag(&scan.CancelRequested);  // a cancel ends the listing of a huge archive
    listing = std::make_unique<TQDBase>();
  }
  TWorker(const TWorker&) = delete;
  TWorker& operator=(const TWorker&) = delete;

  // The entry being imported: opened through its folder's descriptor, or an unreadable source
  // when it is not a regular file.
  TByteSource CurrentSource() const {
    if (!entryAt.Regular || !entryAt.Name) return TByteSource::None();
    return TByteSource::OfFileAt(entryAt.DirFd, *entryAt.Name, entryAt.Size);
  }

  TQDBase* disk;  // the store being written: the disk, or the store of a taken subfolder
  const int index;
  TContentReaders readers;
  TDescImportContext importCtx;
  std::unique_ptr<TZipTV> reader;
  std::unique_ptr<TQDBase> listing;  // the flat entry list of the archive being listed
  TEntryAt entryAt;                  // the real file being imported
  std::vector<char> dirBuf;          // the folder listing's buffer
  std::deque<TSubJob*> queue;        // subfolders waiting, outermost first (pool lock)
};

// A subfolder whose walk waits until its folder's files are done. Its item node, with the
// header, is already in its slot; a walker that takes it rebuilds that header in a new store.
struct TFileScan::TSubJob {
  enum class TState { Queued, Walking, Taken, Done };
  int ParentFd = -1;
  std::string Name, Path;
  TNodeRec* Item = nullptr;     // the item node in the folder's store
  TNodeRec* OldItem = nullptr;  // update mode: the old counterpart, when OldFound
  bool OldFound = false;
  int32_t Flags = 0;
  double Changed = 0, Created = 0;
  TState State = TState::Queued;   // the pool lock guards it while two walkers run
  std::unique_ptr<TQDBase> Store;  // a taken subfolder, walked; its root is the item
  int64_t Total = 0;
};

// The two walkers' meeting point: one lock for both queues and every job's state.
struct TFileScan::TPool {
  std::mutex mutex;
  std::condition_variable wake;
  int sleepers = 0;
  bool finished = false;  // the first walker is done: the second ends
};

namespace {

// The header of a folder item under the cursor, exactly as the walk writes it.
void WriteFolderHeader(TQDBase& disk, const std::string& name, int32_t flags, double changed,
                       double created) {
  disk.EnterChild(0);
  disk.SetStr(kFieldName, name);
  disk.SetInt(kFieldFlags, flags);
  disk.SetFloat(kFieldChanged, changed);
  disk.SetFloat(kFieldCreated, created);
  disk.Up();
}

// Closes a descriptor when it goes out of scope.
struct TFdCloser {
  int fd;
  ~TFdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

TFileScan::TFileScan(TQDBase& disk, std::string rootPath, TScanSettings settings)
    : disk_(disk),
      root_(std::move(rootPath)),
      settings_(std::move(settings)),
      isArchiveName_(settings_.ArchiveTypes, settings_.ArchiveTypeOn) {
  if (root_.empty() || root_.back() != '/') root_ += '/';
  const TNodeRec* table = settings_.DescRules ? settings_.DescRules->RootNode() : nullptr;
  rules_ = std::make_unique<TDescRuleSet>(table, settings_.OemCodePage);
  if (settings_.ArchiveTypeOn.size() < settings_.ArchiveTypes.size())
    settings_.ArchiveTypeOn.resize(settings_.ArchiveTypes.size(), true);
  driveType_ = FieldInt(FieldNode(disk_.CurrentNode()), kDiskDriveType);
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

void TFileScan::Start() {
  thread_ = std::thread([this] { Run(); });
}

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

bool TFileScan::WalkInParallel() const {
  if (old_ || settings_.Walkers == 1) return false;
  if (settings_.Walkers >= 2) return true;
  // Optical discs and removable drives are read in one stream: two walkers would make them seek.
  if (driveType_ == dtCdRom || driveType_ == dtRemovable) return false;
  return std::thread::hardware_concurrency() >= 2;
}

void TFileScan::Walk() {
  workers_[0] = std::make_unique<TWorker>(*this, &disk_, 0);
  std::thread helper;
  if (WalkInParallel()) {
    pool_ = std::make_unique<TPool>();
    workers_[1] = std::make_unique<TWorker>(*this, nullptr, 1);
    try {
      helper = std::thread([this] { HelperLoop(); });
    } catch (...) {
      pool_.reset();  // no second thread: one walker
    }
  }
  // The second walker ends once the first is done, whatever way it leaves.
  struct TEnd {
    TFileScan& scan;
    std::thread& helper;
    ~TEnd() {
      if (!helper.joinable()) return;
      {
        std::lock_guard<std::mutex> lock(scan.pool_->mutex);
        scan.pool_->finished = true;
      }
      scan.pool_->wake.notify_all();
      helper.join();
    }
  } end{*this, helper};

  int fd = ::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {  // the disk gets no items and a total of 0
    NoteUnreadable(root_);
    return;
  }
  TFdCloser closer{fd};
  int64_t total = 0;
  if (old_) old_->GoToDepth(0);
  ScanReal(*workers_[0], fd, root_, total, old_ != nullptr);
}

void TFileScan::HelperLoop() {
  TWorker& w = *workers_[1];
  std::unique_lock<std::mutex> lock(pool_->mutex);
  for (;;) {
    if (TSubJob* job = TakeQueued(1)) {
      lock.unlock();
      WalkTaken(w, *job);
      lock.lock();
      continue;
    }
    if (pool_->finished) return;
    ++pool_->sleepers;
    pool_->wake.wait(lock);
    --pool_->sleepers;
  }
}

TFileScan::TSubJob* TFileScan::TakeQueued(int thief) {
  std::deque<TSubJob*>& queue = workers_[1 - thief]->queue;
  if (queue.empty()) return nullptr;
  TSubJob* job = queue.front();
  queue.pop_front();
  job->State = TSubJob::TState::Taken;
  return job;
}

void TFileScan::WalkTaken(TWorker& w, TSubJob& job) {
  std::unique_ptr<TQDBase> store;
  int64_t total = 0;
  TQDBase* const saved = w.disk;
  try {
    store = std::make_unique<TQDBase>();
    // The new store's root is the subfolder's item, with the header its folder's walker wrote.
    WriteFolderHeader(*store, job.Name, job.Flags, job.Changed, job.Created);
    w.disk = store.get();
    if (!CancelRequested) WalkSubfolder(w, job, total);
    store->GoToDepth(0);
  } catch (...) {
    store.reset();  // the item keeps its header and no contents, like an abandoned entry
  }
  w.disk = saved;
  std::lock_guard<std::mutex> lock(pool_->mutex);
  job.Store = std::move(store);
  job.Total = total;
  job.State = TSubJob::TState::Done;
  if (pool_->sleepers) pool_->wake.notify_all();
}

void TFileScan::WalkSubfolder(TWorker& w, TSubJob& job, int64_t& total) {
  total = 0;
  int sub =
      ::openat(job.ParentFd, job.Name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (sub < 0) {
    if (errno != ELOOP && errno != ENOTDIR) NoteUnreadable(job.Path);  // not swapped for a link
    return;
  }
  TFdCloser closer{sub};
  ScanReal(w, sub, job.Path, total, job.OldFound);
}

void TFileScan::WalkSubfolders(TWorker& w, std::vector<std::unique_ptr<TSubJob>>& jobs,
                               TNodeRec* folder, int64_t& total) {
  TQDBase& disk = *w.disk;
  TNodeRec* const oldFolder = old_ ? old_->CurrentNode() : nullptr;
  // Those still queued are walked here; with two walkers last first, as the other walker takes
  // from the front.
  const size_t count = jobs.size();
  for (size_t k = 0; k < count; ++k) {
    TSubJob& job = *jobs[pool_ ? count - 1 - k : k];
    if (pool_) {
      std::lock_guard<std::mutex> lock(pool_->mutex);
      if (job.State != TSubJob::TState::Queued) continue;  // taken
      auto at = std::find(w.queue.rbegin(), w.queue.rend(), &job);
      if (at != w.queue.rend()) w.queue.erase(std::next(at).base());
      job.State = TSubJob::TState::Walking;
    }
    if (CancelRequested) continue;
    try {
      disk.GoToNode(job.Item);
      if (old_) old_->GoToNode(job.OldFound ? job.OldItem : oldFolder);
      int64_t sub = 0;
      WalkSubfolder(w, job, sub);
      total = SaturatingAdd(total, sub);
    } catch (...) {
    }
  }
  disk.GoToNode(folder);
  if (old_) old_->GoToNode(oldFolder);
  if (!pool_) return;
  // Those taken: waited for, walking what the other walker queues meanwhile, then moved into
  // their slots.
  for (auto& p : jobs) {
    TSubJob& job = *p;
    std::unique_lock<std::mutex> lock(pool_->mutex);
    while (job.State == TSubJob::TState::Taken) {
      if (TSubJob* other = TakeQueued(w.index)) {
        lock.unlock();
        WalkTaken(w, *other);
        lock.lock();
        continue;
      }
      ++pool_->sleepers;
      pool_->wake.wait(lock);
      --pool_->sleepers;
    }
  }
  for (auto& p : jobs) {
    TSubJob& job = *p;
    if (!job.Store) continue;
    try {
      disk.GoToNode(job.Item);
      disk.TakeSubtree(*job.Store);
      total = SaturatingAdd(total, job.Total);
    } catch (...) {
    }
    job.Store.reset();
  }
  disk.GoToNode(folder);
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
void TFileScan::CarryHeader(TQDBase& disk) {
  const TNodeRec* oldHeader = FieldNode(old_->CurrentNode());
  int32_t oldFlags = FieldInt(oldHeader, kFieldFlags);
  disk.EnterChild(0);
  if (settings_.UpdateDescMode != TUpdateDescMode::DeleteAll)
    disk.SetStr(kFieldDescription, FieldStr(oldHeader, kFieldDescription));
  disk.SetInt(kFieldFlags, WithCategory(disk.GetInt(kFieldFlags), ItemCategory(oldFlags)));
  disk.Up();
}

// A matched file: its category, and inside archives its description (real files get theirs
// through the importer).
void TFileScan::CarryFileFields(TQDBase& disk, bool archiveEntry) {
  const TNodeRec* old = old_->CurrentNode();
  if (archiveEntry && settings_.UpdateDescMode != TUpdateDescMode::DeleteAll)
    disk.SetStr(kFieldDescription, FieldStr(old, kFieldDescription));
  disk.SetInt(kFieldFlags,
              WithCategory(disk.GetInt(kFieldFlags), ItemCategory(FieldInt(old, kFieldFlags))));
}

void TFileScan::SortFolder(TQDBase& disk) { SortScannedItems(disk); }

bool TFileScan::ListArchiveFile(TWorker& w, int dirfd, const std::string& name,
                                const std::string& path, uint64_t size) {
  w.reader->SetArchiveFileAt(dirfd, name, path, size);
  if (!IsListableArcType(w.reader->ArcType())) return false;
  return ListArchive(*w.reader, *w.listing) > 0;
}

bool TFileScan::ListFolder(TWorker& w, int dirfd, std::vector<Entry>& entries) {
  // The entries are read straight from the folder's descriptor, whose offset is at the start:
  // it is a descriptor of its own, opened for this walk.
  constexpr size_t kListBuffer = 32 * 1024;
  if (w.dirBuf.size() < kListBuffer) w.dirBuf.resize(kListBuffer);
  bool first = true;
  for (;;) {
    ssize_t n = ::getdents64(dirfd, w.dirBuf.data(), w.dirBuf.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return !first;  // a folder that fails later keeps what was listed
    if (n == 0) return true;
    first = false;
    for (ssize_t at = 0; at < n;) {
      const auto* de = reinterpret_cast<const struct dirent64*>(w.dirBuf.data() + at);
      at += de->d_reclen;
      const char* name = de->d_name;
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      Entry& e = entries.emplace_back(Entry{name, {}, false});
      e.statOk =
          ::statx(dirfd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                  STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &e.st) == 0;
      if (!e.statOk) {
        e.st = {};
        e.st.stx_mode = ModeOfDirentType(de->d_type);
      }
    }
  }
}

void TFileScan::ScanReal(TWorker& w, int dirfd, const std::string& path, int64_t& total,
                         bool oldMatched) {
  total = 0;
  if (CancelRequested || !CheckContinue()) return;
  SetCurrentFolder(path);

  // The whole listing is read first, so that only one descriptor per level stays open.
  std::vector<Entry> entries;
  if (!ListFolder(w, dirfd, entries)) {
    NoteUnreadable(path);
    return;
  }

  TQDBase& disk = *w.disk;
  TNodeRec* const folder = disk.CurrentNode();
  TNodeRec* const oldFolder = old_ ? old_->CurrentNode() : nullptr;
  TFolderDescLists lists;
  // Subfolders are walked after the files, each into the item node made for it here.
  std::vector<std::unique_ptr<TSubJob>> jobs;
  bool cancelled = false;
  for (const Entry& e : entries) {
    if (CancelRequested || !CheckContinue()) {
      cancelled = true;
      break;
    }
    try {
      disk.EnterChild(disk.SlotCount());
      const mode_t mode = e.st.stx_mode;
      const bool isDir = S_ISDIR(mode);
      const int attr = Attributes(e.name, mode);
      const double changed = e.statOk ? FileTimeToDateTime(e.st.stx_mtime.tv_sec) : 0.0;
      double created = changed;
      if (e.statOk && (e.st.stx_mask & STATX_BTIME))
        created = FileTimeToDateTime(e.st.stx_btime.tv_sec);
      bool oldFound = FindOldCounterpart(e.name, isDir, oldMatched);
      if (isDir) {
        const int32_t flags = MakeItemFlags(attr, ikFolder);
        WriteFolderHeader(disk, e.name, flags, changed, created);
        if (oldFound) CarryHeader(disk);
        auto job = std::make_unique<TSubJob>();
        job->ParentFd = dirfd;
        job->Name = e.name;
        job->Path = path + e.name + "/";
        job->Item = disk.CurrentNode();
        job->OldFound = oldFound;
        job->OldItem = oldFound ? old_->CurrentNode() : nullptr;
        job->Flags = flags;
        job->Changed = changed;
        job->Created = created;
        jobs.push_back(std::move(job));
        if (pool_) {  // offered to the other walker at once
          std::lock_guard<std::mutex> lock(pool_->mutex);
          w.queue.push_back(jobs.back().get());
          if (pool_->sleepers) pool_->wake.notify_all();
        }
      } else {
        const int64_t size = static_cast<int64_t>(
            std::min<uint64_t>(e.st.stx_size, static_cast<uint64_t>(INT64_MAX)));
        const bool regular = e.statOk && S_ISREG(mode);
        total = SaturatingAdd(total, size);
        bool listed = false;
        if (regular && settings_.ScanArchives && isArchiveName_(e.name) &&
            ListArchiveFile(w, dirfd, e.name, path + e.name, e.st.stx_size)) {
          // An archive is matched only to an old container of its name, never to a plain file.
          if (oldFound) {
            old_->GoToNode(oldFolder);
            oldFound = false;
          } else {
            oldFound = FindOldCounterpart(e.name, true, oldMatched);
          }
          WriteFolderHeader(disk, e.name, MakeItemFlags(attr, ikFolder, ifArchive), changed,
                            created);
          if (oldFound) CarryHeader(disk);
          WriteListedArchive(w, oldFound);
          disk.ChildSetInt64(0, kFieldSize, size);
          total =
              SaturatingAdd(total, size);  // overwritten by the catalog's recompute after grafting
          ++FilesDone;
          ++ArchivesDone;
          BytesDone += size;
          listed = true;
        }
        if (!listed) {
          disk.SetStr(kFieldName, e.name);
          disk.SetInt(kFieldFlags, MakeItemFlags(attr, ikFile));
          disk.SetInt64(kFieldSize, size);
          disk.SetFloat(kFieldChanged, changed);
          disk.SetFloat(kFieldCreated, changed);
          w.entryAt = TWorker::TEntryAt{dirfd, &e.name, e.st.stx_size, regular};
          try {
            DescriptionsDone += ImportFileDescriptions(
                disk, path, oldFound ? old_->CurrentNode() : nullptr, lists, w.importCtx);
          } catch (...) {
          }
          w.entryAt = TWorker::TEntryAt{};
          ++FilesDone;
          BytesDone += size;
          if (oldFound) CarryFileFields(disk, false);
        }
      }
    } catch (...) {
      // The entry is abandoned (its node may be partly written); the walk goes on.
    }
    disk.GoToNode(folder);
    if (old_) old_->GoToNode(oldFolder);
  }
  // Every subfolder offered is settled before the folder is left, cancelled or not: the other
  // walker may be reading through this folder's descriptor.
  WalkSubfolders(w, jobs, folder, total);
  if (cancelled || CancelRequested) return;  // unwinding: no sort

  try {
    if (settings_.ImportDescriptions) {
      w.importCtx.FolderFd = dirfd;
      ApplyListDescriptions(disk, path, lists, w.importCtx);
      w.importCtx.FolderFd = -1;
    }
  } catch (...) {
    w.importCtx.FolderFd = -1;
    disk.GoToNode(folder);
  }
  SortFolder(disk);
  disk.ChildSetInt64(0, kFieldSize, total);
  ++FoldersDone;
}

// The scanner's part in writing an archive subtree: cancel and pause, and in update mode the
// old counterparts, found level by level as in the real folders.
class TFileScan::TArchiveHooks : public TArchiveWriteHooks {
 public:
  TArchiveHooks(TFileScan& scan, TQDBase& disk) : scan_(scan), disk_(disk) {}
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
      scan_.CarryHeader(disk_);
    else
      scan_.CarryFileFields(disk_, true);
  }
  void ItemDone() override {
    if (scan_.old_) scan_.old_->GoToNode(oldLevels_.back());
  }

 private:
  TFileScan& scan_;
  TQDBase& disk_;
  std::vector<TNodeRec*> oldLevels_;  // the old cursor's container at the start of each level
};

void TFileScan::WriteListedArchive(TWorker& w, bool oldMatched) {
  TArchiveHooks hooks(*this, *w.disk);
  WriteArchiveLevel(*w.listing, *w.disk, "", &hooks, oldMatched);
}
