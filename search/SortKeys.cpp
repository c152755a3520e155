// SPDX-License-Identifier: MIT
#include "search/SortKeys.h"

#include <algorithm>
#include <array>

#include "platform/Collate.h"

namespace {

// rank[c]: 0 for characters the collation ignores, else 1 + the number of distinct weights of
// the ASCII characters that sort before c. Derived from AnsiCompareText itself, so the keys agree
// with it whatever collation it uses.
struct TRanks {
  std::array<uint8_t, 128> rank{};
  bool usable = false;
};

int KeyCompare(const TRanks& r, std::string_view x, std::string_view y) {
  std::string kx, ky;
  for (char c : x)
    if (uint8_t v = r.rank[static_cast<unsigned char>(c)]) kx += static_cast<char>(v);
  for (char c : y)
    if (uint8_t v = r.rank[static_cast<unsigned char>(c)]) ky += static_cast<char>(v);
  int d = kx.compare(ky);
  return d < 0 ? -1 : d > 0;
}

TRanks BuildRanks() {
  TRanks r;
  std::vector<char> chars;
  for (int c = 0; c < 128; ++c) {
    char ch = static_cast<char>(c);
    if (AnsiCompareText(std::string_view(&ch, 1), std::string_view()) == 0) continue;
    chars.push_back(ch);
  }
  std::stable_sort(chars.begin(), chars.end(), [](char a, char b) {
    return AnsiCompareText(std::string_view(&a, 1), std::string_view(&b, 1)) < 0;
  });
  uint8_t rank = 0;
  for (size_t i = 0; i < chars.size(); ++i) {
    if (i == 0 ||
        AnsiCompareText(std::string_view(&chars[i - 1], 1), std::string_view(&chars[i], 1)) != 0)
      ++rank;
    r.rank[static_cast<unsigned char>(chars[i])] = rank;
  }
  // Verify on pairs (contractions such as "ch" in some tailorings break the per-character view).
  r.usable = true;
  for (int a = 32; a < 127 && r.usable; ++a)
    for (int b = 32; b < 127 && r.usable; ++b) {
      char x[3] = {static_cast<char>(a), static_cast<char>(b), 'a'};
      char y[3] = {static_cast<char>(b), 'h', static_cast<char>(a)};
      std::string_view sx(x, 3), sy(y, 3);
      int ref = AnsiCompareText(sx, sy);
      ref = ref < 0 ? -1 : ref > 0;
      if (ref != KeyCompare(r, sx, sy)) r.usable = false;
    }
  return r;
}

const TRanks& Ranks() {
  static const TRanks r = BuildRanks();
  return r;
}

}  // namespace

bool AsciiRankKeysUsable() { return Ranks().usable; }

void TTextKeys::Reserve(size_t rows, size_t bytes) {
  start_.reserve(rows);
  length_.reserve(rows);
  fast_.reserve(rows);
  bytes_.reserve(bytes);
}

void TTextKeys::Add(std::string_view text, const TCatalogDecoders* decoders, const TNodeRec* item) {
  const TRanks& r = Ranks();
  size_t at = bytes_.size();
  bool fast = r.usable;
  if (fast) {
    for (char c : text) {
      unsigned char u = static_cast<unsigned char>(c);
      if (u & 0x80) {
        fast = false;
        break;
      }
      if (uint8_t v = r.rank[u]) bytes_.push_back(static_cast<char>(v));
    }
  }
  if (!fast) {
    bytes_.resize(at);
    if (decoders && TTextDecoder::NeedsDecoding(text))
      bytes_.append(decoders->For(item).Text(text));
    else
      bytes_.append(text);
    allFast_ = false;
  }
  start_.push_back(at);
  length_.push_back(static_cast<uint32_t>(bytes_.size() - at));
  fast_.push_back(fast);
}

int TTextKeys::Compare(size_t a, size_t b) const {
  if (fast_[a] && fast_[b]) {
    int d = BytesOf(a).compare(BytesOf(b));
    return d < 0 ? -1 : d > 0;
  }
  std::string ta = fast_[a] ? textOf_(a) : std::string(BytesOf(a));
  std::string tb = fast_[b] ? textOf_(b) : std::string(BytesOf(b));
  int d = AnsiCompareText(ta, tb);
  return d < 0 ? -1 : d > 0;
}

void TTextKeys::Prefix(size_t row, uint64_t* words, int count, bool& whole) const {
  std::string_view k = fast_[row] ? BytesOf(row) : std::string_view();
  whole = fast_[row] && k.size() <= size_t(count) * 8;
  for (int w = 0; w < count; ++w) {
    uint64_t v = 0;
    for (size_t i = size_t(w) * 8; i < size_t(w) * 8 + 8; ++i)
      v = (v << 8) | (i < k.size() ? static_cast<unsigned char>(k[i]) : 0u);
    words[w] = v;
  }
}
