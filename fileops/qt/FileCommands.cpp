// SPDX-License-Identifier: MIT
#include "fileops/qt/FileCommands.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/Settings.h"
#include "app/qt/GuiText.h"
#include "app/qt/Prompts.h"
#include "app/qt/Shell.h"
#include "catalog/CatalogLayout.h"
#include "fileops/qt/fmInsertDiskU.h"
#include "fileops/qt/fmProgressU.h"

// ---- the copy worker ----------------------------------------------------------------------------

TCopyResult CopyOnWorker(const std::string& source, const std::string& target,
                         const TCopyProgressFn& progress, bool sync) {
  // As the copy itself does, progress hears of the start before any byte is copied.
  if (progress && !progress(0)) {
    TCopyResult cancelled;
    cancelled.Status = TCopyStatus::Cancelled;
    cancelled.Error = "cancelled";
    return cancelled;
  }
  std::atomic<int64_t> copied{0};
  std::atomic<bool> cancel{false};
  std::mutex m;
  std::condition_variable cv;
  bool done = false;
  TCopyResult result;
  std::thread worker([&] {
    TCopyResult r = CopyFileWithProgress(
        source, target,
        [&](int64_t bytes) {
          copied = bytes;
          return !cancel.load();
        },
        sync);
    std::lock_guard<std::mutex> lock(m);
    result = std::move(r);
    done = true;
    cv.notify_all();
  });
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(m);
      cv.wait_for(lock, std::chrono::milliseconds(30), [&] { return done; });
      if (done) break;
    }
    if (progress && !progress(copied.load())) cancel = true;
  }
  worker.join();
  if (progress && result.Status == TCopyStatus::Done) progress(result.Bytes);
  return result;
}

// ---- TGuiFileOpsUi ------------------------------------------------------------------------------

TGuiFileOpsUi::~TGuiFileOpsUi() {
  delete fmInsertDisk_;
  delete fmProgress_;
}

QWidget* TGuiFileOpsUi::DialogParent() const {
  if (fmProgress_ && fmProgress_->isVisible()) return fmProgress_;
  return owner_;
}

TfmInsertDisk* TGuiFileOpsUi::InsertDiskWindow() {
  // A window of its own: while the progress window is shown the owner and its children are
  // disabled, and the prompt must stay usable.
  if (!fmInsertDisk_) fmInsertDisk_ = new TfmInsertDisk(nullptr);
  return fmInsertDisk_;
}

TfmProgress* TGuiFileOpsUi::ProgressWindow() {
  if (!fmProgress_) {
    fmProgress_ = new TfmProgress(nullptr);  // a window of its own: the owner is disabled
    fmProgress_->OnCancel = [this] {
      if (CancelRequested) CancelRequested();
    };
  }
  return fmProgress_;
}

int TGuiFileOpsUi::AskInsertDisk(const TInsertDiskInfo& disk, bool skipAllowed,
                                 std::string& chosenRoot) {
  TMediumId id;
  id.DriveType = disk.DriveType;
  id.Label = disk.Label;
  id.Serial = disk.Serial;
  TVolumeLister lister = Volumes;
  auto present = [id, lister] {
    std::vector<TVolume> list = lister ? lister() : MountedVolumes();
    for (const TVolume& v : list)
      if (VolumeMatches(v, id)) return true;
    return false;
  };
  return InsertDiskWindow()->Ask(disk, skipAllowed, chosenRoot, present);
}

std::string TGuiFileOpsUi::ChooseFolder(const std::string& title, const std::string& initial) {
  if (FolderChooser) return FolderChooser(title, initial);
  QString start = initial.empty() ? QDir::homePath() : QStr(initial);
  return StdStr(BrowseForFolder(DialogParent(), start, QStr(title)));
}

void TGuiFileOpsUi::ShowMessage(int /*number*/, const std::string& /*arg*/,
                                const std::string& text) {
  ShowMessageQ(DialogParent(), QStr(text), TPromptKind::Warning);
}

TRetryAnswer TGuiFileOpsUi::AskRetry(int /*number*/, const std::string& /*arg*/,
                                     const std::string& text) {
  switch (AskYesNoCancelQ(DialogParent(), QStr(text))) {
    case TAnswer::Yes:
      return TRetryAnswer::Retry;
    case TAnswer::No:
      return TRetryAnswer::Leave;
    default:
      return TRetryAnswer::Cancel;
  }
}

void TGuiFileOpsUi::ProgressOpen(const std::string& caption, const std::string& destination) {
  ProgressWindow()->Start(QStr(caption), QStr(destination));
}
void TGuiFileOpsUi::ProgressDisk(const std::string& diskName) {
  ProgressWindow()->SetDisk(QStr(diskName));
}
void TGuiFileOpsUi::ProgressShow(int percent, const std::string& text) {
  ProgressWindow()->SetTotal(percent, QStr(text));
}
void TGuiFileOpsUi::ProgressFile(const std::string& source, int64_t copied, int64_t size) {
  ProgressWindow()->SetFile(QStr(source), copied, size);
}
bool TGuiFileOpsUi::ProgressPoll() { return ProgressWindow()->Poll(); }
void TGuiFileOpsUi::ProgressClose() {
  if (fmProgress_) fmProgress_->Finish();
}

// ---- TFileCommands ------------------------------------------------------------------------------

TFileCommands::TFileCommands(QWidget* owner, TQDBase& bdMain, TSettings& settings, TTempFiles& temp)
    : owner_(owner), settings_(settings), ui_(owner), engine_(bdMain, ui_, temp) {
  ui_.CancelRequested = [this] { engine_.RequestCancel(); };
  engine_.CopyRunner = CopyOnWorker;
  engine_.DestinationChanged = [this] {
    settings_.Options.LastCopyFolder = engine_.Settings.LastDestination;
    (void)settings_.Save();  // written again at exit; a failure here is not shown
  };
}

TFileCommands::~TFileCommands() = default;

void TFileCommands::SetVolumes(TVolumeLister volumes) {
  engine_.Volumes = volumes;
  ui_.Volumes = std::move(volumes);
}

void TFileCommands::LoadSettings() {
  engine_.Settings.LastDestination = settings_.Options.LastCopyFolder;
  engine_.Settings.AlternativeShell = settings_.Options.UseAltShell;
  engine_.Settings.ShellTemplate = settings_.Options.AltShell;
}

void TFileCommands::Run(int markList, const std::vector<int>* indices, bool extract, TFileOp mode,
                        const std::string& deleteName) {
  if (running_) return;
  if (mode == TFileOp::Delete && !extract) {
    QString question = deleteName.empty() ? LangQ(10141) : LangFormatQ(10142, deleteName);
    if (!AskYesNoQ(owner_, question, true)) return;
  }
  running_ = true;
  LoadSettings();
  engine_.CopyFiles(markList, indices, extract, mode);
  running_ = false;
}

bool TFileCommands::RunOrExplore(const TNodeRec* item, bool explore) {
  if (running_ || !item) return false;
  running_ = true;
  LoadSettings();
  TShellAction action = engine_.RunOrExplore(item, explore);
  running_ = false;
  if (action.Kind == TShellActionKind::None) return false;
  if (Starter) {
    Starter(action);
    return true;
  }
  switch (action.Kind) {
    case TShellActionKind::Open:
      return ShellOpen(QStr(action.Path)) == kShellOpened;
    case TShellActionKind::ShowInFolder:
      ExploreItem(QStr(action.Path), IsContainer(item) && !(ItemFlagsOf(item) & ifArchive));
      return true;
    case TShellActionKind::RunProgram: {
      QStringList args;
      for (const std::string& a : action.Command.Arguments) args << QStr(a);
      return QProcess::startDetached(QStr(action.Command.Program), args, QStr(action.Folder));
    }
    case TShellActionKind::None:
      break;
  }
  return false;
}
