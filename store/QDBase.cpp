// SPDX-License-Identifier: MIT
// The node store: allocation, cursor, typed slot access and structural edits.
#include "store/QDBase.h"

#include <cstring>
#include <limits>

#include "store/QDArena.h"

namespace {

constexpr int64_t kNodeCost = 36;  // accounted bytes per node
constexpr int64_t kSlotCost = 5;   // accounted bytes per slot (type byte + cell)
constexpr int64_t kStrCost = 4;    // accounted bytes per string on top of its length
constexpr int kMaxPositions = 1000;

size_t RoundUp8(size_t n) { return (n + 7) & ~size_t(7); }

size_t ValuesBlockSize(int capacity) { return RoundUp8(TNodeRec::SlotBlockBytes(capacity)); }

// Capacity growth: n + n/4 above 64 slots, n + 16 from 9 to 64, n + 4 up to 8.
int GrownCapacity(int n) {
  int g = n > 64 ? n / 4 : (n >= 9 ? 16 : 4);
  return n + g;
}

}  // namespace

void ThrowQD(const char* text) { throw std::runtime_error(text); }

void ThrowListIndex(int index) {
  throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}

// ---- cursor-free reads -----------------------------------------------------------------------

int32_t NodeGetInt(const TNodeRec* n, int slot) {
  uint8_t t = NodeSlotType(n, slot);
  if (t == stEmpty) return 0;
  if (t != stInteger) ThrowQD(kTypeError);
  return static_cast<int32_t>(n->Cells()[slot].Bits);
}

static uint64_t PairBits(const TNodeRec* n, int slot, uint8_t lowType, uint8_t highType,
                         bool& present) {
  present = false;
  if (slot < 0 || slot >= n->SlotCount - 1) return 0;
  const uint8_t* types = n->Types();
  if (types[slot] == stEmpty) return 0;
  if (types[slot] != lowType || types[slot + 1] != highType) ThrowQD(kTypeError);
  present = true;
  return uint64_t(n->Cells()[slot].Bits) | (uint64_t(n->Cells()[slot + 1].Bits) << 32);
}

int64_t NodeGetInt64(const TNodeRec* n, int slot) {
  bool present;
  return static_cast<int64_t>(PairBits(n, slot, stInt64, stInt64High, present));
}

double NodeGetFloat(const TNodeRec* n, int slot) {
  bool present;
  uint64_t bits = PairBits(n, slot, stFloat, stFloatHigh, present);
  if (!present) return 0.0;
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::string_view NodeGetStr(const TNodeRec* n, int slot) {
  uint8_t t = NodeSlotType(n, slot);
  if (t == stEmpty) return {};
  if (t != stString) ThrowQD(kTypeError);
  const TStrBlock* s = n->Cells()[slot].Str();
  return {s->Bytes(), static_cast<size_t>(s->Length)};
}

// ---- allocation ------------------------------------------------------------------------------

TQDBase::TQDBase() : arena_(std::make_shared<TQDArena>()) { ResetToEmpty(); }

// Every block of the tree lives in arenas, which go when their last holder goes: nothing to walk.
TQDBase::~TQDBase() = default;

// Size classes: multiples of 8 up to 1024 bytes, then powers of two. Every block comes from an
// arena, so clearing or destroying a store never has to visit its nodes.
size_t TQDBase::SizeClass(size_t& bytes) {
  bytes = RoundUp8(bytes);
  if (bytes / 8 < kSmallClasses) return bytes / 8;
  size_t cls = kSmallClasses;
  size_t size = 2048;
  while (size < bytes) {
    size *= 2;
    ++cls;
  }
  bytes = size;
  return cls;
}

void* TQDBase::AllocBlock(size_t bytes) {
  size_t cls = SizeClass(bytes);
  if (void* p = freeLists_[cls]) {
    freeLists_[cls] = *static_cast<void**>(p);
    return p;
  }
  return arena_->Bump(bytes);
}

void TQDBase::FreeBlock(void* p, size_t bytes) {
  if (!p) return;
  size_t cls = SizeClass(bytes);
  *static_cast<void**>(p) = freeLists_[cls];
  freeLists_[cls] = p;
}

void TQDBase::HoldArena(const std::shared_ptr<TQDArena>& a) {
  if (a == arena_) return;
  for (const auto& h : heldArenas_)
    if (h == a) return;
  heldArenas_.push_back(a);
}

TNodeRec* TQDBase::AllocNode(TNodeRec* parent) {
  auto* n = static_cast<TNodeRec*>(AllocBlock(sizeof(TNodeRec)));
  n->Init(parent);
  return n;
}

TStrBlock* TQDBase::AllocStr(std::string_view text) {
  if (text.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() - 16))
    throw std::bad_alloc();
  auto* s = static_cast<TStrBlock*>(AllocBlock(sizeof(TStrBlock) + text.size()));
  s->Length = static_cast<int32_t>(text.size());
  if (!text.empty()) std::memcpy(s->Bytes(), text.data(), text.size());
  return s;
}

void TQDBase::FreeStr(TStrBlock* s) { FreeBlock(s, sizeof(TStrBlock) + size_t(s->Length)); }

void TQDBase::Reserve(TNodeRec* n, int needed) {
  if (needed < n->Capacity) return;
  int cap = GrownCapacity(needed);
  auto* block = static_cast<uint8_t*>(AllocBlock(ValuesBlockSize(cap)));
  auto* cells = reinterpret_cast<TCell*>(block + TNodeRec::TypesBytes(cap));
  if (n->SlotCount > 0) {
    std::memcpy(cells, n->Cells(), sizeof(TCell) * size_t(n->SlotCount));
    std::memcpy(block, n->Types(), size_t(n->SlotCount));
  }
  if (n->ValuesRef) FreeBlock(n->Types(), ValuesBlockSize(n->Capacity));
  n->ValuesRef = QDRef(block);
  n->Capacity = cap;
}

void TQDBase::ExtendTo(int n) {
  if (n < 0) ThrowQD(kRangeError);
  TNodeRec* c = cur_;
  if (c->SlotCount >= n) return;
  Reserve(c, n);
  uint8_t* types = c->Types();
  for (int i = c->SlotCount; i < n; ++i) {
    types[i] = stEmpty;
    c->Cells()[i].Bits = 0;
  }
  mem_ += kSlotCost * (n - c->SlotCount);
  c->SlotCount = n;
}

void TQDBase::ResetToEmpty() {
  root_ = AllocNode(nullptr);
  cur_ = root_;
  mem_ = kNodeCost;
}

int32_t TQDBase::MemoryUsed() const {
  if (mem_ > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(mem_);
}

// ---- releasing -------------------------------------------------------------------------------

void TQDBase::ReleaseSlot(TNodeRec* n, int slot) {
  uint8_t t = n->Types()[slot];
  if (t == stNode) {
    TNodeRec* child = n->Cells()[slot].Node();
    n->Cells()[slot].Bits = 0;
    ReleaseSubtree(child);
  } else if (t == stString) {
    TStrBlock* s = n->Cells()[slot].Str();
    n->Cells()[slot].Bits = 0;
    mem_ -= kStrCost + s->Length;
    FreeStr(s);
  }
}

void TQDBase::ReleaseSubtree(TNodeRec* child) {
  ForgetMarks(child);
  FreeSubtreeMemory(child);
}

// Frees every node and string of the subtree and subtracts their accounting. Iterative, so a
// chain of any depth is safe.
void TQDBase::FreeSubtreeMemory(TNodeRec* top) {
  if (!top) return;
  std::vector<TNodeRec*> stack{top};
  while (!stack.empty()) {
    TNodeRec* n = stack.back();
    stack.pop_back();
    const uint8_t* types = n->Types();
    for (int i = 0; i < n->SlotCount; ++i) {
      if (types[i] == stNode) {
        stack.push_back(n->Cells()[i].Node());
      } else if (types[i] == stString) {
        TStrBlock* s = n->Cells()[i].Str();
        mem_ -= kStrCost + s->Length;
        FreeStr(s);
      }
    }
    mem_ -= kNodeCost + kSlotCost * n->SlotCount;
    if (n->ValuesRef) FreeBlock(n->Types(), ValuesBlockSize(n->Capacity));
    FreeBlock(n, sizeof(TNodeRec));
  }
}

// ---- cursor ----------------------------------------------------------------------------------

int TQDBase::Depth() const {
  int d = 0;
  for (const TNodeRec* n = cur_->Parent; n; n = n->Parent) ++d;
  return d;
}

void TQDBase::Up() {
  if (cur_->Parent) cur_ = cur_->Parent;
}

void TQDBase::GoToDepth(int level) {
  int d = Depth();
  if (level < 0 || level > d) ThrowQD(kRangeError);
  for (; d > level; --d) cur_ = cur_->Parent;
}

void TQDBase::NewChild(int slot) {
  ExtendTo(slot + 1);
  TNodeRec* child = AllocNode(cur_);
  ReleaseSlot(cur_, slot);
  cur_->Types()[slot] = stNode;
  cur_->Cells()[slot].Bits = QDRef(child);
  mem_ += kNodeCost;
}

void TQDBase::EnterChild(int slot) {
  ExtendTo(slot + 1);
  uint8_t t = cur_->Types()[slot];
  if (t == stEmpty) {
    NewChild(slot);
  } else if (t != stNode) {
    ThrowQD(kTypeError);
  }
  cur_ = cur_->Cells()[slot].Node();
}

int TQDBase::IndexInParent() const {
  const TNodeRec* p = cur_->Parent;
  if (!p) return 0;
  const uint8_t* types = p->Types();
  for (int i = 0; i < p->SlotCount; ++i)
    if (types[i] == stNode && p->Cells()[i].Node() == cur_) return i;
  ThrowQD(kIndexError);
}

void TQDBase::PushPos() {
  if (posStack_.size() >= kMaxPositions) ThrowQD(kRangeError);
  posStack_.push_back(cur_);
}

void TQDBase::PopPos() {
  if (posStack_.empty()) ThrowQD(kRangeError);
  cur_ = posStack_.back();
  posStack_.pop_back();
}

// ---- typed access ----------------------------------------------------------------------------

const char* TQDBase::GetStrBuf(int slot, int32_t& length) const {
  std::string_view v = NodeGetStr(cur_, slot);
  if (NodeSlotType(cur_, slot) == stEmpty) {
    length = 0;
    return nullptr;
  }
  length = static_cast<int32_t>(v.size());
  return v.data();
}

void TQDBase::SetInt(int slot, int32_t value) {
  if (slot < 0) ThrowQD(kRangeError);
  if (slot < cur_->SlotCount)
    ReleaseSlot(cur_, slot);
  else
    ExtendTo(slot + 1);
  cur_->Types()[slot] = stInteger;
  cur_->Cells()[slot].Bits = 0;
  cur_->Cells()[slot].Bits = static_cast<uint32_t>(value);
}

void TQDBase::SetPair(int slot, uint8_t lowType, uint8_t highType, uint64_t bits) {
  if (slot < 0) ThrowQD(kRangeError);
  if (slot < cur_->SlotCount - 1) {
    ReleaseSlot(cur_, slot);
    ReleaseSlot(cur_, slot + 1);
  } else {
    if (slot < cur_->SlotCount) ReleaseSlot(cur_, slot);
    ExtendTo(slot + 2);
  }
  uint8_t* types = cur_->Types();
  types[slot] = lowType;
  types[slot + 1] = highType;
  cur_->Cells()[slot].Bits = 0;
  cur_->Cells()[slot + 1].Bits = 0;
  cur_->Cells()[slot].Bits = static_cast<uint32_t>(bits);
  cur_->Cells()[slot + 1].Bits = static_cast<uint32_t>(bits >> 32);
}

void TQDBase::SetInt64(int slot, int64_t value) {
  SetPair(slot, stInt64, stInt64High, static_cast<uint64_t>(value));
}

void TQDBase::SetFloat(int slot, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  SetPair(slot, stFloat, stFloatHigh, bits);
}

void TQDBase::SetStr(int slot, std::string_view text) {
  if (slot < 0) ThrowQD(kRangeError);
  TStrBlock* s = AllocStr(text);
  if (slot < cur_->SlotCount) {
    ReleaseSlot(cur_, slot);
  } else {
    try {
      ExtendTo(slot + 1);
    } catch (...) {
      FreeStr(s);
      throw;
    }
  }
  cur_->Types()[slot] = stString;
  cur_->Cells()[slot].Bits = QDRef(s);
  mem_ += kStrCost + s->Length;
}

// ---- child-addressed accessors ---------------------------------------------------------------

int32_t TQDBase::ChildGetInt(int child, int slot) {
  EnterChild(child);
  int32_t v = GetInt(slot);
  Up();
  return v;
}
void TQDBase::ChildSetInt(int child, int slot, int32_t value) {
  EnterChild(child);
  SetInt(slot, value);
  Up();
}
int64_t TQDBase::ChildGetInt64(int child, int slot) {
  EnterChild(child);
  int64_t v = GetInt64(slot);
  Up();
  return v;
}
void TQDBase::ChildSetInt64(int child, int slot, int64_t value) {
  EnterChild(child);
  SetInt64(slot, value);
  Up();
}
double TQDBase::ChildGetFloat(int child, int slot) {
  EnterChild(child);
  double v = GetFloat(slot);
  Up();
  return v;
}
void TQDBase::ChildSetFloat(int child, int slot, double value) {
  EnterChild(child);
  SetFloat(slot, value);
  Up();
}
void TQDBase::ChildGetStr(int child, int slot, std::string& text) {
  EnterChild(child);
  GetStr(slot, text);
  Up();
}
std::string TQDBase::ChildGetStr(int child, int slot) {
  std::string text;
  ChildGetStr(child, slot, text);
  return text;
}
void TQDBase::ChildSetStr(int child, int slot, std::string_view text) {
  EnterChild(child);
  SetStr(slot, text);
  Up();
}
uint8_t TQDBase::ChildSlotType(int child, int slot) {
  EnterChild(child);
  uint8_t v = SlotType(slot);
  Up();
  return v;
}
int32_t TQDBase::ChildSlotCount(int child) {
  EnterChild(child);
  int32_t v = SlotCount();
  Up();
  return v;
}

// ---- structural edits ------------------------------------------------------------------------

void TQDBase::ClearSlot(int slot) {
  ExtendTo(slot + 1);
  uint8_t t = cur_->Types()[slot];
  ReleaseSlot(cur_, slot);
  if ((t == stFloat || t == stInt64) && slot + 1 < cur_->SlotCount) {
    // Normally the high half; should another value stand there, it is released too.
    ReleaseSlot(cur_, slot + 1);
    cur_->Types()[slot + 1] = stEmpty;
  }
  cur_->Types()[slot] = stEmpty;
}

void TQDBase::InsertSlot(int slot) {
  if (slot < 0) ThrowQD(kRangeError);
  TNodeRec* c = cur_;
  if (slot >= c->SlotCount) {
    ExtendTo(slot + 1);
    return;
  }
  if (c->SlotCount >= c->Capacity) Reserve(c, c->SlotCount + 1);
  uint8_t* types = c->Types();
  int tail = c->SlotCount - slot;
  std::memmove(c->Cells() + slot + 1, c->Cells() + slot, sizeof(TCell) * size_t(tail));
  std::memmove(types + slot + 1, types + slot, size_t(tail));
  types[slot] = stEmpty;
  c->Cells()[slot].Bits = 0;
  ++c->SlotCount;
  mem_ += kSlotCost;
}

void TQDBase::DeleteSlot(int slot) {
  TNodeRec* c = cur_;
  if (slot < 0 || slot >= c->SlotCount) return;
  uint8_t t = c->Types()[slot];
  ReleaseSlot(c, slot);
  int count = (t == stFloat || t == stInt64) ? 2 : 1;
  if (slot + count > c->SlotCount) count = c->SlotCount - slot;
  // A pair whose high half was overwritten must not leak what stands there now.
  if (count == 2) ReleaseSlot(c, slot + 1);
  uint8_t* types = c->Types();
  int tail = c->SlotCount - slot - count;
  std::memmove(c->Cells() + slot, c->Cells() + slot + count, sizeof(TCell) * size_t(tail));
  std::memmove(types + slot, types + slot + count, size_t(tail));
  c->SlotCount -= count;
  mem_ -= kSlotCost * count;
}

void TQDBase::ExchangeRaw(int a, int b) {
  if (a == b) return;
  uint8_t* types = cur_->Types();
  std::swap(types[a], types[b]);
  std::swap(cur_->Cells()[a], cur_->Cells()[b]);
}

void TQDBase::ExchangeSlots(int a, int b) {
  if (a == b) return;
  if (a < 0 || b < 0 || a >= cur_->SlotCount || b >= cur_->SlotCount) ThrowQD(kRangeError);
  ExchangeRaw(a, b);
}

void TQDBase::MoveSlot(int from, int to) {
  if (from == to) return;
  TNodeRec* c = cur_;
  if (from < 0 || to < 0 || from >= c->SlotCount || to >= c->SlotCount) ThrowQD(kRangeError);
  uint8_t* types = c->Types();
  TCell cell = c->Cells()[from];
  uint8_t type = types[from];
  if (from < to) {
    std::memmove(c->Cells() + from, c->Cells() + from + 1, sizeof(TCell) * size_t(to - from));
    std::memmove(types + from, types + from + 1, size_t(to - from));
  } else {
    std::memmove(c->Cells() + to + 1, c->Cells() + to, sizeof(TCell) * size_t(from - to));
    std::memmove(types + to + 1, types + to, size_t(from - to));
  }
  c->Cells()[to] = cell;
  types[to] = type;
}

void TQDBase::Clear() {
  cur_ = root_;
  ForgetWholeTree();
  // Dropping the arenas frees the whole tree at once. Arenas that other stores still use (after
  // a TakeSubtree) stay alive through their holders.
  for (auto& f : freeLists_) f = nullptr;
  heldArenas_.clear();
  arena_ = std::make_shared<TQDArena>();
  ResetToEmpty();
}
