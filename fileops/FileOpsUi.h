// SPDX-License-Identifier: MIT
// How the file operations talk to the user: the insert-disk prompt, the folder browser, the
// retry question of a failed deletion, messages, and the progress window. The GUI implements it
// with TfmInsertDisk, the folder browser and TfmProgress; the command-line tool and the tests
// implement it with fixed answers.
//
// Every text is a numbered text: `number` is its number, `arg` the one argument it is formatted
// with and `text` the formatted result (LangFormat(number, arg)), which is what a dialog shows.
//
// GUI thread only (the file operations run there).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the insert-disk prompt shows about the disk it asks for.
struct TInsertDiskInfo {
  std::string Name;          // the disk's name (header slot 0)
  int DriveType = 0;         // header slot 12
  std::string TypeText;      // the drive-type name (texts 10181..10186, empty for 0)
  std::string LocationText;  // the location name, or "-" when the disk has no location
  std::string Label;         // the volume label recorded (header slot 17)
  std::string Serial;        // the serial text recorded (header slot 18)
  // The disk records neither a volume label nor a serial, so no volume can be told to hold its
  // medium: the prompt asks even while such volumes are mounted.
  bool Unidentified = false;
  // For an unidentified medium, the folders of mounted volumes that could hold it (same drive
  // type, no label and no serial, the scanned folder present), each the folder that stands for
  // the disk's top (mount point plus scanned folder, ending in "/"). The user picks one of them
  // or another folder.
  std::vector<std::string> Candidates;
};

// Answers of the insert-disk prompt.
enum : int {
  kInsertCancel = -1,  // Cancel, Esc, closing the dialog
  kInsertSkip = 0,     // pass over this disk
  kInsertOk = 1,       // the medium was inserted: search again
};

enum class TRetryAnswer { Retry, Leave, Cancel };

class TFileOpsUi {
 public:
  virtual ~TFileOpsUi() = default;

  // The insert-disk prompt (TfmInsertDisk, caption 1201): shows `disk` (and its candidate
  // folders), offers Skip only when `skipAllowed`, and returns kInsertOk, kInsertSkip or
  // kInsertCancel. With kInsertOk the search is repeated, unless the user chose where the medium
  // is: then `chosenRoot` is set to the folder that stands for the disk's top (a candidate or a
  // folder of the user's choice), and that folder is taken as the medium.
  virtual int AskInsertDisk(const TInsertDiskInfo& disk, bool skipAllowed,
                            std::string& chosenRoot) = 0;

  // The folder browser titled `title`, starting at `initial`. Returns the chosen folder, or an
  // empty text when the user made no choice.
  virtual std::string ChooseFolder(const std::string& title, const std::string& initial) = 0;

  // A message with an OK button.
  virtual void ShowMessage(int number, const std::string& arg, const std::string& text) = 0;

  // A question with Yes (retry), No (leave the file) and Cancel (end the operation).
  virtual TRetryAnswer AskRetry(int number, const std::string& arg, const std::string& text) = 0;

  // ---- the progress window (TfmProgress) ------------------------------------------------------
  // Shown at the start of a copy, move or extraction (a delete runs without it): caption text,
  // destination folder. While it is shown every other window is disabled.
  virtual void ProgressOpen(const std::string& /*caption*/, const std::string& /*destination*/) {}
  // The name of the disk in work (lbDisk).
  virtual void ProgressDisk(const std::string& /*diskName*/) {}
  // The bar position (0..100) and the progress text (lbCopied).
  virtual void ProgressShow(int /*percent*/, const std::string& /*text*/) {}
  // The file in work: its source path, the bytes of it copied so far and its size (an
  // extraction reports its archive and entry once, with `copied` 0).
  virtual void ProgressFile(const std::string& /*source*/, int64_t /*copied*/, int64_t /*size*/) {}
  // Called while a file is being copied: the window processes pending input here, which is the
  // only point where its cancel button can act. Returns true when the user asked to cancel.
  virtual bool ProgressPoll() { return false; }
  // The operation has ended: the window may close; other windows are enabled again.
  virtual void ProgressClose() {}
};
