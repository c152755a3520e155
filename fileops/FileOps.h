// SPDX-License-Identifier: MIT
// TFileOpEngine: the file operation engine. It copies or moves the real files behind catalog
// items to a folder of the user's choice, deletes them from their media, extracts entries of
// archives, and prepares running or showing an item in the shell. Medium by medium it makes sure
// the right medium is present (LocateMedium). No file operation changes the catalog: a moved or
// deleted file stays listed until its disk is updated or the item removed.
//
// Work lists in bdMain: mlOpSource holds the items still to be processed, in processing order;
// a handled item is removed from it (a placeholder stays, since deferred mark packing is on
// while an operation runs), which also marks every item inside a handled folder as done.
// mlOpPending serves only to compute the total size.
//
// The engine never shows anything itself: the folder browser, the insert-disk prompt, the retry
// question, messages and the progress window are calls of a TFileOpsUi. Files are copied in
// chunks; after each chunk the UI may process input (ProgressPoll), which is the only point
// where a cancel request takes effect.
//
// GUI thread only; while an operation runs nothing else may change bdMain.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/ShellCommand.h"
#include "archive/ZipTV.h"
#include "catalog/CatalogText.h"
#include "fileops/FileOpsUi.h"
#include "fileops/LocateMedium.h"
#include "fileops/ProgressCopy.h"
#include "fileops/TempFiles.h"
#include "store/QDBase.h"

// What a file operation does with the real files behind the items.
enum class TFileOp {
  Copy,
  Move,
  Delete,
};

// Settings the engine reads (and the remembered destination, which it writes).
struct TFileOpsSettings {
  std::string LastDestination;    // the last destination folder chosen, first in the browser
  bool AlternativeShell = false;  // explore with the alternative shell (rbEplorer1)
  std::string ShellTemplate;      // its command line with %1 (the path) and %2 (its folder)
};

// What RunOrExplore asks the GUI to do.
enum class TShellActionKind {
  None,          // nothing (medium not found, nothing to do, or a message was shown)
  Open,          // open Path with the desktop (the shell's "open"), in Folder
  ShowInFolder,  // show Path selected in the desktop file manager
  RunProgram,    // start Command.Program with Command.Arguments, in Folder
};

struct TShellAction {
  TShellActionKind Kind = TShellActionKind::None;
  std::string Path;       // the real path of the item
  std::string Folder;     // the folder holding Path: the working folder
  TShellCommand Command;  // RunProgram: the program's full path and its arguments
};

// A file or folder that an operation could not handle, with the reason. The GUI does not show
// these (a failed copy is passed over silently); the command-line tool reports them.
struct TFileOpFailure {
  std::string Path;
  std::string Reason;
};

// The real path of `item` below `root` (which ends in "/"): the names of the items from just
// below its disk down to the item, joined with "/". A name may hold "\", which is an ordinary
// character on the medium, so the path is built from the items, never from a "\"-joined text.
// A disk gives `root` itself. False when a name is unsafe (IsSafeComponent).
// A name stored in a legacy code page (a catalog made on another system) appears on a medium
// mounted here as UTF-8: unless its stored bytes name an entry there, the name decoded with the
// catalog's page (`decoders`; nullptr: DefaultCatalogDecoders()) is taken.
bool ItemRealPath(const std::string& root, const TNodeRec* item, std::string& out,
                  const TCatalogDecoders* decoders = nullptr);

// The outermost archive file holding `item` (below its disk), or null when it lies in none.
const TNodeRec* OutermostArchiveOf(const TNodeRec* item);

class TFileOpEngine {
 public:
  // `bdMain` holds the catalogs and the six mark lists; `temp` receives the files extracted
  // for running. All three must outlive the engine.
  TFileOpEngine(TQDBase& bdMain, TFileOpsUi& ui, TTempFiles& temp);

  // Where LocateMedium looks for media; empty: the mounted volumes (MountedVolumes()).
  TVolumeLister Volumes;
  // Copies, moves and extractions replace an existing file of the target's name; with
  // KeepExisting such a file is left alone and its path listed in KeptTargets() (a moved file
  // then stays on its medium).
  bool KeepExisting = false;
  TFileOpsSettings Settings;
  // Called after Settings.LastDestination changed (the settings image is written).
  std::function<void()> DestinationChanged;
  // Runs the copy of one file as CopyFileWithProgress does; empty: CopyFileWithProgress itself.
  // The GUI copies on a worker thread so that its window stays live between chunks; `progress`
  // must still be called on the engine's thread.
  std::function<TCopyResult(const std::string& source, const std::string& target,
                            const TCopyProgressFn& progress, bool sync)>
      CopyRunner;
  // The code pages of names that are not UTF-8 (nullptr: DefaultCatalogDecoders()): the real
  // paths on the medium and the names of the copies are the decoded names.
  const TCatalogDecoders* Decoders = nullptr;

  // The operation over the items of mark list `markList` of bdMain: with `indices` only those
  // entries whose kind is at least 4 (folders, archives, files: the selected rows of a list),
  // without every entry. `extract` extracts archive entries (`op` must then be Copy). Unless
  // deleting, the destination is asked for first (text 11501); no choice ends the operation, a
  // folder that does not exist shows text 10507. Items are handled medium by medium (sorted by
  // drive type, serial, label, scanned sub-folder, then depth); for every medium LocateMedium
  // with Skip: Skip passes over that disk's items, Cancel ends the operation. The cursor of bdMain
  // is restored.
  void CopyFiles(int markList, const std::vector<int>* indices, bool extract, TFileOp op);

  // Prepares running (`explore` false) or showing (`explore` true) the item `item` of bdMain:
  // locates its medium without Skip, extracts a file inside an archive into the temporary
  // folder before running it (text 10004 when that fails), shows text 10002 or 10003 when the
  // file or folder is missing, and for the alternative shell looks its program up (text 10174
  // when missing). Returns what the GUI is to start.
  TShellAction RunOrExplore(const TNodeRec* item, bool explore);

  // Extracts the file `item` (inside an archive) into the temporary folder, without the folders
  // of the archive, and remembers it there. Locates the medium without Skip: when it is not found
  // the result is 1 and `path` is left as it was. On failure `path` is emptied and the negative
  // code of the extraction returned (-1 error, -2 no extractor, -3 nothing extracted); on success
  // `path` is the extracted file and the result 0.
  int ExtractForRun(const TNodeRec* item, std::string& path);

  // ---- state of the running operation (read by the progress window) ----------------------------
  // Sets the cancel flag: the copy in progress stops and the operation ends after it.
  void RequestCancel() { cancel_ = true; }
  bool Cancelled() const { return cancel_; }
  int DoneCount() const { return doneCount_; }  // files copied or extracted
  int64_t DoneBytes() const { return doneBytes_; }
  int64_t TotalBytes() const { return totalBytes_; }
  // What went wrong during the last CopyFiles, and the names of the disks that were skipped.
  const std::vector<TFileOpFailure>& Failures() const { return failures_; }
  const std::vector<std::string>& SkippedDisks() const { return skippedDisks_; }
  // The existing targets that KeepExisting left alone during the last CopyFiles.
  const std::vector<std::string>& KeptTargets() const { return kept_; }

  // The total of an operation over `items` (in processing order): without `extract` the sizes
  // of the items that do not lie inside an earlier folder item with the same ifInArchive state;
  // with `extract` the sizes of the archive entries that will be extracted.
  static int64_t TotalOf(const std::vector<TNodeRec*>& items, bool extract);

  // Splits the path of `item` (a file or folder inside an archive) into the path of the archive
  // file below its disk and the entry spec inside the archive ("\"-separated). False when the
  // item lies in no archive.
  static bool SplitArchivePath(const TNodeRec* item, std::string& archivePath,
                               std::string& entrySpec);

 private:
  // The name of the copy of `item`: its name, decoded when it is not UTF-8.
  std::string CopyName(const TNodeRec* item) const;
  void CopyFileCur(TNodeRec* item, const std::string& root, const std::string& dest, bool extract,
                   TFileOp op);
  void CopyFolder(TNodeRec* folder, const std::string& root, const std::string& dest, TFileOp op);
  void CopyOrdinaryFile(TNodeRec* item, const std::string& root, const std::string& dest,
                        TFileOp op);
  void ExtractItems(TNodeRec* item, const std::string& root, const std::string& dest,
                    bool withFolders);
  int ExtractForRunAt(const TNodeRec* item, const std::string& root, std::string& path);
  void ShowProgress(int count, int64_t bytes);
  void Drop(const TNodeRec* item);
  void DropSubtree(const TNodeRec* container);
  void Fail(const std::string& path, const std::string& reason);

  TQDBase& bd_;
  TFileOpsUi& ui_;
  TTempFiles& temp_;
  TZipTV reader_;

  bool cancel_ = false;
  bool windowShown_ = false;
  int doneCount_ = 0;
  int64_t doneBytes_ = 0;
  int64_t totalBytes_ = 0;
  std::unordered_map<const TNodeRec*, int> sourceIndex_;  // entry of mlOpSource of each item
  std::vector<TFileOpFailure> failures_;
  std::vector<std::string> skippedDisks_;
  std::vector<std::string> kept_;
};
