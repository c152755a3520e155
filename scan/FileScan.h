// SPDX-License-Identifier: MIT
// TFileScan: the worker that walks a medium (a whole volume or one folder of it) into a disk
// subtree in the catalog layout: one node per folder, archive and file, written once in its final
// slot; every folder sorted once after its walk (folders, then archives, then files, by name);
// folder totals summed on the way back up.
//
// Threads. Start() runs the walk on a std::thread of its own; Run() runs it on the caller's
// thread (the command-line tool and tests). While the walk runs, the worker alone uses the disk
// store and the old-disk store; other threads only read the counters, Done and CurrentFolder(),
// and write CancelRequested and Paused. Nothing else is shared: the settings are copied in and
// the old disk of an update is a private copy (TakeOldDisk), so the GUI may keep painting bdMain.
//
// Two walkers. On media without a seek penalty (not optical discs or removable drives) and on a
// machine of two or more cores, an add runs a second walking thread: every folder's subfolders are
// walked after its files, and a walker with nothing to do takes the outermost subfolder still
// waiting in the other's queue and walks it into a store of its own, which the folder's walker
// moves into place once it has walked its other subfolders. Every node is written where and as the
// one-thread walk writes it, so the disk is the same node for node. Updates walk on one thread.
//
// The walk carries its own path and opens folders relative to their parent's descriptor; the
// process's current directory is never changed. Symbolic links are recorded as files and never
// followed, so a link to ".." cannot make the walk loop. Files are opened read-only, and only when
// a description rule or an archive mask selects them.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "archive/ArchiveTypes.h"
#include "scan/ByteSource.h"
#include "scan/DescImport.h"
#include "scan/DescRuleSet.h"
#include "store/QDBase.h"

class TZipTV;

// What a scan reads as its settings; filled before the scan starts and not changed during it.
struct TScanSettings {
  bool UpdateMode = false;
  TUpdateDescMode UpdateDescMode = TUpdateDescMode::Keep;
  bool ImportDescriptions = true;
  bool ScanArchives = true;
  std::vector<TArchiveTypeRow> ArchiveTypes;  // the archive type table
  std::vector<bool> ArchiveTypeOn;            // per row: enabled for this scan
  std::string OemCodePage = "CP437";          // description files and text heads
  // The description rule table, as a copy of bdOpt's node 13 (its root is the table node).
  std::shared_ptr<TQDBase> DescRules;
  // Walking threads: 0 chooses two for an add of a medium of a fixed, network or RAM drive on
  // a machine of two or more cores, else one; 1 and 2 set it (updates always walk on one).
  int Walkers = 0;
};

class TFileScan {
 public:
  // `disk` must have its cursor on the disk node whose header is filled; the walk appends the
  // items of `rootPath` (a folder path; a trailing "/" is optional) to it.
  TFileScan(TQDBase& disk, std::string rootPath, TScanSettings settings);
  ~TFileScan();
  TFileScan(const TFileScan&) = delete;
  TFileScan& operator=(const TFileScan&) = delete;

  // Update mode: deep-copies the old disk (the node under `source`'s cursor) into a private store
  // that the walk consults for counterparts. Call before Start/Run, on the thread owning `source`.
  void TakeOldDisk(TQDBase& source);

  // Runs the walk on a new thread; Join() waits for it.
  void Start();
  void Join();
  // Runs the walk on the calling thread. Returns when it is done (or cancelled).
  void Run();

  // True iff the walk ran to its end without being cancelled.
  bool Completed() const { return Done.load() && !CancelRequested.load(); }

  // While Paused is set and CancelRequested is not, waits; then true iff not cancelled.
  bool CheckContinue();

  // The folder being walked (full path), for the progress display.
  std::string CurrentFolder() const;

  std::atomic<bool> Done{false};
  std::atomic<bool> CancelRequested{false};
  std::atomic<bool> Paused{false};
  std::atomic<int32_t> FilesDone{0};
  std::atomic<int32_t> FoldersDone{0};
  std::atomic<int32_t> ArchivesDone{0};
  std::atomic<int32_t> DescriptionsDone{0};
  std::atomic<int64_t> BytesDone{0};
  // Folders that could not be opened or listed (stored as empty folders).
  std::atomic<int32_t> FoldersUnreadable{0};
  // Their full paths, in byte order (two walkers meet them in no fixed order).
  std::vector<std::string> UnreadableFolders() const;

 private:
  struct Entry;
  struct TOldIndex;
  struct TWorker;
  struct TSubJob;
  struct TPool;
  class TArchiveHooks;
  void Walk();
  bool WalkInParallel() const;
  void ScanReal(TWorker& w, int dirfd, const std::string& path, int64_t& total, bool oldMatched);
  // Reads the names and statx of a folder's entries; false when it cannot be listed.
  bool ListFolder(TWorker& w, int dirfd, std::vector<Entry>& entries);
  // Opens the subfolder of `job` and walks it into the node under w's cursor.
  void WalkSubfolder(TWorker& w, TSubJob& job, int64_t& total);
  // Walks a subfolder taken from the other walker's queue into a store of its own.
  void WalkTaken(TWorker& w, TSubJob& job);
  // The subfolders of one folder, after its files: those still queued are walked here, those the
  // other walker took are waited for and moved into their slots.
  void WalkSubfolders(TWorker& w, std::vector<std::unique_ptr<TSubJob>>& jobs, TNodeRec* folder,
                      int64_t& total);
  // The second walker: takes queued subfolders until the walk ends.
  void HelperLoop();
  // Takes the outermost queued subfolder of the other walker's queue (the pool lock is held).
  TSubJob* TakeQueued(int thief);
  // Writes the listed archive's entries under the worker's cursor (the one writer of archive
  // subtrees, WriteArchiveLevel), with the cancel check and the update carry-over.
  void WriteListedArchive(TWorker& w, bool oldMatched);
  bool ListArchiveFile(TWorker& w, int dirfd, const std::string& name, const std::string& path,
                       uint64_t size);
  void SetCurrentFolder(const std::string& path);
  void NoteUnreadable(const std::string& path);
  void SortFolder(TQDBase& disk);
  // Update mode: the old counterpart of `name` among the items of the old cursor's container;
  // on success the old cursor is on it.
  bool FindOldCounterpart(const std::string& name, bool asContainer, bool oldMatched);
  void CarryHeader(TQDBase& disk);
  void CarryFileFields(TQDBase& disk, bool archiveEntry);

  TQDBase& disk_;
  std::string root_;
  TScanSettings settings_;
  TArchiveNameTest isArchiveName_;       // from settings_; only read during the walk
  std::unique_ptr<TDescRuleSet> rules_;  // only read during the walk
  std::unique_ptr<TQDBase> old_;         // private copy of the old disk (update mode)
  std::unique_ptr<TOldIndex> oldIndex_;
  std::unique_ptr<TWorker> workers_[2];
  std::unique_ptr<TPool> pool_;  // while two walkers run
  int driveType_ = 0;            // of the disk header
  std::thread thread_;
  mutable std::mutex currentMutex_;
  std::string current_;                  // guarded by currentMutex_
  std::vector<std::string> unreadable_;  // guarded by currentMutex_
};

// The local time of a file time as a date-time double at two-second precision (as the DOS date
// and time of a directory entry carry it); 0.0 for a time outside 1980..2107.
double FileTimeToDateTime(int64_t seconds);
