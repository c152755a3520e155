// SPDX-License-Identifier: MIT
// TfmInsertDisk: the modal prompt that asks for the medium of a disk. It names the disk (name,
// volume label, serial, drive type, location) and offers OK (search again), Skip (pass over the
// disk, when the caller allows it) and Cancel (also Esc and closing). While it is open it asks
// `present` once a second whether the medium has appeared among the mounted volumes, and closes
// by itself with OK when it has, so that mounting the medium is all the user has to do.
//
// A disk recorded with neither label nor serial cannot be recognised: the prompt then lists the
// folders of mounted volumes that could hold it and lets the user pick one, or another folder.
//
// Threads: GUI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "fileops/FileOpsUi.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

class TfmInsertDisk : public QDialog {
  Q_OBJECT

 public:
  explicit TfmInsertDisk(QWidget* parent = nullptr);

  // Shows `disk` modally and returns kInsertOk, kInsertSkip or kInsertCancel. With kInsertOk
  // `chosenRoot` is the folder the user chose for an unidentified disk (else left alone).
  // `present` (may be empty) is asked every PollInterval milliseconds.
  int Ask(const TInsertDiskInfo& disk, bool skipAllowed, std::string& chosenRoot,
          std::function<bool()> present);
  int PollInterval = 1000;

  QLabel* lbInsertDisk = nullptr;
  QLabel* lbName = nullptr;
  QLabel* lbLabel = nullptr;
  QLabel* lbSerial = nullptr;
  QLabel* lbType = nullptr;
  QLabel* lbLoc = nullptr;
  QLabel* lbWatch = nullptr;
  QLabel* lbCandidates = nullptr;
  QListWidget* lvCandidates = nullptr;
  QPushButton* bkOther = nullptr;
  QPushButton* bkOk = nullptr;
  QPushButton* bkCancel = nullptr;
  QPushButton* bkSkip = nullptr;

 private:
  void Finish(int answer);

  QLabel* lbDiskName_ = nullptr;
  QLabel* lbDiskLabel_ = nullptr;
  QLabel* lbDiskSerial_ = nullptr;
  QLabel* lbDiskType_ = nullptr;
  QLabel* lbDiskLoc_ = nullptr;
  QTimer* watch_ = nullptr;
  std::function<bool()> present_;
  std::string chosen_;
  int answer_ = kInsertCancel;
};
