// SPDX-License-Identifier: MIT
// tolvane-cli mkgroup / mv / rm / rename / set-desc / set-category / sort: editing catalogs with
// the main window's editing commands and the catalog manager. Each command saves the catalogs it
// changed, and prints what it made only once they are saved. Unlike the windows, the commands
// recompute the size totals after moving and removing, so a script sees consistent sizes.
#include <cstdio>

#include "catalog/CatalogLayout.h"
#include "catman/CatMan.h"
#include "cli/CliCatalog.h"
#include "cli/Command.h"
#include "mainwin/CatalogEdit.h"
#include "mainwin/Properties.h"
#include "mainwin/TreeRows.h"

namespace {

// Every confirmation is answered Yes (the command line is the confirmation), except the question
// whether to add missing categories and locations to a target catalog, which follows an option.
class TCliEditHost : public TEditHost {
 public:
  bool AddMissing = true;
  bool Confirm(int number, const std::string&, const std::string&) override {
    return number == 12703 ? AddMissing : true;
  }
};

int Usage(const char* usage) {
  std::fprintf(stderr, "Usage: tolvane-cli %s\n", usage);
  return 2;
}

int Fail(const char* command, const std::string& text) {
  std::fprintf(stderr, "tolvane-cli %s: %s\n", command, text.c_str());
  return 1;
}

int KindOf(const TNodeRec* item) { return ItemKind(ItemFlagsOf(item)); }

// A catalog, group or disk: where mkgroup makes a group, and what rename renames.
bool IsCatalogGroupOrDisk(const TNodeRec* item) {
  int kind = KindOf(item);
  return IsContainer(item) && kind >= ikCatalog && kind <= ikDisk;
}

// A session changing one catalog, with an editor over it.
struct TEditRun {
  TCliSession s{TCliAccess::Change};
  TCliEditHost host;
  TCatalogEditor ed{s.bdMain, host};
  TCliTarget t;

  // Opens `file` and finds `path` in it: the item, or nullptr after printing why not.
  TNodeRec* Open(const char* command, const std::string& file, const std::string& path = "") {
    t = s.OpenItem(command, file, path);
    return t.Item;
  }
  int Save() { return s.Save(t.Slot) ? 0 : 1; }
};

// Text typed with LF line ends becomes a description with CR LF between lines.
std::string DescriptionText(const std::string& typed) {
  std::string out;
  for (size_t i = 0; i < typed.size(); ++i) {
    if (typed[i] == '\n' && (i == 0 || typed[i - 1] != '\r')) out += '\r';
    out += typed[i];
  }
  return out;
}

// ---- mkgroup -----------------------------------------------------------------------------------

const char* kMkgroupUsage = "mkgroup CATALOG PATH NAME";

int RunMkgroup(const std::vector<std::string>& args) {
  if (args.size() != 3) return Usage(kMkgroupUsage);
  TEditRun r;
  TNodeRec* at = r.Open("mkgroup", args[0], args[1]);
  if (!at) return 1;
  if (!IsCatalogGroupOrDisk(at))
    return Fail("mkgroup", "a group goes into a catalog or group, or above a disk");
  TNodeRec* group = r.ed.AddGroup(at);
  if (!args[2].empty()) r.ed.SetItemName(group, UniqueSiblingName(args[2], group->Parent, group));
  std::string path = CatalogItemPath(group);
  if (r.Save() != 0) return 1;
  std::printf("%s\n", path.c_str());
  return 0;
}

// ---- mv ----------------------------------------------------------------------------------------

const char* kMvUsage = "mv CATALOG PATH DEST-CATALOG DEST-PATH [--drop-missing]";

int RunMv(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"drop-missing"}, {}, a, err) || a.Positional.size() != 4) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli mv: %s\n", err.c_str());
    return Usage(kMvUsage);
  }
  TEditRun r;
  r.host.AddMissing = !a.Has("drop-missing");
  if (!r.Open("mv", a.Positional[0])) return 1;
  TCliTarget to = r.t;
  if (!r.s.Files.IsFileOpen(a.Positional[2])) {
    to = r.s.OpenCatalog(a.Positional[2]);
    if (!to.Catalog) return 1;
  }
  TNodeRec* item = FindItemOrSay("mv", r.t.Catalog, a.Positional[1]);
  TNodeRec* dest = item ? FindItemOrSay("mv", to.Catalog, a.Positional[3]) : nullptr;
  if (!dest) return 1;
  int kind = KindOf(item);
  if (!IsContainer(item) || (kind != ikGroup && kind != ikDisk))
    return Fail("mv", "only groups and disks are moved");
  int destKind = KindOf(dest);
  if (!IsContainer(dest) || (destKind != ikCatalog && destKind != ikGroup))
    return Fail("mv", "the destination must be a catalog or a group");
  if (dest == item || IsInside(dest, item)) return Fail("mv", "cannot move an item into itself");
  if (dest == item->Parent) return Fail("mv", "the item is in that destination already");

  TCatMan manager(r.ed);
  TNodeRec* source = item->Parent;
  auto result = manager.CopyItems({item}, source, dest, true);
  if (!result.Error.empty()) return Fail("mv", result.Error);
  r.ed.RecomputeTotalsAt(source);
  r.ed.RecomputeTotalsAt(dest);
  std::string path = CatalogItemPath(result.Copies.at(0));
  // The destination first: should the source then fail to save, the item is in both files
  // rather than in neither.
  if (to.Slot != r.t.Slot && !r.s.Save(to.Slot)) return 1;
  if (r.Save() != 0) return 1;
  std::printf("%s\n", path.c_str());
  return 0;
}

// ---- rm ----------------------------------------------------------------------------------------

const char* kRmUsage = "rm CATALOG PATH...";

int RunRm(const std::vector<std::string>& args) {
  if (args.size() < 2) return Usage(kRmUsage);
  TEditRun r;
  TNodeRec* catalog = r.Open("rm", args[0]);
  if (!catalog) return 1;
  std::vector<TNodeRec*> items;
  for (size_t i = 1; i < args.size(); ++i) {
    TNodeRec* item = FindItemOrSay("rm", catalog, args[i]);
    if (!item) return 1;
    if (item == catalog) return Fail("rm", "the catalog itself cannot be removed");
    items.push_back(item);
  }
  r.ed.RemoveItems(items);
  r.ed.RecomputeTotalsAt(catalog);
  return r.Save();
}

// ---- rename ------------------------------------------------------------------------------------

const char* kRenameUsage = "rename CATALOG PATH NEWNAME";

int RunRename(const std::vector<std::string>& args) {
  if (args.size() != 3) return Usage(kRenameUsage);
  TEditRun r;
  TNodeRec* item = r.Open("rename", args[0], args[1]);
  if (!item) return 1;
  if (!IsCatalogGroupOrDisk(item))
    return Fail("rename", "only catalogs, groups and disks can be renamed");
  std::string name = r.ed.RenameItem(item, args[2]);
  if (r.Save() != 0) return 1;
  std::printf("%s\n", EncodePathName(name).c_str());
  return 0;
}

// ---- set-desc ----------------------------------------------------------------------------------

const char* kSetDescUsage = "set-desc CATALOG PATH TEXT";

int RunSetDesc(const std::vector<std::string>& args) {
  if (args.size() != 3) return Usage(kSetDescUsage);
  TEditRun r;
  TNodeRec* item = r.Open("set-desc", args[0], args[1]);
  if (!item) return 1;
  std::string text = DescriptionText(args[2]);
  if (FieldStr(FieldNode(item), kFieldDescription) != text) {
    r.s.bdMain.GoToNode(MutableFieldNode(item));
    r.s.bdMain.SetStr(kFieldDescription, text);
    r.ed.MarkModified(item, true);
  }
  return r.Save();
}

// ---- set-category ------------------------------------------------------------------------------

const char* kSetCategoryUsage = "set-category CATALOG PATH NAME [--recursive]";

int RunSetCategory(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"recursive", "R"}, {}, a, err) || a.Positional.size() != 3) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli set-category: %s\n", err.c_str());
    return Usage(kSetCategoryUsage);
  }
  TEditRun r;
  TNodeRec* item = r.Open("set-category", a.Positional[0], a.Positional[1]);
  if (!item) return 1;
  if (item == r.t.Catalog) return Fail("set-category", "catalogs carry no category");
  // An empty name removes the category; a name missing from the list is appended to it.
  bool appended = false;
  int index = a.Positional[2].empty()
                  ? 0
                  : ListIndexOrAppendIgnoringCase(r.s.bdMain, r.t.Catalog, kCatCategories,
                                                  a.Positional[2], appended);
  if (!a.Positional[2].empty() && index == 0)
    return Fail("set-category", "the catalog's category list is full");
  bool changed = SetItemCategory(r.s.bdMain, item, index, a.Has("recursive") || a.Has("R"));
  if (changed || appended) r.ed.MarkModified(item, true);
  return r.Save();
}

// ---- sort --------------------------------------------------------------------------------------

const char* kSortUsage = "sort CATALOG [PATH]";

int RunSort(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) return Usage(kSortUsage);
  TEditRun r;
  TNodeRec* item = r.Open("sort", args[0], args.size() > 1 ? args[1] : "");
  if (!item) return 1;
  if (!r.ed.SortDisks(item)) return Fail("sort", "only a catalog or a group can be sorted");
  return r.Save();
}

const CliCommand kMkgroup{"mkgroup", kMkgroupUsage,
                          "Create a disk group in a catalog or group (above a disk at a disk)",
                          RunMkgroup};
const CliCommand kMv{"mv", kMvUsage,
                     "Move a disk or group into a group or catalog, also of another catalog file",
                     RunMv};
const CliCommand kRm{"rm", kRmUsage, "Remove items from a catalog", RunRm};
const CliCommand kRename{"rename", kRenameUsage, "Rename a catalog, group or disk", RunRename};
const CliCommand kSetDesc{"set-desc", kSetDescUsage, "Set the description of an item", RunSetDesc};
const CliCommand kSetCategory{"set-category", kSetCategoryUsage,
                              "Set the category of an item (\"\" removes it)", RunSetCategory};
const CliCommand kSort{"sort", kSortUsage, "Sort the groups and disks of a catalog or group",
                       RunSort};
CliRegistration regMkgroup(kMkgroup);
CliRegistration regMv(kMv);
CliRegistration regRm(kRm);
CliRegistration regRename(kRename);
CliRegistration regSetDesc(kSetDesc);
CliRegistration regSetCategory(kSetCategory);
CliRegistration regSort(kSort);

}  // namespace
