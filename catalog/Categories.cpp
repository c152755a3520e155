// SPDX-License-Identifier: MIT
#include "catalog/Categories.h"

#include <algorithm>
#include <array>

#include "app/Language.h"
#include "catalog/CatalogLayout.h"
#include "store/CursorGuard.h"

namespace {

int ListSlot(TListKind kind) {
  return kind == TListKind::Categories ? kCatCategories : kCatLocations;
}

std::vector<std::string> NamesOfList(const TNodeRec* list) {
  std::vector<std::string> names;
  if (!list) return names;
  for (int k = 1; k < list->SlotCount; ++k) {
    const TNodeRec* entry = NodeChild(list, k);
    names.emplace_back(entry ? FieldStr(entry, kEntryName) : std::string_view());
  }
  return names;
}

// Moves the cursor onto the list node of the cursor's catalog, creating it. False at the root.
bool EnterList(TQDBase& bd, TListKind kind) {
  if (bd.Depth() == 0) return false;
  bd.GoToDepth(1);
  bd.EnterChild(0);
  if (bd.SlotType(ListSlot(kind)) != stNode) bd.NewChild(ListSlot(kind));
  bd.EnterChild(ListSlot(kind));
  return true;
}

std::vector<std::string> CatalogListNames(TQDBase& bd, TListKind kind) {
  TCursorKeeper keep(bd);
  if (!EnterList(bd, kind)) return {};
  return NamesOfList(bd.CurrentNode());
}

// The new index of every old index 0..255: the position of the first entry keyed i, else 0.
std::array<int, 256> RenumberMap(const TNodeRec* list) {
  std::array<int, 256> map{};
  std::array<bool, 256> seen{};
  for (int k = 1; k < list->SlotCount; ++k) {
    const TNodeRec* entry = NodeChild(list, k);
    if (!entry || NodeSlotType(entry, kEntryKey) != stInteger) continue;
    int key = NodeGetInt(entry, kEntryKey);
    if (key < 1 || key > 255 || seen[static_cast<size_t>(key)]) continue;
    seen[static_cast<size_t>(key)] = true;
    map[static_cast<size_t>(key)] = k;
  }
  return map;
}

int Mapped(const std::array<int, 256>& map, int old) {
  return old >= 0 && old < 256 ? map[static_cast<size_t>(old)] : 0;
}

}  // namespace

std::vector<std::string> CategoryNames(TQDBase& bdMain) {
  return CatalogListNames(bdMain, TListKind::Categories);
}

std::vector<std::string> LocationNames(TQDBase& bdMain) {
  return CatalogListNames(bdMain, TListKind::Locations);
}

std::vector<std::string> WorkingListNames(const TQDBase& working) {
  return NamesOfList(working.RootNode());
}

int ListIndexOrAppend(TQDBase& bdMain, TListKind kind, std::string_view name) {
  if (name.empty()) return 0;
  TCursorKeeper keep(bdMain);
  if (!EnterList(bdMain, kind)) return 0;
  const TNodeRec* list = bdMain.CurrentNode();
  for (int k = 1; k < list->SlotCount; ++k) {
    const TNodeRec* entry = NodeChild(list, k);
    if (entry && FieldStr(entry, kEntryName) == name) return k;
  }
  int k = std::max(bdMain.SlotCount(), 1);
  bdMain.NewChild(k);
  bdMain.ChildSetStr(k, kEntryName, name);
  return k;
}

// ---- TCatSetup
// ---------------------------------------------------------------------------------------

bool TCatSetup::Open(TQDBase& bdMain) {
  if (bdMain.Depth() == 0) return false;
  TCursorKeeper keep(bdMain);
  bdMain.GoToDepth(1);
  catalog_ = bdMain.CurrentNode();
  for (TListKind kind : {TListKind::Categories, TListKind::Locations}) {
    TQDBase& w = Working(kind);
    w.Clear();
    bdMain.GoToDepth(1);
    EnterList(bdMain, kind);
    w.AppendFrom(bdMain);
    w.GoToDepth(0);
    if (w.SlotCount() == 0) w.InsertSlot(0);  // the unused slot 0
    for (int k = 1; k < w.SlotCount(); ++k) {
      // Gaps (a lookup beyond the list extends it with empty slots) become unnamed entries, so
      // entry k stays at slot k.
      if (w.SlotType(k) != stNode) w.NewChild(k);
      w.ChildSetInt(k, kEntryKey, k);
    }
  }
  changed_ = false;
  return true;
}

std::vector<std::string> TCatSetup::Names(TListKind kind) const {
  return WorkingListNames(WorkingC(kind));
}

int TCatSetup::Count(TListKind kind) const {
  int n = WorkingC(kind).RootNode()->SlotCount - 1;
  return n < 0 ? 0 : n;
}

bool TCatSetup::ValidIndex(TListKind kind, int index) const {
  return index >= 0 && index < Count(kind);
}

bool TCatSetup::CanAdd(TListKind kind) const { return Count(kind) <= kListAddLimit; }

int TCatSetup::Add(TListKind kind, std::string_view name) {
  if (!CanAdd(kind)) return -1;
  TQDBase& w = Working(kind);
  w.GoToDepth(0);
  if (w.SlotCount() == 0) w.InsertSlot(0);
  std::string text(name);
  if (text.empty()) text = kind == TListKind::Categories ? LangText(12504) : LangText(12508);
  int slot = w.SlotCount();
  w.NewChild(slot);
  w.ChildSetStr(slot, kEntryName, text);
  changed_ = true;
  return slot - 1;
}

bool TCatSetup::Edit(TListKind kind, int index, std::string_view name) {
  if (!ValidIndex(kind, index)) return false;
  TQDBase& w = Working(kind);
  w.GoToDepth(0);
  if (w.ChildGetStr(index + 1, kEntryName) == name) return false;
  w.ChildSetStr(index + 1, kEntryName, name);
  changed_ = true;
  return true;
}

int TCatSetup::Delete(TListKind kind, int index) {
  if (!ValidIndex(kind, index)) return Count(kind) - 1;
  TQDBase& w = Working(kind);
  w.GoToDepth(0);
  w.DeleteSlot(index + 1);
  changed_ = true;
  return Count(kind) - 1;
}

int TCatSetup::MoveUp(TListKind kind, int index) {
  if (!ValidIndex(kind, index) || index == 0) return index;
  TQDBase& w = Working(kind);
  w.GoToDepth(0);
  w.ExchangeSlots(index + 1, index);
  changed_ = true;
  return index - 1;
}

int TCatSetup::MoveDown(TListKind kind, int index) {
  if (!ValidIndex(kind, index) || index + 1 >= Count(kind)) return index;
  TQDBase& w = Working(kind);
  w.GoToDepth(0);
  w.ExchangeSlots(index + 1, index + 2);
  changed_ = true;
  return index + 1;
}

bool TCatSetup::CopyFrom(TListKind kind, const TNodeRec* otherCatalog) {
  const TNodeRec* header = otherCatalog ? NodeChild(otherCatalog, 0) : nullptr;
  const TNodeRec* list = header ? NodeChild(header, ListSlot(kind)) : nullptr;
  if (!list) return false;
  bool appended = false;
  for (const std::string& name : NamesOfList(list)) {
    std::vector<std::string> present = Names(kind);
    if (std::find(present.begin(), present.end(), name) != present.end()) continue;
    // Copied entries get no key, like added ones (see the file comment).
    if (!CanAdd(kind)) break;
    TQDBase& w = Working(kind);
    w.GoToDepth(0);
    if (w.SlotCount() == 0) w.InsertSlot(0);
    int slot = w.SlotCount();
    w.NewChild(slot);
    w.ChildSetStr(slot, kEntryName, name);
    appended = true;
  }
  if (appended) changed_ = true;
  return appended;
}

bool TCatSetup::Apply(TQDBase& bdMain) {
  const TNodeRec* root = bdMain.RootNode();
  bool open = false;
  for (int i = 1; i < root->SlotCount && !open; ++i) open = NodeChild(root, i) == catalog_;
  if (!catalog_ || !open) return false;
  TCursorKeeper keep(bdMain);

  const std::array<int, 256> catMap = RenumberMap(bdCat_.RootNode());
  const std::array<int, 256> locMap = RenumberMap(bdLoc_.RootNode());

  // 1. The lists become copies of the working copies.
  for (TListKind kind : {TListKind::Categories, TListKind::Locations}) {
    TQDBase& w = Working(kind);
    bdMain.GoToNode(const_cast<TNodeRec*>(catalog_));
    bdMain.EnterChild(0);
    bdMain.NewChild(ListSlot(kind));
    bdMain.EnterChild(ListSlot(kind));
    w.GoToDepth(0);
    bdMain.AppendFrom(w);
  }

  // 2-3. Every item of the catalog gets its new category; groups and disks their new location.
  std::vector<std::pair<const TNodeRec*, int>> stack{{catalog_, 1}};
  while (!stack.empty()) {
    auto& top = stack.back();
    if (top.second >= top.first->SlotCount) {
      stack.pop_back();
      continue;
    }
    TNodeRec* item = NodeChild(top.first, top.second++);
    if (!item) continue;
    TNodeRec* fields = const_cast<TNodeRec*>(FieldNode(item));
    int32_t flags = FieldInt(fields, kFieldFlags);
    int32_t newFlags = WithCategory(flags, Mapped(catMap, ItemCategory(flags)));
    if (newFlags != flags) {
      bdMain.GoToNode(fields);
      bdMain.SetInt(kFieldFlags, newFlags);
    }
    int kind = ItemKind(flags);
    if (IsContainer(item) && (kind == ikGroup || kind == ikDisk)) {
      int32_t loc = FieldInt(fields, kHdrLocation);
      int32_t newLoc = Mapped(locMap, loc);
      if (newLoc != loc) {
        bdMain.GoToNode(fields);
        bdMain.SetInt(kHdrLocation, newLoc);
      }
    }
    if (IsContainer(item)) stack.push_back({item, 1});
  }

  // 5. The catalog is changed.
  bdMain.GoToNode(const_cast<TNodeRec*>(catalog_));
  MarkCatalogModified(bdMain);
  changed_ = false;
  return true;
}

std::string TCatSetup::LimitText(TListKind kind) {
  return kind == TListKind::Categories ? LangText(12501) : LangText(12505);
}
std::string TCatSetup::InputCaption(TListKind kind) {
  return kind == TListKind::Categories ? LangText(12502) : LangText(12506);
}
std::string TCatSetup::InputPrompt(TListKind kind) {
  return kind == TListKind::Categories ? LangText(12503) : LangText(12507);
}
std::string TCatSetup::ConfirmApplyText() { return LangText(12509); }
