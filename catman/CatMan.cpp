// SPDX-License-Identifier: MIT
#include "catman/CatMan.h"

#include <algorithm>

#include "app/Language.h"
#include "app/SizeTexts.h"
#include "catalog/CatalogLayout.h"
#include "mainwin/TreeRows.h"

namespace {

int KindOf(const TNodeRec* item) { return item ? ItemKind(ItemFlagsOf(item)) : 0; }

const TNodeRec* TargetList(const TNodeRec* catalog, int listSlot) {
  return NodeChild(NodeChild(catalog, 0), listSlot);
}

// Maps each used index to the target index of the same name, or to a new entry.
void MapByName(const std::vector<bool>& used, const TNodeRec* source, const TNodeRec* target,
               int listSlot, std::array<int, 256>& table, std::vector<std::string>& added) {
  const TNodeRec* list = TargetList(target, listSlot);
  int firstNew = list && list->SlotCount > 0 ? list->SlotCount : 1;
  for (int i = 1; i < 256; ++i) {
    if (!used[static_cast<size_t>(i)]) continue;
    std::string_view name =
        listSlot == kCatCategories ? CategoryNameOf(source, i) : LocationNameOf(source, i);
    if (name.empty()) continue;  // beyond the source list: no name to carry over
    int found = 0;
    for (int k = 1; list && k < list->SlotCount && !found; ++k)
      if (FieldStr(NodeChild(list, k), kEntryName) == name) found = k;
    if (!found) {
      auto it = std::find(added.begin(), added.end(), name);
      if (it == added.end()) it = added.insert(added.end(), std::string(name));
      found = kNewEntryBase + firstNew + static_cast<int>(it - added.begin());
    }
    table[static_cast<size_t>(i)] = found;
  }
}

}  // namespace

TRemapTables BuildRemapTables(const std::vector<TNodeRec*>& items, const TNodeRec* targetCatalog) {
  TRemapTables t;
  if (items.empty()) return t;
  const TNodeRec* source = CatalogNodeOf(items[0]);
  std::vector<bool> usedCat(256), usedLoc(256);
  for (const TNodeRec* item : items) {
    ForEachItem(item, [&](const TNodeRec* n) {
      const TNodeRec* field = FieldNode(n);
      int32_t flags = FieldInt(field, kFieldFlags);
      usedCat[static_cast<size_t>(ItemCategory(flags))] = true;
      int kind = ItemKind(flags);
      if (IsContainer(n) && (kind == ikGroup || kind == ikDisk)) {
        int loc = FieldInt(field, kHdrLocation);
        if (loc > 0 && loc < 256) usedLoc[static_cast<size_t>(loc)] = true;
      }
    });
  }
  MapByName(usedCat, source, targetCatalog, kCatCategories, t.Category, t.NewCategories);
  MapByName(usedLoc, source, targetCatalog, kCatLocations, t.Location, t.NewLocations);
  return t;
}

bool ResolveRemapTables(TQDBase& bd, TRemapTables& tables, TNodeRec* targetCatalog, bool add) {
  bool appended = false;
  auto resolve = [&](std::array<int, 256>& table, const std::vector<std::string>& names,
                     int listSlot) {
    std::vector<int> position(names.size(), 0);
    if (add && !names.empty()) {
      TNodeRec* saved = bd.CurrentNode();
      bd.GoToNode(targetCatalog);
      bd.EnterChild(0);
      bd.EnterChild(listSlot);
      for (size_t i = 0; i < names.size(); ++i) {
        int slot = std::max(bd.SlotCount(), 1);
        if (listSlot == kCatCategories && slot > 255) break;  // not referable in 8 bits
        bd.NewChild(slot);
        bd.ChildSetStr(slot, kEntryName, names[i]);
        position[i] = slot;
        appended = true;
      }
      bd.GoToNode(saved);
    }
    // New entries were numbered from the list's end in the order of `names`, so the smallest
    // position in the table is that of names[0].
    int firstNew = 0;
    for (int v : table)
      if (v >= kNewEntryBase && (firstNew == 0 || v < firstNew)) firstNew = v;
    for (int& v : table) {
      if (v < kNewEntryBase) continue;
      size_t k = static_cast<size_t>(v - firstNew);
      v = k < position.size() ? position[k] : 0;
    }
  };
  resolve(tables.Category, tables.NewCategories, kCatCategories);
  resolve(tables.Location, tables.NewLocations, kCatLocations);
  tables.NewCategories.clear();
  tables.NewLocations.clear();
  return appended;
}

void RemapSubtree(TQDBase& bd, const TRemapTables& tables) {
  TNodeRec* saved = bd.CurrentNode();
  std::vector<TNodeRec*> nodes;
  ForEachItem(saved, [&](const TNodeRec* n) { nodes.push_back(const_cast<TNodeRec*>(n)); });
  for (TNodeRec* n : nodes) {
    TNodeRec* field = MutableFieldNode(n);
    if (NodeSlotType(field, kFieldFlags) != stInteger) continue;
    int32_t flags = FieldInt(field, kFieldFlags);
    bd.GoToNode(field);
    int cat = ItemCategory(flags);
    if (cat) bd.SetInt(kFieldFlags, WithCategory(flags, tables.Category[static_cast<size_t>(cat)]));
    int kind = ItemKind(flags);
    if (IsContainer(n) && (kind == ikGroup || kind == ikDisk)) {
      int loc = FieldInt(field, kHdrLocation);
      if (loc > 0)
        bd.SetInt(kHdrLocation, loc < 256 ? tables.Location[static_cast<size_t>(loc)] : 0);
    }
  }
  bd.GoToNode(saved);
}

// ---- panels and commands ---------------------------------------------------------------------

std::vector<TNodeRec*> TCatMan::PanelItems(const TNodeRec* destination) {
  std::vector<TNodeRec*> out;
  int rows = TreeRowCount(destination);
  for (int row = 0; row < rows; ++row) out.push_back(TreeRowNode(destination, row));
  return out;
}

TCatMan::TCopyResult TCatMan::CopyItems(const std::vector<TNodeRec*>& selected, TNodeRec* source,
                                        TNodeRec* target, bool move) {
  TCopyResult result;
  if (!source || !target || source == target || selected.empty()) return result;
  TQDBase& bd = ed_.Store();
  TCatalogEditor::TScope scope(ed_);
  // The items to copy: those of the source panel, minus the target and anything containing it.
  std::vector<TNodeRec*> items;
  for (TNodeRec* item : selected) {
    if (!item || item->Parent != source ||
        std::find(items.begin(), items.end(), item) != items.end())
      continue;
    if (item == target || IsInside(target, item)) {
      ++result.Skipped;
      continue;
    }
    items.push_back(item);
  }
  if (items.empty()) return result;

  TNodeRec* targetCatalog = const_cast<TNodeRec*>(CatalogNodeOf(target));
  bool remap = CatalogNodeOf(source) != targetCatalog;
  TRemapTables tables;
  bool listsChanged = false;
  if (remap) {
    tables = BuildRemapTables(items, targetCatalog);
    bool add = false;
    if (tables.NeedsNewEntries()) {
      std::string text = LangText(12703) + " " + LangText(12704);
      add = ed_.Host().Confirm(12703, {}, text);
    }
    listsChanged = ResolveRemapTables(bd, tables, targetCatalog, add);
  }

  std::vector<TNodeRec*> copied;  // sources whose copies exist
  for (TNodeRec* item : items) {
    try {
      temp_.Clear();
      bd.GoToNode(item);
      temp_.AppendFrom(bd);
      temp_.GoToDepth(0);
      if (temp_.SlotType(0) == stNode) {
        temp_.EnterChild(0);
        temp_.SetStr(kFieldName, UniqueSiblingName(ItemName(item), target));
        temp_.GoToDepth(0);
      }
      if (remap) RemapSubtree(temp_, tables);
      TNodeRec* copy = ed_.InsertCopy(temp_, target, std::max(target->SlotCount, 1));
      result.Copies.push_back(copy);
      copied.push_back(item);
    } catch (const std::exception& e) {
      result.Error = e.what();
      break;
    }
  }
  temp_.Clear();
  result.Copied = static_cast<int>(copied.size());
  if (result.Copied || listsChanged) ed_.MarkModified(target, true);
  if (move && !copied.empty()) {
    for (size_t i = copied.size(); i-- > 0;) ed_.DeleteItem(copied[i]);
    result.Deleted = result.Copied;
    ed_.MarkModified(source, true);
  }
  ed_.Host().RefreshViews();
  return result;
}

bool TCatMan::Shift(TNodeRec* item, int delta) {
  if (!item || !item->Parent || TreeRowOf(item) < 0) return false;
  int slot = SlotInParent(item);
  int to = slot + delta;
  if (to < 1 || to > TreeRowCount(item->Parent)) return false;
  ed_.MoveItem(item->Parent, slot, to);
  ed_.MarkModified(item);
  return true;
}

bool TCatMan::MoveUp(TNodeRec* item) { return Shift(item, -1); }
bool TCatMan::MoveDown(TNodeRec* item) { return Shift(item, +1); }

int TCatMan::DeleteItems(const std::vector<TNodeRec*>& selected) {
  if (selected.empty()) return 0;
  if (!ed_.Host().Confirm(12702, {}, LangText(12702))) return 0;
  TCatalogEditor::TScope scope(ed_);
  int deleted = 0;
  const TNodeRec* catalog = nullptr;
  for (size_t i = selected.size(); i-- > 0;) {
    TNodeRec* item = selected[i];
    if (!item || !item->Parent || !item->Parent->Parent) continue;  // never a catalog
    // An item inside one deleted before it in this loop is gone already.
    bool gone = false;
    for (size_t k = i + 1; k < selected.size() && !gone; ++k)
      gone = selected[k] && IsInside(item, selected[k]);
    if (gone) continue;
    TNodeRec* parent = item->Parent;
    catalog = CatalogNodeOf(item);
    ed_.DeleteItem(item);
    ed_.RecomputeTotalsAt(parent);
    ++deleted;
  }
  if (catalog) ed_.MarkModified(catalog);
  return deleted;
}

TNodeRec* TCatMan::NewGroup(TNodeRec* destination) {
  int kind = KindOf(destination);
  if (kind != ikCatalog && kind != ikGroup) return nullptr;
  return ed_.AddGroup(destination);
}

std::string TCatMan::Rename(TNodeRec* item, const std::string& typed) {
  return ed_.RenameItem(item, typed, TRenameRule::CatalogManager);
}

std::string TCatMan::StatusText(bool leftActive, const std::vector<TNodeRec*>& rows,
                                const std::vector<TNodeRec*>& selected) {
  auto sum = [](const std::vector<TNodeRec*>& items) {
    int64_t total = 0;
    for (const TNodeRec* item : items) total += ItemSizeOf(item);
    return total;
  };
  std::string values = std::to_string(rows.size()) + " (" + FormatSizeUnits(sum(rows)) + ") / " +
                       std::to_string(selected.size()) + " (" + FormatSizeUnits(sum(selected)) +
                       ")";
  return (leftActive ? LangText(2402) : LangText(2403)) + " " + LangFormat(12701, values);
}

std::string TCatMan::CopyCaption(bool leftActive) {
  return leftActive ? LangText(2404) + " >>" : "<< " + LangText(2404);
}

std::string TCatMan::MoveCaption(bool leftActive) {
  return leftActive ? LangText(2405) + " >>" : "<< " + LangText(2405);
}
