// SPDX-License-Identifier: MIT
// Categories and locations: the two per-catalog name lists, and the logic of the catalog setup
// dialog TfmCatSetup that edits working copies of them and applies the result with every
// reference in the catalog renumbered.
//
// A list is the node in catalog header slot 14 (categories) or 15 (locations): slot 0 unused,
// entry k at slot k with slot 0 its name and slot 1 the dialog's working key. An item refers to
// category k through bits 24-31 of its ItemFlags; a group or disk to location k through header
// slot 20. Index 0 means none.
//
// Keys. When the dialog opens, every entry gets its own index as key; entries added or copied
// from another catalog while it is open get no key (slot 1 left empty). On apply, old index i
// maps to the new position of the entry keyed i, or to 0 when no entry carries that key (it was
// deleted). Index 0 always maps to 0. Since only entries present at opening carry keys, and each
// a distinct one, an added or copied entry can never inherit the items of a deleted one.
//
// Threads: GUI thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/QDBase.h"

enum class TListKind { Categories, Locations };

// The dialog adds an entry only while its list holds at most this many entries.
inline constexpr int kListAddLimit = 250;

// Names of entries 1..n-1 of the category or location list of the catalog that holds bdMain's
// cursor (the list node is created empty when the catalog has none). Empty at the root. The
// cursor is restored.
std::vector<std::string> CategoryNames(TQDBase& bdMain);
std::vector<std::string> LocationNames(TQDBase& bdMain);
// Names of the list held at the root of a working store (root slot 0 unused).
std::vector<std::string> WorkingListNames(const TQDBase& working);

// The index of the entry named `name` (exact) in the list of `kind` of the catalog that holds the
// cursor, appending a new entry at the end when there is none; 0 for an empty name. Used when
// items receive a name from another catalog or from the properties dialog: existing indices
// never change. The cursor is restored.
int ListIndexOrAppend(TQDBase& bdMain, TListKind kind, std::string_view name);

// The catalog setup dialog without its window. Indices of entries are list-box indices
// (0 = entry 1).
class TCatSetup {
 public:
  // Copies the lists of the catalog that holds bdMain's cursor into the working copies and keys
  // each entry with its index. False (nothing opened) at the root.
  bool Open(TQDBase& bdMain);

  std::vector<std::string> Names(TListKind kind) const;
  int Count(TListKind kind) const;
  bool Changed() const { return changed_; }
  // The working copy (bdCat or bdLoc): root slot 0 unused, entries from slot 1.
  TQDBase& Working(TListKind kind) { return kind == TListKind::Categories ? bdCat_ : bdLoc_; }

  // Whether another entry may be added (the list holds at most 250 entries).
  bool CanAdd(TListKind kind) const;
  // Appends an entry (an empty name becomes text 12504 or 12508) without a key. Returns its index,
  // or -1 when CanAdd is false.
  int Add(TListKind kind, std::string_view name);
  // Renames entry `index` when `name` differs exactly (an empty name is accepted). True if changed.
  bool Edit(TListKind kind, int index, std::string_view name);
  // Removes entry `index`; returns the new selection (the last entry) or -1 when the list is empty.
  int Delete(TListKind kind, int index);
  // Exchanges entry `index` with the one above or below; returns the entry's new index.
  int MoveUp(TListKind kind, int index);
  int MoveDown(TListKind kind, int index);
  // Appends, in that catalog's order, every entry of the corresponding list of `otherCatalog` (a
  // catalog node of bdMain) whose name (exact) is not yet in the working list, while CanAdd.
  // True if anything was appended.
  bool CopyFrom(TListKind kind, const TNodeRec* otherCatalog);

  // Replaces the catalog's lists by the working copies, renumbers every category reference of
  // the catalog's items and every location reference of its groups and disks, and marks the
  // catalog modified. False (nothing done) when the catalog is no longer open. The cursor of
  // bdMain is restored.
  bool Apply(TQDBase& bdMain);

  // Texts of the dialog: the limit message, the input box caption, prompt and default name.
  static std::string LimitText(TListKind kind);
  static std::string InputCaption(TListKind kind);
  static std::string InputPrompt(TListKind kind);
  static std::string ConfirmApplyText();

 private:
  const TQDBase& WorkingC(TListKind kind) const {
    return kind == TListKind::Categories ? bdCat_ : bdLoc_;
  }
  bool ValidIndex(TListKind kind, int index) const;

  TQDBase bdCat_;
  TQDBase bdLoc_;
  const TNodeRec* catalog_ = nullptr;
  bool changed_ = false;
};
