// SPDX-License-Identifier: MIT
// TQDBase: the typed, hierarchical in-memory record store on which every catalog, the settings
// and every working copy of a window are built.
//
// A store holds one tree of nodes. A node (TNodeRec) is a growable array of slots; each slot
// holds one typed value: nothing, a child node, a byte string, a 32-bit integer, or, over two
// adjacent slots, a double or a 64-bit integer. The store has exactly one cursor (`Current`):
// every slot operation acts on the node under the cursor, which is moved explicitly.
//
// The image (serialised) form is described in store/IMAGE_FORMAT.md.
//
// Threads: a store has no lock; one thread at a time may use it. Nodes are allocated from
// per-store arenas and never move while they live, so mark lists and saved positions may hold
// node pointers. Two stores that exchanged subtrees (TakeSubtree) share arena memory; each may
// then still be used by a different thread, since neither allocates from the other's arena.
//
// Errors are std::runtime_error with one of five fixed texts (kRangeError ... kIndexError); a
// mark-list number or entry index out of range throws std::out_of_range("List index out of
// bounds (N)"). Reads of a missing or empty slot return the type's zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Slot type bytes.
enum : uint8_t {
  stEmpty = 0,
  stNode = 1,
  stString = 2,
  stInteger = 3,
  stFloat = 4,  // bits 0-31 of a double; the next slot is stFloatHigh
  stInt64 = 5,  // bits 0-31 of a 64-bit integer; the next slot is stInt64High
  stFloatHigh = 12,
  stInt64High = 13,
};

inline constexpr const char* kRangeError = "Range Error in TQDBase";
inline constexpr const char* kTypeError = "Type Error in TQDBase";
inline constexpr const char* kLoadError = "Load Error in TQDBase";
inline constexpr const char* kSaveError = "Save Error in TQDBase";
inline constexpr const char* kIndexError = "Index Error in TQDBase";

// The largest image there can be: its length is a signed 32-bit quantity (the checksum takes bits
// 24-31 of it, string lengths are signed 32-bit). A larger file is no image and is refused before
// it is read.
inline constexpr size_t kMaxImageSize = 0x7FFFFFFF;
// Where an image holds its checksum (8 bytes, little-endian).
inline constexpr size_t kImageChecksumOffset = 24;

struct TNodeRec;

// The address space every store allocates its nodes, slot arrays and strings from (reserved once
// per process, store/QDArena.cpp). Inside a node, references are 32 bits: the offset from the
// start of the space in units of 8 bytes, 0 meaning none. Set before the first node exists.
inline char* gQDSpace = nullptr;

inline uint32_t QDRef(const void* p) {
  return p ? static_cast<uint32_t>(static_cast<size_t>(static_cast<const char*>(p) - gQDSpace) >> 3)
           : 0u;
}
// The block a non-zero reference names.
template <class T>
inline T* QDAt(uint32_t ref) {
  return reinterpret_cast<T*>(gQDSpace + (static_cast<size_t>(ref) << 3));
}

// A node pointer kept in 4 bytes; reads and assigns like a TNodeRec*.
class TNodeRef {
 public:
  TNodeRef() = default;
  TNodeRef(TNodeRec* node) : ref_(QDRef(node)) {}  // NOLINT: converts like a pointer
  operator TNodeRec*() const { return ref_ ? QDAt<TNodeRec>(ref_) : nullptr; }
  TNodeRec* operator->() const { return QDAt<TNodeRec>(ref_); }

 private:
  uint32_t ref_ = 0;
};

// A string block: the length, then the bytes (no terminator).
struct TStrBlock {
  int32_t Length;
  char* Bytes() { return reinterpret_cast<char*>(this + 1); }
  const char* Bytes() const { return reinterpret_cast<const char*>(this + 1); }
};

// The value cell of a slot, 32 bits as in the image: an integer, a half of a 64-bit value, or
// for a node or string slot the reference (QDRef) of its block.
struct TCell {
  uint32_t Bits;
  TNodeRec* Node() const { return QDAt<TNodeRec>(Bits); }
  TStrBlock* Str() const { return QDAt<TStrBlock>(Bits); }
};

// A node, 24 bytes. Its slot arrays are one block (ValuesRef): `Capacity` type bytes padded to a
// multiple of 4, then `Capacity` cells; the types come first, so that a walk asking a node for
// the type of its first slots finds them beside the node (a loaded node and its arrays are one
// block). MarkRefs counts the mark-list entries that refer to the node (never saved); it
// sticks at its largest value, and a node counted that often is then never taken for unmarked.
struct TNodeRec {
  static constexpr uint32_t kMarkRefsStuck = 0xFFFFFF;

  TNodeRef Parent;     // the node whose slot holds this node; nullptr for the root
  uint32_t ValuesRef;  // the slot arrays; 0 while Capacity is 0
  int32_t SlotCount;   // slots in use
  int32_t Capacity;    // allocated length of the cell and type arrays
  int32_t NodeTag;     // application scratch; 0 when created or loaded; never saved
  uint32_t MarkRefs : 24;
  uint32_t NodeFlags : 8;  // application flags; bit 0 = member of the user list; never saved

  // The bytes of the type array of `capacity` slots, and of the whole block.
  static size_t TypesBytes(int capacity) {
    return (static_cast<size_t>(capacity) + 3) & ~size_t(3);
  }
  static size_t SlotBlockBytes(int capacity) {
    return TypesBytes(capacity) + sizeof(TCell) * static_cast<size_t>(capacity);
  }
  uint8_t* Types() { return QDAt<uint8_t>(ValuesRef); }
  const uint8_t* Types() const { return QDAt<uint8_t>(ValuesRef); }
  TCell* Cells() { return reinterpret_cast<TCell*>(Types() + TypesBytes(Capacity)); }
  const TCell* Cells() const {
    return reinterpret_cast<const TCell*>(Types() + TypesBytes(Capacity));
  }
  // Set up as an empty node under `parent`.
  void Init(TNodeRec* parent) {
    Parent = parent;
    ValuesRef = 0;
    SlotCount = 0;
    Capacity = 0;
    NodeTag = 0;
    MarkRefs = 0;
    NodeFlags = 0;
  }
};
static_assert(sizeof(TNodeRec) == 24, "a node is 24 bytes");

// Cursor-free reads of a node, for code that must not move a store's cursor (painting a list
// while a command walks the store, the search walk). Same results and errors as the cursor reads:
// an empty slot reads as zero, a slot of another type throws. The catalog's safe reads (FieldInt,
// FieldStr... in catalog/CatalogLayout.h) read a slot of another type as zero instead.
// The type of `slot`, stEmpty past the last slot; inline, as the walks ask it for every item.
inline uint8_t NodeSlotType(const TNodeRec* n, int slot) {
  return static_cast<unsigned>(slot) < static_cast<unsigned>(n->SlotCount) ? n->Types()[slot]
                                                                           : uint8_t(stEmpty);
}
int32_t NodeGetInt(const TNodeRec* n, int slot);
int64_t NodeGetInt64(const TNodeRec* n, int slot);
double NodeGetFloat(const TNodeRec* n, int slot);
std::string_view NodeGetStr(const TNodeRec* n, int slot);
// The child at `slot`, or nullptr when the slot is not stNode.
inline TNodeRec* NodeChild(const TNodeRec* n, int slot) {
  return NodeSlotType(n, slot) == stNode ? n->Cells()[slot].Node() : nullptr;
}

class TQDArena;

class TQDBase {
 public:
  TQDBase();
  ~TQDBase();
  TQDBase(const TQDBase&) = delete;
  TQDBase& operator=(const TQDBase&) = delete;

  // Written into the image header (first 8 bytes) by SaveToString.
  std::string Signature;
  // While true, removing a mark leaves a nullptr placeholder so indices stay stable.
  bool DeferMarkPack = false;

  // ---- cursor -------------------------------------------------------------------------------
  int Depth() const;
  void Up();
  void GoToDepth(int level);
  void EnterChild(int slot);
  void NewChild(int slot);
  int IndexInParent() const;
  void PushPos();
  void PopPos();
  int32_t GetTag() const { return cur_->NodeTag; }
  void SetTag(int32_t value) { cur_->NodeTag = value; }
  uint8_t GetNodeFlags() const { return cur_->NodeFlags; }
  void SetNodeFlags(uint8_t flags) { cur_->NodeFlags = flags; }

  // Direct node access. GoToNode requires a node of this store's tree.
  TNodeRec* CurrentNode() const { return cur_; }
  TNodeRec* RootNode() const { return root_; }
  void GoToNode(TNodeRec* node) { cur_ = node; }

  // ---- slot inspection and typed access -------------------------------------------------------
  int SlotCount() const { return cur_->SlotCount; }
  uint8_t SlotType(int slot) const { return NodeSlotType(cur_, slot); }
  // The accounted size (36 per node, 5 per slot, L+4 per string), saturated to 32 bits.
  int32_t MemoryUsed() const;
  int64_t MemoryUsed64() const { return mem_; }

  int32_t GetInt(int slot) const { return NodeGetInt(cur_, slot); }
  int64_t GetInt64(int slot) const { return NodeGetInt64(cur_, slot); }
  double GetFloat(int slot) const { return NodeGetFloat(cur_, slot); }
  std::string GetStr(int slot) const { return std::string(NodeGetStr(cur_, slot)); }
  void GetStr(int slot, std::string& text) const { text.assign(NodeGetStr(cur_, slot)); }
  // The stored bytes without copying; nullptr and 0 for an empty or missing slot. Valid until the
  // slot is next written or released.
  const char* GetStrBuf(int slot, int32_t& length) const;

  void SetInt(int slot, int32_t value);
  void SetInt64(int slot, int64_t value);
  void SetFloat(int slot, double value);
  void SetStr(int slot, std::string_view text);

  // Child-addressed accessors: EnterChild(child), the operation, Up. Like EnterChild they create
  // what is missing.
  int32_t ChildGetInt(int child, int slot);
  void ChildSetInt(int child, int slot, int32_t value);
  int64_t ChildGetInt64(int child, int slot);
  void ChildSetInt64(int child, int slot, int64_t value);
  double ChildGetFloat(int child, int slot);
  void ChildSetFloat(int child, int slot, double value);
  void ChildGetStr(int child, int slot, std::string& text);
  std::string ChildGetStr(int child, int slot);
  void ChildSetStr(int child, int slot, std::string_view text);
  uint8_t ChildSlotType(int child, int slot);
  int32_t ChildSlotCount(int child);

  // ---- structural edits of Current ------------------------------------------------------------
  void ClearSlot(int slot);
  void InsertSlot(int slot);
  void DeleteSlot(int slot);
  void ExchangeSlots(int a, int b);
  void MoveSlot(int from, int to);
  void Clear();

  // ---- image (store/IMAGE_FORMAT.md) --------------------------------------------------------
  // Replaces `image` by the image of the subtree of Current. Throws kSaveError at the size limit.
  void SaveToString(std::string& image);
  // The same image streamed: `put` receives it in order, in pieces of about a megabyte, with its
  // checksum bytes (24-31) zero; the checksum to store there (little-endian) is returned. Nothing
  // of the image is held whole, so a large catalog is written to its file without a buffer of its
  // size. Throws kSaveError as SaveToString does, and whatever `put` throws.
  using TImageSink = void (*)(void* context, const char* bytes, size_t size);
  uint64_t SaveToSink(TImageSink put, void* context);
  // Replaces the whole tree by the one in `image`; true on success with the cursor on the new
  // root. Never throws. An image of 48 bytes or fewer leaves the store as it was; any other
  // failure leaves it empty. The checksum bytes of `image` are zero afterwards.
  bool LoadFromString(std::string& image);
  // The same load from bytes it leaves as they are. With `fileMapping`, `image` is a private
  // read-only mapping of a file (platform/FileIO.h MapWholeFile): pages already read are dropped
  // from the process as the load goes (they stay in the page cache), so the file never counts in
  // full towards the process's memory.
  bool LoadFromImage(std::string_view image, bool fileMapping = false);
  static uint64_t Checksum(std::string_view image);
  // Why the last LoadFromString returned false (empty after a success).
  const std::string& LoadFailure() const { return loadError_; }

  // ---- mark lists ---------------------------------------------------------------------------
  void AddMarkList();
  int MarkListCount() const { return static_cast<int>(marks_.size()); }
  const std::vector<TNodeRec*>& MarkList(int list) const;
  int MarkCount(int list) const;
  void AddMark(int list);
  bool GoToMark(int list, int index);
  void RemoveMark(int list, int index);
  void RemoveCurrentMark(int list);
  void ClearMarkList(int list);
  void PackMarkList(int list);
  // Sorts the entries with compare(TNodeRec* a, TNodeRec* b) -> int (not stable).
  template <class Compare>
  void SortMarkList(int list, Compare&& compare);

  // ---- copying, moving, searching, sorting ----------------------------------------------------
  // Appends deep copies of all slots of source.Current to the end of Current.
  void AppendFrom(TQDBase& source);
  // Moves the subtree of source.Current into this store in place of Current.
  void TakeSubtree(TQDBase& source);
  // First index >= start whose child holds at `slot` a string equal to text (bytes), or -1.
  int FindChildStr(std::string_view text, int slot, int start) const;
  int FindChildInt(int32_t value, int slot, int start) const;
  // Sorts slots first..SlotCount-1 of Current with compare(int i, int j) -> int over slot
  // indices. compare must leave the cursor where it found it.
  template <class Compare>
  void SortSlots(Compare&& compare, int first);

 private:
  friend class TQDTreeBuilder;

  bool LoadImage(std::string_view image, uint64_t stored, bool fileMapping);
  TNodeRec* AllocNode(TNodeRec* parent);
  TStrBlock* AllocStr(std::string_view text);
  void FreeStr(TStrBlock* s);
  void Reserve(TNodeRec* n, int needed);
  void ExtendTo(int n);
  void ReleaseSlot(TNodeRec* n, int slot);
  void ReleaseSubtree(TNodeRec* child);
  void FreeSubtreeMemory(TNodeRec* top);
  void ForgetMarks(TNodeRec* child);
  void ForgetWholeTree();
  void ResetToEmpty();
  void SetPair(int slot, uint8_t lowType, uint8_t highType, uint64_t bits);
  void ExchangeRaw(int a, int b);
  std::vector<TNodeRec*>& List(int list);
  void MarkRemoveAt(std::vector<TNodeRec*>& l, size_t index);

  template <class Compare>
  void QuickSortSlots(int l, int r, Compare& compare);
  template <class Compare>
  static void QuickSortList(std::vector<TNodeRec*>& items, int l, int r, Compare& compare);

  TNodeRec* root_ = nullptr;
  TNodeRec* cur_ = nullptr;
  int64_t mem_ = 0;
  std::vector<TNodeRec*> posStack_;
  std::vector<std::vector<TNodeRec*>> marks_;
  std::string loadError_;

  // Allocation: the store bumps blocks out of its own arena and recycles freed blocks through
  // free lists of its own. Arenas of other stores are held while nodes taken from them live here.
  std::shared_ptr<TQDArena> arena_;
  std::vector<std::shared_ptr<TQDArena>> heldArenas_;
  static constexpr int kSmallClasses = 129;            // blocks of 8..1024 bytes in steps of 8
  static constexpr int kClasses = kSmallClasses + 32;  // then 2 KiB .. 4 GiB in powers of two
  void* freeLists_[kClasses] = {};
  static size_t SizeClass(size_t& bytes);
  void* AllocBlock(size_t bytes);
  void FreeBlock(void* p, size_t bytes);
  void HoldArena(const std::shared_ptr<TQDArena>& a);
  friend void* TQDAllocForTest(TQDBase&, size_t);
};

[[noreturn]] void ThrowQD(const char* text);
[[noreturn]] void ThrowListIndex(int index);

// ---- templates
// ------------------------------------------------------------------------------------

// The quicksort of a pointer list: middle pivot by value, exchange, recurse into one part and
// loop on the other. Recursing into the smaller part bounds the stack; the parts are disjoint,
// so the result is the same as recursing into the left part always.
template <class Compare>
void TQDBase::QuickSortList(std::vector<TNodeRec*>& items, int l, int r, Compare& compare) {
  while (l < r) {
    int i = l, j = r;
    TNodeRec* p = items[static_cast<size_t>((l + r) >> 1)];
    do {
      while (compare(items[i], p) < 0) ++i;
      while (compare(items[j], p) > 0) --j;
      if (i <= j) {
        std::swap(items[i], items[j]);
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - l < r - i) {
      if (l < j) QuickSortList(items, l, j, compare);
      l = i;
    } else {
      if (i < r) QuickSortList(items, i, r, compare);
      r = j;
    }
  }
}

template <class Compare>
void TQDBase::SortMarkList(int list, Compare&& compare) {
  auto& items = List(list);
  if (items.size() > 1) QuickSortList(items, 0, static_cast<int>(items.size()) - 1, compare);
}

// The quicksort over slot indices with a tracked pivot index: the pivot is a slot, and follows
// its value when an exchange moves it.
template <class Compare>
void TQDBase::QuickSortSlots(int l, int r, Compare& compare) {
  while (l < r) {
    int i = l, j = r, p = (l + r) >> 1;
    do {
      while (compare(i, p) < 0) ++i;
      while (compare(j, p) > 0) --j;
      if (i <= j) {
        ExchangeRaw(i, j);
        if (p == i)
          p = j;
        else if (p == j)
          p = i;
        ++i;
        --j;
      }
    } while (i <= j);
    if (j - l < r - i) {
      if (l < j) QuickSortSlots(l, j, compare);
      l = i;
    } else {
      if (i < r) QuickSortSlots(i, r, compare);
      r = j;
    }
  }
}

template <class Compare>
void TQDBase::SortSlots(Compare&& compare, int first) {
  if (first < 0) first = 0;
  if (first < cur_->SlotCount - 1) QuickSortSlots(first, cur_->SlotCount - 1, compare);
}
