// SPDX-License-Identifier: MIT
// The file commands of the windows: copy, move, delete and extract the real files behind catalog
// items, and run (open) or show an item in the desktop. TFileCommands is the one entry point
// the main window, the search window and the user list call; it owns the engine and the
// windows the engine talks through (TGuiFileOpsUi: the folder dialog, the insert-disk prompt,
// the progress window, questions and messages).
//
// Threads: GUI thread only; an operation runs from its command to its end, the progress window
// processing events while a file is copied.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fileops/FileOps.h"

class QWidget;
class TSettings;
class TfmInsertDisk;
class TfmProgress;

// CopyFileWithProgress on a worker thread. The calling (GUI) thread calls `progress` with 0
// first (false: nothing is copied), then with the bytes copied so far every 30 ms while it
// waits, and once more at the end; when `progress` returns false the worker is asked to stop
// after its chunk. Returns the worker's result.
TCopyResult CopyOnWorker(const std::string& source, const std::string& target,
                         const TCopyProgressFn& progress, bool sync);

// TFileOpsUi over the program's dialogs.
class TGuiFileOpsUi : public TFileOpsUi {
 public:
  explicit TGuiFileOpsUi(QWidget* owner) : owner_(owner) {}
  ~TGuiFileOpsUi() override;

  // Where the insert-disk prompt looks for the medium while it waits; empty: the mounted
  // volumes.
  TVolumeLister Volumes;
  // Replaces the folder dialog (tests): gets the title and the initial folder.
  std::function<std::string(const std::string&, const std::string&)> FolderChooser;
  // Called when Cancel of the progress window is pressed.
  std::function<void()> CancelRequested;

  int AskInsertDisk(const TInsertDiskInfo& disk, bool skipAllowed,
                    std::string& chosenRoot) override;
  std::string ChooseFolder(const std::string& title, const std::string& initial) override;
  void ShowMessage(int number, const std::string& arg, const std::string& text) override;
  TRetryAnswer AskRetry(int number, const std::string& arg, const std::string& text) override;
  void ProgressOpen(const std::string& caption, const std::string& destination) override;
  void ProgressDisk(const std::string& diskName) override;
  void ProgressShow(int percent, const std::string& text) override;
  void ProgressFile(const std::string& source, int64_t copied, int64_t size) override;
  bool ProgressPoll() override;
  void ProgressClose() override;

  TfmInsertDisk* InsertDiskWindow();  // made on first use, reused
  TfmProgress* ProgressWindow();      // made on first use, reused

 private:
  QWidget* DialogParent() const;

  QWidget* owner_;
  QPointer<TfmInsertDisk> fmInsertDisk_;
  QPointer<TfmProgress> fmProgress_;
};

class TFileCommands {
 public:
  // `bdMain`, `settings` and `temp` must outlive the commands; `owner` parents the dialogs.
  TFileCommands(QWidget* owner, TQDBase& bdMain, TSettings& settings, TTempFiles& temp);
  ~TFileCommands();

  // Copy (TFileOp::Copy), move (TFileOp::Move), delete (TFileOp::Delete) or extract (`extract`) the
  // items of mark list `markList` of bdMain: with `indices` only those entries (the selected rows
  // of a list; folders and files), else every entry. A delete asks first: text 10142 with
  // `deleteName` when it is given (one item of the tree), else text 10141; only Yes goes on.
  void Run(int markList, const std::vector<int>* indices, bool extract, TFileOp mode,
           const std::string& deleteName = {});
  // Opens (`explore` false) or shows in the file manager (`explore` true) the real file or folder
  // behind `item`: its medium is located (the insert-disk prompt while it is missing), a file
  // inside an archive is extracted to the temporary folder first. True when something started.
  bool RunOrExplore(const TNodeRec* item, bool explore);

  // Where media are looked for; empty: the mounted volumes. Also used by the insert-disk prompt.
  void SetVolumes(TVolumeLister volumes);
  // Replaces starting programs and the file manager (tests).
  std::function<void(const TShellAction&)> Starter;

  TFileOpEngine& Engine() { return engine_; }
  TGuiFileOpsUi& Ui() { return ui_; }

 private:
  void LoadSettings();

  QWidget* owner_;
  TSettings& settings_;
  TGuiFileOpsUi ui_;
  TFileOpEngine engine_;
  bool running_ = false;
};
