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
#include "store/QDImageWalk.h"

using qdimage::FirstWord;
using qdimage::kChecksumOffset;
using qdimage::kHeaderSize;
using qdimage::kNodeLimit;
using qdimage::kVersion;
using qdimage::Load32;
using qdimage::Store32;
using qdimage::SumWords;

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

// Builds the tree of an image as the walk reads it: every record becomes a node whose slot arrays
// follow it in one block, every string a block of its own, all bumped straight from the store's
// arena (the free lists are empty during a load). The walk checked the counts against the bytes
// left, so the blocks are bounded by the image. A failed load leaves a detached partial tree in
// the arena, which the caller drops with the store's Clear; nothing walks it.
class TQDTreeBuilder {
 public:
  TQDTreeBuilder(TQDBase& store, TQDArena::TFaultAhead* ahead)
      : arena_(*store.arena_), ahead_(ahead) {}

  void Record(int slot, const TImageRecord& r) {
    const int32_t count = r.SlotCount;
    // Both parts are blocks of their own size class, so either can later be freed alone.
    size_t valueBytes = 0;
    if (count > 0) valueBytes = BlockBytes(TNodeRec::SlotBlockBytes(count));
    char* block = static_cast<char*>(arena_.Bump(sizeof(TNodeRec) + valueBytes));
    TNodeRec* n = reinterpret_cast<TNodeRec*>(block);
    TNodeRec* parent = open_.empty() ? nullptr : open_.back();
    n->Init(parent);
    if (count > 0) {
      n->ValuesRef = QDRef(block + sizeof(TNodeRec));
      n->Capacity = count;
      n->SlotCount = count;
      std::memcpy(n->Types(), r.Types, size_t(count));
      std::memcpy(n->Cells(), r.CellBytes, 4 * size_t(count));
    }
    if (parent)
      parent->Cells()[slot].Bits = QDRef(n);
    else
      top_ = n;
    open_.push_back(n);
  }
  void String(int slot, std::string_view bytes) {
    auto* s = static_cast<TStrBlock*>(arena_.Bump(BlockBytes(sizeof(TStrBlock) + bytes.size())));
    s->Length = static_cast<int32_t>(bytes.size());
    if (!bytes.empty()) std::memcpy(s->Bytes(), bytes.data(), bytes.size());
    open_.back()->Cells()[slot].Bits = QDRef(s);
  }
  void EndRecord() { open_.pop_back(); }
  void Progress(size_t) {
    if (ahead_) ahead_->Progress();
  }
  TNodeRec* Top() const { return top_; }

 private:
  // The size of the block AllocBlock would give for `bytes` (multiples of 8 up to 1 KiB).
  static size_t BlockBytes(size_t bytes) {
    bytes = (bytes + 7) & ~size_t(7);
    if (bytes > 1024) TQDBase::SizeClass(bytes);
    return bytes;
  }

  TQDArena& arena_;
  TQDArena::TFaultAhead* ahead_;
  TNodeRec* top_ = nullptr;
  std::vector<TNodeRec*> open_;
};

bool CheckedImageWalk(bool sound, const std::string& walkError, uint64_t stored, uint64_t computed,
                      std::string& error) {
  if (computed != stored) {
    char text[96];
    std::snprintf(text, sizeof text, "checksum mismatch (stored %016llx, computed %016llx)",
                  static_cast<unsigned long long>(stored),
                  static_cast<unsigned long long>(computed));
    error = text;
    return false;
  }
  if (!sound) {
    error = walkError;
    return false;
  }
  error.clear();
  return true;
}

namespace {
constexpr size_t kFaultAheadFrom = 8 << 20;
}  // namespace

bool TQDBase::LoadFromString(std::string& image) {
  if (image.size() <= 48) return LoadImage(image, 0, false);
  uint64_t stored = qdimage::StoredChecksum(image);
  std::memset(image.data() + kChecksumOffset, 0, 8);
  return LoadImage(image, stored, false);
}

bool TQDBase::LoadFromImage(std::string_view image, bool fileMapping) {
  return LoadImage(image, image.size() > 48 ? qdimage::StoredChecksum(image) : 0, fileMapping);
}

bool TQDBase::LoadImage(std::string_view image, uint64_t stored, bool fileMapping) {
  if (image.size() <= 48) {
    loadError_ = "image of 48 bytes or fewer";
    return false;
  }
  Clear();
  // A catalog's nodes, slot arrays and strings take about 1.3 times its image: reserve up to twice
  // that at once, since untouched pages cost nothing (the walk checks every count against the
  // bytes left, so an image cannot ask for more).
  size_t expected = std::min<size_t>(2 * image.size(), size_t(1) << 32);
  arena_->Expect(expected);
  // A large image's pages are cleared on another core while it is read.
  std::optional<TQDArena::TFaultAhead> ahead;
  if (image.size() >= kFaultAheadFrom) ahead.emplace(*arena_, expected);
  // One pass: the tree is built while the checksum is summed.
  TQDTreeBuilder builder(*this, ahead ? &*ahead : nullptr);
  TQDImageWalk<TQDTreeBuilder> walk(image, builder, fileMapping);
  const bool sound = walk.Run();
  ahead.reset();
  const uint64_t computed = walk.Checksum();
  if (!CheckedImageWalk(sound, walk.Error(), stored, computed, loadError_)) {
    Clear();
    return false;
  }
  FreeBlock(root_, sizeof(TNodeRec));  // the empty root made by Clear
  root_ = builder.Top();
  cur_ = root_;
  mem_ = walk.Accounted();
  return true;
}
