// SPDX-License-Identifier: MIT
// tolvane-cli new / ls / info: creating and reading catalogs.
#include <unistd.h>

#include <cstdio>
#include <unordered_map>

#include "app/SizeTexts.h"
#include "catalog/CatalogLayout.h"
#include "catalog/ItemLabels.h"
#include "cli/CliCatalog.h"
#include "cli/Command.h"
#include "platform/DateTime.h"
#include "report/ReportText.h"

namespace {

int Usage(const char* usage) {
  std::fprintf(stderr, "Usage: tolvane-cli %s\n", usage);
  return 2;
}

const char* kNewUsage = "new FILE [--name NAME]";
const char* kLsUsage =
    "ls FILE [PATH] [-R] [--tsv]\n"
    "  -R, --recursive  list everything below PATH\n"
    "  --tsv            one row per item: path, kind, size, attributes, modified, category,\n"
    "                   description, separated by TAB, one line per item\n"
    "  Paths (PATH arguments of every command and the path column) join names with \"\\\";\n"
    "  inside a name TAB, LF, CR, NUL, \"\\\" and \"%\" are written %09, %0A, %0D, %00, %5C\n"
    "  and %25 (\"a\\b\" is a folder \"a\" holding \"b\"; \"a%5Cb\" is one item named \"a\\b\").\n"
    "  In the category and description columns a line end is written \\n (a lone CR \\r),\n"
    "  TAB \\t, backslash \\\\ and a zero byte \\0.";
const char* kInfoUsage =
    "info FILE [--codepage NAME]\n"
    "  Besides the counts: how many names are not UTF-8 (stored in a legacy code page) and a few\n"
    "  of them as the code page in use decodes them, to check that it is the right one.";

int RunNew(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {}, {"name"}, a, err) || a.Positional.size() != 1) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli new: %s\n", err.c_str());
    return Usage(kNewUsage);
  }
  const std::string& file = a.Positional[0];
  TCliSession s{TCliAccess::Change};
  if (access(file.c_str(), F_OK) == 0) {
    std::fprintf(stderr, "tolvane-cli new: %s exists already\n", file.c_str());
    return 1;
  }
  int slot = s.OpenOrCreate(file, a.Get("name"));
  if (slot < 0 || !s.Save(slot, file)) return 1;
  return 0;
}

void PrintPlain(const TNodeRec* item, int depth) {
  TItemFields f = ReadItemFields(item);
  std::string kind = KindText(f.Flags);
  // The name column is padded by characters, not bytes, so names beyond ASCII stay aligned.
  std::string name = CliDecoders().Text(item, f.Name);
  size_t chars = ReportTextLength(name);
  if (chars < 40) name.append(40 - chars, ' ');
  std::printf("%*s%s %-8s %15s %-5s %s\n", depth * 2, "", name.c_str(), kind.c_str(),
              FormatSizeBytes(f.Size).c_str(), AttributeLetters(f.Flags).c_str(),
              FormatDateTime(f.Changed).c_str());
}

void List(const TNodeRec* container, bool recursive, bool tsv, int depth) {
  // Iterative over the levels so that deep catalogs are safe.
  struct Frame {
    const TNodeRec* node;
    int next;
    int depth;
  };
  std::vector<Frame> stack{{container, 1, depth}};
  TItemPaths paths;
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next >= f.node->SlotCount) {
      stack.pop_back();
      continue;
    }
    const TNodeRec* item = NodeChild(f.node, f.next++);
    if (!item) continue;
    if (tsv)
      std::printf("%s\n", TsvRow(item, &paths).c_str());
    else
      PrintPlain(item, f.depth);
    if (recursive && IsContainer(item)) stack.push_back({item, 1, f.depth + 1});
  }
}

int RunLs(const std::vector<std::string>& args) {
  TCliArgs a;
  std::string err;
  if (!ParseCliArgs(args, {"R", "recursive", "tsv"}, {}, a, err) || a.Positional.empty() ||
      a.Positional.size() > 2) {
    if (!err.empty()) std::fprintf(stderr, "tolvane-cli ls: %s\n", err.c_str());
    return Usage(kLsUsage);
  }
  TCliSession s;
  TNodeRec* node =
      s.OpenItem("ls", a.Positional[0], a.Positional.size() > 1 ? a.Positional[1] : "").Item;
  if (!node) return 1;
  bool tsv = a.Has("tsv");
  if (!IsContainer(node)) {
    if (tsv)
      std::printf("%s\n", TsvRow(node).c_str());
    else
      PrintPlain(node, 0);
    return 0;
  }
  List(node, a.Has("R") || a.Has("recursive"), tsv, 0);
  return 0;
}

// How many item names are not UTF-8, and the first few of them, gathered item by item by the
// walk that counts.
struct TLegacyNames {
  static constexpr size_t kExamples = 5;
  int64_t Names = 0, Legacy = 0, Descriptions = 0;
  std::vector<const TNodeRec*> Examples;

  void Add(const TNodeRec* item) {
    ++Names;
    if (TTextDecoder::NeedsDecoding(ItemName(item))) {
      ++Legacy;
      if (Examples.size() < kExamples) Examples.push_back(item);
    }
    if (TTextDecoder::NeedsDecoding(FieldStr(FieldNode(item), kFieldDescription))) ++Descriptions;
  }

  // The count, and the examples (full paths) as `decoder` reads them.
  void Print(const TTextDecoder& decoder) const {
    std::printf("Names not in UTF-8: %lld of %lld", static_cast<long long>(Legacy),
                static_cast<long long>(Names));
    if (Legacy == 0 && Descriptions == 0) {
      std::printf("\n");
      return;
    }
    std::printf(" (descriptions: %lld), read as %s:\n", static_cast<long long>(Descriptions),
                decoder.CodePage().c_str());
    for (const TNodeRec* item : Examples) std::printf("  %s\n", CatalogItemPath(item).c_str());
  }
};

int RunInfo(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage(kInfoUsage);
  TCliSession s;
  TNodeRec* catalog = s.OpenCatalog(args[0]).Catalog;
  if (!catalog) return 1;
  TItemFields cf = ReadItemFields(catalog);
  // One walk gives the catalog's counts, every disk's and the names not in UTF-8.
  std::vector<TDiskCounts> diskCounts;
  TLegacyNames legacy;
  TItemCounts all =
      CountItems(catalog, diskCounts, [&legacy](const TNodeRec* item) { legacy.Add(item); });
  std::unordered_map<const TNodeRec*, const TDiskCounts*> countsOf;
  for (const TDiskCounts& c : diskCounts) countsOf.emplace(c.Disk, &c);
  const TTextDecoder& decoder = CliDecoders().For(catalog);
  std::printf("Catalog: %s\n", decoder.Text(cf.Name).c_str());
  std::printf("Created: %s\n", FormatDateTime(cf.Created).c_str());
  std::printf("Changed: %s\n", FormatDateTime(cf.Changed).c_str());
  std::printf("Size: %s bytes (%s)\n", FormatSizeBytes(cf.Size).c_str(),
              FormatSizeUnits(cf.Size).c_str());
  std::printf("Disks: %lld, folders: %lld, files: %lld\n", static_cast<long long>(all.Disks),
              static_cast<long long>(all.Folders), static_cast<long long>(all.Files));
  // Every disk, through nested groups, with its path in the catalog.
  std::vector<const TNodeRec*> stack{catalog};
  std::vector<const TNodeRec*> disks;
  while (!stack.empty()) {
    const TNodeRec* n = stack.back();
    stack.pop_back();
    for (int i = n->SlotCount - 1; i >= 1; --i) {
      const TNodeRec* item = NodeChild(n, i);
      if (!item || !IsContainer(item)) continue;
      int kind = ItemKind(ItemFlagsOf(item));
      if (kind == ikDisk)
        disks.push_back(item);
      else if (kind == ikGroup)
        stack.push_back(item);
    }
  }
  for (const TNodeRec* d : disks) {
    const TNodeRec* h = FieldNode(d);
    const TDiskCounts& c = *countsOf.at(d);
    std::printf("  %s: %s, %lld folders, %lld files, label \"%s\", serial %s, %s\n",
                CatalogItemPath(d).c_str(), FormatSizeUnits(ItemSizeOf(d)).c_str(),
                static_cast<long long>(c.Folders), static_cast<long long>(c.Files),
                decoder.Text(FieldStr(h, kDiskLabel)).c_str(),
                std::string(FieldStr(h, kDiskSerial)).c_str(),
                DriveTypeText(FieldInt(h, kDiskDriveType)).c_str());
  }
  legacy.Print(decoder);
  return 0;
}

const CliCommand kNew{"new", kNewUsage, "Create an empty catalog file", RunNew};
const CliCommand kLs{"ls", kLsUsage,
                     "List the items of a catalog, a disk or a folder (PATH like \"Disk 1\\Docs\")",
                     RunLs};
const CliCommand kInfo{"info", kInfoUsage, "Print a catalog's name, disks and counts", RunInfo};
CliRegistration regNew(kNew);
CliRegistration regLs(kLs);
CliRegistration regInfo(kInfo);

}  // namespace
