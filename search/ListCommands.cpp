// SPDX-License-Identifier: MIT
#include "search/ListCommands.h"

#include <algorithm>

#include "catalog/CatalogLayout.h"

std::vector<int> CollectSelected(const TQDBase& bd, const TListRows& view, int list, int offset,
                                 int minKind) {
  std::vector<int> out;
  const auto& marks = bd.MarkList(list);
  int rows = view.RowCount();
  for (int r = std::max(offset, 0); r < rows; ++r) {
    size_t e = static_cast<size_t>(r - offset);
    if (e >= marks.size()) break;
    if (!marks[e] || !view.IsRowSelected(r)) continue;
    if (ItemKind(ItemFlagsOf(marks[e])) >= minKind) out.push_back(static_cast<int>(e));
  }
  return out;
}

TFileOpsState FileOpsState(const TQDBase& bd, const TListRows& view, int list, int offset) {
  TFileOpsState st;
  const auto& marks = bd.MarkList(list);
  for (int e : CollectSelected(bd, view, list, offset, ikFolder)) {
    int32_t flags = ItemFlagsOf(marks[size_t(e)]);
    if (flags & (ifArchive | ifInArchive)) st.Extract = true;
    if (!(flags & ifInArchive)) st.CopyMoveDelete = true;
    if (st.Extract && st.CopyMoveDelete) break;
  }
  return st;
}

namespace {
int DepthOf(const TNodeRec* n) {
  int d = 0;
  for (; n && n->Parent; n = n->Parent) ++d;
  return d;
}
bool IsAtOrBelow(const TNodeRec* n, const TNodeRec* top) {
  for (; n; n = n->Parent)
    if (n == top) return true;
  return false;
}
}  // namespace

int RemoveFromCatalog(TQDBase& bd, const TListRows& view, int list, int offset,
                      const TRemoveHooks& hooks, double now) {
  if (hooks.Confirm && !hooks.Confirm()) return 0;
  std::vector<int> chosen = CollectSelected(bd, view, list, offset, 0);
  if (chosen.empty()) return 0;
  {
    const auto& marks = bd.MarkList(list);
    std::stable_sort(chosen.begin(), chosen.end(), [&](int a, int b) {
      return DepthOf(marks[size_t(a)]) < DepthOf(marks[size_t(b)]);
    });
  }
  TNodeRec* keep = bd.CurrentNode();
  const bool defer = bd.DeferMarkPack;
  bd.DeferMarkPack = true;
  int removed = 0;
  try {
    for (int e : chosen) {
      TNodeRec* item = bd.MarkList(list)[size_t(e)];
      if (!item) continue;  // released with an ancestor removed before
      TNodeRec* parent = item->Parent;
      if (!parent || !parent->Parent) continue;  // a catalog (or the root)
      bd.RemoveMark(list, e);
      bd.GoToNode(item);
      MarkCatalogModified(bd, now);
      if (hooks.BeforeDelete) hooks.BeforeDelete(item);
      if (IsAtOrBelow(keep, item)) keep = parent;
      int slot = SlotInParent(item);
      bd.GoToNode(parent);
      if (slot > 0) {
        bd.DeleteSlot(slot);
        ++removed;
      }
    }
  } catch (...) {
    bd.DeferMarkPack = defer;
    for (int l = 0; l < bd.MarkListCount(); ++l) bd.PackMarkList(l);
    bd.GoToNode(keep);
    throw;
  }
  bd.DeferMarkPack = defer;
  for (int l = 0; l < bd.MarkListCount(); ++l) bd.PackMarkList(l);
  bd.GoToNode(keep);
  if (removed > 0 && hooks.AfterRemove) hooks.AfterRemove();
  return removed;
}
