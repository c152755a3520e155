// SPDX-License-Identifier: MIT
// How the editing commands of the main window, the properties dialog and the catalog manager talk
// to the windows around them: questions, row changes of the catalog tree, the search window and
// the refresh of the item lists. The GUI implements TEditHost with its dialogs and its tree model;
// tests implement it with scripted answers and a change log.
//
// Tree rows. The catalog tree shows container items only: the rows under a store node P are the
// container items of P, row i standing for slot i+1 (containers precede files in every node);
// the top-level rows are the open catalogs, whose parent is the root of the catalog store. Every
// command that inserts, moves, removes or renames such an item calls TreeChanging before it
// touches the store and TreeChanged afterwards with the same record, so a Qt model can pair them
// with beginInsertRows/endInsertRows and the like.
//
// Threads: GUI thread only.
#pragma once

#include <string>

struct TNodeRec;

struct TTreeChange {
  enum class TKind {
    Insert,   // rows First .. First+Count-1 of Parent are new
    Remove,   // rows First .. First+Count-1 of Parent go
    Move,     // row First of Parent moves so that it ends at row DestRow of the same parent
    Update,   // the text or image of row First of Parent changed (TreeChanged only)
    Rebuild,  // the rows below Parent were reordered, at every depth (sorting)
  };
  TKind Kind = TKind::Update;
  const TNodeRec* Parent = nullptr;  // the store node whose rows change; the store root at the top
  int First = 0;
  int Count = 1;
  int DestRow = 0;  // Move: the row the moved item occupies afterwards

  // Move in the convention of QAbstractItemModel::beginMoveRows: the row before which the moved
  // row is placed, counted before the move.
  int QtDestChild() const { return DestRow > First ? DestRow + 1 : DestRow; }
};

class TEditHost {
 public:
  virtual ~TEditHost() = default;

  // A confirmation: the numbered text `number` formatted with `arg` (the dialog shows `text`).
  // True only for Yes.
  virtual bool Confirm(int number, const std::string& arg, const std::string& text) = 0;

  // Row changes of the catalog tree (see above). Update is announced only after the change.
  virtual void TreeChanging(const TTreeChange&) {}
  virtual void TreeChanged(const TTreeChange&) {}

  // The subtree of `item` is about to be deleted from the store: the search window forgets a
  // scope inside it (and closes), the tree drops a selection inside it.
  virtual void SubtreeRemoving(const TNodeRec*) {}

  // A catalog was changed: reload the item list, the search results and the user list.
  virtual void RefreshViews() {}
};
