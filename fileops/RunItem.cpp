// SPDX-License-Identifier: MIT
// Running or showing one catalog item: RunOrExplore and ExtractForRun of the engine.
#include <sys/stat.h>

#include "app/Language.h"
#include "archive/ArchiveExtract.h"
#include "catalog/CatalogLayout.h"
#include "fileops/FileOps.h"
#include "fileops/ProgressCopy.h"

namespace {

std::string ParentFolder(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

}  // namespace

int TFileOpEngine::ExtractForRun(const TNodeRec* item, std::string& path) {
  std::string root;
  if (LocateMedium(item, Volumes, ui_, false, root) != kInsertOk) return 1;
  return ExtractForRunAt(item, root, path);
}

int TFileOpEngine::ExtractForRunAt(const TNodeRec* item, const std::string& root,
                                   std::string& path) {
  path.clear();
  std::string archivePath, spec, archiveFile;
  if (!SplitArchivePath(item, archivePath, spec) ||
      !ItemRealPath(root, OutermostArchiveOf(item), archiveFile, Decoders))
    return -1;
  std::string name = CopyName(item);
  if (!IsSafeComponent(name)) return -1;
  const std::string& folder = temp_.Folder();
  if (folder.empty()) return -1;
  TExtractResult r = ::ExtractEntry(reader_, archiveFile, spec, false, folder);
  if (r.Code != 0) return r.Code < 0 ? r.Code : -1;
  path = folder + "/" + name;
  temp_.Add(path);
  return 0;
}

TShellAction TFileOpEngine::RunOrExplore(const TNodeRec* item, bool explore) {
  TShellAction action;
  if (!item) return action;
  std::string root;
  if (LocateMedium(item, Volumes, ui_, false, root) != kInsertOk) return action;

  int32_t flags = ItemFlagsOf(item);
  bool container = IsContainer(item);
  bool inArchive = (flags & ifInArchive) != 0;
  if (inArchive && (explore || container)) return action;

  std::string path;
  if (!ItemRealPath(root, item, path, Decoders)) return action;
  if (path.size() > 1 && path.back() == '/') path.pop_back();  // a disk: its root folder

  if (inArchive) {
    if (ExtractForRunAt(item, root, path) < 0) {
      ui_.ShowMessage(10004, {}, LangText(10004));
      return action;
    }
  }

  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;
  bool isFolder = container && !(flags & ifArchive);
  if (!isFolder && (!exists || S_ISDIR(st.st_mode))) {
    ui_.ShowMessage(10002, path, LangText(10002));
    return action;
  }
  if (isFolder && (!exists || !S_ISDIR(st.st_mode))) {
    ui_.ShowMessage(10003, path, LangText(10003));
    return action;
  }

  action.Path = path;
  action.Folder = ParentFolder(path);
  if (!explore) {
    action.Kind = TShellActionKind::Open;
  } else if (Settings.AlternativeShell) {
    std::string error;
    if (!PrepareAlternativeShell(Settings.ShellTemplate, path, action.Folder, action.Command,
                                 error)) {
      ui_.ShowMessage(10174, action.Command.Program, error);
      return TShellAction();
    }
    action.Kind = TShellActionKind::RunProgram;
  } else {
    action.Kind = TShellActionKind::ShowInFolder;
  }
  return action;
}
