// SPDX-License-Identifier: MIT
#include "mainwin/CatalogEdit.h"

#include <algorithm>
#include <unordered_set>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"
#include "platform/Collate.h"
#include "platform/DateTime.h"

namespace {

int KindOf(const TNodeRec* item) { return item ? ItemKind(ItemFlagsOf(item)) : 0; }

bool IsCatalogGroupOrDisk(const TNodeRec* item) {
  if (!item || !IsContainer(item)) return false;
  int kind = KindOf(item);
  return kind >= ikCatalog && kind <= ikDisk;
}

int DepthOf(const TNodeRec* node) {
  int depth = 0;
  for (; node && node->Parent; node = node->Parent) ++depth;
  return depth;
}

}  // namespace

TNodeRec* MutableFieldNode(TNodeRec* item) {
  TNodeRec* header = NodeChild(item, 0);
  return header ? header : item;
}

bool SetItemCategory(TQDBase& bd, TNodeRec* item, int category, bool below) {
  if (!item) return false;
  TNodeRec* saved = bd.CurrentNode();
  bool changed = false;
  auto set = [&](TNodeRec* n) {
    TNodeRec* field = MutableFieldNode(n);
    int32_t flags = FieldInt(field, kFieldFlags);
    if (ItemKind(flags) == ikCatalog) return;  // catalogs carry no category
    int32_t updated = WithCategory(flags, category);
    if (updated == flags && NodeSlotType(field, kFieldFlags) == stInteger) return;
    bd.GoToNode(field);
    bd.SetInt(kFieldFlags, updated);
    changed = true;
  };
  if (below)
    ForEachItem(item, set);
  else
    set(item);
  bd.GoToNode(saved);
  return changed;
}

std::string RenamedName(std::string_view old, std::string_view typed, const TNodeRec* parent,
                        const TNodeRec* self, TRenameRule rule) {
  if (typed.empty() || typed == old) return std::string(old);
  if (rule == TRenameRule::MainWindow) {
    if (AnsiSameText(old, typed)) return std::string(typed);
    return UniqueSiblingName(typed, parent, self);
  }
  return UniqueSiblingName(typed, parent, nullptr);
}

// ---- scope --------------------------------------------------------------------------------------

TCatalogEditor::TScope::TScope(TCatalogEditor& ed) : ed_(ed) {
  if (ed_.scopeDepth_++ == 0) ed_.savedCursor_ = ed_.bd_.CurrentNode();
}

TCatalogEditor::TScope::~TScope() {
  if (--ed_.scopeDepth_ == 0) ed_.bd_.GoToNode(ed_.savedCursor_);
}

TCatalogEditor::TCatalogEditor(TQDBase& bdMain, TEditHost& host) : bd_(bdMain), host_(host) {}

// ---- building blocks ---------------------------------------------------------------------------

bool TCatalogEditor::MarkModified(const TNodeRec* node, bool quiet) {
  const TNodeRec* catalog = CatalogNodeOf(node);
  if (!catalog) return false;
  {
    TScope scope(*this);
    bd_.GoToNode(const_cast<TNodeRec*>(catalog));
    MarkCatalogModified(bd_);
  }
  if (!quiet) host_.RefreshViews();
  return true;
}

void TCatalogEditor::RecomputeTotalsAt(const TNodeRec* node) {
  if (!CatalogNodeOf(node)) return;
  TScope scope(*this);
  bd_.GoToNode(const_cast<TNodeRec*>(node));
  RecomputeTotals(bd_);
}

void TCatalogEditor::DeleteItem(TNodeRec* item) {
  if (!item || !item->Parent) return;
  TNodeRec* parent = item->Parent;
  int slot = SlotInParent(item);
  if (slot < 1) return;
  host_.SubtreeRemoving(item);
  TTreeChange change{TTreeChange::TKind::Remove, parent, slot - 1, 1, 0};
  bool isRow = IsContainer(item);
  if (isRow) host_.TreeChanging(change);
  if (scopeDepth_ > 0 && (savedCursor_ == item || IsInside(savedCursor_, item)))
    savedCursor_ = parent;
  {
    TScope scope(*this);
    bd_.GoToNode(parent);
    bd_.DeleteSlot(slot);
  }
  if (isRow) host_.TreeChanged(change);
}

TNodeRec* TCatalogEditor::InsertCopy(TQDBase& temp, TNodeRec* parent, int slot) {
  TScope scope(*this);
  slot = std::clamp(slot, 1, std::max(parent->SlotCount, 1));
  TTreeChange change{TTreeChange::TKind::Insert, parent, slot - 1, 1, 0};
  host_.TreeChanging(change);
  bd_.GoToNode(parent);
  if (slot < parent->SlotCount) bd_.InsertSlot(slot);
  bd_.NewChild(slot);
  bd_.EnterChild(slot);
  TNodeRec* item = bd_.CurrentNode();
  temp.GoToDepth(0);
  try {
    bd_.AppendFrom(temp);
  } catch (...) {
    // A partial copy is no item: the announced row is completed, then taken out again before
    // the caller hears of the failure.
    host_.TreeChanged(change);
    TTreeChange removed{TTreeChange::TKind::Remove, parent, slot - 1, 1, 0};
    host_.TreeChanging(removed);
    bd_.GoToNode(parent);
    bd_.DeleteSlot(slot);
    host_.TreeChanged(removed);
    throw;
  }
  host_.TreeChanged(change);
  return item;
}

void TCatalogEditor::MoveItem(TNodeRec* parent, int from, int to) {
  if (!parent || from == to || from < 1 || to < 1 || from >= parent->SlotCount ||
      to >= parent->SlotCount)
    return;
  TScope scope(*this);
  TTreeChange change{TTreeChange::TKind::Move, parent, from - 1, 1, to - 1};
  host_.TreeChanging(change);
  bd_.GoToNode(parent);
  bd_.MoveSlot(from, to);
  host_.TreeChanged(change);
}

void TCatalogEditor::SetItemName(TNodeRec* item, std::string_view name) {
  TScope scope(*this);
  bd_.GoToNode(MutableFieldNode(item));
  bd_.SetStr(kFieldName, name);
  int row = TreeRowOf(item);
  if (row >= 0) host_.TreeChanged({TTreeChange::TKind::Update, item->Parent, row, 1, 0});
}

// ---- commands ----------------------------------------------------------------------------------

std::string TCatalogEditor::RenameItem(TNodeRec* item, std::string_view typed, TRenameRule rule) {
  if (!IsCatalogGroupOrDisk(item) || !item->Parent) return std::string(item ? ItemName(item) : "");
  std::string old(ItemName(item));
  std::string name = RenamedName(old, typed, item->Parent, item, rule);
  if (name != old) {
    SetItemName(item, name);
    MarkModified(item);
  }
  return name;
}

TNodeRec* TCatalogEditor::AddGroup(TNodeRec* node) {
  if (!IsCatalogGroupOrDisk(node) || !node->Parent) return nullptr;
  TScope scope(*this);
  TNodeRec* parent = node;
  int slot = std::max(node->SlotCount, 1);
  if (KindOf(node) == ikDisk) {
    parent = node->Parent;
    slot = SlotInParent(node);
  }
  std::string name = UniqueSiblingName(LangText(10127), parent);
  TTreeChange change{TTreeChange::TKind::Insert, parent, slot - 1, 1, 0};
  host_.TreeChanging(change);
  bd_.GoToNode(parent);
  if (slot < parent->SlotCount) bd_.InsertSlot(slot);
  bd_.NewChild(slot);
  bd_.EnterChild(slot);
  TNodeRec* group = bd_.CurrentNode();
  WriteGroupHeader(bd_, name, NowDateTime());
  host_.TreeChanged(change);
  MarkModified(group);
  return group;
}

bool TCatalogEditor::DeleteDisk(TNodeRec* node) {
  if (!node || !node->Parent || !node->Parent->Parent) return false;  // nothing, root, catalog
  int kind = KindOf(node);
  if (!IsContainer(node) || (kind != ikGroup && kind != ikDisk)) return RemoveTreeItem(node);
  return ConfirmAndDelete(node, 10128);
}

bool TCatalogEditor::RemoveTreeItem(TNodeRec* item) {
  if (!item || !item->Parent || !item->Parent->Parent) return false;
  return ConfirmAndDelete(item, 10130);
}

bool TCatalogEditor::ConfirmAndDelete(TNodeRec* item, int question) {
  std::string name(ItemName(item));
  if (!host_.Confirm(question, name, LangFormat(question, name))) return false;
  TScope scope(*this);
  TNodeRec* parent = item->Parent;
  DeleteItem(item);
  RecomputeTotalsAt(parent);
  MarkModified(parent);
  return true;
}

int TCatalogEditor::RemoveItems(std::vector<TNodeRec*> items) {
  // Catalogs and the root are never removed here; duplicates count once.
  std::unordered_set<const TNodeRec*> wanted;
  std::vector<std::pair<int, TNodeRec*>> byDepth;
  for (TNodeRec* item : items) {
    int depth = DepthOf(item);
    if (depth < 2 || !wanted.insert(item).second) continue;
    byDepth.push_back({depth, item});
  }
  if (byDepth.empty()) return 0;
  if (!host_.Confirm(10129, {}, LangText(10129))) return 0;
  std::stable_sort(byDepth.begin(), byDepth.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  // Decide what is skipped before anything is released: an item inside another removed item
  // goes with it.
  std::vector<TNodeRec*> order;
  for (auto& [depth, item] : byDepth) {
    bool inside = false;
    for (const TNodeRec* p = item->Parent; p && !inside; p = p->Parent) inside = wanted.count(p);
    if (!inside) order.push_back(item);
  }
  TScope scope(*this);
  std::vector<const TNodeRec*> catalogs;
  for (TNodeRec* item : order) {
    const TNodeRec* catalog = CatalogNodeOf(item);
    if (std::find(catalogs.begin(), catalogs.end(), catalog) == catalogs.end())
      catalogs.push_back(catalog);
    DeleteItem(item);
  }
  for (const TNodeRec* catalog : catalogs) MarkModified(catalog, true);
  host_.RefreshViews();
  return static_cast<int>(order.size());
}

bool TCatalogEditor::SortDisks(TNodeRec* node) {
  int kind = KindOf(node);
  if (!node || !IsContainer(node) || !node->Parent || (kind != ikCatalog && kind != ikGroup))
    return false;
  TScope scope(*this);
  TTreeChange change{TTreeChange::TKind::Rebuild, node, 0, TreeRowCount(node), 0};
  host_.TreeChanging(change);
  std::vector<TNodeRec*> pending{node};
  while (!pending.empty()) {
    TNodeRec* container = pending.back();
    pending.pop_back();
    bd_.GoToNode(container);
    bd_.SortSlots(
        [container](int i, int j) {
          return AnsiCompareText(ItemName(NodeChild(container, i)),
                                 ItemName(NodeChild(container, j)));
        },
        1);
    for (int slot = 1; slot < container->SlotCount; ++slot) {
      TNodeRec* item = NodeChild(container, slot);
      if (item && IsContainer(item) && KindOf(item) == ikGroup) pending.push_back(item);
    }
  }
  host_.TreeChanged(change);
  MarkModified(node);
  return true;
}

bool TCatalogEditor::CanDrop(const TNodeRec* dragged, const TNodeRec* target) const {
  if (!IsCatalogGroupOrDisk(dragged) || !IsCatalogGroupOrDisk(target)) return false;
  if (!dragged->Parent || !target->Parent) return false;
  if (dragged == target || IsInside(target, dragged)) return false;
  bool bothCatalogs = KindOf(dragged) == ikCatalog && KindOf(target) == ikCatalog;
  return bothCatalogs || CatalogNodeOf(dragged) == CatalogNodeOf(target);
}

TNodeRec* TCatalogEditor::Drop(TNodeRec* dragged, TNodeRec* target, bool copy) {
  if (!CanDrop(dragged, target)) return nullptr;
  if (copy && KindOf(dragged) == ikCatalog) return nullptr;
  TScope scope(*this);
  if (KindOf(dragged) == ikCatalog) {
    // Both catalogs: a single MoveSlot puts a catalog from above right after the target and one
    // from below right before it.
    MoveItem(dragged->Parent, SlotInParent(dragged), SlotInParent(target));
    return dragged;
  }
  temp_.Clear();
  bd_.GoToNode(dragged);
  temp_.AppendFrom(bd_);

  TNodeRec* parent = target;
  int slot = std::max(target->SlotCount, 1);
  if (KindOf(target) == ikDisk) {
    parent = target->Parent;
    slot = SlotInParent(target);
    if (dragged->Parent == parent && SlotInParent(dragged) < slot) ++slot;
  }
  if (copy) {
    // The copy's name is made unique among its new siblings before it joins them.
    std::string name = UniqueSiblingName(ItemName(dragged), parent);
    temp_.GoToDepth(0);
    if (temp_.SlotCount() > 0 && temp_.SlotType(0) == stNode) {
      temp_.EnterChild(0);
      temp_.SetStr(kFieldName, name);
      temp_.GoToDepth(0);
    }
    TNodeRec* made = InsertCopy(temp_, parent, slot);
    temp_.Clear();
    RecomputeTotalsAt(made);
    MarkModified(made);
    return made;
  }
  TNodeRec* oldParent = dragged->Parent;
  TNodeRec* moved = InsertCopy(temp_, parent, slot);
  temp_.Clear();
  CarryMarks(dragged, moved);
  DeleteItem(dragged);
  RecomputeTotalsAt(oldParent);
  MarkModified(moved);
  return moved;
}

void TCatalogEditor::CarryMarks(TNodeRec* from, TNodeRec* to) {
  // The copy has the same shape as the original: a node inside `from` is reached in `to` by the
  // same slot path.
  auto counterpart = [from, to](TNodeRec* n) -> TNodeRec* {
    std::vector<int> path;
    for (; n && n != from; n = n->Parent) path.push_back(SlotInParent(n));
    if (n != from) return nullptr;
    TNodeRec* m = to;
    for (auto it = path.rbegin(); it != path.rend() && m; ++it) m = NodeChild(m, *it);
    return m;
  };
  TScope scope(*this);
  for (int list : {mlFound, mlUserList}) {
    if (list >= bd_.MarkListCount()) continue;
    std::vector<TNodeRec*> entries = bd_.MarkList(list);
    bool touched = false;
    for (TNodeRec*& n : entries) {
      TNodeRec* m = n ? counterpart(n) : nullptr;
      if (!m) continue;
      m->NodeFlags = n->NodeFlags;
      n = m;
      touched = true;
    }
    if (!touched) continue;
    // Rebuilt in the same order, so the counts of references stay exact.
    bd_.ClearMarkList(list);
    for (TNodeRec* n : entries) {
      if (!n) continue;
      bd_.GoToNode(n);
      bd_.AddMark(list);
    }
  }
}
