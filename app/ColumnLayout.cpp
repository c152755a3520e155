// SPDX-License-Identifier: MIT
#include "app/ColumnLayout.h"

#include <algorithm>

#include "store/QDBase.h"

namespace {

// An integer slot of the record, 0 when it holds anything else.
int32_t RecordInt(const TNodeRec* record, int slot) {
  return NodeSlotType(record, slot) == stInteger ? NodeGetInt(record, slot) : 0;
}

}  // namespace

void SaveColumnLayout(TQDBase& bd, const TColumnLayout& layout) {
  bd.PushPos();
  try {
    bd.NewChild(0);
    bd.EnterChild(0);
    for (size_t c = 0; c < layout.Width.size(); ++c) {
      int slot = static_cast<int>(2 * c);
      bd.SetInt(slot, layout.Width[c]);
      bd.SetInt(slot + 1, c < layout.Position.size() ? layout.Position[c] : static_cast<int>(c));
    }
    bd.Up();
    bd.SetInt(1, layout.SortColumn);
    bd.SetInt(2, layout.SortDirection);
  } catch (...) {
    bd.PopPos();
    throw;
  }
  bd.PopPos();
}

bool LoadColumnLayout(TQDBase& bd, TColumnLayout& layout) {
  const int n = static_cast<int>(layout.Width.size());
  // The display order, by build index: each column starts at its build index.
  std::vector<int> order(static_cast<size_t>(n));
  for (int c = 0; c < n; ++c) order[static_cast<size_t>(c)] = c;
  layout.Position = order;
  const TNodeRec* record = bd.CurrentNode();
  const TNodeRec* table = NodeChild(record, 0);
  if (!table) return false;
  for (int p = 0; p < n; ++p) {
    int found = -1;
    for (int c = 0; c < n && found < 0; ++c) {
      if (NodeSlotType(table, 2 * c + 1) == stInteger && NodeGetInt(table, 2 * c + 1) == p)
        found = c;
    }
    if (found < 0 || NodeSlotType(table, 2 * found) != stInteger) break;
    int width = NodeGetInt(table, 2 * found);
    if (width < 0) break;
    // Move column `found` to display position p; the columns between shift by one.
    auto it = std::find(order.begin(), order.end(), found);
    order.erase(it);
    order.insert(order.begin() + p, found);
    layout.Width[static_cast<size_t>(found)] = width;
  }
  for (int p = 0; p < n; ++p)
    layout.Position[static_cast<size_t>(order[static_cast<size_t>(p)])] = p;
  int sort = RecordInt(record, 1);
  if (sort >= 0 && sort < n) layout.SortColumn = sort;
  layout.SortDirection = RecordInt(record, 2) != 0 ? 1 : 0;
  return true;
}
