// SPDX-License-Identifier: MIT
// The node-store image: SaveToString, LoadFromString and the checksum (store/IMAGE_FORMAT.md).
#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>

#include "store/QDArena.h"
#include "store/QDBase.h"

namespace {

constexpr size_t kHeaderSize = 50;
constexpr size_t kChecksumOffset = 24;
constexpr size_t kNodeLimit = 500'000'000;  // no node record starts at or beyond this offset
constexpr uint8_t kVersion = 0x31;

inline uint32_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;  // little-endian host
}
inline void Store32(unsigned char* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Bit t is set for each slot type t there is.
constexpr uint32_t kValidTypes = 1u << stEmpty | 1u << stNode | 1u << stString | 1u << stInteger |
                                 1u << stFloat | 1u << stInt64 | 1u << stFloatHigh |
                                 1u << stInt64High;

// What a slot type byte of an image is: bit 0 set for no type there is, bit 7 set for the types
// whose payload follows the record (nodes and strings).
constexpr auto kTypeClass = [] {
  std::array<uint8_t, 256> c{};
  for (unsigned t = 0; t < 256; ++t) {
    bool valid = t < 32 && (kValidTypes >> t & 1);
    c[t] = static_cast<uint8_t>((valid ? 0 : 1) | (t == stNode || t == stString ? 0x80 : 0));
  }
  return c;
}();

}  // namespace

namespace {

// The sum of words k in [from, to) (k >= 1): word k is image bytes 4k-1 .. 4k+2.
uint64_t SumWords(const unsigned char* p, size_t from, size_t to) {
  uint64_t a = 0, b = 0;
  size_t k = from;
  for (; k + 1 < to; k += 2) {
    a += Load32(p + 4 * k - 1);
    b += Load32(p + 4 * k + 3);
  }
  for (; k < to; ++k) a += Load32(p + 4 * k - 1);
  return a + b;
}

// Word 0: the length byte (bits 24-31 of the length) and image bytes 0-2.
uint64_t FirstWord(const unsigned char* p, size_t len) {
  return uint64_t((len >> 24) & 0xFF) | (uint64_t(p[0]) << 8) | (uint64_t(p[1]) << 16) |
         (uint64_t(p[2]) << 24);
}

// The words of the header of an image of more than 48 bytes (words 0 to 8), summed as though its
// checksum bytes (24-31) were zero, without writing to it. Those bytes lie in words 6 (byte 23
// and bytes 24-26), 7 (27-30) and 8 (byte 31 and bytes 32-34).
uint64_t HeaderWordsFieldZero(const unsigned char* p, size_t len) {
  uint64_t sum = FirstWord(p, len) + SumWords(p, 1, 6);
  sum += Load32(p + 23) & 0xFFu;
  sum += Load32(p + 31) & 0xFFFFFF00u;
  return sum;
}

}  // namespace

uint64_t TQDBase::Checksum(std::string_view image) {
  const size_t len = image.size();
  const size_t m = len / 4;
  if (m == 0) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(image.data());
  return FirstWord(p, len) + SumWords(p, 1, m);
}

namespace {

// The checksum of an image fed to it in order, in pieces of any size: the words from word 1 on
// (word k is image bytes 4k-1 .. 4k+2), then word 0 once the length is known.
class TWordSummer {
 public:
  void Feed(const unsigned char* p, size_t n) {
    while (n && pos_ < 3) {  // image bytes 0-2 belong to word 0
      first_[pos_] = *p;
      ++pos_, ++p, --n;
    }
    while (n && have_) {
      TakeByte(*p);
      ++p, --n;
    }
    const size_t words = n / 4;
    if (words) {
      sum_ += SumWords(p + 1, 0, words);  // word k of SumWords reads p + 1 + 4k - 1
      last_ = Load32(p + 4 * (words - 1));
      counted_ += words;
      p += 4 * words;
      n -= 4 * words;
      pos_ += 4 * words;
    }
    while (n) {
      TakeByte(*p);
      ++p, --n;
    }
  }
  // The checksum of the `length` bytes fed. Words 1 .. length/4 - 1 count: a last whole word
  // ending on the image's last byte does not.
  uint64_t Finish(size_t length) const {
    const size_t m = length / 4;
    if (m == 0) return 0;
    uint64_t sum = uint64_t((length >> 24) & 0xFF) | (uint64_t(first_[0]) << 8) |
                   (uint64_t(first_[1]) << 16) | (uint64_t(first_[2]) << 24);
    sum += sum_;
    if (counted_ > m - 1) sum -= last_;
    return sum;
  }

 private:
  void TakeByte(unsigned char b) {
    partial_ |= uint32_t(b) << (8 * have_);
    ++pos_;
    if (++have_ == 4) {
      sum_ += partial_;
      last_ = partial_;
      ++counted_;
      partial_ = 0;
      have_ = 0;
    }
  }

  unsigned char first_[3] = {};
  size_t pos_ = 0;
  uint32_t partial_ = 0;
  unsigned have_ = 0;
  uint64_t sum_ = 0;
  uint32_t last_ = 0;
  size_t counted_ = 0;  // whole words summed
};

// The image as it is written: a buffer of about a megabyte handed to the sink when full, with the
// checksum summed over each piece on its way out.
class TImageOut {
 public:
  TImageOut(TQDBase::TImageSink put, void* context) : put_(put), context_(context) {
    buf_.resize(kPiece);
  }
  // Room for `n` more bytes at the end of the buffer (which grows for a record larger than it).
  unsigned char* Room(size_t n) {
    if (buf_.size() - used_ < n) {
      Flush();
      if (buf_.size() < n) buf_.resize(n);
    }
    return buf_.data() + used_;
  }
  void Advance(size_t n) { used_ += n; }
  void Append(const char* bytes, size_t n) {
    if (n <= buf_.size() - used_) {
      if (n) std::memcpy(buf_.data() + used_, bytes, n);
      used_ += n;
      return;
    }
    Flush();
    if (n < buf_.size()) {
      std::memcpy(buf_.data(), bytes, n);
      used_ = n;
      return;
    }
    Pass(reinterpret_cast<const unsigned char*>(bytes), n);  // a large string goes straight on
  }
  size_t Position() const { return done_ + used_; }
  void Flush() {
    if (!used_) return;
    Pass(buf_.data(), used_);
    used_ = 0;
  }
  uint64_t Checksum() const { return summer_.Finish(done_); }

 private:
  static constexpr size_t kPiece = 1 << 20;
  void Pass(const unsigned char* p, size_t n) {
    summer_.Feed(p, n);
    put_(context_, reinterpret_cast<const char*>(p), n);
    done_ += n;
  }

  TQDBase::TImageSink put_;
  void* context_;
  std::vector<unsigned char> buf_;
  size_t used_ = 0;
  size_t done_ = 0;  // bytes passed on
  TWordSummer summer_;
};

}  // namespace

uint64_t TQDBase::SaveToSink(TImageSink put, void* context) {
  // The image of a subtree is never larger than its accounting plus the header: checked at the
  // end, as a wrong count means a damaged store.
  const size_t capacity = static_cast<size_t>(mem_) + kHeaderSize;
  TImageOut out(put, context);
  unsigned char* header = out.Room(kHeaderSize);
  std::memset(header, 0, kHeaderSize);
  header[0] = kVersion;
  size_t sigLen = std::min<size_t>(Signature.size(), 8);
  header[9] = static_cast<unsigned char>(sigLen);
  if (sigLen) std::memcpy(header + 10, Signature.data(), sigLen);
  out.Advance(kHeaderSize);
  size_t nodes = 0;

  struct Frame {
    const TNodeRec* node;
    int next;
  };
  std::vector<Frame> stack;
  auto writeNode = [&](const TNodeRec* n) {
    if (out.Position() >= kNodeLimit) ThrowQD(kSaveError);
    ++nodes;
    const size_t count = size_t(n->SlotCount);
    unsigned char* rec = out.Room(8 + count * 5);
    const uint8_t* types = n->Types();
    if (count) std::memcpy(rec + 8, types, count);
    unsigned char* cells = rec + 8 + count;
    uint32_t owned = 0;
    for (size_t i = 0; i < count; ++i) {
      uint8_t t = types[i];
      // Cells of owned and empty slots carry no meaning: write zero for a reproducible image.
      bool ownedSlot = t == stNode || t == stString;
      owned += ownedSlot;
      uint32_t cell = (t == stEmpty || ownedSlot) ? 0 : n->Cells()[i].Bits;
      Store32(cells + 4 * i, cell);
    }
    Store32(rec, uint32_t(n->SlotCount));
    Store32(rec + 4, owned);
    out.Advance(8 + count * 5);
    stack.push_back({n, 0});
  };

  writeNode(cur_);
  while (!stack.empty()) {
    Frame& f = stack.back();
    const TNodeRec* n = f.node;
    const uint8_t* types = n->Types();
    bool descended = false;
    while (f.next < n->SlotCount) {
      int i = f.next++;
      if (types[i] == stString) {
        const TStrBlock* s = n->Cells()[i].Str();
        Store32(out.Room(4), uint32_t(s->Length));
        out.Advance(4);
        out.Append(s->Bytes(), size_t(s->Length));
      } else if (types[i] == stNode) {
        writeNode(n->Cells()[i].Node());  // may reallocate `stack`: leave the loop at once
        descended = true;
        break;
      }
    }
    if (!descended) stack.pop_back();
  }
  out.Flush();
  // Consistency: length + 28 per node is the accounted size of the subtree plus the header.
  if (out.Position() + 28 * nodes > capacity) ThrowQD(kSaveError);
  return out.Checksum();
}

void TQDBase::SaveToString(std::string& image) {
  // The caller's string is reused when it is large enough (a second save touches no new pages).
  image.clear();
  const size_t capacity = static_cast<size_t>(mem_) + kHeaderSize;
  if (image.capacity() < capacity) {
    std::string().swap(image);
    image.reserve(capacity);
  }
  try {
    uint64_t sum =
        SaveToSink([](void* context, const char* bytes,
                      size_t size) { static_cast<std::string*>(context)->append(bytes, size); },
                   &image);
    auto* out = reinterpret_cast<unsigned char*>(image.data());
    Store32(out + kChecksumOffset, uint32_t(sum));
    Store32(out + kChecksumOffset + 4, uint32_t(sum >> 32));
  } catch (...) {
    image.clear();  // never leave a partial image behind
    throw;
  }
}

// Reads an image into a detached tree allocated from this store's allocator. Every count is
// checked against the bytes left before anything is allocated, so hostile bytes can neither
// overrun the buffer nor make it allocate more than a few times the image size; nesting is
// followed with an explicit stack, so any depth is safe.
class TQDImageReader {
 public:
  // With `release`, the image is a read-only file mapping whose pages are given back to the
  // page cache once read, so a load holds only a few megabytes of the file at any time.
  // The image has more than 48 bytes. The checksum is summed behind the reader, so the bytes are
  // read from memory once.
  TQDImageReader(TQDBase& store, std::string_view image, bool release, TQDArena::TFaultAhead* ahead)
      : store_(store),
        ahead_(ahead),
        p_(reinterpret_cast<const unsigned char*>(image.data())),
        len_(image.size()),
        release_(release),
        words_(image.size() / 4),
        sum_(HeaderWordsFieldZero(p_, len_)) {}

  // The checksum of the whole image with its checksum bytes taken as zero (after Read, whether it
  // succeeded or not).
  uint64_t Checksum() {
    SumTo(len_);
    return sum_;
  }

  // The top node, or nullptr when the image is malformed (what was read is freed again).
  TNodeRec* Read() {
    pos_ = kHeaderSize;
    TNodeRec* top = nullptr;
    if (len_ < kHeaderSize) {  // 49 bytes: the header itself is cut short
      pos_ = len_;
      return Fail(nullptr, "header runs past the end");
    }
    try {
      top = ReadRecord(nullptr);
      if (!top) return Fail(nullptr, reason_);
      while (!stack_.empty()) {
        Frame& f = stack_.back();
        TNodeRec* n = f.node;
        uint8_t* types = n->Types();
        bool descended = false;
        while ((f.next = NextPending(types, f.next, n->SlotCount)) < n->SlotCount) {
          int i = f.next++;
          if (types[i] == (stString | kPending)) {
            if (len_ - pos_ < 4) return Fail(top, "string length runs past the end");
            uint32_t l = Load32(p_ + pos_);
            pos_ += 4;
            if (l > len_ - pos_) return Fail(top, "string runs past the end");
            n->Cells()[i].Bits = QDRef(NewStr(l));
            types[i] = stString;
            mem_ += 4 + int64_t(l);
            pos_ += l;
          } else {  // stNode | kPending
            TNodeRec* child = ReadRecord(n);
            if (!child) return Fail(top, reason_);
            n->Cells()[i].Bits = QDRef(child);
            types[i] = stNode;
            descended = true;
            break;
          }
        }
        if (!descended) stack_.pop_back();
        if (pos_ - summed_ >= kSumStep) SumTo(pos_);
      }
    } catch (...) {
      return Fail(top, "out of memory");
    }
    if (pos_ != len_) return Fail(top, "bytes left over after the top node");
    return top;
  }
  int64_t Accounted() const { return mem_; }
  const std::string& Error() const { return error_; }

 private:
  struct Frame {
    TNodeRec* node;
    int next;
  };

  // The first slot from `i` on whose payload is still to be read, or `count`; eight type bytes
  // at a time, since most slots hold numbers.
  static int NextPending(const uint8_t* types, int i, int count) {
    for (; count - i >= 8; i += 8) {
      uint64_t w;
      std::memcpy(&w, types + i, 8);
      w &= 0x8080808080808080ull;
      if (w) return i + (std::countr_zero(w) >> 3);
    }
    for (; i < count; ++i)
      if (types[i] & kPending) break;
    return i;
  }

  // Reads SlotCount, OwnedCount, types and cells of one node. Owned slots carry kPending until
  // their payload is read, so a failure part-way frees exactly what was allocated.
  static constexpr uint8_t kPending = 0x80;
  TNodeRec* ReadRecord(TNodeRec* parent) {
    reason_ = "node record at or beyond offset 500,000,000";
    if (pos_ >= kNodeLimit) return nullptr;
    reason_ = "node record runs past the end";
    if (len_ - pos_ < 8) return nullptr;
    int32_t count = static_cast<int32_t>(Load32(p_ + pos_));
    int32_t owned = static_cast<int32_t>(Load32(p_ + pos_ + 4));
    pos_ += 8;
    reason_ = "slot counts out of range";
    if (count < 0 || owned < 0 || owned > count) return nullptr;
    reason_ = "slots run past the end";
    if (size_t(count) > (len_ - pos_) / 5) return nullptr;
    const unsigned char* types = p_ + pos_;
    const unsigned char* cells = types + count;

    // The node and its slot arrays in one block straight from the arena (the free lists are
    // empty during a load); the counts were checked against the bytes left, so the block is
    // bounded by the image. Both parts are blocks of their own size class, so either can later
    // be freed alone.
    size_t valueBytes = 0;
    if (count > 0) valueBytes = BlockBytes(TNodeRec::SlotBlockBytes(count));
    char* block = static_cast<char*>(store_.arena_->Bump(sizeof(TNodeRec) + valueBytes));
    TNodeRec* n = reinterpret_cast<TNodeRec*>(block);
    n->Init(parent);
    int32_t ownedSeen = 0;
    uint32_t invalid = 0;
    if (count > 0) {
      n->ValuesRef = QDRef(block + sizeof(TNodeRec));
      n->Capacity = count;
      n->SlotCount = count;
      uint8_t* dt = n->Types();
      std::memcpy(dt, types, size_t(count));
      std::memcpy(n->Cells(), cells, 4 * size_t(count));
      // Types checked and owned slots marked pending (set to the real type once the payload is
      // read; their cells are set then) in one pass without branches.
      for (int32_t i = 0; i < count; ++i) {
        uint32_t c = kTypeClass[dt[i]];
        invalid |= c;
        ownedSeen += static_cast<int32_t>(c >> 7);
        dt[i] = static_cast<uint8_t>(dt[i] | (c & kPending));
      }
    }
    // A failed record stays in the arena, which the failed load drops as a whole.
    reason_ = "unknown slot type";
    if (invalid & 1) return nullptr;
    // Every owned slot must have its payload, or its cell would point nowhere.
    reason_ = "owned count does not match the node and string slots";
    if (ownedSeen != owned) return nullptr;
    // Each owned slot needs at least 4 more bytes (a string length or a node's counts).
    reason_ = "payloads run past the end";
    if (size_t(owned) * 4 > len_ - pos_ - size_t(count) * 5) return nullptr;
    pos_ += size_t(count) * 5;
    mem_ += 36 + 5 * int64_t(count);
    stack_.push_back({n, 0});
    return n;
  }

  // The string of `l` bytes at pos_, bumped from the arena like AllocStr's blocks.
  TStrBlock* NewStr(uint32_t l) {
    if (l > uint32_t(std::numeric_limits<int32_t>::max() - 16)) throw std::bad_alloc();
    auto* s = static_cast<TStrBlock*>(store_.arena_->Bump(BlockBytes(sizeof(TStrBlock) + l)));
    s->Length = static_cast<int32_t>(l);
    if (l) std::memcpy(s->Bytes(), p_ + pos_, l);
    return s;
  }

  // The size of the block AllocBlock would give for `bytes` (multiples of 8 up to 1 KiB).
  static size_t BlockBytes(size_t bytes) {
    bytes = (bytes + 7) & ~size_t(7);
    if (bytes > 1024) TQDBase::SizeClass(bytes);
    return bytes;
  }

  TNodeRec* Fail(TNodeRec* top, const char* reason) {
    error_ = std::string(reason) + " (offset " + std::to_string(pos_) + ")";
    // What was read is detached from the store and goes with its arena when the caller clears
    // the store; owned slots still pending are never followed.
    (void)top;
    stack_.clear();
    return nullptr;
  }

  // Adds the words wholly before `upTo` to the checksum and gives their pages back.
  void SumTo(size_t upTo) {
    size_t end = std::min(words_, (upTo + 1) / 4);
    if (end > nextWord_) {
      sum_ += SumWords(p_, nextWord_, end);
      nextWord_ = end;
    }
    summed_ = upTo;
    if (ahead_) ahead_->Progress();
    size_t done = std::min(upTo, 4 * nextWord_ - 1);
    if (release_ && done > released_) {
      TQDArena::ReleaseFilePages(p_, released_, done);
      released_ = done;
    }
  }

  static constexpr size_t kSumStep = 1 << 20;

  TQDBase& store_;
  TQDArena::TFaultAhead* ahead_;
  const unsigned char* p_;
  size_t len_;
  bool release_;
  size_t released_ = 0;
  size_t words_;         // words the checksum covers: len_ / 4
  size_t nextWord_ = 9;  // the first word not yet summed (words 0-8 are the header's)
  size_t summed_ = 0;
  uint64_t sum_;
  size_t pos_ = 0;
  const char* reason_ = "";
  std::string error_;
  int64_t mem_ = 0;
  std::vector<Frame> stack_;
};

namespace {
constexpr size_t kFaultAheadFrom = 8 << 20;

uint64_t StoredChecksum(std::string_view image) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  return uint64_t(Load32(bytes + kChecksumOffset)) |
         (uint64_t(Load32(bytes + kChecksumOffset + 4)) << 32);
}
}  // namespace

bool TQDBase::LoadFromString(std::string& image) {
  if (image.size() <= 48) return LoadImage(image, 0, false);
  uint64_t stored = StoredChecksum(image);
  std::memset(image.data() + kChecksumOffset, 0, 8);
  return LoadImage(image, stored, false);
}

bool TQDBase::LoadFromImage(std::string_view image, bool fileMapping) {
  return LoadImage(image, image.size() > 48 ? StoredChecksum(image) : 0, fileMapping);
}

bool TQDBase::LoadImage(std::string_view image, uint64_t stored, bool fileMapping) {
  if (image.size() <= 48) {
    loadError_ = "image of 48 bytes or fewer";
    return false;
  }
  Clear();
  // A catalog's nodes, slot arrays and strings take about 1.3 times its image: reserve up to twice
  // that at once, since untouched pages cost nothing (the reader checks every count against the
  // bytes left, so an image cannot ask for more).
  size_t expected = std::min<size_t>(2 * image.size(), size_t(1) << 32);
  arena_->Expect(expected);
  // A large image's pages are cleared on another core while it is read.
  std::optional<TQDArena::TFaultAhead> ahead;
  if (image.size() >= kFaultAheadFrom) ahead.emplace(*arena_, expected);
  // One pass: the tree is read while the checksum is summed; a wrong checksum is the reason
  // given, whatever the structure.
  TQDImageReader reader(*this, image, fileMapping, ahead ? &*ahead : nullptr);
  TNodeRec* top = reader.Read();
  ahead.reset();
  uint64_t computed = reader.Checksum();
  if (computed != stored) {
    char text[96];
    std::snprintf(text, sizeof text, "checksum mismatch (stored %016llx, computed %016llx)",
                  static_cast<unsigned long long>(stored),
                  static_cast<unsigned long long>(computed));
    loadError_ = text;
    Clear();
    return false;
  }
  if (!top) {
    loadError_ = reader.Error();
    Clear();
    return false;
  }
  loadError_.clear();
  FreeBlock(root_, sizeof(TNodeRec));  // the empty root made by Clear
  root_ = top;
  cur_ = top;
  mem_ = reader.Accounted();
  return true;
}
