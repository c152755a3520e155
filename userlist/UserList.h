// SPDX-License-Identifier: MIT
// The user list: the user's own collection of references to catalog items (groups, disks,
// folders, files; never catalogs), held in mark list mlUserList of bdMain with bit 0 of each
// member's NodeFlags set. The two are kept in step by every operation here; the bit keeps a node
// from being added twice. Nothing is stored: released nodes leave the list by the mark-list rules.
//
// Threads: the thread that owns bdMain.
#pragma once

#include <functional>

#include "search/ListRows.h"
#include "store/QDBase.h"

inline constexpr uint8_t kUserListFlag = 0x01;  // NodeFlags bit 0: member of the user list

// Adds the selected rows of `view` (minimum kind 2) of mark list `list`, or without a view every
// entry of `list` of kind 2 or more, skipping members. Returns the number added. `reload` (the
// user-list window's ReloadUserList) runs afterwards when set.
int AddToUserList(TQDBase& bd, const TListRows* view, int list, int offset,
                  const std::function<void()>& reload = {});
// Removes the chosen nodes (the same choice) that are members. Returns the number removed.
int RemoveFromUserList(TQDBase& bd, const TListRows* view, int list, int offset,
                       const std::function<void()>& reload = {});

struct TUserListState {
  bool CanAdd = false;     // a selected row of kind 2 or more is not a member
  bool CanRemove = false;  // a selected row of kind 2 or more is a member
};
TUserListState UserListState(const TQDBase& bd, const TListRows& view, int list, int offset);

// The user list window's "remove from list" on its own selected rows (any kind). Returns the list
// index of the first removed row, or -1 when nothing was selected.
int RemoveSelectedFromUserList(TQDBase& bd, const TListRows& view);
// Clears the list: every member loses its bit and its entry.
void ClearUserList(TQDBase& bd);
// True iff `node` is a member.
inline bool IsUserListMember(const TNodeRec* node) {
  return node && (node->NodeFlags & kUserListFlag) != 0;
}
