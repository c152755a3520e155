// SPDX-License-Identifier: MIT
#include "mainwin/TreeRows.h"

#include "catalog/CatalogLayout.h"
#include "platform/Collate.h"

int TreeRowCount(const TNodeRec* parent) {
  if (!parent) return 0;
  int n = 0;
  for (int slot = 1; slot < parent->SlotCount; ++slot) {
    const TNodeRec* item = NodeChild(parent, slot);
    if (!item || !IsContainer(item)) break;
    ++n;
  }
  return n;
}

TNodeRec* TreeRowNode(const TNodeRec* parent, int row) {
  if (!parent || row < 0 || row + 1 >= parent->SlotCount) return nullptr;
  TNodeRec* item = NodeChild(parent, row + 1);
  return item && IsContainer(item) ? item : nullptr;
}

int TreeRowOf(const TNodeRec* item) {
  if (!item || !item->Parent || !IsContainer(item)) return -1;
  int slot = SlotInParent(item);
  return slot > 0 ? slot - 1 : -1;
}

int TreeImageIndex(const TNodeRec* item, bool selected) {
  if (!item || !IsContainer(item)) return 0;
  const TNodeRec* header = FieldNode(item);
  int32_t flags = FieldInt(header, kFieldFlags);
  switch (ItemKind(flags)) {
    case ikCatalog:
      return 1;
    case ikGroup:
      return 2;
    case ikDisk: {
      if (!FieldStr(header, kDiskSubFolder).empty()) return 3;
      int type = FieldInt(header, kDiskDriveType);
      return 20 + (type >= 0 && type <= 6 ? type : 0);
    }
    case ikFolder:
      if (flags & ifArchive) return selected ? 9 : 8;
      if (flags & ifInArchive) return selected ? 11 : 10;
      return selected ? 5 : 4;
    default:
      return 0;
  }
}

int FindSiblingByText(std::string_view text, const TNodeRec* parent) {
  int rows = TreeRowCount(parent);
  for (int row = 0; row < rows; ++row)
    if (AnsiSameText(ItemName(TreeRowNode(parent, row)), text)) return row;
  return -1;
}

bool IsInside(const TNodeRec* node, const TNodeRec* ancestor) {
  if (!node || !ancestor) return false;
  for (const TNodeRec* p = node->Parent; p; p = p->Parent)
    if (p == ancestor) return true;
  return false;
}
