// SPDX-License-Identifier: MIT
#include "search/ItemTexts.h"

#include <cstring>
#include <vector>

#include "app/SizeTexts.h"
#include "catalog/CatalogLayout.h"
#include "catalog/CatalogText.h"
#include "catalog/ItemLabels.h"
#include "platform/DateTime.h"
#include "platform/FileNames.h"

namespace {

bool IsPathContainer(const TNodeRec* n) {
  return IsContainer(n) && ItemKind(ItemFlagsOf(n)) >= ikFolder;
}

// True iff the item has no path (catalogs, groups, disks, and nodes that are not items).
bool HasNoPath(const TNodeRec* item) {
  if (!item || !item->Parent) return true;
  int kind = ItemKind(ItemFlagsOf(item));
  return IsContainer(item) && kind >= ikCatalog && kind <= ikDisk;
}

}  // namespace

std::string ItemPath(const TNodeRec* item) {
  if (HasNoPath(item)) return {};
  // Fill a fixed buffer from its end, innermost name first.
  char buf[kItemPathMax];
  size_t start = kItemPathMax;
  for (const TNodeRec* n = item->Parent; n && n->Parent; n = n->Parent) {
    if (!IsPathContainer(n)) continue;
    std::string_view name = ItemName(n);
    // Room is kept for the leading backslash.
    if (name.size() + 1 > start - 1) break;
    buf[--start] = '\\';
    start -= name.size();
    if (!name.empty()) std::memcpy(buf + start, name.data(), name.size());
  }
  buf[--start] = '\\';
  return std::string(buf + start, kItemPathMax - start);
}

std::string ItemPathText(const TNodeRec* item, const TCatalogDecoders& decoders) {
  std::string raw = ItemPath(item);
  if (!TTextDecoder::NeedsDecoding(raw)) return raw;
  // The names that fit into ItemPath, innermost first, each decoded on its own.
  int depth = ItemPathDepth(item);
  std::vector<std::string_view> names;
  for (const TNodeRec* n = item->Parent; n && n->Parent && int(names.size()) + 1 < depth;
       n = n->Parent)
    if (IsPathContainer(n)) names.push_back(ItemName(n));
  const TTextDecoder& decoder = decoders.For(item);
  std::string out = "\\";
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    out += decoder.Text(*it);
    out += '\\';
  }
  return out;
}

int ItemPathDepth(const TNodeRec* item) {
  if (HasNoPath(item)) return 0;
  int depth = 1;
  size_t used = 1;
  for (const TNodeRec* n = item->Parent; n && n->Parent; n = n->Parent) {
    if (!IsPathContainer(n)) continue;
    size_t len = ItemName(n).size() + 1;
    if (used + len > kItemPathMax) break;
    used += len;
    ++depth;
  }
  return depth;
}

std::string_view ItemDiskName(const TNodeRec* item) {
  const TNodeRec* disk = DiskNodeOf(item);
  return disk ? ItemName(disk) : std::string_view();
}

int ItemDiskType(const TNodeRec* item) {
  const TNodeRec* disk = DiskNodeOf(item);
  return disk ? FieldInt(FieldNode(disk), kDiskDriveType) : 0;
}

std::string DiskTypeText(int code) { return DriveTypeText(code); }

std::string_view ItemCategoryName(const TNodeRec* item) {
  if (!item) return {};
  int c = ItemCategory(ItemFlagsOf(item));
  if (c == 0) return {};
  return CategoryNameOf(CatalogNodeOf(item), c);
}

namespace {
bool IsGroupOrDisk(const TNodeRec* item) {
  if (!item || !IsContainer(item)) return false;
  int kind = ItemKind(ItemFlagsOf(item));
  return kind == ikGroup || kind == ikDisk;
}
}  // namespace

std::string_view ItemLocationName(const TNodeRec* item) {
  if (!IsGroupOrDisk(item)) return {};
  int l = FieldInt(FieldNode(item), kHdrLocation);
  if (l <= 0) return {};
  return LocationNameOf(CatalogNodeOf(item), l);
}

std::string ItemPath(const TQDBase& bd) { return ItemPath(bd.CurrentNode()); }
std::string ItemDiskName(const TQDBase& bd) { return std::string(ItemDiskName(bd.CurrentNode())); }
int ItemDiskType(const TQDBase& bd) { return ItemDiskType(bd.CurrentNode()); }

std::string ItemCategoryName(TQDBase& bd) {
  int c = ItemCategory(ItemFlagsOf(bd.CurrentNode()));
  return c == 0 ? std::string() : CategoryNameAt(bd, c);
}

std::string ItemLocationName(TQDBase& bd) {
  const TNodeRec* item = bd.CurrentNode();
  if (!IsGroupOrDisk(item)) return {};
  int l = FieldInt(FieldNode(item), kHdrLocation);
  return l == 0 ? std::string() : LocationNameAt(bd, l);
}

std::string FirstLineText(std::string_view description) { return FirstLine(description); }

std::string_view NameExtension(std::string_view name) {
  size_t dot = ExtensionDot(name);
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

namespace {
// Files and archives show their name split at the last ".".
bool SplitsExtension(const TNodeRec* item) {
  return !IsContainer(item) || (ItemFlagsOf(item) & ifArchive) != 0;
}
}  // namespace

std::string_view ItemDisplayName(const TNodeRec* item) {
  if (!item) return {};
  std::string_view name = ItemName(item);
  if (!SplitsExtension(item)) return name;
  size_t dot = ExtensionDot(name);
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string_view ItemExtension(const TNodeRec* item) {
  if (!item || !SplitsExtension(item)) return {};
  return NameExtension(ItemName(item));
}

int ContainerImageIndex(const TNodeRec* item) {
  if (!item || !IsContainer(item)) return 0;
  const TNodeRec* h = FieldNode(item);
  int32_t flags = FieldInt(h, kFieldFlags);
  switch (ItemKind(flags)) {
    case ikCatalog:
      return 1;
    case ikGroup:
      return 2;
    case ikDisk: {
      if (!FieldStr(h, kDiskSubFolder).empty()) return 3;
      int type = FieldInt(h, kDiskDriveType);
      return 20 + (type >= 0 && type <= 6 ? type : 0);
    }
    case ikFolder:
      if (flags & ifArchive) return 8;
      if (flags & ifInArchive) return 10;
      return 4;
    default:
      return 0;
  }
}

TItemRowTexts ItemRowTexts(const TNodeRec* item, const TRowTextOptions& options) {
  TItemRowTexts row;
  if (!item) return row;
  const TCatalogDecoders& dec = options.Decoders ? *options.Decoders : DefaultCatalogDecoders();
  auto text = [&](std::string_view bytes) { return dec.Text(item, bytes); };
  const TNodeRec* f = FieldNode(item);
  int32_t flags = FieldInt(f, kFieldFlags);
  int kind = ItemKind(flags);
  bool container = IsContainer(item);
  bool groupOrDisk = container && (kind == ikGroup || kind == ikDisk);
  row.Name = text(ItemDisplayName(item));
  row.Extension = text(ItemExtension(item));
  row.Attributes = AttributeLetters(flags);
  int64_t size = FieldInt64(f, kFieldSize);
  bool shortSize = options.FormattedSizes || (container && kind >= ikCatalog && kind <= ikDisk);
  row.Size = shortSize ? FormatSizeUnits(size) : FormatSizeBytes(size);
  row.Date = FormatDateTime(FieldFloat(f, kFieldChanged));
  if (container)
    row.Icon = 1000000 + ContainerImageIndex(item);
  else
    row.Icon = options.FileIcon ? options.FileIcon(item) : 0;
  row.Description = text(FirstLineText(FieldStr(f, kFieldDescription)));
  row.DiskType = DiskTypeText(ItemDiskType(item));
  row.DiskName = text(ItemDiskName(item));
  if (groupOrDisk) {
    row.Capacity = FormatSizeUnits(FieldInt64(f, kHdrCapacity));
    row.Free = FormatSizeUnits(FieldInt64(f, kHdrFree));
    row.Label = text(FieldStr(f, kDiskLabel));
    row.Location = text(ItemLocationName(item));
  }
  row.Path = ItemPathText(item, dec);
  row.Category = text(ItemCategoryName(item));
  return row;
}
