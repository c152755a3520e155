// SPDX-License-Identifier: MIT
#include "userlist/UserList.h"

#include <vector>

#include "catalog/CatalogLayout.h"
#include "search/ListCommands.h"

namespace {

// The nodes a command works on: the selected rows of kind >= 2, or every entry of kind >= 2.
std::vector<TNodeRec*> Chosen(const TQDBase& bd, const TListRows* view, int list, int offset) {
  std::vector<TNodeRec*> out;
  const auto& marks = bd.MarkList(list);
  if (view) {
    for (int e : CollectSelected(bd, *view, list, offset, ikGroup)) out.push_back(marks[size_t(e)]);
  } else {
    for (TNodeRec* n : marks)
      if (n && ItemKind(ItemFlagsOf(n)) >= ikGroup) out.push_back(n);
  }
  return out;
}

// Removes from mlUserList every entry whose node `drop` says goes, clearing its bit.
template <class Pred>
int DropMembers(TQDBase& bd, Pred drop) {
  const bool defer = bd.DeferMarkPack;
  bd.DeferMarkPack = true;
  int removed = 0;
  const auto& members = bd.MarkList(mlUserList);
  for (int i = static_cast<int>(members.size()) - 1; i >= 0; --i) {
    TNodeRec* n = members[size_t(i)];
    if (!n || !drop(n)) continue;
    n->NodeFlags &= static_cast<uint8_t>(~kUserListFlag);
    bd.RemoveMark(mlUserList, i);
    ++removed;
  }
  bd.DeferMarkPack = defer;
  bd.PackMarkList(mlUserList);
  return removed;
}

}  // namespace

int AddToUserList(TQDBase& bd, const TListRows* view, int list, int offset,
                  const std::function<void()>& reload) {
  std::vector<TNodeRec*> nodes = Chosen(bd, view, list, offset);
  TNodeRec* keep = bd.CurrentNode();
  int added = 0;
  for (TNodeRec* n : nodes) {
    if (n->NodeFlags & kUserListFlag) continue;
    n->NodeFlags |= kUserListFlag;
    bd.GoToNode(n);
    bd.AddMark(mlUserList);
    ++added;
  }
  bd.GoToNode(keep);
  if (reload) reload();
  return added;
}

int RemoveFromUserList(TQDBase& bd, const TListRows* view, int list, int offset,
                       const std::function<void()>& reload) {
  std::vector<TNodeRec*> nodes = Chosen(bd, view, list, offset);
  // Tags mark the chosen members: 0 on every member, 1 on those to go.
  for (TNodeRec* n : bd.MarkList(mlUserList))
    if (n) n->NodeTag = 0;
  for (TNodeRec* n : nodes)
    if (n->NodeFlags & kUserListFlag) n->NodeTag = 1;
  int removed = DropMembers(bd, [](const TNodeRec* n) { return n->NodeTag == 1; });
  if (reload) reload();
  return removed;
}

TUserListState UserListState(const TQDBase& bd, const TListRows& view, int list, int offset) {
  TUserListState st;
  const auto& marks = bd.MarkList(list);
  for (int e : CollectSelected(bd, view, list, offset, ikGroup)) {
    if (marks[size_t(e)]->NodeFlags & kUserListFlag)
      st.CanRemove = true;
    else
      st.CanAdd = true;
    if (st.CanAdd && st.CanRemove) break;
  }
  return st;
}

int RemoveSelectedFromUserList(TQDBase& bd, const TListRows& view) {
  std::vector<int> rows = CollectSelected(bd, view, mlUserList, 0, 0);
  if (rows.empty()) return -1;
  const bool defer = bd.DeferMarkPack;
  bd.DeferMarkPack = true;
  for (size_t k = rows.size(); k-- > 0;) {
    TNodeRec* n = bd.MarkList(mlUserList)[size_t(rows[k])];
    n->NodeFlags &= static_cast<uint8_t>(~kUserListFlag);
    bd.RemoveMark(mlUserList, rows[k]);
  }
  bd.DeferMarkPack = defer;
  bd.PackMarkList(mlUserList);
  return rows.front();
}

void ClearUserList(TQDBase& bd) {
  DropMembers(bd, [](const TNodeRec*) { return true; });
}
