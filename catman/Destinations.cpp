// SPDX-License-Identifier: MIT
#include "catman/Destinations.h"

#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"

std::vector<TDestEntry> ListDestinations(const TQDBase& bdMain, int maxKind) {
  std::vector<TDestEntry> out;
  struct Frame {
    TNodeRec* node;
    int next;
    int level;
  };
  std::vector<Frame> stack{{bdMain.RootNode(), 1, -1}};
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next >= f.node->SlotCount) {
      stack.pop_back();
      continue;
    }
    TNodeRec* item = NodeChild(f.node, f.next++);
    if (!item || !IsContainer(item)) continue;
    int kind = ItemKind(ItemFlagsOf(item));
    int level = f.level + 1;
    bool listed = level == 0 ? kind == ikCatalog : kind >= ikGroup && kind <= maxKind;
    if (!listed) continue;
    out.push_back({std::string(ItemName(item)), kind, level, item, TreeImageIndex(item)});
    if (kind != ikDisk) stack.push_back({item, 1, level});  // invalidates f
  }
  return out;
}

int FindDestination(const std::vector<TDestEntry>& entries, const TNodeRec* node) {
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i].Node == node) return static_cast<int>(i);
  return -1;
}
