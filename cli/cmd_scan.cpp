// SPDX-License-Identifier: MIT
// tolvane-cli add / update: scanning a medium or folder into a disk of a catalog.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/SizeTexts.h"
#include "archive/ArchiveTypes.h"
#include "catalog/CatalogLayout.h"
#include "cli/CliCatalog.h"
#include "cli/Command.h"
#include "scan/DescRules.h"
#include "scan/DiskGraft.h"
#include "scan/VolumeInfo.h"

namespace {

const char* kAddUsage =
    "add CATALOG PATH [--name NAME] [--group GROUP] [--no-archives] [--no-descriptions] [--quiet]\n"
    "    [--threads 1|2]\n"
    "  --threads  walking threads: by default two on a machine of two or more cores, unless the\n"
    "             medium is an optical disc or a removable drive, where one thread avoids seeks";
const char* kUpdateUsage =
    "update CATALOG DISK PATH [--keep|--replace|--delete-descriptions] [--no-archives] "
    "[--no-descriptions] [--quiet]";

volatile std::sig_atomic_t gInterrupted = 0;
void OnInterrupt(int) { gInterrupted = 1; }

// Runs the scan on its worker thread, showing progress on stderr when it is a terminal; Ctrl+C
// cancels. True iff the scan completed.
bool RunScan(TFileScan& scan, bool quiet) {
  gInterrupted = 0;
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  struct sigaction oldInt {
  }, oldTerm{};
  sigaction(SIGINT, &sa, &oldInt);
  sigaction(SIGTERM, &sa, &oldTerm);
  bool live = !quiet && isatty(STDERR_FILENO);
  scan.Start();
  // The end of the scan is seen within 5 ms; the progress line is redrawn every 100 ms.
  for (int tick = 1; !scan.Done; ++tick) {
    usleep(5 * 1000);
    if (gInterrupted) scan.CancelRequested = true;
    if (live && tick % 20 == 0) {
      std::string folder = scan.CurrentFolder();
      if (folder.size() > 50)
        folder = folder.substr(0, 20) + "..." + folder.substr(folder.size() - 27);
      std::fprintf(stderr, "\r\033[K%d files, %d folders, %d archives, %d descriptions, %s  %s",
                   scan.FilesDone.load(), scan.FoldersDone.load(), scan.ArchivesDone.load(),
                   scan.DescriptionsDone.load(), FormatSizeUnits(scan.BytesDone.load()).c_str(),
                   folder.c_str());
    }
  }
  scan.Join();
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  if (live) std::fprintf(stderr, "\r\033[K");
  if (!quiet)
    std::fprintf(stderr, "%s: %d files, %d folders, %d archives, %d descriptions, %s\n",
                 scan.Completed() ? "Scanned" : "Cancelled", scan.FilesDone.load(),
                 scan.FoldersDone.load(), scan.ArchivesDone.load(), scan.DescriptionsDone.load(),
                 FormatSizeBytes(scan.BytesDone.load()).c_str());
  // Folders that could not be read are stored empty: say which, whatever --quiet says.
  std::vector<std::string> unreadable = scan.UnreadableFolders();
  for (const std::string& folder : unreadable)
    std::fprintf(stderr, "tolvane-cli: cannot read folder %s (stored as empty)\n", folder.c_str());
  if (!unreadable.empty())
    std::fprintf(stderr, "tolvane-cli: %zu folder%s could not be read\n", unreadable.size(),
                 unreadable.size() == 1 ? "" : "s");
  return scan.Completed();
}

// The settings store with the default rule and archive tables.
void DefaultOptions(TQDBase& bdOpt) {
  InitDescriptionRules(bdOpt);
  InitArchiveTypes(bdOpt);
}

// The header of the disk to scan from the folder `path`; false after printing why not. A path
// that is no folder is refused: scanned, it would become an empty disk (or empty an updated one).
bool PrepareDisk(const char* command, TQDBase& bdDisk, const std::string& path,
                 std::string_view name) {
  int rc = PrepareDiskHeader(bdDisk, path, name);
  std::error_code ec;
  if (rc == 0 && !std::filesystem::is_directory(path, ec)) rc = ENOTDIR;
  if (rc == 0) return true;
  std::fprintf(stderr, "tolvane-cli %s: %s: %s\n", command, path.c_str(), std::strerror(rc));
  return false;
}

std::string BaseName(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int RunAdd(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"no-archives", "no-descriptions", "quiet"}, {"name", "group", "threads"},
                    a, err) ||
      a.Positional.size() != 2) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli add: %s\n", err.c_str());
    std::fprintf(stderr, "Usage: tolvane-cli %s\n", kAddUsage);
    return 2;
  }
  int walkers = 0;
  if (a.Has("threads")) {
    const std::string t = a.Get("threads");
    if (t != "1" && t != "2") {
      std::fprintf(stderr, "tolvane-cli add: --threads takes 1 or 2\n");
      return 2;
    }
    walkers = t[0] - '0';
  }
  const std::string& file = a.Positional[0];
  const std::string& path = a.Positional[1];
  TCliSession s{TCliAccess::Change};
  int slot = s.OpenOrCreate(file, "");
  if (slot < 0) return 1;
  TNodeRec* catalog = NodeChild(s.bdMain.RootNode(), slot);
  TNodeRec* destination = catalog;
  if (a.Has("group")) {
    destination = FindItemOrSay("add", catalog, a.Get("group"), "group", [](const TNodeRec* n) {
      return ItemKind(ItemFlagsOf(n)) == ikGroup;
    });
    if (!destination) return 1;
  }
  TVolumeInfo vol = ReadVolumeInfo(path);
  std::string name = a.Get("name");
  if (name.empty()) name = !vol.Label.empty() && vol.SubFolder.empty() ? vol.Label : BaseName(path);
  TQDBase bdDisk, bdOpt;
  if (!PrepareDisk("add", bdDisk, path, name)) return 1;
  DefaultOptions(bdOpt);
  TScanSettings settings =
      MakeScanSettings(bdOpt, !a.Has("no-descriptions"), !a.Has("no-archives"));
  settings.Walkers = walkers;
  TFileScan scan(bdDisk, path, std::move(settings));
  if (!RunScan(scan, a.Has("quiet"))) return 130;  // nothing was changed or saved
  TNodeRec* disk = GraftNewDisk(s.bdMain, destination, bdDisk);
  std::string added = CliDecoders().Text(disk, ItemName(disk));
  if (!s.Save(slot, file)) return 1;
  if (!a.Has("quiet")) std::fprintf(stderr, "Added disk \"%s\"\n", added.c_str());
  return 0;
}

int RunUpdate(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(
          args,
          {"keep", "replace", "delete-descriptions", "no-archives", "no-descriptions", "quiet"}, {},
          a, err) ||
      a.Positional.size() != 3) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli update: %s\n", err.c_str());
    std::fprintf(stderr, "Usage: tolvane-cli %s\n", kUpdateUsage);
    return 2;
  }
  const TUpdateDescMode mode = a.Has("delete-descriptions") ? TUpdateDescMode::DeleteAll
                               : a.Has("replace")           ? TUpdateDescMode::Replace
                                                            : TUpdateDescMode::Keep;
  TCliSession s{TCliAccess::Change};
  TCliTarget t = s.OpenItem("update", a.Positional[0], a.Positional[1], "disk",
                            [](const TNodeRec* n) { return ItemKind(ItemFlagsOf(n)) == ikDisk; });
  TNodeRec* disk = t.Item;
  if (!disk) return 1;
  const std::string& path = a.Positional[2];
  TQDBase bdDisk, bdOpt;
  if (!PrepareDisk("update", bdDisk, path, ItemName(disk))) return 1;
  CarryDiskFields(disk, bdDisk, mode);
  DefaultOptions(bdOpt);
  TFileScan scan(
      bdDisk, path,
      MakeScanSettings(bdOpt, !a.Has("no-descriptions"), !a.Has("no-archives"), true, mode));
  s.bdMain.GoToNode(disk);
  scan.TakeOldDisk(s.bdMain);
  if (!RunScan(scan, a.Has("quiet"))) return 130;
  ReplaceDisk(s.bdMain, disk, bdDisk);
  return s.Save(t.Slot) ? 0 : 1;
}

const CliCommand kAdd{
    "add", kAddUsage,
    "Scan a mount point or folder into a new disk of a catalog (created when missing)", RunAdd};
const CliCommand kUpdate{"update", kUpdateUsage, "Rescan a disk of a catalog", RunUpdate};
CliRegistration regAdd(kAdd);
CliRegistration regUpdate(kUpdate);

}  // namespace
