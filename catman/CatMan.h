// SPDX-License-Identifier: MIT
// The catalog manager TfmCatMan without its window: two panels, each showing the groups and disks
// directly inside one destination (a catalog or a group), and the commands between them: copy
// and move (also across catalogs, with category and location indices renumbered by name), up and
// down, delete, new group, rename. Every change goes through the main window's editor, so the
// tree rows and the changed marks follow.
//
// Threads: GUI thread only.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "mainwin/CatalogEdit.h"

// A remapping-table value for a name the target list lacks: position p as p + kNewEntryBase.
inline constexpr int kNewEntryBase = 1000000;

// Category and location indices of a source catalog mapped to those of a target catalog.
struct TRemapTables {
  std::array<int, 256> Category{};
  std::array<int, 256> Location{};
  std::vector<std::string> NewCategories;  // names the target lacks, in the order they get
  std::vector<std::string> NewLocations;
  bool NeedsNewEntries() const { return !NewCategories.empty() || !NewLocations.empty(); }
};

// The tables for copying `items` (of one source catalog) into `targetCatalog`: every category
// index used by the items or anything below them, and every location index used by a group or
// disk among or below them, looked up by name (exact) in the target's lists. A name found maps to
// its index; a missing one to a new entry counted from the end of the target list (an empty list
// first gets its unused slot 0), held as position + kNewEntryBase. Index 0 and names that are
// empty (indices beyond the source list) map to 0.
TRemapTables BuildRemapTables(const std::vector<TNodeRec*>& items, const TNodeRec* targetCatalog);
// Settles the new entries: with `add` the missing names are appended to the target's lists and
// map to their positions (a category beyond index 255 cannot be referenced and maps to 0);
// without, they map to 0. Afterwards every table value is a plain index. True when anything was
// appended.
bool ResolveRemapTables(TQDBase& bd, TRemapTables& tables, TNodeRec* targetCatalog, bool add);
// Replaces the category bits of every ItemFlags in the subtree of the node under `bd`'s cursor
// (the node itself included) and the location of every group and disk there through the tables.
void RemapSubtree(TQDBase& bd, const TRemapTables& tables);

class TCatMan {
 public:
  explicit TCatMan(TCatalogEditor& ed) : ed_(ed) {}

  // The panel rows of a destination: its container items in slot order.
  static std::vector<TNodeRec*> PanelItems(const TNodeRec* destination);

  struct TCopyResult {
    int Copied = 0;
    int Skipped = 0;    // the target itself or an item containing it
    int Deleted = 0;    // sources removed by a move
    std::string Error;  // why a copy failed; empty when all went well
    std::vector<TNodeRec*> Copies;
  };
  // Copy (or move) the `selected` items of `source` into `target`, in the given (panel) order.
  // Nothing happens when source and target are the same or nothing is selected. Across catalogs
  // the remapping tables are built, and when new entries are needed the host is asked (12703
  // and 12704): Yes appends them, No leaves the affected items without. Each copy is appended to
  // the target under a name made unique there. A move then deletes, from the last to the first,
  // the sources whose copies exist; a copy that fails stops the command and leaves its source
  // and every later one in place (Error tells why). Totals are not recomputed.
  TCopyResult CopyItems(const std::vector<TNodeRec*>& selected, TNodeRec* source, TNodeRec* target,
                        bool move);

  // Moves `item` one slot up or down inside its destination. False at the ends.
  bool MoveUp(TNodeRec* item);
  bool MoveDown(TNodeRec* item);

  // Asks 12702; on Yes deletes the selected items from the last to the first, recomputing the
  // totals. Returns the number deleted.
  int DeleteItems(const std::vector<TNodeRec*>& selected);

  // A new group appended to the destination (a catalog or group); nullptr for other kinds.
  TNodeRec* NewGroup(TNodeRec* destination);

  // Renames by the catalog manager's rule (even a change of letter case gets a number when the
  // name is taken, the item itself included). Returns the stored name.
  std::string Rename(TNodeRec* item, const std::string& typed);

  // The status text of the active panel: text 2402 (left) or 2403 (right), a space, then text
  // 12701 formatted with "rows (total size) / selected (their size)".
  static std::string StatusText(bool leftActive, const std::vector<TNodeRec*>& rows,
                                const std::vector<TNodeRec*>& selected);
  // Captions of the copy and move buttons: "Copy >>" when the left panel is active, "<< Copy"
  // when the right one is.
  static std::string CopyCaption(bool leftActive);
  static std::string MoveCaption(bool leftActive);

 private:
  bool Shift(TNodeRec* item, int delta);

  TCatalogEditor& ed_;
  TQDBase temp_;  // bdTemp: one copied subtree
};
