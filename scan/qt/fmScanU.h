// SPDX-License-Identifier: MIT
// TfmScan: the scan progress window. RunScan starts a TFileScan worker on a private copy of the
// disk header, shows its counts every 100 ms in a modal window, offers cancelling, and closes
// itself when the worker is done; on completion the scanned disk is handed back in the caller's
// bdDisk.
//
// Cancelling: the worker is paused while the question is open; after Yes it is asked to stop and
// the window waits up to 3.5 s (on a timer, the GUI stays live) for it to unwind. If it has not
// stopped by then (a read blocked on a dead network mount, a huge archive being listed), the
// second question offers to stop waiting. A thread cannot be killed safely on Linux, so "Yes"
// closes the window and leaves the worker running in the background, together with the store it
// writes and its settings, which it alone owns from then on; a reaper thread joins it and frees
// them when it ends. "No" keeps waiting: a cancel, once confirmed, is never withdrawn, because the
// worker may already have abandoned folders half-walked, and that result must not be kept.
//
// Threads: GUI thread; only the worker runs elsewhere and it shares only its atomics.
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "scan/FileScan.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QGroupBox;

class TfmScan : public QDialog {
  Q_OBJECT

 public:
  explicit TfmScan(QWidget* parent = nullptr);
  ~TfmScan() override;

  // ---- settings, filled by the caller before RunScan ----
  std::string RootPath;     // the folder walked (a mount point or a folder of it)
  std::string DriveLetter;  // the drive whose tray opens after the scan (mount point or device)
  // The 100 % mark of the bar: the volume's capacity minus free bytes, or the size of the folder
  // scanned when known; 0 when unknown (the bar then only shows that the scan is busy).
  int64_t UsedBytes = 0;
  // UpdateMode, UpdateDescMode, ImportDescriptions, ScanArchives, ArchiveTypeOn and the copy of
  // the description rule table (bdDescOpt).
  void SetScanSettings(TScanSettings settings) { settings_ = std::move(settings); }
  const TScanSettings& ScanSettings() const { return settings_; }
  // Open the tray of DriveLetter after a completed scan (the add-disk dialog's cbEject).
  void SetEjectAfterScan(bool eject) { eject_ = eject; }

  // Test hook: with `pause` the worker starts paused (it waits before its first folder), so that
  // a test can ask to cancel before anything is scanned. The answer No to 11702 lets it run.
  void SetPauseAtStart(bool pause) { pauseAtStart_ = pause; }

  // Scans RootPath into the disk whose header is at the root of `bdDisk`. In update mode
  // `oldDiskStore` has its cursor on the old disk (copied before the worker starts; the store is
  // not touched afterwards), else nullptr. Shows the window modally and returns when it has
  // closed: true iff the scan completed, and then `bdDisk` holds the scanned disk at its root.
  // Otherwise `bdDisk` is as it was.
  bool RunScan(TQDBase& bdDisk, TQDBase* oldDiskStore);

  // True iff the last RunScan completed.
  bool Completed() const { return completed_; }

  // Workers still running after a forced close (they end on their own; see the file comment).
  static int AbandonedScans();

  void reject() override;  // Esc, the cancel button and closing the window ask to cancel

 private:
  void tmstatTimer();
  void tmDoneTimer();
  void cancelWaitTimer();
  void AskStopByForce();
  void FinishClose(bool finished);
  void ShowCounts();

  QLabel* lbCap;
  QLabel* lbPath;
  QProgressBar* pbW;
  QGroupBox* gbDone;
  QLabel* lbFiles;
  QLabel* lbFolders;
  QLabel* lbArc;
  QLabel* lbDesc;
  QPushButton* bkCancel;
  QTimer tmstat;
  QTimer tmDone;
  QTimer cancelWait_;  // polls Done every 50 ms after a confirmed cancel

  // The worker and the store it writes; moved to the reaper when the worker is abandoned.
  std::unique_ptr<TQDBase> store_;
  std::unique_ptr<TFileScan> worker_;
  TScanSettings settings_;
  bool eject_ = false;
  bool pauseAtStart_ = false;
  bool finished_ = false;
  bool completed_ = false;
  bool asking_ = false;      // a question is open (a second close request is ignored)
  bool cancelling_ = false;  // cancel confirmed; waiting for the worker to unwind
  int cancelPolls_ = 0;
};
