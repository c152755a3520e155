// SPDX-License-Identifier: MIT
// Catalog files: creating, opening, saving and closing the catalogs of bdMain, the unsaved-changes
// questions, the recent list and the start-up lists.
//
// A catalog file (".ctl") is exactly the node-store image of one catalog node, written with the
// signature "Vrt base". Its header's file-name slot (13) is written empty and restored after
// saving; the modified flag (slot 12) is stored as it stood and reset to 0 after loading.
// Nothing precedes or follows the image.
//
// Questions and messages go through TCatalogUi, which the GUI implements with its dialogs and
// tests with scripted answers. The recent list and the catalogs-open-at-exit list belong to the
// settings layer; this unit only edits them through the references it is given.
//
// Threads: GUI thread only (it uses bdMain).
#pragma once

#include <sys/stat.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/QDBase.h"

enum class TAnswer { Yes, No, Cancel };
// The answers to "the file changed on disk since it was read".
enum class TChangedAnswer { Overwrite, SaveAs, Cancel };

class TFileLock;

// How the catalog commands talk to the user. Every text is a numbered text: `number` is its
// number, `arg` the one argument it is formatted with and `text` the formatted result
// (LangFormat(number, arg)), which is what a dialog shows.
class TCatalogUi {
 public:
  virtual ~TCatalogUi() = default;
  virtual void ShowMessage(int number, const std::string& arg, const std::string& text) = 0;
  virtual TAnswer AskYesNoCancel(int number, const std::string& arg, const std::string& text) = 0;
  virtual bool AskYesNo(int number, const std::string& arg, const std::string& text) = 0;
  // The catalog file was changed on disk by someone else since it was read or saved: overwrite
  // it, save under another name, or cancel the save.
  virtual TChangedAnswer AskFileChanged(int number, const std::string& arg,
                                        const std::string& text) = 0;
  // The save dialog: filter "*.ctl|*.ctl", default extension "ctl" (added to a name typed
  // without one), asks before overwriting an existing file. Starts in `folder` with `proposed`.
  // False when the user cancels; otherwise `chosen` is the file name.
  virtual bool ChooseSaveFileName(const std::string& proposed, const std::string& folder,
                                  std::string& chosen) = 0;
};

// Settings the catalog commands use (settings node 7).
struct TCatalogFileOptions {
  std::string DefaultFolder;   // slot 3: initial folder of the file dialogs
  std::string ProgramFolder;   // used when DefaultFolder names no existing folder
  bool BackupCopies = false;   // slot 23: keep the previous file as ".BAK"
  bool SaveAllOnExit = false;  // slot 14
  // How long a writer waits for another writer's lock of a catalog file, in milliseconds.
  int LockWaitMs = 5000;
};

// What the GUI does around the commands. Each may be left empty.
struct TCatalogEvents {
  // The recent list changed: write the settings image.
  std::function<void()> SettingsChanged;
  // A catalog is about to be added at root slot `rootSlot` (the slot past the last catalog).
  std::function<void(int rootSlot)> CatalogOpening;
  // A catalog was opened at root slot `rootSlot`; `last` for the last file of the list (its tree
  // entry is selected).
  std::function<void(int rootSlot, bool last)> CatalogOpened;
  // The catalog at `rootSlot` is about to be deleted (the search window forgets a scope inside it).
  std::function<void(int rootSlot)> CatalogClosing;
  // The catalog that stood at `rootSlot` is gone; later catalogs moved down by one.
  std::function<void(int rootSlot)> CatalogClosed;
  // A catalog was saved (refresh the main window).
  std::function<void()> CatalogSaved;
};

enum class TSaveResult { Saved, Cancelled, Failed };

// What start-up opens when no file is named on the command line. The values are those the
// settings store (general option 2).
enum class TStartupOpen : int32_t {
  Nothing = 0,      // no catalog
  OpenAtExit = 1,   // the catalogs that were open at the last exit
  StartupList = 2,  // the fixed start-up list
};

// The start-up choice of the stored setting: 1 and 2 as they are, anything else opens nothing.
inline TStartupOpen StartupOpenFromSetting(int32_t value) {
  if (value == 1) return TStartupOpen::OpenAtExit;
  if (value == 2) return TStartupOpen::StartupList;
  return TStartupOpen::Nothing;
}

class TCatalogFiles {
 public:
  // All references must outlive this object. `bdMain` must have been set up by InitCatalogStore.
  TCatalogFiles(TQDBase& bdMain, TCatalogUi& ui, std::vector<std::string>& recent,
                std::vector<std::string>& openAtExit);
  ~TCatalogFiles();

  TCatalogFileOptions Options;
  TCatalogEvents Events;

  // Appends a new catalog named `typedName` (taken as it is) or, when empty, text 10001 followed
  // by the smallest n >= 1 that no open catalog has. Not modified, no file name. Returns its root
  // slot; the cursor is left on it.
  int NewCatalog(std::string_view typedName);

  // Opens each file in list order. Each failure shows its message and skips only that file:
  // 10123 missing (file name), 10124 already open (file name), 10126 unreadable (error text),
  // 10125 not a catalog image (file name). Returns the number of catalogs opened; the cursor is
  // left at the root.
  int OpenFiles(const std::vector<std::string>& files);
  // For a command that only looks at a catalog: checks and maps the file `given` as OpenFiles
  // does, then hands its image to `read` instead of loading it. `read` gets the image, whether it
  // is a file mapping (TQDImageWalk may give its pages back) and the file's full name, and returns
  // whether it is a sound catalog image (sound, its top record a container). The messages are
  // OpenFiles'; true when `read` returned true and the file was not cut short meanwhile.
  using TImageReader =
      std::function<bool(std::string_view image, bool mapped, const std::string& fullName)>;
  bool ReadFile(const std::string& given, const TImageReader& read);

  // Takes the writer's lock of `fileName` (FileLock.h) and holds it until this object ends, for a
  // read-modify-write that must not interleave with another writer: take it before opening the
  // file. Waits up to Options.LockWaitMs for another writer; returns the message when it cannot be
  // taken. Without it, a save still holds the lock while it writes.
  std::string LockForChange(std::string_view fileName);

  // Save (saveAs false) or Save As of the catalog under the cursor, which is first moved up to the
  // catalog (depth 1); at the root nothing happens (Cancelled). The file is replaced atomically:
  // a failed save keeps the previous file and shows 10122 with the error. The save holds the
  // file's lock while it writes and first removes temporary files a killed save left behind. A
  // file that changed on disk since this object read or saved it is not overwritten without
  // asking (10144: overwrite, save as, cancel). A file the user may not write is not replaced.
  TSaveResult Save(bool saveAs);
  // The same for the catalog at root slot `rootSlot`.
  TSaveResult SaveAt(int rootSlot, bool saveAs);
  // Saves every catalog with unsaved changes in tree order; false at the first save that is
  // cancelled or fails.
  bool SaveAll();

  // Closes the catalog at `rootSlot`, asking 10143 (Yes/No/Cancel) when it has unsaved changes.
  // With `remember` its file name is appended to the catalogs-open-at-exit list. False when
  // cancelled (nothing closed).
  bool Close(int rootSlot, bool remember);
  // Closes the first catalog until none is left; false when one close was cancelled.
  bool CloseAll(bool remember);
  // The close query at exit: rebuild the open-at-exit list, optionally save all, close all.
  // True iff every catalog was closed (the window may close).
  bool ExitQuery();

  // Whether `fileName` is the file of an open catalog: the same text compared case-insensitively,
  // or the same file on disk. The cursor is kept.
  bool IsFileOpen(std::string_view fileName) const;
  // Whether the catalog under the cursor has unsaved changes (false at the root).
  bool IsModified() const;
  // Whether any open catalog has unsaved changes.
  bool AnyModified() const;

  // Indices of the recent entries to show (at most 10; files that are open are hidden).
  std::vector<int> VisibleRecent() const;
  // Opens recent entry `index` as a one-element list; 0 when out of range.
  int OpenRecent(int index);

  // Start-up: the command-line file when `commandLineFile` is not empty, otherwise what `open`
  // says (`startupList` for StartupList). Returns the number of catalogs opened.
  int StartUp(const std::string& commandLineFile, TStartupOpen open,
              const std::vector<std::string>& startupList);

  // The folder the file dialogs start in.
  std::string DialogFolder() const;

 private:
  bool IsFileOpenExcept(std::string_view fileName, const TNodeRec* except) const;
  void AddRecent(const std::string& name);
  TSaveResult SaveCurrent(bool saveAs);

  TQDBase& main_;
  TCatalogUi& ui_;
  std::vector<std::string>& recent_;
  std::vector<std::string>& openAtExit_;
  TQDBase temp_;  // bdTemp: a file is loaded here, then grafted into bdMain

  // What the file looked like when it was last read or saved, by full file name.
  struct TFileStamp {
    dev_t Dev = 0;
    ino_t Ino = 0;
    off_t Size = 0;
    long long MtimeSec = 0;
    long MtimeNsec = 0;
    bool operator==(const TFileStamp&) const = default;
  };
  static bool StampOf(const std::string& fileName, TFileStamp& stamp);
  static TFileStamp StampFrom(const struct stat& st);
  std::map<std::string, TFileStamp> stamps_;
  std::map<std::string, std::unique_ptr<TFileLock>> locks_;
};

// The recent-list rule: a name already in the list (case-insensitive) exchanges places with the
// first entry; otherwise it is inserted at the front. The list is cut to 10 entries.
void AddToRecentList(std::vector<std::string>& recent, const std::string& name);

// The backup name of a catalog file: the name cut before the last "." of its final component,
// followed by ".BAK" (the whole name followed by ".BAK" when it has no ".").
std::string BackupFileName(std::string_view target);

// The absolute, lexically normal form of a file name, as it is stored and compared.
std::string FullFileName(std::string_view name);

// The default catalog folder at start-up: when `setting` is empty it becomes `programFolder` +
// "Catalogs/" and that folder is created (a failure is ignored). Returns the setting.
std::string InitDefaultCatalogFolder(std::string& setting, const std::string& programFolder);
