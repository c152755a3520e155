// SPDX-License-Identifier: MIT
#include "catalog/CatalogFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "platform/Collate.h"
#include "platform/DateTime.h"
#include "platform/FileIO.h"
#include "platform/FileLock.h"
#include "platform/FileNames.h"
#include "store/CursorGuard.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kCatalogSignature = "Vrt base";
constexpr size_t kRecentMax = 10;

const TNodeRec* HeaderOf(const TNodeRec* catalog) { return NodeChild(catalog, 0); }

std::string_view CatalogFileName(const TNodeRec* catalog) {
  return FieldStr(HeaderOf(catalog), kCatFileName);
}

bool SameFileOnDisk(const std::string& a, const std::string& b) {
  std::error_code ec;
  bool same = fs::equivalent(a, b, ec);
  return !ec && same;
}

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

// Makes `bak` a copy of `target` before the target is replaced: a hard link where the file
// system allows one (instant, and the old file keeps its name until the new one is complete),
// else a byte copy. Any older backup is removed first. Returns the error text, empty on success.
std::string MakeBackup(const std::string& target, const std::string& bak) {
  if (::unlink(bak.c_str()) != 0 && errno != ENOENT) return bak + ": " + std::strerror(errno);
  if (::link(target.c_str(), bak.c_str()) == 0) return {};
  int err = errno;
  if (err != EPERM && err != EXDEV && err != ENOTSUP && err != EOPNOTSUPP && err != EMLINK &&
      err != ENOSYS)
    return bak + ": " + std::strerror(err);
  std::string data;
  if (TError e = ReadWholeFile(target, data); e.Failed()) return target + ": " + e.Message();
  TError e = WriteWholeFileAtomic(bak, data);
  return e.Ok() ? std::string() : bak + ": " + e.Message();
}

}  // namespace

// ---- free helpers
// ----------------------------------------------------------------------------------

void AddToRecentList(std::vector<std::string>& recent, const std::string& name) {
  size_t found = recent.size();
  for (size_t i = 0; i < recent.size(); ++i)
    if (AnsiSameText(recent[i], name)) {
      found = i;
      break;
    }
  if (found < recent.size()) {
    std::swap(recent[0], recent[found]);
  } else {
    recent.insert(recent.begin(), name);
  }
  if (recent.size() > kRecentMax) recent.resize(kRecentMax);
}

std::string BackupFileName(std::string_view target) { return NameWithoutExt(target) + ".BAK"; }

std::string FullFileName(std::string_view name) {
  if (name.empty()) return {};
  std::error_code ec;
  fs::path p = fs::absolute(fs::path(name), ec);
  if (ec) return std::string(name);
  return p.lexically_normal().string();
}

std::string InitDefaultCatalogFolder(std::string& setting, const std::string& programFolder) {
  if (!setting.empty()) return setting;
  std::string base = programFolder;
  if (!base.empty() && base.back() != '/') base += '/';
  setting = base + "Catalogs/";
  std::error_code ec;
  fs::create_directory(setting, ec);  // a failure is ignored: the dialogs fall back
  return setting;
}

// ---- TCatalogFiles
// ---------------------------------------------------------------------------------

TCatalogFiles::TCatalogFiles(TQDBase& bdMain, TCatalogUi& ui, std::vector<std::string>& recent,
                             std::vector<std::string>& openAtExit)
    : main_(bdMain), ui_(ui), recent_(recent), openAtExit_(openAtExit) {}

TCatalogFiles::~TCatalogFiles() = default;

TCatalogFiles::TFileStamp TCatalogFiles::StampFrom(const struct stat& st) {
  TFileStamp s;
  s.Dev = st.st_dev;
  s.Ino = st.st_ino;
  s.Size = st.st_size;
  s.MtimeSec = st.st_mtim.tv_sec;
  s.MtimeNsec = st.st_mtim.tv_nsec;
  return s;
}

bool TCatalogFiles::StampOf(const std::string& fileName, TFileStamp& stamp) {
  struct stat st;
  if (::stat(fileName.c_str(), &st) != 0) return false;
  stamp = StampFrom(st);
  return true;
}

std::string TCatalogFiles::LockForChange(std::string_view fileName) {
  std::string name = FullFileName(fileName);
  if (locks_.count(name)) return {};
  auto lock = std::make_unique<TFileLock>();
  std::string error = lock->Lock(name, Options.LockWaitMs);
  if (error.empty()) locks_.emplace(name, std::move(lock));
  return error;
}

std::string TCatalogFiles::DialogFolder() const {
  std::error_code ec;
  if (!Options.DefaultFolder.empty() && fs::is_directory(Options.DefaultFolder, ec))
    return Options.DefaultFolder;
  return Options.ProgramFolder;
}

void TCatalogFiles::AddRecent(const std::string& name) {
  AddToRecentList(recent_, name);
  if (Events.SettingsChanged) Events.SettingsChanged();
}

bool TCatalogFiles::IsFileOpenExcept(std::string_view fileName, const TNodeRec* except) const {
  if (fileName.empty()) return false;
  std::string name(fileName);
  const TNodeRec* root = main_.RootNode();
  for (int i = 1; i < root->SlotCount; ++i) {
    const TNodeRec* catalog = NodeChild(root, i);
    if (!catalog || catalog == except) continue;
    std::string_view other = CatalogFileName(catalog);
    if (other.empty()) continue;
    if (AnsiSameText(other, name) || SameFileOnDisk(std::string(other), name)) return true;
  }
  return false;
}

bool TCatalogFiles::IsFileOpen(std::string_view fileName) const {
  return IsFileOpenExcept(fileName, nullptr) || IsFileOpenExcept(FullFileName(fileName), nullptr);
}

bool TCatalogFiles::IsModified() const {
  const TNodeRec* catalog = CatalogNodeOf(main_.CurrentNode());
  return catalog && FieldInt(HeaderOf(catalog), kCatModified) != 0;
}

bool TCatalogFiles::AnyModified() const {
  const TNodeRec* root = main_.RootNode();
  for (int i = 1; i < root->SlotCount; ++i) {
    const TNodeRec* catalog = NodeChild(root, i);
    if (catalog && FieldInt(HeaderOf(catalog), kCatModified) != 0) return true;
  }
  return false;
}

int TCatalogFiles::NewCatalog(std::string_view typedName) {
  std::string name =
      typedName.empty() ? UniqueSiblingName("", main_.RootNode()) : std::string(typedName);
  return CreateCatalogNode(main_, name, NowDateTime());
}

int TCatalogFiles::OpenFiles(const std::vector<std::string>& files) {
  int opened = 0;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string& given = files[i];
    std::error_code ec;
    if (given.empty() || !fs::exists(given, ec)) {
      ui_.ShowMessage(10123, given, LangFormat(10123, given));
      continue;
    }
    std::string name = FullFileName(given);
    if (IsFileOpen(name)) {
      ui_.ShowMessage(10124, given, LangFormat(10124, given));
      continue;
    }
    TFileImage image;
    struct stat st;
    const TError read = MapWholeFile(name, image, kMaxImageSize, &st);
    if (read.Failed()) {
      const std::string& error = read.Message();
      ui_.ShowMessage(10126, error, LangFormat(10126, error));
      continue;
    }
    // Any image with a sound checksum and structure opens, whatever its signature, as long as its
    // top node has a header: a settings image or other foreign tree would break every reader.
    temp_.Clear();
    const bool loaded = temp_.LoadFromImage(image.View(), image.Mapped());
    if (image.Damaged()) {
      // Another program cut the file short while it was read: what was read is not the file.
      temp_.Clear();
      const std::string error = "the file was truncated while it was read";
      ui_.ShowMessage(10126, error, LangFormat(10126, error));
      continue;
    }
    if (!loaded || temp_.SlotType(0) != stNode) {
      temp_.Clear();
      ui_.ShowMessage(10125, given, LangFormat(10125, given));
      continue;
    }
    AddRecent(name);
    stamps_[name] = StampFrom(st);
    main_.GoToDepth(0);
    int slot = std::max(main_.SlotCount(), 1);
    if (Events.CatalogOpening) Events.CatalogOpening(slot);
    main_.EnterChild(slot);
    temp_.GoToDepth(0);
    main_.TakeSubtree(temp_);
    main_.EnterChild(0);
    main_.SetStr(kCatFileName, name);
    main_.SetInt(kCatModified, 0);
    temp_.Clear();
    main_.GoToDepth(0);
    ++opened;
    if (Events.CatalogOpened) Events.CatalogOpened(slot, i + 1 == files.size());
  }
  return opened;
}

TSaveResult TCatalogFiles::Save(bool saveAs) {
  if (main_.Depth() == 0) return TSaveResult::Cancelled;
  main_.GoToDepth(1);
  return SaveCurrent(saveAs);
}

TSaveResult TCatalogFiles::SaveAt(int rootSlot, bool saveAs) {
  main_.GoToDepth(0);
  if (rootSlot < 1 || main_.SlotType(rootSlot) != stNode) return TSaveResult::Cancelled;
  main_.EnterChild(rootSlot);
  return SaveCurrent(saveAs);
}

TSaveResult TCatalogFiles::SaveCurrent(bool saveAs) {
  TNodeRec* catalog = main_.CurrentNode();
  if (NodeSlotType(catalog, 0) != stNode) return TSaveResult::Cancelled;
  const std::string oldName(CatalogFileName(catalog));

  // 1-3. The file name: the old one, or the save dialog's answer; a name that another open
  // catalog uses sends the user back to the dialog.
  bool useDialog = saveAs || oldName.empty();
  std::string proposed, folder;
  if (oldName.empty()) {
    proposed = SafeFileName(ItemName(catalog));
    folder = DialogFolder();
  } else {
    proposed = oldName;
    folder = DirectoryOf(oldName);
  }
  std::string chosen = oldName;
  for (;;) {
    if (useDialog) {
      std::string answer;
      if (!ui_.ChooseSaveFileName(proposed, folder, answer) || answer.empty())
        return TSaveResult::Cancelled;
      chosen = FullFileName(answer);
    }
    if (chosen == oldName || !IsFileOpenExcept(chosen, catalog)) break;
    ui_.ShowMessage(10121, chosen, LangText(10121));
    proposed = chosen;
    if (!useDialog) return TSaveResult::Cancelled;  // cannot happen: the old name is our own
  }

  // The file's lock, held while it is written (and kept when LockForChange took it already).
  TFileLock saveLock;
  if (!locks_.count(chosen)) {
    std::string e = saveLock.Lock(chosen, Options.LockWaitMs);
    if (!e.empty()) {
      ui_.ShowMessage(10122, e, LangFormat(10122, e));
      return TSaveResult::Failed;
    }
  }
  // A file that changed on disk since it was read or saved here is not overwritten unasked.
  auto known = stamps_.find(chosen);
  TFileStamp now;
  if (chosen == oldName && known != stamps_.end() && StampOf(chosen, now) &&
      !(now == known->second)) {
    switch (ui_.AskFileChanged(10144, chosen, LangFormat(10144, chosen))) {
      case TChangedAnswer::Overwrite:
        break;
      case TChangedAnswer::SaveAs:
        saveLock.Unlock();
        return SaveCurrent(true);
      case TChangedAnswer::Cancel:
        return TSaveResult::Cancelled;
    }
  }
  RemoveStaleTempFiles(chosen);
  RemoveStaleTempFiles(BackupFileName(chosen));

  // 4. The image, with the file-name slot empty, streamed into a new file beside the target; its
  // checksum goes into the header at the end.
  std::string error;
  main_.EnterChild(0);
  main_.SetStr(kCatFileName, "");
  main_.Up();
  main_.Signature = kCatalogSignature;
  TAtomicFile file;
  if (TError e = file.Open(chosen); e.Failed()) error = chosen + ": " + e.Message();
  if (error.empty()) {
    struct TSink {
      TAtomicFile& file;
      TError error;
    } sink{file, {}};
    try {
      uint64_t sum = main_.SaveToSink(
          [](void* context, const char* bytes, size_t size) {
            auto& s = *static_cast<TSink*>(context);
            if (s.error.Ok()) s.error = s.file.Write(bytes, size);
          },
          &sink);
      unsigned char stored[8];
      for (int i = 0; i < 8; ++i) stored[i] = static_cast<unsigned char>(sum >> (8 * i));
      if (sink.error.Ok()) sink.error = file.WriteAt(kImageChecksumOffset, stored, sizeof stored);
      if (sink.error.Failed()) error = chosen + ": " + sink.error.Message();
    } catch (const std::exception& e) {
      error = e.what();
    }
  }
  // 5-6. The backup, then the new file renamed over the target, so a failure at any point leaves
  // the previous file in place (the new one is removed with `file`).
  if (error.empty() && Options.BackupCopies) {
    std::error_code ec;
    if (fs::exists(chosen, ec)) error = MakeBackup(chosen, BackupFileName(chosen));
  }
  if (error.empty()) {
    TError e = file.Commit();
    if (e.Failed()) error = chosen + ": " + e.Message();
  }
  main_.EnterChild(0);
  if (!error.empty()) {
    // 7. The catalog stays modified under its old name.
    main_.SetStr(kCatFileName, oldName);
    main_.Up();
    ui_.ShowMessage(10122, error, LangFormat(10122, error));
    return TSaveResult::Failed;
  }
  // 8. Saved.
  main_.SetStr(kCatFileName, chosen);
  main_.SetInt(kCatModified, 0);
  main_.Up();
  if (StampOf(chosen, now)) stamps_[chosen] = now;
  if (chosen != oldName) stamps_.erase(oldName);
  AddRecent(chosen);
  if (Events.CatalogSaved) Events.CatalogSaved();
  return TSaveResult::Saved;
}

bool TCatalogFiles::SaveAll() {
  for (int slot = 1; slot < main_.RootNode()->SlotCount; ++slot) {
    const TNodeRec* catalog = NodeChild(main_.RootNode(), slot);
    if (!catalog || FieldInt(HeaderOf(catalog), kCatModified) == 0) continue;
    if (SaveAt(slot, false) != TSaveResult::Saved) return false;
  }
  return true;
}

bool TCatalogFiles::Close(int rootSlot, bool remember) {
  const TNodeRec* root = main_.RootNode();
  if (rootSlot < 1 || rootSlot >= root->SlotCount) return false;
  const TNodeRec* catalog = NodeChild(root, rootSlot);
  if (!catalog) return false;
  if (FieldInt(HeaderOf(catalog), kCatModified) != 0) {
    std::string name(ItemName(catalog));
    switch (ui_.AskYesNoCancel(10143, name, LangFormat(10143, name))) {
      case TAnswer::Cancel:
        return false;
      case TAnswer::Yes:
        if (SaveAt(rootSlot, false) != TSaveResult::Saved) return false;
        break;
      case TAnswer::No:
        break;
    }
  }
  if (remember) {
    std::string file(CatalogFileName(catalog));
    bool known = file.empty();
    for (const std::string& f : openAtExit_) known = known || AnsiSameText(f, file);
    if (!known) openAtExit_.push_back(file);
  }
  stamps_.erase(std::string(CatalogFileName(catalog)));
  if (Events.CatalogClosing) Events.CatalogClosing(rootSlot);
  main_.GoToDepth(0);
  main_.DeleteSlot(rootSlot);
  if (Events.CatalogClosed) Events.CatalogClosed(rootSlot);
  return true;
}

bool TCatalogFiles::CloseAll(bool remember) {
  while (main_.RootNode()->SlotCount > 1) {
    if (!Close(1, remember)) return false;
  }
  return true;
}

bool TCatalogFiles::ExitQuery() {
  openAtExit_.clear();
  if (Options.SaveAllOnExit) SaveAll();
  return CloseAll(true);
}

std::vector<int> TCatalogFiles::VisibleRecent() const {
  std::vector<int> visible;
  for (size_t k = 0; k < recent_.size() && k < kRecentMax; ++k)
    if (!IsFileOpen(recent_[k])) visible.push_back(static_cast<int>(k));
  return visible;
}

bool TCatalogFiles::ReadFile(const std::string& given, const TImageReader& read) {
  std::error_code ec;
  if (given.empty() || !fs::exists(given, ec)) {
    ui_.ShowMessage(10123, given, LangFormat(10123, given));
    return false;
  }
  const std::string name = FullFileName(given);
  TFileImage image;
  const TError mapped = MapWholeFile(name, image, kMaxImageSize);
  if (mapped.Failed()) {
    const std::string& error = mapped.Message();
    ui_.ShowMessage(10126, error, LangFormat(10126, error));
    return false;
  }
  const bool sound = read(image.View(), image.Mapped(), name);
  if (image.Damaged()) {
    const std::string error = "the file was truncated while it was read";
    ui_.ShowMessage(10126, error, LangFormat(10126, error));
    return false;
  }
  if (!sound) {
    ui_.ShowMessage(10125, given, LangFormat(10125, given));
    return false;
  }
  return true;
}

int TCatalogFiles::OpenRecent(int index) {
  if (index < 0 || static_cast<size_t>(index) >= recent_.size()) return 0;
  std::string name = recent_[static_cast<size_t>(index)];  // the list changes while opening
  return OpenFiles({name});
}

int TCatalogFiles::StartUp(const std::string& commandLineFile, TStartupOpen open,
                           const std::vector<std::string>& startupList) {
  if (!commandLineFile.empty()) return OpenFiles({commandLineFile});
  if (open == TStartupOpen::OpenAtExit) {
    std::vector<std::string> list = openAtExit_;
    return OpenFiles(list);
  }
  if (open == TStartupOpen::StartupList) {
    std::vector<std::string> list = startupList;
    return OpenFiles(list);
  }
  return 0;
}
