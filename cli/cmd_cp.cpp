// SPDX-License-Identifier: MIT
// tolvane-cli cp: copies or extracts the real files behind catalog items, locating the medium of
// each disk among the mounted volumes. A medium that is not mounted is reported and skipped.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>

#include "app/Helpers.h"
#include "catalog/CatalogLayout.h"
#include "cli/CliCatalog.h"
#include "cli/Command.h"
#include "fileops/FileOps.h"

namespace {

const char* kCpUsage = "cp CATALOG ITEMPATH... DEST [--extract] [--quiet]";

volatile std::sig_atomic_t gInterrupted = 0;
void OnInterrupt(int) { gInterrupted = 1; }

// The terminal side of the file operations: never waits for an answer.
class TCliFileOpsUi : public TFileOpsUi {
 public:
  TCliFileOpsUi(std::string dest, bool live) : dest_(std::move(dest)), live_(live) {}

  int AskInsertDisk(const TInsertDiskInfo& disk, bool) override {
    ClearLine();
    std::fprintf(stderr, "tolvane-cli cp: the medium of disk \"%s\"%s is not mounted; skipped\n",
                 disk.Name.c_str(),
                 disk.TypeText.empty() ? "" : (" (" + disk.TypeText + ")").c_str());
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
  std::string dest_;
  bool live_;
  bool shown_ = false;
  std::string disk_;
};

int RunCp(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"extract", "quiet"}, {}, a, err) || a.Positional.size() < 3) {
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
  int slot = s.Open(a.Positional[0]);
  if (slot < 0) return 1;
  TNodeRec* catalog = NodeChild(s.bdMain.RootNode(), slot);

  s.bdMain.ClearMarkList(mlSelection);
  for (size_t i = 1; i + 1 < a.Positional.size(); ++i) {
    TNodeRec* item = FindCatalogItem(catalog, a.Positional[i]);
    if (!item || ItemKind(ItemFlagsOf(item)) < ikDisk) {
      std::fprintf(stderr, "tolvane-cli cp: no disk, folder or file \"%s\" in the catalog\n",
                   a.Positional[i].c_str());
      return 1;
    }
    s.bdMain.GoToNode(item);
    s.bdMain.AddMark(mlSelection);
  }

  bool quiet = a.Has("quiet");
  TCliFileOpsUi ui(dest, !quiet && isatty(STDERR_FILENO));
  TTempFiles temp;
  TFileOpEngine engine(s.bdMain, ui, temp);

  gInterrupted = 0;
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  struct sigaction oldInt {
  }, oldTerm{};
  sigaction(SIGINT, &sa, &oldInt);
  sigaction(SIGTERM, &sa, &oldTerm);
  engine.CopyFiles(mlSelection, nullptr, a.Has("extract"), kOpCopy);
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);

  for (const TFileOpFailure& f : engine.Failures())
    std::fprintf(stderr, "tolvane-cli cp: %s: %s\n", f.Path.c_str(), f.Reason.c_str());
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
