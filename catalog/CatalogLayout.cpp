// SPDX-License-Identifier: MIT
#include "catalog/CatalogLayout.h"

#include <algorithm>

#include "app/Language.h"
#include "platform/Collate.h"
#include "platform/DateTime.h"
#include "store/CursorGuard.h"

namespace {

// The item node in slot `slot` of `n`, or nullptr.
inline const TNodeRec* ItemAt(const TNodeRec* n, int slot) { return NodeChild(n, slot); }

// Writes a 64-bit value into slot `slot` of `node` through the cursor of `bd`.
void SetNodeInt64(TQDBase& bd, TNodeRec* node, int slot, int64_t value) {
  bd.GoToNode(node);
  bd.SetInt64(slot, value);
}

std::string_view ListEntryName(const TNodeRec* catalog, int listSlot, int index) {
  if (!catalog || index <= 0) return {};
  const TNodeRec* header = NodeChild(catalog, 0);
  if (!header) return {};
  const TNodeRec* list = NodeChild(header, listSlot);
  if (!list) return {};
  const TNodeRec* entry = NodeChild(list, index);
  if (!entry) return {};
  return FieldStr(entry, kEntryName);
}

std::string ListEntryNameAt(TQDBase& bd, int listSlot, int index) {
  if (index <= 0 || bd.Depth() == 0) return {};
  TCursorKeeper keep(bd);
  bd.GoToDepth(1);
  bd.EnterChild(0);
  bd.EnterChild(listSlot);
  bd.EnterChild(index);
  return std::string(FieldStr(bd.CurrentNode(), kEntryName));
}

}  // namespace

void InitCatalogStore(TQDBase& bd) {
  bd.GoToDepth(0);
  if (bd.SlotType(0) != stNode) bd.NewChild(0);
  while (bd.MarkListCount() < kMainMarkLists) bd.AddMarkList();
}

TItemFields ReadItemFields(const TNodeRec* item) {
  TItemFields f;
  if (!item) return f;
  f.IsContainer = IsContainer(item);
  const TNodeRec* n = FieldNode(item);
  f.Name = FieldStr(n, kFieldName);
  f.Flags = FieldInt(n, kFieldFlags);
  f.Size = FieldInt64(n, kFieldSize);
  f.Created = FieldFloat(n, kFieldCreated);
  f.Changed = FieldFloat(n, kFieldChanged);
  f.Description = FieldStr(n, kFieldDescription);
  return f;
}

TItemFields ReadItemFields(const TQDBase& bd, int slot) {
  return ReadItemFields(NodeChild(bd.CurrentNode(), slot));
}

int CompareScannedItems(const TQDBase& bd, int i, int j) {
  const TNodeRec* a = NodeChild(bd.CurrentNode(), i);
  const TNodeRec* b = NodeChild(bd.CurrentNode(), j);
  auto rank = [](const TNodeRec* n) {
    if (!n || !IsContainer(n)) return 0;
    return (ItemFlagsOf(n) & ifArchive) ? 1 : 2;
  };
  int ra = rank(a), rb = rank(b);
  if (ra != rb) return ra > rb ? -1 : 1;
  if (!a || !b) return 0;
  return AnsiCompareText(ItemName(a), ItemName(b));
}

void SortScannedItems(TQDBase& bd) {
  TNodeRec* const container = bd.CurrentNode();
  const int count = container->SlotCount;
  if (count <= 2) return;
  // Per item, by its NodeTag (which moves with it): its rank and its name's key, if it has one.
  struct TKey {
    int rank;
    bool hasKey;
    std::string key;
  };
  std::vector<TKey> keys(static_cast<size_t>(count));
  for (int i = 1; i < count; ++i) {
    TNodeRec* item = NodeChild(container, i);
    if (!item) continue;
    item->NodeTag = i;
    TKey& k = keys[static_cast<size_t>(i)];
    k.rank = !IsContainer(item) ? 0 : (ItemFlagsOf(item) & ifArchive) ? 1 : 2;
    k.hasKey = AsciiCollationKey(ItemName(item), k.key);
  }
  bd.SortSlots(
      [&](int i, int j) {
        const TNodeRec* a = NodeChild(container, i);
        const TNodeRec* b = NodeChild(container, j);
        const int ra = a ? keys[static_cast<size_t>(a->NodeTag)].rank : 0;
        const int rb = b ? keys[static_cast<size_t>(b->NodeTag)].rank : 0;
        if (ra != rb) return ra > rb ? -1 : 1;
        if (!a || !b) return 0;
        const TKey& ka = keys[static_cast<size_t>(a->NodeTag)];
        const TKey& kb = keys[static_cast<size_t>(b->NodeTag)];
        if (ka.hasKey && kb.hasKey) {
          int c = std::string_view(ka.key).compare(kb.key);
          return c < 0 ? -1 : c > 0 ? 1 : 0;
        }
        return AnsiCompareText(ItemName(a), ItemName(b));
      },
      1);
  for (int i = 1; i < count; ++i)
    if (TNodeRec* item = NodeChild(container, i)) item->NodeTag = 0;
}

int CreateCatalogNode(TQDBase& bdMain, std::string_view name, double now) {
  bdMain.GoToDepth(0);
  int slot = std::max(bdMain.SlotCount(), 1);
  bdMain.NewChild(slot);
  bdMain.EnterChild(slot);
  bdMain.EnterChild(0);
  bdMain.SetStr(kFieldName, name);
  bdMain.SetInt(kFieldFlags, ikCatalog);
  bdMain.SetFloat(kFieldCreated, now);
  bdMain.SetFloat(kFieldChanged, now);
  bdMain.SetInt(kCatModified, 0);
  bdMain.Up();
  return slot;
}

void WriteGroupHeader(TQDBase& bd, std::string_view name, double now) {
  bd.NewChild(0);
  bd.EnterChild(0);
  bd.SetStr(kFieldName, name);
  bd.SetInt(kFieldFlags, ikGroup);
  bd.SetFloat(kFieldCreated, now);
  bd.SetFloat(kFieldChanged, now);
  bd.Up();
}

void WriteDiskHeader(TQDBase& bd, const TDiskHeader& disk) {
  bd.NewChild(0);
  bd.EnterChild(0);
  bd.SetStr(kFieldName, disk.Name);
  bd.SetInt(kFieldFlags, WithCategory(ikDisk, disk.Category));
  bd.SetInt64(kFieldSize, disk.Size);
  bd.SetFloat(kFieldChanged, disk.Changed);
  bd.SetStr(kFieldDescription, disk.Description);
  bd.SetInt(kDiskDriveType, disk.DriveType);
  bd.SetInt64(kHdrCapacity, disk.Capacity);
  bd.SetInt64(kHdrFree, disk.Free);
  bd.SetStr(kDiskLabel, disk.Label);
  bd.SetStr(kDiskSerial, disk.Serial);
  bd.SetStr(kDiskSubFolder, disk.SubFolder);
  bd.SetInt(kHdrLocation, disk.Location);
  bd.Up();
}

// ---- locating ----------------------------------------------------------------------------------

const TNodeRec* CatalogNodeOf(const TNodeRec* node) {
  if (!node || !node->Parent) return nullptr;
  while (node->Parent->Parent) node = node->Parent;
  return node;
}

const TNodeRec* DiskNodeOf(const TNodeRec* node) {
  for (; node && node->Parent; node = node->Parent)
    if (IsContainer(node) && ItemKind(ItemFlagsOf(node)) == ikDisk) return node;
  return nullptr;
}

int SlotInParent(const TNodeRec* child) {
  const TNodeRec* p = child ? child->Parent : nullptr;
  if (!p) return -1;
  const uint8_t* types = p->Types();
  for (int i = 0; i < p->SlotCount; ++i)
    if (types[i] == stNode && p->Cells()[i].Node() == child) return i;
  return -1;
}

bool GoToCatalog(TQDBase& bd) {
  if (bd.Depth() == 0) return false;
  bd.GoToDepth(1);
  return true;
}

std::vector<int> TreePosition(const TNodeRec* node) {
  std::vector<int> pos;
  for (; node && node->Parent; node = node->Parent) pos.push_back(SlotInParent(node) - 1);
  std::reverse(pos.begin(), pos.end());
  return pos;
}

std::string MediumPath(const TNodeRec* item) {
  if (!item || !DiskNodeOf(item->Parent)) return {};
  std::vector<std::string_view> parts;
  int kind = ItemKind(ItemFlagsOf(item));
  if (!IsContainer(item) || kind == ikFolder) parts.push_back(ItemName(item));
  for (const TNodeRec* n = item->Parent; n && n->Parent; n = n->Parent) {
    if (ItemKind(ItemFlagsOf(n)) == ikDisk) break;
    parts.push_back(ItemName(n));
  }
  std::string path;
  for (size_t i = parts.size(); i-- > 0;) {
    path += parts[i];
    if (i > 0) path += '\\';
  }
  return path;
}

// ---- categories and locations
// -----------------------------------------------------------------------

std::string CategoryNameAt(TQDBase& bd, int index) {
  return ListEntryNameAt(bd, kCatCategories, index);
}
std::string LocationNameAt(TQDBase& bd, int index) {
  return ListEntryNameAt(bd, kCatLocations, index);
}

std::string_view CategoryNameOf(const TNodeRec* catalog, int index) {
  return ListEntryName(catalog, kCatCategories, index);
}
std::string_view LocationNameOf(const TNodeRec* catalog, int index) {
  return ListEntryName(catalog, kCatLocations, index);
}

// ---- totals and counts
// ---------------------------------------------------------------------------

void RecomputeTotals(TQDBase& bd) {
  if (bd.Depth() == 0) return;
  TCursorKeeper keep(bd);
  bd.GoToDepth(1);
  TNodeRec* catalog = bd.CurrentNode();
  if (!IsContainer(catalog)) return;

  // Post-order walk over containers with an explicit stack. Each frame sums the sizes of its
  // items; groups also sum capacity and free space of the disks below them.
  struct Frame {
    TNodeRec* node;
    int next;
    int64_t size, capacity, free;
  };
  std::vector<Frame> stack;
  stack.push_back({catalog, 1, 0, 0, 0});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next < f.node->SlotCount) {
      TNodeRec* item = NodeChild(f.node, f.next++);
      if (!item) continue;
      if (IsContainer(item)) {
        stack.push_back({item, 1, 0, 0, 0});
      } else {
        f.size = SaturatingAdd(f.size, FieldInt64(item, kFieldSize));
      }
      continue;
    }
    // All items summed: store the totals and hand them to the parent.
    Frame done = f;
    stack.pop_back();
    TNodeRec* header = NodeChild(done.node, 0);
    int32_t flags = FieldInt(header, kFieldFlags);
    int kind = ItemKind(flags);
    int64_t size = done.size;
    if (flags & ifArchive) {
      size = FieldInt64(header, kFieldSize);  // an archive keeps its own file size
    } else if (FieldInt64(header, kFieldSize) != size ||
               NodeSlotType(header, kFieldSize) != stInt64) {
      SetNodeInt64(bd, header, kFieldSize, size);
    }
    int64_t capacity = done.capacity, free = done.free;
    if (kind == ikGroup) {
      SetNodeInt64(bd, header, kHdrCapacity, capacity);
      SetNodeInt64(bd, header, kHdrFree, free);
    } else if (kind == ikDisk) {
      capacity = FieldInt64(header, kHdrCapacity);
      free = FieldInt64(header, kHdrFree);
    }
    if (!stack.empty()) {
      Frame& parent = stack.back();
      parent.size = SaturatingAdd(parent.size, size);
      parent.capacity = SaturatingAdd(parent.capacity, capacity);
      parent.free = SaturatingAdd(parent.free, free);
    }
  }
}

namespace {

// Counts one item as the walk counts it: a file, a disk (with its capacity and free space) or a
// folder; groups and catalogs count as nothing.
void CountOne(const TNodeRec* item, TItemCounts& c) {
  if (!IsContainer(item)) {
    ++c.Files;
    return;
  }
  const TNodeRec* header = NodeChild(item, 0);
  int kind = ItemKind(FieldInt(header, kFieldFlags));
  if (kind == ikDisk) {
    ++c.Disks;
    c.Capacity = SaturatingAdd(c.Capacity, FieldInt64(header, kHdrCapacity));
    c.Free = SaturatingAdd(c.Free, FieldInt64(header, kHdrFree));
  } else if (kind == ikFolder) {
    ++c.Folders;
  }
}

// With `disks`, a disk's folders and files are the walk's counts when it leaves the disk less
// those when it entered it.
void CountBelow(const TNodeRec* container, TItemCounts& c,
                std::vector<TDiskCounts>* disks = nullptr,
                const std::function<void(const TNodeRec*)>* visit = nullptr) {
  struct Frame {
    const TNodeRec* node;
    int next;
    int64_t disk;  // index in `disks`, or -1
  };
  std::vector<Frame> stack;
  stack.push_back({container, 1, -1});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next >= f.node->SlotCount) {
      if (f.disk >= 0) {
        TDiskCounts& d = (*disks)[static_cast<size_t>(f.disk)];
        d.Folders += c.Folders;
        d.Files += c.Files;
      }
      stack.pop_back();
      continue;
    }
    const TNodeRec* item = ItemAt(f.node, f.next++);
    if (!item) continue;
    CountOne(item, c);
    if (visit) (*visit)(item);
    if (IsContainer(item)) {
      int64_t disk = -1;
      if (disks && ItemKind(FieldInt(NodeChild(item, 0), kFieldFlags)) == ikDisk) {
        disk = static_cast<int64_t>(disks->size());
        disks->push_back({item, -c.Folders, -c.Files});
      }
      stack.push_back({item, 1, disk});  // may invalidate f; it is not used after this
    }
  }
}

}  // namespace

TItemCounts CountItems(const TNodeRec* container) {
  TItemCounts c;
  if (container && IsContainer(container)) CountBelow(container, c);
  return c;
}

TItemCounts CountItems(const TNodeRec* container, std::vector<TDiskCounts>& disks,
                       const std::function<void(const TNodeRec*)>& visit) {
  TItemCounts c;
  if (container && IsContainer(container))
    CountBelow(container, c, &disks, visit ? &visit : nullptr);
  return c;
}

TItemCounts CountItems(const std::vector<TNodeRec*>& items) {
  TItemCounts c;
  for (const TNodeRec* item : items) {
    if (!item) continue;
    CountOne(item, c);
    if (IsContainer(item)) CountBelow(item, c);
  }
  return c;
}

// ---- modified mark and sibling names
// --------------------------------------------------------------

void MarkCatalogModified(TQDBase& bd, double now) {
  if (bd.Depth() == 0) return;
  TCursorKeeper keep(bd);
  bd.GoToDepth(1);
  bd.EnterChild(0);
  bd.SetInt(kCatModified, 1);
  bd.SetFloat(kFieldChanged, now);
}

void MarkCatalogModified(TQDBase& bd) { MarkCatalogModified(bd, NowDateTime()); }

std::string UniqueSiblingName(std::string_view name, const TNodeRec* parent,
                              const TNodeRec* except) {
  auto taken = [&](std::string_view candidate) {
    if (!parent) return false;
    for (int i = 1; i < parent->SlotCount; ++i) {
      const TNodeRec* item = NodeChild(parent, i);
      if (!item || item == except || !IsContainer(item)) continue;
      std::string_view other = ItemName(item);
      if (AnsiSameText(other, candidate)) return true;
    }
    return false;
  };
  bool topLevel = !parent || !parent->Parent;
  if (topLevel) {
    if (!name.empty()) return std::string(name);
    std::string base = LangText(10001);
    for (int n = 1;; ++n) {
      std::string candidate = base + std::to_string(n);
      if (!taken(candidate)) return candidate;
    }
  }
  if (!taken(name)) return std::string(name);
  for (int n = 2;; ++n) {
    std::string candidate = std::string(name) + " (" + std::to_string(n) + ")";
    if (!taken(candidate)) return candidate;
  }
}

// ---- counting
// --------------------------------------------------------------------------------------

int64_t Counting(const TNodeRec* container, int64_t start) {
  // Counting(c, a) = a * (containers in c's subtree, c included) + files in it.
  if (!container) return 0;
  int64_t containers = 1, files = 0;
  std::vector<std::pair<const TNodeRec*, int>> stack{{container, 1}};
  while (!stack.empty()) {
    auto& top = stack.back();
    if (top.second >= top.first->SlotCount) {
      stack.pop_back();
      continue;
    }
    const TNodeRec* item = NodeChild(top.first, top.second++);
    if (!item) continue;
    if (IsContainer(item)) {
      ++containers;
      stack.push_back({item, 1});
    } else {
      ++files;
    }
  }
  return start * containers + files;
}

// ---- item path
// ------------------------------------------------------------------------------------

std::string ItemMediumPath(TQDBase& bd, int slot) {
  return MediumPath(NodeChild(bd.CurrentNode(), slot));
}
