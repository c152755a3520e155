// SPDX-License-Identifier: MIT
#include "mainwin/TreeRows.h"

#include "catalog/CatalogLayout.h"
#include "platform/Collate.h"
#include "search/ItemTexts.h"

int TreeRowCount(const TNodeRec* parent) {
  if (!parent) return 0;
  // Containers precede files in every node, so the rows end at the first slot that is not a
  // container: a binary search keeps this cheap for folders of many sub-folders, which the
  // tree asks for on every repaint.
  auto container = [parent](int slot) {
    const TNodeRec* item = NodeChild(parent, slot);
    return item && IsContainer(item);
  };
  int lo = 1, hi = parent->SlotCount;  // slots lo..hi-1 are undecided
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (container(mid))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo - 1;
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
  int image = ContainerImageIndex(item);
  // Folders, archives and folders in archives have an open image right after the closed one.
  bool folderKind = image == 4 || image == 8 || image == 10;
  return selected && folderKind ? image + 1 : image;
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
