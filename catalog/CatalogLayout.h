// SPDX-License-Identifier: MIT
// The catalog layout: how catalogs, disk groups, disks, folders, archives and files lie in a
// TQDBase, and the walks over it (fields, totals, counts, category and location names, paths).
//
// The catalog store bdMain: root slot 0 an empty header, root slots 1..n the open catalogs in tree
// order. A container (catalog, group, disk, folder, archive) has its header (the field node) in
// slot 0 and its items from slot 1, containers before files; a file is a leaf whose own slots
// are its fields. Field slots are the same for every kind: 0 name, 1 ItemFlags, 2-3 size,
// 4-5 created, 6-7 changed, 8 description; the kind-specific slots are listed below.
//
// ItemFlags: bits 0-7 the kind, 8-15 the file-system attribute byte (0x01 read-only, 0x02 hidden,
// 0x04 system, 0x10 directory, 0x20 archive), bit 16 ifArchive, bit 17 ifInArchive, bits 24-31
// the category index.
//
// Threads: as the store: one thread at a time per store. The walks are iterative, so catalogs of
// any depth are safe.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/QDBase.h"

// ---- kinds and flags ---------------------------------------------------------------------------
inline constexpr int ikCatalog = 1;
inline constexpr int ikGroup = 2;
inline constexpr int ikDisk = 3;
inline constexpr int ikFolder = 4;  // a folder, an archive opened as a folder, a folder in one
inline constexpr int ikFile = 100;  // a file, also inside an archive

inline constexpr int32_t ifArchive = 0x10000;    // this container is an archive file on the medium
inline constexpr int32_t ifInArchive = 0x20000;  // this item lies inside an archive listing

// File-system attribute bits (in bits 8-15 of ItemFlags).
inline constexpr int kAttrReadOnly = 0x01;
inline constexpr int kAttrHidden = 0x02;
inline constexpr int kAttrSystem = 0x04;
inline constexpr int kAttrDirectory = 0x10;
inline constexpr int kAttrArchive = 0x20;

inline int ItemKind(int32_t flags) { return flags & 0xFF; }
inline int ItemAttributes(int32_t flags) { return (flags >> 8) & 0xFF; }
inline int ItemCategory(int32_t flags) {
  return static_cast<int>(static_cast<uint32_t>(flags) >> 24);
}
// The ItemFlags of an item of kind `kind` (ik*) whose attribute byte is `attr` (kAttr* bits), with
// `extraFlags` added (ifArchive, ifInArchive); category 0.
inline constexpr int32_t MakeItemFlags(int attr, int kind, int32_t extraFlags = 0) {
  return attr * 256 + kind + extraFlags;
}
// `flags` with the category index replaced by `category` (0..255).
inline int32_t WithCategory(int32_t flags, int category) {
  return static_cast<int32_t>((static_cast<uint32_t>(flags) & 0x00FFFFFFu) |
                              (static_cast<uint32_t>(category & 0xFF) << 24));
}

// ---- field slots -------------------------------------------------------------------------------
inline constexpr int kFieldName = 0;         // stString
inline constexpr int kFieldFlags = 1;        // stInteger, ItemFlags
inline constexpr int kFieldSize = 2;         // stInt64 (2-3)
inline constexpr int kFieldCreated = 4;      // stFloat (4-5)
inline constexpr int kFieldChanged = 6;      // stFloat (6-7)
inline constexpr int kFieldDescription = 8;  // stString, lines separated by CR LF

// Catalog header.
inline constexpr int kCatModified = 12;    // stInteger: 1 while there are unsaved changes
inline constexpr int kCatFileName = 13;    // stString: full path; written empty into the file
inline constexpr int kCatCategories = 14;  // stNode: category list (entries from slot 1)
inline constexpr int kCatLocations = 15;   // stNode: location list (entries from slot 1)

// Group and disk headers.
inline constexpr int kHdrCapacity = 13;  // stInt64: capacity (disk), sum of the disks (group)
inline constexpr int kHdrFree = 15;      // stInt64: free space (disk), sum of the disks (group)
inline constexpr int kHdrLocation = 20;  // stInteger: location index, 0 for none

// Disk header only.
inline constexpr int kDiskDriveType = 12;  // stInteger 0..6
inline constexpr int kDiskLabel = 17;      // stString
inline constexpr int kDiskSerial = 18;     // stString "XXXX-XXXX"
inline constexpr int kDiskSubFolder = 19;  // stString, relative to the volume root

// Entries of the category and location lists: slot 0 the name, slot 1 the setup dialog's key.
inline constexpr int kEntryName = 0;
inline constexpr int kEntryKey = 1;

// ---- mark lists of bdMain, created in this order
// -------------------------------------------------
enum : int {
  mlView = 0,       // items of the container selected in the tree
  mlFound = 1,      // results of the last search
  mlOpSource = 2,   // file operations: working list
  mlOpPending = 3,  // file operations: second working list
  mlSelection = 4,  // the items a command works on
  mlUserList = 5,   // members of the user list
};
inline constexpr int kMainMarkLists = 6;

// Makes `bd` the catalog store: its root gets an empty header at slot 0 (when it has none) and
// the store the six mark lists (those missing are added).
void InitCatalogStore(TQDBase& bd);

// ---- safe cursor-free reads --------------------------------------------------------------------
// The one reader of item fields: like NodeGet*, but a slot of the wrong type (a damaged or foreign
// file) reads as zero instead of throwing; never throws. Inline and straight from the slot arrays,
// for the hot walks (search, list sort, totals).
inline int32_t FieldInt(const TNodeRec* n, int slot) {
  return NodeSlotType(n, slot) == stInteger ? static_cast<int32_t>(n->Cells()[slot].Bits) : 0;
}
// The 64-bit value of the slot pair `slot`, `slot + 1` of types `low` and `high`; 0 otherwise.
inline uint64_t FieldPairBits(const TNodeRec* n, int slot, uint8_t low, uint8_t high) {
  if (NodeSlotType(n, slot) != low || NodeSlotType(n, slot + 1) != high) return 0;
  return uint64_t(n->Cells()[slot].Bits) | (uint64_t(n->Cells()[slot + 1].Bits) << 32);
}
inline int64_t FieldInt64(const TNodeRec* n, int slot) {
  return static_cast<int64_t>(FieldPairBits(n, slot, stInt64, stInt64High));
}
inline double FieldFloat(const TNodeRec* n, int slot) {
  uint64_t bits = FieldPairBits(n, slot, stFloat, stFloatHigh);
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
inline std::string_view FieldStr(const TNodeRec* n, int slot) {
  if (NodeSlotType(n, slot) != stString) return {};
  const TStrBlock* s = n->Cells()[slot].Str();
  return {s->Bytes(), static_cast<size_t>(s->Length)};
}

// ---- items
// ----------------------------------------------------------------------------------------

// True iff `item` is a container (its slot 0 is a node).
inline bool IsContainer(const TNodeRec* item) { return NodeSlotType(item, 0) == stNode; }
// The field node of an item: its header for a container, the item itself for a file.
inline const TNodeRec* FieldNode(const TNodeRec* item) {
  const TNodeRec* h = NodeChild(item, 0);
  return h ? h : item;
}
inline std::string_view ItemName(const TNodeRec* item) {
  return FieldStr(FieldNode(item), kFieldName);
}
inline int32_t ItemFlagsOf(const TNodeRec* item) { return FieldInt(FieldNode(item), kFieldFlags); }
// The kind of an item, 0 for nullptr (no item).
inline int ItemKindOf(const TNodeRec* item) { return item ? ItemKind(ItemFlagsOf(item)) : 0; }
inline int64_t ItemSizeOf(const TNodeRec* item) { return FieldInt64(FieldNode(item), kFieldSize); }

// Orders the items at slots i and j of the node under `bd`'s cursor as a scan writes every folder
// and archive level: folders, then archives, then files; equal ranks by name, case-insensitively
// in the current locale.
int CompareScannedItems(const TQDBase& bd, int i, int j);
// Sorts the items of Current (slots 1 on) as SortSlots with CompareScannedItems does, with the
// same result, but with each name's collation key made once instead of at every comparison. The
// items' NodeTag serves while it sorts and is 0 afterwards.
void SortScannedItems(TQDBase& bd);

// The common fields of an item.
struct TItemFields {
  std::string Name;
  int32_t Flags = 0;
  int64_t Size = 0;
  double Created = 0;
  double Changed = 0;
  std::string Description;
  bool IsContainer = false;
};

// Fields of an item node (container or file). Never throws; damaged slots read as zero.
TItemFields ReadItemFields(const TNodeRec* item);
// Fields of the item in slot `slot` of the node under the cursor; an empty or non-node slot gives
// zero fields. The cursor is not moved.
TItemFields ReadItemFields(const TQDBase& bd, int slot);

// ---- creating nodes
// -------------------------------------------------------------------------------

// Appends a new catalog at the end of bdMain's root: header name, kind 1, modified 0, created and
// changed = `now`. Leaves the cursor on the new catalog node and returns its root slot.
int CreateCatalogNode(TQDBase& bdMain, std::string_view name, double now);
// Writes the header of a new group into the item node under the cursor (slot 0 created): name,
// ItemFlags 2, created and changed = `now`. The cursor is not moved.
void WriteGroupHeader(TQDBase& bd, std::string_view name, double now);

// The header fields of a disk as the add-disk workflow fills them.
struct TDiskHeader {
  std::string Name;
  int Category = 0;
  int64_t Size = 0;
  double Changed = 0;  // added or last updated
  std::string Description;
  int DriveType = 0;
  int64_t Capacity = 0;
  int64_t Free = 0;
  std::string Label;
  std::string Serial = "0000-0000";
  std::string SubFolder;
  int Location = 0;
};
// Writes a disk header into the item node under the cursor (slot 0 created or replaced; the
// disk's items are not touched). The cursor is not moved.
void WriteDiskHeader(TQDBase& bd, const TDiskHeader& disk);

// ---- locating -----------------------------------------------------------------------------------

// The catalog node (depth 1) holding `node`, or nullptr at the root of the store.
const TNodeRec* CatalogNodeOf(const TNodeRec* node);
// The nearest ancestor of `node`, or `node` itself, whose kind is ikDisk; nullptr if none.
const TNodeRec* DiskNodeOf(const TNodeRec* node);
// The slot of `parent` that holds `child`, or -1.
int SlotInParent(const TNodeRec* child);

// Moves the cursor to the catalog (depth 1) of the node under it; false (cursor unmoved) at the
// root.
bool GoToCatalog(TQDBase& bd);

// The tree position of `node`: one index per level from the top, catalog k being root slot k+1
// and child k of a container its slot k+1 (containers precede files, so for containers this is
// the index among the tree children). Empty for the root.
std::vector<int> TreePosition(const TNodeRec* node);

// The path of `item` on its medium: the names of the containers from just below its disk down to
// its parent, each followed by "\", then the item's own name when it is a folder, an archive or a
// file (not for disks, groups, catalogs). Empty for items not below a disk.
std::string MediumPath(const TNodeRec* item);

// ---- categories and locations
// -----------------------------------------------------------------------

// The name of entry `index` of the category list (header slot 14) or location list (slot 15) of the
// catalog that holds the cursor. Index 0 (none) or negative gives "" without lookup. Like every
// EnterChild this creates what is missing: the list node, and empty slots up to index-1 and an
// empty entry at `index` when the list is shorter, whose name reads as empty. The cursor is
// restored. At the root of the store the result is "".
std::string CategoryNameAt(TQDBase& bd, int index);
std::string LocationNameAt(TQDBase& bd, int index);

// Cursor-free, non-creating lookups for lists and the search: "" when the index lies beyond the
// list or is 0.
std::string_view CategoryNameOf(const TNodeRec* catalog, int index);
std::string_view LocationNameOf(const TNodeRec* catalog, int index);

// ---- totals and counts
// ---------------------------------------------------------------------------

// Recomputes the catalog of the node under the cursor bottom-up: slot 2 of every container header
// := the sum of slot 2 of its items (a container item contributes its header's slot 2, a file its
// own), except an ifArchive container, which keeps its own file size (its inner folders are still
// recomputed); slots 13 and 15 of every group header := the sums of slots 13 and 15 of the disks
// below it through nested groups. Nothing at the root. The cursor is restored.
// Sizes are summed with saturation: a total that would pass the int64 range stays at its end.
void RecomputeTotals(TQDBase& bd);

// a + b, held at INT64_MAX (or INT64_MIN) where the true sum lies beyond.
inline int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? INT64_MAX : INT64_MIN;
}

// Disks, folders (archives included) and files below a container, and the capacity and free space
// of the disks; groups count as nothing. The walk descends into every container.
struct TItemCounts {
  int64_t Disks = 0;
  int64_t Folders = 0;
  int64_t Files = 0;
  int64_t Capacity = 0;
  int64_t Free = 0;
};
TItemCounts CountItems(const TNodeRec* container);
// The same counts, and from the same walk the folders and files below every disk met on the way
// (appended to `disks` in walk order; each as CountItems(disk) gives them).
struct TDiskCounts {
  const TNodeRec* Disk;
  int64_t Folders;
  int64_t Files;
};
// With `visit`, the walk also hands it every item below `container`, each before what lies below
// it (the order of a tree listing).
TItemCounts CountItems(const TNodeRec* container, std::vector<TDiskCounts>& disks,
                       const std::function<void(const TNodeRec*)>& visit = {});
// The counts over a set of items (the selection of a command): each item counts itself as the walk
// counts an item, and containers add what lies below them.
TItemCounts CountItems(const std::vector<TNodeRec*>& items);

// ---- modified mark and sibling names
// --------------------------------------------------------------

// Marks the catalog of the node under the cursor changed: header slot 12 := 1, slot 6 := `now`.
// Nothing at the root. The cursor is restored.
void MarkCatalogModified(TQDBase& bd, double now);
// The same with the current local time.
void MarkCatalogModified(TQDBase& bd);

// The name to store for a new or renamed item under the container `parent`:
// - `parent` is the root of the catalog store (top level): a non-empty name unchanged (catalog
//   names may repeat); an empty name becomes text 10001 followed by the smallest n >= 1 such that
//   no catalog has that name;
// - otherwise: the name itself when no container item of `parent` has that name (compared
//   case-insensitively), else name + " (n)" for the smallest n >= 2 that is free.
// `except` is an item of `parent` left out of the comparison (the item being renamed), or nullptr.
std::string UniqueSiblingName(std::string_view name, const TNodeRec* parent,
                              const TNodeRec* except = nullptr);

// Calls visit(node) for `top` and then for every item below it, depth first in slot order.
// Iterative, so any depth is safe; `visit` must not add or remove items.
template <class Node, class Visit>
void ForEachItem(Node* top, Visit&& visit) {
  visit(top);
  if (!IsContainer(top)) return;
  std::vector<std::pair<Node*, int>> stack{{top, 1}};
  while (!stack.empty()) {
    auto [node, next] = stack.back();
    if (next >= node->SlotCount) {
      stack.pop_back();
      continue;
    }
    stack.back().second = next + 1;
    Node* child = NodeChild(node, next);
    if (!child) continue;
    visit(child);
    if (IsContainer(child)) stack.push_back({child, 1});
  }
}

// ---- counting
// --------------------------------------------------------------------------------------

// `start`, plus 1 for every file item, plus Counting(item, start) for every container item of the
// container node `container`; with start = 1 one more than the number of nodes below, with
// start = 0 the number of files below. Iterative: any depth is safe.
int64_t Counting(const TNodeRec* container, int64_t start);

// ---- item path
// ------------------------------------------------------------------------------------

// The path of the item in slot `slot` of the node under `bd`'s cursor on its medium (see MediumPath
// above). The cursor is not moved.
std::string ItemMediumPath(TQDBase& bd, int slot);
