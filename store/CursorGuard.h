// SPDX-License-Identifier: MIT
// Scope guards for a store's cursor: code that walks a store restores the cursor on every path
// out, exceptions included.
#pragma once

#include "store/QDBase.h"

// Saves the cursor with PushPos and restores it with PopPos (uses one entry of the position
// stack).
class TCursorKeeper {
 public:
  explicit TCursorKeeper(TQDBase& bd) : bd_(bd) { bd_.PushPos(); }
  ~TCursorKeeper() { bd_.PopPos(); }
  TCursorKeeper(const TCursorKeeper&) = delete;
  TCursorKeeper& operator=(const TCursorKeeper&) = delete;

 private:
  TQDBase& bd_;
};

// Puts the cursor back on `node` (by default where it stands now) without the position stack.
// The node must outlive the guard.
class TCursorBack {
 public:
  explicit TCursorBack(TQDBase& bd) : bd_(bd), node_(bd.CurrentNode()) {}
  TCursorBack(TQDBase& bd, TNodeRec* node) : bd_(bd), node_(node) {}
  ~TCursorBack() { bd_.GoToNode(node_); }
  TCursorBack(const TCursorBack&) = delete;
  TCursorBack& operator=(const TCursorBack&) = delete;

 private:
  TQDBase& bd_;
  TNodeRec* node_;
};
