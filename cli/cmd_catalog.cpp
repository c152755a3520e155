// SPDX-License-Identifier: MIT
// tolvane-cli new / ls / info: creating and reading catalogs.
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "app/SizeTexts.h"
#include "catalog/CatalogImage.h"
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

// What info prints, gathered item by item from one walk of the catalog file in place (nothing of
// the catalog's size is built): the catalog's fields, the counts below it and below every disk,
// the disks in catalog order, and how many names are not UTF-8, with the first few of them.
class TInfoWalk {
 public:
  static constexpr size_t kExamples = 5;
  struct TDisk {
    std::string Path, Label, Serial;
    int64_t Size = 0;
    int DriveType = 0;
    int64_t Folders = 0, Files = 0;  // below the disk
  };

  explicit TInfoWalk(const TTextDecoder& decoder) : decoder_(decoder) {}

  void Item(const TImageItem& item) {
    if (item.Depth == 0) {
      const TImageRecord& h = *item.Fields;
      Name = std::string(item.Name());
      Created = h.Float(kFieldCreated);
      Changed = h.Float(kFieldChanged);
      Size = h.Int64(kFieldSize);
      open_.push_back(-1);
      return;
    }
    CountImageItem(item, All);
    ++Names;
    const std::string_view name = item.Name();
    if (TTextDecoder::NeedsDecoding(name)) {
      ++Legacy;
      if (Examples.size() < kExamples) Examples.push_back(PathOf(item));
    }
    if (TTextDecoder::NeedsDecoding(item.Str(kFieldDescription))) ++Descriptions;
    if (!item.Container) return;
    int64_t disk = -1;
    if (ItemKind(item.Flags()) == ikDisk) {
      const TImageRecord& h = *item.Fields;
      disk = static_cast<int64_t>(Disks.size());
      TDisk& d = Disks.emplace_back();
      d.Path = PathOf(item);
      d.Label = decoder_.Text(item.Str(kDiskLabel));
      d.Serial = std::string(item.Str(kDiskSerial));
      d.Size = h.Int64(kFieldSize);
      d.DriveType = h.Int(kDiskDriveType);
      d.Folders = -All.Folders;
      d.Files = -All.Files;
    }
    open_.push_back(disk);
  }
  void Leave() {
    const int64_t disk = open_.back();
    open_.pop_back();
    if (disk < 0) return;
    TDisk& d = Disks[static_cast<size_t>(disk)];
    d.Folders += All.Folders;
    d.Files += All.Files;
  }

  std::string Name;
  double Created = 0, Changed = 0;
  int64_t Size = 0;
  TItemCounts All;
  std::vector<TDisk> Disks;
  int64_t Names = 0, Legacy = 0, Descriptions = 0;
  std::vector<std::string> Examples;

 private:
  std::string PathOf(const TImageItem& item) {
    path_.assign(item.Folders->begin(), item.Folders->end());
    path_.push_back(item.Name());
    return CatalogPathOfNames(path_, decoder_);
  }

  const TTextDecoder& decoder_;
  std::vector<int64_t> open_;  // per open container: its index in Disks, or -1
  std::vector<std::string_view> path_;
};

int RunInfo(const std::vector<std::string>& args) {
  if (args.size() != 1) return Usage(kInfoUsage);
  TCliSession s;
  std::optional<TInfoWalk> info;
  const TTextDecoder* decoder = &CliDecoders().All();
  const bool read = s.Files.ReadFile(
      args[0], [&](std::string_view image, bool mapped, const std::string& fullName) {
        decoder = &CliDecoders().ForFile(fullName);
        info.emplace(*decoder);
        TCatalogImageItems<TInfoWalk> items(*info);
        std::string error;
        return WalkImage(image, items, mapped, error) && items.TopIsContainer();
      });
  if (!read) return 1;
  std::printf("Catalog: %s\n", decoder->Text(info->Name).c_str());
  std::printf("Created: %s\n", FormatDateTime(info->Created).c_str());
  std::printf("Changed: %s\n", FormatDateTime(info->Changed).c_str());
  std::printf("Size: %s bytes (%s)\n", FormatSizeBytes(info->Size).c_str(),
              FormatSizeUnits(info->Size).c_str());
  std::printf("Disks: %lld, folders: %lld, files: %lld\n", static_cast<long long>(info->All.Disks),
              static_cast<long long>(info->All.Folders), static_cast<long long>(info->All.Files));
  for (const TInfoWalk::TDisk& d : info->Disks)
    std::printf("  %s: %s, %lld folders, %lld files, label \"%s\", serial %s, %s\n", d.Path.c_str(),
                FormatSizeUnits(d.Size).c_str(), static_cast<long long>(d.Folders),
                static_cast<long long>(d.Files), d.Label.c_str(), d.Serial.c_str(),
                DriveTypeText(d.DriveType).c_str());
  std::printf("Names not in UTF-8: %lld of %lld", static_cast<long long>(info->Legacy),
              static_cast<long long>(info->Names));
  if (info->Legacy == 0 && info->Descriptions == 0) {
    std::printf("\n");
    return 0;
  }
  std::printf(" (descriptions: %lld), read as %s:\n", static_cast<long long>(info->Descriptions),
              decoder->CodePage().c_str());
  for (const std::string& path : info->Examples) std::printf("  %s\n", path.c_str());
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
