// SPDX-License-Identifier: MIT
// Mark lists, the forgetting rule, deep copy, constant-time move and child search.
#include <algorithm>
#include <cstring>

#include "store/QDArena.h"
#include "store/QDBase.h"

// ---- mark lists ------------------------------------------------------------------------------

std::vector<TNodeRec*>& TQDBase::List(int list) {
  if (list < 0 || list >= static_cast<int>(marks_.size())) ThrowListIndex(list);
  return marks_[static_cast<size_t>(list)];
}

namespace {
// The mark count of a node sticks at its largest value.
void MarkRefUp(TNodeRec* n) {
  if (n->MarkRefs != TNodeRec::kMarkRefsStuck) n->MarkRefs = n->MarkRefs + 1;
}
void MarkRefDown(TNodeRec* n) {
  if (n->MarkRefs != TNodeRec::kMarkRefsStuck && n->MarkRefs != 0) n->MarkRefs = n->MarkRefs - 1;
}
}  // namespace

const std::vector<TNodeRec*>& TQDBase::MarkList(int list) const {
  return const_cast<TQDBase*>(this)->List(list);
}

void TQDBase::AddMarkList() { marks_.emplace_back(); }

int TQDBase::MarkCount(int list) const { return static_cast<int>(MarkList(list).size()); }

void TQDBase::AddMark(int list) {
  List(list).push_back(cur_);
  MarkRefUp(cur_);
}

bool TQDBase::GoToMark(int list, int index) {
  auto& l = List(list);
  if (index < 0 || static_cast<size_t>(index) >= l.size()) ThrowListIndex(index);
  TNodeRec* n = l[static_cast<size_t>(index)];
  if (!n) return false;
  cur_ = n;
  return true;
}

void TQDBase::MarkRemoveAt(std::vector<TNodeRec*>& l, size_t index) {
  if (TNodeRec* n = l[index]) MarkRefDown(n);
  if (DeferMarkPack)
    l[index] = nullptr;
  else
    l.erase(l.begin() + static_cast<std::ptrdiff_t>(index));
}

void TQDBase::RemoveMark(int list, int index) {
  auto& l = List(list);
  if (index < 0 || static_cast<size_t>(index) >= l.size()) ThrowListIndex(index);
  MarkRemoveAt(l, static_cast<size_t>(index));
}

void TQDBase::RemoveCurrentMark(int list) {
  auto& l = List(list);
  auto it = std::find(l.begin(), l.end(), cur_);
  if (it != l.end()) MarkRemoveAt(l, static_cast<size_t>(it - l.begin()));
}

void TQDBase::ClearMarkList(int list) {
  auto& l = List(list);
  for (TNodeRec* n : l)
    if (n) MarkRefDown(n);
  if (DeferMarkPack)
    std::fill(l.begin(), l.end(), nullptr);
  else
    l.clear();
}

void TQDBase::PackMarkList(int list) {
  auto& l = List(list);
  l.erase(std::remove(l.begin(), l.end(), nullptr), l.end());
}

// Sum of MarkRefs over the subtree of `top`, or UINT64_MAX once more than `limit` nodes were
// visited (then the caller scans the lists anyway). This keeps a release of an unmarked subtree
// from scanning long lists, and a release of a huge subtree from walking it.
static uint64_t SubtreeMarkSum(const TNodeRec* top, size_t limit) {
  uint64_t sum = 0;
  size_t visited = 0;
  std::vector<const TNodeRec*> stack{top};
  while (!stack.empty()) {
    const TNodeRec* n = stack.back();
    stack.pop_back();
    if (++visited > limit) return UINT64_MAX;
    sum += n->MarkRefs;
    const uint8_t* types = n->Types();
    for (int i = 0; i < n->SlotCount; ++i)
      if (types[i] == stNode) stack.push_back(n->Cells()[i].Node());
  }
  return sum;
}

// Before a released child's subtree is freed, every mark-list entry that refers to the child or
// to a node below it becomes a placeholder; lists are then packed unless DeferMarkPack is on.
void TQDBase::ForgetMarks(TNodeRec* child) {
  size_t entries = 0;
  for (const auto& l : marks_) entries += l.size();
  if (entries == 0) return;
  uint64_t need = SubtreeMarkSum(child, entries);
  if (need != 0) {
    bool hasChildren = false;
    const uint8_t* types = child->Types();
    for (int i = 0; i < child->SlotCount && !hasChildren; ++i) hasChildren = types[i] == stNode;
    uint64_t removed = 0;
    for (auto& l : marks_) {
      for (TNodeRec*& e : l) {
        if (!e) continue;
        bool below = false;
        if (hasChildren) {
          for (const TNodeRec* n = e; n; n = n->Parent)
            if (n == child) {
              below = true;
              break;
            }
        } else {
          below = e == child;
        }
        if (below) {
          MarkRefDown(e);
          e = nullptr;
          ++removed;
        }
      }
      if (removed == need) break;
    }
  }
  if (!DeferMarkPack)
    for (auto& l : marks_) l.erase(std::remove(l.begin(), l.end(), nullptr), l.end());
}

// Clear: every entry that refers to a node of this tree (the root included) goes.
void TQDBase::ForgetWholeTree() {
  for (auto& l : marks_) {
    for (TNodeRec*& e : l) {
      if (!e) continue;
      const TNodeRec* top = e;
      while (top->Parent) top = top->Parent;
      if (top == root_) {
        MarkRefDown(e);
        e = nullptr;
      }
    }
    if (!DeferMarkPack) l.erase(std::remove(l.begin(), l.end(), nullptr), l.end());
  }
}

// ---- deep copy -------------------------------------------------------------------------------

void TQDBase::AppendFrom(TQDBase& source) {
  // Explicit stack of (source node, next source slot, destination node): no recursion, so any
  // depth is safe; both cursors are restored on every path out.
  struct Frame {
    const TNodeRec* src;
    int next;
    int count;
    TNodeRec* dst;
  };
  TNodeRec* const savedCur = cur_;
  TNodeRec* const savedSrc = source.cur_;
  std::vector<Frame> stack{{source.cur_, 0, source.cur_->SlotCount, cur_}};
  try {
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next >= f.count) {
        stack.pop_back();
        continue;
      }
      int i = f.next++;
      const TNodeRec* s = f.src;
      cur_ = f.dst;
      int at = cur_->SlotCount;
      switch (s->Types()[i]) {
        case stEmpty:
          ClearSlot(at);
          break;
        case stInteger:
          SetInt(at, static_cast<int32_t>(s->Cells()[i].Bits));
          break;
        case stString: {
          const TStrBlock* str = s->Cells()[i].Str();
          SetStr(at, std::string_view(str->Bytes(), size_t(str->Length)));
          break;
        }
        case stFloat:
        case stInt64: {
          uint8_t low = s->Types()[i];
          uint8_t high = low == stFloat ? stFloatHigh : stInt64High;
          uint32_t hi = i + 1 < s->SlotCount ? s->Cells()[i + 1].Bits : 0;
          SetPair(at, low, high, uint64_t(s->Cells()[i].Bits) | (uint64_t(hi) << 32));
          ++f.next;
          break;
        }
        case stNode: {
          const TNodeRec* child = s->Cells()[i].Node();
          EnterChild(at);
          TNodeRec* dst = cur_;
          stack.push_back({child, 0, child->SlotCount, dst});
          break;
        }
        default:  // a lone high half
          break;
      }
    }
  } catch (...) {
    cur_ = savedCur;
    source.cur_ = savedSrc;
    throw;
  }
  cur_ = savedCur;
  source.cur_ = savedSrc;
}

// ---- constant-time move ----------------------------------------------------------------------

void TQDBase::TakeSubtree(TQDBase& source) {
  if (&source == this) ThrowQD(kIndexError);
  // 1. An empty node in place of Current.
  if (cur_->Parent) {
    int i = IndexInParent();
    Up();
    DeleteSlot(i);
    InsertSlot(i);
    EnterChild(i);
  } else {
    Clear();
  }
  TNodeRec* empty = cur_;
  TNodeRec* moved = source.cur_;
  TNodeRec* emptyParent = empty->Parent;
  TNodeRec* movedParent = moved->Parent;
  // 2. Re-point the parents' slots.
  auto repoint = [](TNodeRec* parent, TNodeRec* from, TNodeRec* to) {
    if (!parent) return;
    const uint8_t* types = parent->Types();
    for (int k = 0; k < parent->SlotCount; ++k)
      if (types[k] == stNode && parent->Cells()[k].Node() == from) {
        parent->Cells()[k].Bits = QDRef(to);
        return;
      }
    ThrowQD(kIndexError);
  };
  if (emptyParent) {
    repoint(emptyParent, empty, moved);
  }
  if (movedParent) {
    repoint(movedParent, moved, empty);
  }
  // 3. The source's counter stays as it was (an over-estimate).
  mem_ += source.mem_;
  // Both stores now hold nodes allocated from the other's arenas.
  HoldArena(source.arena_);
  for (const auto& a : source.heldArenas_) HoldArena(a);
  source.HoldArena(arena_);
  // 4. Exchange the two nodes.
  moved->Parent = emptyParent;
  empty->Parent = movedParent;
  if (!emptyParent) {
    // The whole store is replaced: the moved node becomes the root, and the source gets our
    // fresh empty root in place of its top.
    root_ = moved;
  }
  if (!movedParent) source.root_ = empty;
  cur_ = moved;
  source.cur_ = empty;
}

// ---- searching children ----------------------------------------------------------------------

int TQDBase::FindChildStr(std::string_view text, int slot, int start) const {
  const TNodeRec* c = cur_;
  const uint8_t* types = c->Types();
  for (int i = std::max(start, 0); i < c->SlotCount; ++i) {
    if (types[i] != stNode) continue;
    const TNodeRec* child = c->Cells()[i].Node();
    if (NodeSlotType(child, slot) != stString) continue;
    const TStrBlock* s = child->Cells()[slot].Str();
    if (size_t(s->Length) == text.size() &&
        (text.empty() || std::memcmp(s->Bytes(), text.data(), text.size()) == 0))
      return i;
  }
  return -1;
}

int TQDBase::FindChildInt(int32_t value, int slot, int start) const {
  const TNodeRec* c = cur_;
  const uint8_t* types = c->Types();
  for (int i = std::max(start, 0); i < c->SlotCount; ++i) {
    if (types[i] != stNode) continue;
    const TNodeRec* child = c->Cells()[i].Node();
    if (NodeSlotType(child, slot) == stInteger &&
        static_cast<int32_t>(child->Cells()[slot].Bits) == value)
      return i;
  }
  return -1;
}
