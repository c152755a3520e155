// SPDX-License-Identifier: MIT
// TfmProgress: the progress window of a copy, move or extraction. It names the disk in work,
// the destination and the file in work, shows a bar for that file and one for the whole
// operation, the files and bytes done, and the speed, and offers Cancel. While it is shown every
// other window of the program is disabled; it cannot be closed while the operation runs (Esc and
// the close button cancel instead).
//
// The operation runs on the GUI thread; the bytes of a file are copied on a worker thread
// (CopyOnWorker) while the GUI thread reports the progress every 30 ms and calls Poll, which
// processes pending events, so the window repaints and its Cancel button acts.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;

class TfmProgress : public QDialog {
  Q_OBJECT

 public:
  explicit TfmProgress(QWidget* parent = nullptr);

  // Shows the window with `caption` and the destination folder, and disables the other windows.
  void Start(const QString& caption, const QString& destination);
  void SetDisk(const QString& name);
  // The file in work: its path, the bytes copied and its size.
  void SetFile(const QString& source, int64_t copied, int64_t size);
  // The whole operation: bar position 0..100 and the text of files and bytes done.
  void SetTotal(int percent, const QString& text);
  // Processes pending events; true once Cancel was pressed.
  bool Poll();
  // Closes the window and enables the other windows again.
  void Finish();
  bool CancelRequested() const { return cancel_; }
  // Called when the user asks to cancel.
  std::function<void()> OnCancel;

  QLabel* lbDisk = nullptr;
  QLabel* lbDst = nullptr;
  QLabel* lbFile = nullptr;
  QLabel* lbCopied = nullptr;
  QLabel* lbSpeed = nullptr;
  QProgressBar* pbFile = nullptr;
  QProgressBar* pbar = nullptr;
  QPushButton* bkCancel = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void Cancel();
  void ShowSpeed(bool force);

  QLabel* lbDiskCap_ = nullptr;
  QLabel* lbDstCap_ = nullptr;
  QLabel* lbFileCap_ = nullptr;
  QLabel* lbCopiedCap_ = nullptr;
  QLabel* lbSpeedCap_ = nullptr;
  bool cancel_ = false;
  bool canClose_ = true;
  std::vector<QPointer<QWidget>> disabled_;
  QPointer<QWidget> active_;  // the active window before the operation, active again after it
  QElapsedTimer clock_;
  qint64 lastSpeedAt_ = 0;
  QString fileInWork_;
  int64_t bytesBefore_ = 0;  // bytes of the files finished before the one in work
  int64_t fileCopied_ = 0;
};
