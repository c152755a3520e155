// SPDX-License-Identifier: MIT
// TQDImageWalk: reads an image (store/IMAGE_FORMAT.md) record by record, checking every count
// before it is used and summing the checksum behind itself, and hands each record and string to a
// visitor instead of building nodes. The load builds its tree through it (store/QDImage.cpp); a
// walk with a visitor of its own checks or counts a catalog file without building one, in memory
// of the order of its nesting depth.
//
// The visitor (its calls are inlined):
//   void Record(int slot, const TImageRecord& record)
//       a record begins: the payload of node slot `slot` of the innermost record still open, or
//       -1 for the top record;
//   void String(int slot, std::string_view bytes)
//       the payload of string slot `slot` of the innermost open record;
//   void EndRecord()
//       every payload of the innermost open record is read;
//   void Progress(size_t bytesRead)
//       about every megabyte of image.
// The bytes a record or string points to are the image's, readable until the walk ends (a page of
// a mapping given back is read in again from the file). A visitor may throw; the walk then fails
// with the reason "out of memory".
//
// A walk that fails gives no further calls; the calls it gave describe the image up to the
// offset in Error(). Records and strings come in image order, so the calls form a tree listing
// (each record, then the payloads of its owned slots in slot order, each child record complete
// before the next payload).
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "store/QDArena.h"
#include "store/QDBase.h"

namespace qdimage {

inline constexpr size_t kHeaderSize = 50;
inline constexpr size_t kChecksumOffset = 24;
inline constexpr size_t kNodeLimit = 500'000'000;  // no node record starts at or beyond this
inline constexpr uint8_t kVersion = 0x31;

inline uint32_t Load32(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;  // little-endian host
}
inline void Store32(unsigned char* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Bit t is set for each slot type t there is.
inline constexpr uint32_t kValidTypes = 1u << stEmpty | 1u << stNode | 1u << stString |
                                        1u << stInteger | 1u << stFloat | 1u << stInt64 |
                                        1u << stFloatHigh | 1u << stInt64High;

// What a slot type byte of an image is: bit 0 set for no type there is, bit 7 set for the types
// whose payload follows the record (nodes and strings).
inline constexpr auto kTypeClass = [] {
  std::array<uint8_t, 256> c{};
  for (unsigned t = 0; t < 256; ++t) {
    bool valid = t < 32 && (kValidTypes >> t & 1);
    c[t] = static_cast<uint8_t>((valid ? 0 : 1) | (t == stNode || t == stString ? 0x80 : 0));
  }
  return c;
}();

// The sum of words k in [from, to) (k >= 1): word k is image bytes 4k-1 .. 4k+2. Eight words at
// a time in four 64-bit lanes where SSE2 is there (every x86-64).
inline uint64_t SumWords(const unsigned char* p, size_t from, size_t to) {
  uint64_t a = 0, b = 0;
  size_t k = from;
#if defined(__SSE2__)
  if (to - k >= 8) {
    const __m128i zero = _mm_setzero_si128();
    __m128i s0 = zero, s1 = zero, s2 = zero, s3 = zero;
    for (; to - k >= 8; k += 8) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * k - 1));
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4 * k + 15));
      s0 = _mm_add_epi64(s0, _mm_unpacklo_epi32(v, zero));
      s1 = _mm_add_epi64(s1, _mm_unpackhi_epi32(v, zero));
      s2 = _mm_add_epi64(s2, _mm_unpacklo_epi32(w, zero));
      s3 = _mm_add_epi64(s3, _mm_unpackhi_epi32(w, zero));
    }
    const __m128i s = _mm_add_epi64(_mm_add_epi64(s0, s1), _mm_add_epi64(s2, s3));
    uint64_t lanes[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), s);
    a = lanes[0];
    b = lanes[1];
  }
#endif
  for (; k + 1 < to; k += 2) {
    a += Load32(p + 4 * k - 1);
    b += Load32(p + 4 * k + 3);
  }
  for (; k < to; ++k) a += Load32(p + 4 * k - 1);
  return a + b;
}

// Word 0: the length byte (bits 24-31 of the length) and image bytes 0-2.
inline uint64_t FirstWord(const unsigned char* p, size_t len) {
  return uint64_t((len >> 24) & 0xFF) | (uint64_t(p[0]) << 8) | (uint64_t(p[1]) << 16) |
         (uint64_t(p[2]) << 24);
}

// The words of the header of an image of more than 48 bytes (words 0 to 8), summed as though its
// checksum bytes (24-31) were zero, without writing to it. Those bytes lie in words 6 (byte 23
// and bytes 24-26), 7 (27-30) and 8 (byte 31 and bytes 32-34).
inline uint64_t HeaderWordsFieldZero(const unsigned char* p, size_t len) {
  uint64_t sum = FirstWord(p, len) + SumWords(p, 1, 6);
  sum += Load32(p + 23) & 0xFFu;
  sum += Load32(p + 31) & 0xFFFFFF00u;
  return sum;
}

// The checksum stored in the header of an image of more than 48 bytes.
inline uint64_t StoredChecksum(std::string_view image) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data());
  return uint64_t(Load32(bytes + kChecksumOffset)) |
         (uint64_t(Load32(bytes + kChecksumOffset + 4)) << 32);
}

}  // namespace qdimage

// One record of an image, read in place: its slot types and 32-bit cells (cells of node and
// string slots carry no meaning).
struct TImageRecord {
  int32_t SlotCount = 0;
  const uint8_t* Types = nullptr;
  const unsigned char* CellBytes = nullptr;

  uint8_t Type(int slot) const {
    return static_cast<unsigned>(slot) < static_cast<unsigned>(SlotCount) ? Types[slot]
                                                                          : uint8_t(stEmpty);
  }
  uint32_t Cell(int slot) const { return qdimage::Load32(CellBytes + 4 * size_t(slot)); }
  // The integer of `slot`, 0 when it is no stInteger slot (as FieldInt reads a node).
  int32_t Int(int slot) const {
    return Type(slot) == stInteger ? static_cast<int32_t>(Cell(slot)) : 0;
  }
  // The 64-bit bits of the pair `slot`, `slot + 1` of types `low` and `high`; 0 otherwise.
  uint64_t PairBits(int slot, uint8_t low, uint8_t high) const {
    if (Type(slot) != low || Type(slot + 1) != high) return 0;
    return uint64_t(Cell(slot)) | (uint64_t(Cell(slot + 1)) << 32);
  }
  int64_t Int64(int slot) const {
    return static_cast<int64_t>(PairBits(slot, stInt64, stInt64High));
  }
  double Float(int slot) const {
    uint64_t bits = PairBits(slot, stFloat, stFloatHigh);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }
};

template <class Visitor>
class TQDImageWalk {
 public:
  // `image` has more than 48 bytes. With `release`, it is a private read-only file mapping
  // (page-aligned) whose pages are given back to the page cache once read, so that a walk holds
  // only a few megabytes of the file at any time.
  TQDImageWalk(std::string_view image, Visitor& visitor, bool release)
      : v_(visitor),
        p_(reinterpret_cast<const unsigned char*>(image.data())),
        len_(image.size()),
        release_(release),
        words_(image.size() / 4),
        sum_(qdimage::HeaderWordsFieldZero(p_, len_)) {}

  // True when the structure is sound (the checksum is not looked at).
  bool Run() {
    pos_ = qdimage::kHeaderSize;
    if (len_ < qdimage::kHeaderSize) {  // 49 bytes: the header itself is cut short
      pos_ = len_;
      return Fail("header runs past the end");
    }
    try {
      if (const char* bad = ReadRecord(-1)) return Fail(bad);
      while (!stack_.empty()) {
        Frame& f = stack_.back();
        const int i = NextOwned(f);
        if (i >= f.count) {
          stack_.pop_back();
          v_.EndRecord();
        } else if (f.types[i] == stString) {
          if (len_ - pos_ < 4) return Fail("string length runs past the end");
          const uint32_t l = qdimage::Load32(p_ + pos_);
          pos_ += 4;
          if (l > len_ - pos_) return Fail("string runs past the end");
          // No store holds a string this long (its block's size is a signed 32-bit quantity).
          if (l > uint32_t(std::numeric_limits<int32_t>::max() - 16)) throw std::bad_alloc();
          v_.String(i, std::string_view(reinterpret_cast<const char*>(p_ + pos_), l));
          mem_ += 4 + int64_t(l);
          pos_ += l;
        } else if (const char* bad = ReadRecord(i)) {  // stNode; may reallocate stack_
          return Fail(bad);
        }
        if (pos_ - summed_ >= kSumStep) SumTo(pos_);
      }
    } catch (...) {
      return Fail("out of memory");
    }
    if (pos_ != len_) return Fail("bytes left over after the top node");
    return true;
  }

  // The checksum of the whole image with its checksum bytes taken as zero (after Run, whether it
  // succeeded or not).
  uint64_t Checksum() {
    SumTo(len_);
    return sum_;
  }
  // The accounted size of what was read (36 per node, 5 per slot, 4 + length per string).
  int64_t Accounted() const { return mem_; }
  // Why Run failed, with the offset.
  const std::string& Error() const { return error_; }

 private:
  struct Frame {
    const uint8_t* types;  // in the image
    int count;
    int next;        // slots from 64 on: the first not yet looked at
    uint64_t owned;  // the node and string slots among slots 0-63 not yet read, one bit each
  };

  // The next node or string slot of `f` not yet read, or f.count.
  static int NextOwned(Frame& f) {
    if (f.owned) {
      const int i = std::countr_zero(f.owned);
      f.owned &= f.owned - 1;
      return i;
    }
    int i = std::max(f.next, 64);
    for (; i < f.count; ++i)
      if (f.types[i] == stNode || f.types[i] == stString) break;
    f.next = i + 1;
    return i;
  }

  // Slot types eight at a time. A type byte b (bits h m l e from bit 3 down) is one there is (0-5,
  // 12, 13) when its high nibble is zero and, without h, not both m and l, or with h, m and not l;
  // it is a node or string type (1, 2) when neither h nor m is set and l differs from e.
  struct TTypeLanes {
    uint64_t invalid;  // non-zero when a byte is no type there is
    uint64_t owned;    // 0x01 in the lane of each node or string type
  };
  static TTypeLanes ClassifyTypes(uint64_t w) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    const uint64_t e = w & kOnes, l = (w >> 1) & kOnes, m = (w >> 2) & kOnes, h = (w >> 3) & kOnes;
    const uint64_t bad = ((~h & m & l) | (h & (~m | l))) & kOnes;
    return {(w & 0xF0F0F0F0F0F0F0F0ull) | bad, ~h & ~m & (l ^ e) & kOnes};
  }
  // The number of lanes set (0x01 per byte), without a population-count instruction.
  static int32_t LaneCount(uint64_t lanes) {
    return static_cast<int32_t>((lanes * 0x0101010101010101ull) >> 56);
  }
  // The lanes (0x01 per byte) as eight bits, lane k as bit k.
  static uint64_t LaneBits(uint64_t lanes) { return (lanes * 0x0102040810204080ull) >> 56; }

  // Reads SlotCount, OwnedCount, types and cells of one record and checks them; the reason it
  // is unsound, or nullptr.
  const char* ReadRecord(int slot) {
    if (pos_ >= qdimage::kNodeLimit) return "node record at or beyond offset 500,000,000";
    if (len_ - pos_ < 8) return "node record runs past the end";
    const int32_t count = static_cast<int32_t>(qdimage::Load32(p_ + pos_));
    const int32_t owned = static_cast<int32_t>(qdimage::Load32(p_ + pos_ + 4));
    pos_ += 8;
    if (count < 0 || owned < 0 || owned > count) return "slot counts out of range";
    if (size_t(count) > (len_ - pos_) / 5) return "slots run past the end";
    const uint8_t* types = p_ + pos_;
    // The types are checked eight at a time. The record's 5 bytes per slot lie in the image, so
    // from two slots on a word of 8 type bytes can be read; lanes that are no types of the record
    // (its cells, or types looked at already) are masked off.
    int32_t ownedSeen = 0;
    uint64_t invalid = 0, ownedBits = 0;
    if (count <= 8) {
      uint64_t w = 0;
      if (count >= 2) {
        std::memcpy(&w, types, 8);
        w &= ~uint64_t(0) >> (8 * (8 - count));
      } else if (count == 1) {
        w = types[0];
      }
      const TTypeLanes c = ClassifyTypes(w);
      invalid = c.invalid;
      ownedSeen = LaneCount(c.owned);
      ownedBits = LaneBits(c.owned);
    } else {
      int32_t i = 0;
      for (; count - i >= 8; i += 8) {
        uint64_t w;
        std::memcpy(&w, types + i, 8);
        const TTypeLanes c = ClassifyTypes(w);
        invalid |= c.invalid;
        ownedSeen += LaneCount(c.owned);
        if (i < 64) ownedBits |= LaneBits(c.owned) << i;
      }
      if (i < count) {  // the last 8 types, of which the first 8 - (count - i) were looked at
        uint64_t w;
        std::memcpy(&w, types + count - 8, 8);
        const TTypeLanes c = ClassifyTypes(w & (~uint64_t(0) << (8 * (8 - (count - i)))));
        invalid |= c.invalid;
        ownedSeen += LaneCount(c.owned);
        // Bits of slots from 64 on fall off the top; those slots are looked for one by one.
        if (count - 8 < 64) ownedBits |= LaneBits(c.owned) << (count - 8);
      }
    }
    if (invalid) return "unknown slot type";
    // Every owned slot must have its payload, or its cell would point nowhere.
    if (ownedSeen != owned) return "owned count does not match the node and string slots";
    // Each owned slot needs at least 4 more bytes (a string length or a node's counts).
    if (size_t(owned) * 4 > len_ - pos_ - size_t(count) * 5) return "payloads run past the end";
    pos_ += size_t(count) * 5;
    mem_ += 36 + 5 * int64_t(count);
    stack_.push_back({types, count, 64, ownedBits});
    v_.Record(slot, TImageRecord{count, types, types + count});
    return nullptr;
  }

  bool Fail(const char* reason) {
    error_ = std::string(reason) + " (offset " + std::to_string(pos_) + ")";
    stack_.clear();
    return false;
  }

  // Adds the words wholly before `upTo` to the checksum and gives their pages back.
  void SumTo(size_t upTo) {
    const size_t end = std::min(words_, (upTo + 1) / 4);
    if (end > nextWord_) {
      sum_ += qdimage::SumWords(p_, nextWord_, end);
      nextWord_ = end;
    }
    summed_ = upTo;
    v_.Progress(upTo);
    const size_t done = std::min(upTo, 4 * nextWord_ - 1);
    if (release_ && done > released_) {
      TQDArena::ReleaseFilePages(p_, released_, done);
      released_ = done;
    }
  }

  static constexpr size_t kSumStep = 1 << 20;

  Visitor& v_;
  const unsigned char* p_;
  size_t len_;
  bool release_;
  size_t released_ = 0;
  size_t words_;         // words the checksum covers: len_ / 4
  size_t nextWord_ = 9;  // the first word not yet summed (words 0-8 are the header's)
  size_t summed_ = 0;
  uint64_t sum_;
  size_t pos_ = 0;
  std::string error_;
  int64_t mem_ = 0;
  std::vector<Frame> stack_;
};

// The verdict of a walk: a checksum mismatch is the reason given whatever the structure.
bool CheckedImageWalk(bool sound, const std::string& walkError, uint64_t stored, uint64_t computed,
                      std::string& error);

// Walks the whole of `image` with `visitor` and tells whether it is a sound image: more than 48
// bytes, a matching checksum and a sound structure. Otherwise `error` gets the reason the load
// gives (TQDBase::LoadFailure), a wrong checksum before any other. `accounted` gets the accounted
// size of the tree the image holds (TQDBase::MemoryUsed64 after a load).
template <class Visitor>
bool WalkImage(std::string_view image, Visitor& visitor, bool fileMapping, std::string& error,
               int64_t* accounted = nullptr) {
  if (image.size() <= 48) {
    error = "image of 48 bytes or fewer";
    return false;
  }
  TQDImageWalk<Visitor> walk(image, visitor, fileMapping);
  const bool sound = walk.Run();
  const uint64_t computed = walk.Checksum();
  if (!CheckedImageWalk(sound, walk.Error(), qdimage::StoredChecksum(image), computed, error))
    return false;
  if (accounted) *accounted = walk.Accounted();
  return true;
}

// A visitor that looks at nothing: the walk of `tolvane-cli check`.
struct TImageNoVisitor {
  void Record(int, const TImageRecord&) {}
  void String(int, std::string_view) {}
  void EndRecord() {}
  void Progress(size_t) {}
};
