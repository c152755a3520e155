// SPDX-License-Identifier: MIT
// tolvane-cli cp: copies or extracts the real files behind catalog items, locating the medium of
// each disk among the mounted volumes. A medium that is not mounted, or that cannot be told from
// other volumes, is reported and skipped unless --from says where it is.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <set>
#include <string>

#include "app/SizeTexts.h"
#include "catalog/CatalogLayout.h"
#include "cli/CliCatalog.h"
#include "cli/Command.h"
#include "fileops/FileOps.h"

namespace {

const char* kCpUsage =
    "cp CATALOG ITEMPATH... DEST [--extract] [-n|--no-clobber] [--from DIR] [--quiet]\n"
    "  Copies the files and folders behind the items (archive entries are extracted) into the\n"
    "  existing folder DEST. A file of the same name in DEST is overwritten without asking.\n"
    "  --extract          extract archives' contents instead of copying the archive files\n"
    "  -n, --no-clobber   leave existing files in DEST alone; each one is reported\n"
    "  --from DIR         the folder where a disk's medium is now: the folder that was scanned\n"
    "                     (the volume's root for a whole volume). Used for each disk whose\n"
    "                     medium is not found by its volume label and serial; a disk recorded\n"
    "                     with neither label nor serial is never looked up by itself, so it\n"
    "                     always needs --from (the volumes that could hold it are listed)\n"
    "  --quiet            no progress and no summary";

volatile std::sig_atomic_t gInterrupted = 0;
void OnInterrupt(int) { gInterrupted = 1; }

// The terminal side of the file operations: never waits for an answer.
class TCliFileOpsUi : public TFileOpsUi {
 public:
  TCliFileOpsUi(std::string dest, std::string from, bool live)
      : dest_(std::move(dest)), from_(std::move(from)), live_(live) {}

  int AskInsertDisk(const TInsertDiskInfo& disk, bool, std::string& chosenRoot) override {
    ClearLine();
    std::string what = "disk \"" + CliDecoders().All().Text(disk.Name) + "\"" +
                       (disk.TypeText.empty() ? std::string() : " (" + disk.TypeText + ")");
    if (!from_.empty()) {
      // --from is tried once per disk; asked again, the folder was not there.
      if (fromTried_.insert(disk.Name).second) {
        chosenRoot = from_;
        return kInsertOk;
      }
      std::fprintf(stderr, "tolvane-cli cp: %s: --from %s is not a folder; skipped\n", what.c_str(),
                   from_.c_str());
      return kInsertSkip;
    }
    if (!disk.Unidentified) {
      std::fprintf(stderr,
                   "tolvane-cli cp: the medium of %s is not mounted; skipped (--from DIR says "
                   "where it is)\n",
                   what.c_str());
      return kInsertSkip;
    }
    std::fprintf(stderr,
                 "tolvane-cli cp: %s was recorded with neither volume label nor serial, so its "
                 "medium cannot be told from other volumes; skipped. Say where it is with "
                 "--from DIR.\n",
                 what.c_str());
    if (disk.Candidates.empty()) {
      std::fprintf(stderr, "  No mounted volume of its kind holds its folder.\n");
    } else {
      std::fprintf(stderr, "  Mounted volumes that could hold it:\n");
      for (const std::string& c : disk.Candidates) std::fprintf(stderr, "    %s\n", c.c_str());
    }
    return kInsertSkip;
  }
  std::string ChooseFolder(const std::string&, const std::string&) override { return dest_; }
  void ShowMessage(int, const std::string&, const std::string& text) override {
    ClearLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  TRetryAnswer AskRetry(int, const std::string&, const std::string&) override {
    return TRetryAnswer::Leave;
  }
  void ProgressDisk(const std::string& name) override { disk_ = name; }
  void ProgressShow(int percent, const std::string& text) override {
    if (!live_) return;
    std::fprintf(stderr, "\r\033[K%3d%%  %s  %s", percent, text.c_str(), disk_.c_str());
    shown_ = true;
  }
  bool ProgressPoll() override { return gInterrupted != 0; }
  void ProgressClose() override { ClearLine(); }

 private:
  void ClearLine() {
    if (shown_) std::fprintf(stderr, "\r\033[K");
    shown_ = false;
  }
  std::string dest_, from_;
  std::set<std::string> fromTried_;
  bool live_;
  bool shown_ = false;
  std::string disk_;
};

int RunCp(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"extract", "quiet", "n", "no-clobber"}, {"from"}, a, err) ||
      a.Positional.size() < 3) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli cp: %s\n", err.c_str());
    std::fprintf(stderr, "Usage: tolvane-cli %s\n", kCpUsage);
    return 2;
  }
  const std::string& dest = a.Positional.back();
  struct stat st;
  if (::stat(dest.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "tolvane-cli cp: %s: not an existing folder\n", dest.c_str());
    return 1;
  }
  TCliSession s;
  TNodeRec* catalog = s.OpenCatalog(a.Positional[0]).Catalog;
  if (!catalog) return 1;

  s.bdMain.ClearMarkList(mlSelection);
  for (size_t i = 1; i + 1 < a.Positional.size(); ++i) {
    TNodeRec* item =
        FindItemOrSay("cp", catalog, a.Positional[i], "disk, folder or file",
                      [](const TNodeRec* n) { return ItemKind(ItemFlagsOf(n)) >= ikDisk; });
    if (!item) return 1;
    s.bdMain.GoToNode(item);
    s.bdMain.AddMark(mlSelection);
  }

  bool quiet = a.Has("quiet");
  std::string from = a.Get("from");
  if (a.Has("from") && (::stat(from.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))) {
    std::fprintf(stderr, "tolvane-cli cp: --from %s: not an existing folder\n", from.c_str());
    return 1;
  }
  TCliFileOpsUi ui(dest, from, !quiet && isatty(STDERR_FILENO));
  TTempFiles temp;
  TFileOpEngine engine(s.bdMain, ui, temp);
  engine.Decoders = &CliDecoders();
  engine.KeepExisting = a.Has("n") || a.Has("no-clobber");

  gInterrupted = 0;
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  struct sigaction oldInt {
  }, oldTerm{};
  sigaction(SIGINT, &sa, &oldInt);
  sigaction(SIGTERM, &sa, &oldTerm);
  engine.CopyFiles(mlSelection, nullptr, a.Has("extract"), TFileOp::Copy);
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);

  for (const TFileOpFailure& f : engine.Failures())
    std::fprintf(stderr, "tolvane-cli cp: %s: %s\n", f.Path.c_str(), f.Reason.c_str());
  for (const std::string& kept : engine.KeptTargets())
    std::fprintf(stderr, "tolvane-cli cp: %s: exists; not overwritten\n", kept.c_str());
  if (!quiet)
    std::fprintf(stderr, "%s %d files, %s bytes\n",
                 engine.Cancelled() ? "Cancelled after" : "Copied", engine.DoneCount(),
                 FormatSizeBytes(engine.DoneBytes()).c_str());
  if (engine.Cancelled()) return 130;
  return engine.Failures().empty() && engine.SkippedDisks().empty() ? 0 : 1;
}

const CliCommand kCp{"cp", kCpUsage,
                     "Copy or extract the real files behind catalog items from their mounted media",
                     RunCp};
CliRegistration regCp(kCp);

}  // namespace
