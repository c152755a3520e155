// SPDX-License-Identifier: MIT
// The editing commands of the main window without their window: renaming catalogs, groups and
// disks, new groups, deleting groups and disks, removing items, sorting, and moving by drag and
// drop in the tree. Each command changes bdMain, reports the tree rows it touches through
// TEditHost, and marks the catalog changed. The catalog manager and the properties dialog use
// the same editor.
//
// Nodes passed in are nodes of the editor's store. Every command leaves the store's cursor where
// it found it.
//
// Threads: GUI thread only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mainwin/EditHost.h"
#include "store/QDBase.h"

// How a typed name replaces a stored one.
enum class TRenameRule {
  MainWindow,      // a change of letter case alone is stored as typed
  CatalogManager,  // every change passes through UniqueSiblingName, the item itself included
};

// The name to store when the user types `typed` for an item named `old` under `parent`: an empty
// text keeps `old`; an exact match keeps `old`; under MainWindow a change of letter case alone
// gives `typed`; otherwise UniqueSiblingName(typed, parent) (leaving `self` out under
// MainWindow, counting it under CatalogManager, so there "abc" -> "ABC" gives "ABC (2)").
std::string RenamedName(std::string_view old, std::string_view typed, const TNodeRec* parent,
                        const TNodeRec* self, TRenameRule rule);

class TCatalogEditor {
 public:
  // Both must outlive the editor. `bdMain` is the catalog store (InitCatalogStore).
  TCatalogEditor(TQDBase& bdMain, TEditHost& host);

  TQDBase& Store() { return bd_; }
  TEditHost& Host() { return host_; }

  // Keeps the store's cursor for the length of a command: the outermost scope saves it and puts
  // it back on every path out. A cursor left inside an item that DeleteItem released returns to
  // that item's parent, so it never points at a freed node.
  class TScope {
   public:
    explicit TScope(TCatalogEditor& ed);
    ~TScope();
    TScope(const TScope&) = delete;
    TScope& operator=(const TScope&) = delete;

   private:
    TCatalogEditor& ed_;
  };

  // Marks the catalog that holds `node` changed (header slot 12 := 1, slot 6 := now) and, unless
  // `quiet`, refreshes the views. Nothing for nullptr or the store root; false then.
  bool MarkModified(const TNodeRec* node, bool quiet = false);

  // Renames a catalog, group or disk (kind 1 to 3; folders and files keep their names) by the
  // rule, reports the row update and marks the catalog changed when the name changed. Returns the
  // name stored afterwards (what the edit box shows).
  std::string RenameItem(TNodeRec* item, std::string_view typed,
                         TRenameRule rule = TRenameRule::MainWindow);

  // New group (text 10127 made unique among the siblings): appended as the last item of a
  // catalog or group, or inserted into a disk's parent just above the disk. Returns the new group
  // node, nullptr for any other kind.
  TNodeRec* AddGroup(TNodeRec* node);

  // Delete group or disk: asks 10128 with the name; on Yes deletes it, recomputes the totals and
  // marks the catalog changed. Folders and files go to RemoveTreeItem; catalogs are refused
  // (closing is the job of the catalog files). True iff something was deleted.
  bool DeleteDisk(TNodeRec* node);
  // Remove one item below a catalog: asks 10130 with the name; on Yes deletes it, recomputes the
  // totals and marks the catalog changed. True iff deleted.
  bool RemoveTreeItem(TNodeRec* item);
  // Remove several items (the list's remove-from-catalog): asks 10129 once; removes them
  // shallowest first, skipping duplicates, catalogs and items inside an item removed in the same
  // call; marks each catalog touched. Container sizes above are not recomputed. Returns the
  // number removed.
  int RemoveItems(std::vector<TNodeRec*> items);

  // Sorts the groups and disks of a catalog or group by name (AnsiCompareText), and recursively
  // of every group inside; disks are not entered. Reports a Rebuild of the node and marks the
  // catalog changed. False for other kinds.
  bool SortDisks(TNodeRec* node);

  // The drag-over rule: both are catalogs, groups or disks; the target is neither the dragged
  // node nor inside it; both lie in one catalog, or both are catalogs.
  bool CanDrop(const TNodeRec* dragged, const TNodeRec* target) const;
  // Drops `dragged` on `target` when CanDrop allows. Catalogs are reordered (a catalog from above
  // lands right after the target, from below right before it; no catalog is marked). Otherwise
  // the dragged subtree is copied through bdTemp to the end of a target catalog or group, or next
  // to a target disk (before it, after it when both share a parent and the dragged one stood
  // above), and the original deleted; totals recomputed, catalog marked changed. Returns the
  // node now standing for the dragged item, or nullptr when refused.
  //
  // A moved item stays the same item for the lists that name it: the entries of the search
  // results (mlFound) and the user list (mlUserList) that refer to it or to anything inside it
  // name the moved copy afterwards, in their places, and its user-list flags go with it.
  //
  // With `copy` (a drag with Ctrl held) a group or disk is copied instead: the original stays,
  // the copy gets a name unique among its new siblings (UniqueSiblingName) and is no member of
  // any list. Catalogs are never copied (nullptr).
  TNodeRec* Drop(TNodeRec* dragged, TNodeRec* target, bool copy = false);

  // ---- building blocks, also used by the catalog manager and the properties dialog --------------

  // Deletes `item` from its parent: tells the host (SubtreeRemoving, row Remove for a container)
  // and deletes the slot. Nothing else.
  void DeleteItem(TNodeRec* item);
  // Inserts a copy of the root of `temp` (all its slots) as a new item at `slot` of `parent`
  // (InsertSlot, so later items move down; slot = SlotCount appends), reporting the row Insert.
  // Returns the new item.
  TNodeRec* InsertCopy(TQDBase& temp, TNodeRec* parent, int slot);
  // Moves the item at `from` of `parent` to `to` (MoveSlot), reporting the row Move.
  void MoveItem(TNodeRec* parent, int from, int to);
  // Writes the name field of `item` and reports the row update.
  void SetItemName(TNodeRec* item, std::string_view name);
  // Recomputes the totals of the catalog that holds `node`.
  void RecomputeTotalsAt(const TNodeRec* node);

 private:
  // Asks `question` (10128 or 10130) with the item's name and, when confirmed, deletes the item,
  // recomputes its parent's totals and marks the catalog changed.
  bool ConfirmAndDelete(TNodeRec* item, int question);
  // Points the entries of mlFound and mlUserList inside `from` at the same places inside `to`
  // (a deep copy of `from`), and copies the user-list flags over.
  void CarryMarks(TNodeRec* from, TNodeRec* to);
  TQDBase& bd_;
  TEditHost& host_;
  TQDBase temp_;  // bdTemp: scratch space for one copied subtree
  int scopeDepth_ = 0;
  TNodeRec* savedCursor_ = nullptr;
};

// The field node of an item, writable: its header for a container, the item itself for a file.
TNodeRec* MutableFieldNode(TNodeRec* item);
// Sets the category index of `item` and, with `below`, of every item inside it. Returns true when
// any ItemFlags changed.
bool SetItemCategory(TQDBase& bd, TNodeRec* item, int category, bool below);
