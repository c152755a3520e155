// SPDX-License-Identifier: MIT
#include "search/SearchMask.h"

#include <cstdint>
#include <cstring>

#include "platform/TextCase.h"

namespace {

// `mask` with runs of "*" collapsed.
std::string Collapse(std::string_view mask) {
  std::string out;
  for (char c : mask)
    if (!(c == '*' && !out.empty() && out.back() == '*')) out += c;
  return out;
}

bool PlainAscii(std::string_view s) {
  for (char c : s)
    if ((static_cast<unsigned char>(c) & 0x80) || c == '*' || c == '?') return false;
  return true;
}

constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHigh = 0x8080808080808080ull;

// Upper-cases an ASCII text without "*" into `out` (room for text.size() bytes); false when the
// text has another byte. Eight bytes at a time: for bytes below 0x80 the additions below cannot
// carry into the next byte.
bool UpperPlain(std::string_view text, char* out) {
  const char* p = text.data();
  size_t n = text.size(), i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x;
    std::memcpy(&x, p + i, 8);
    uint64_t star = x ^ (kOnes * '*');
    if ((x & kHigh) || ((star - kOnes) & ~star & kHigh)) return false;
    uint64_t geA = x + kOnes * (0x80 - 'a');      // high bit set where the byte >= 'a'
    uint64_t gtZ = x + kOnes * (0x80 - 'z' - 1);  // high bit set where the byte > 'z'
    uint64_t lower = geA & ~gtZ & kHigh;
    x ^= lower >> 2;  // 0x80 >> 2 == 0x20, the case bit
    std::memcpy(out + i, &x, 8);
  }
  for (; i < n; ++i) {
    unsigned char c = static_cast<unsigned char>(p[i]);
    if ((c & 0x80) || c == '*') return false;
    out[i] = static_cast<char>(AsciiUpper(c));
  }
  return true;
}

}  // namespace

namespace {

// `stored` as the masks see it: itself while valid UTF-8, else decoded into a buffer of the
// calling thread.
[[gnu::noinline]] std::string_view Decoded(std::string_view stored, const TTextDecoder& decoder) {
  thread_local std::string decoded;
  decoder.DecodeInto(stored, decoded);
  return decoded;
}

inline std::string_view ShownText(std::string_view stored, const TTextDecoder* decoder) {
  if (!decoder || stored.empty() || !TTextDecoder::NeedsDecoding(stored)) return stored;
  return Decoded(stored, *decoder);
}

}  // namespace

TSearchMask::TSearchMask(std::string_view mask) : wild_(mask) {
  std::string m = Collapse(mask);
  if (m == "*") {
    form_ = TForm::All;
    return;
  }
  if (m.size() < 2) return;
  bool lead = m.front() == '*', trail = m.back() == '*';
  std::string_view inner(m);
  if (lead) inner.remove_prefix(1);
  if (trail) inner.remove_suffix(1);
  if (inner.empty() || !PlainAscii(inner)) return;
  literal_ = Utf8Upper(inner);
  if (lead && trail)
    form_ = TForm::Contains;
  else if (lead)
    form_ = TForm::Suffix;
  else if (trail)
    form_ = TForm::Prefix;
}

TSearchMask::TFast TSearchMask::MatchFast(std::string_view text) const {
  switch (form_) {
    case TForm::General:
      return TFast::Undecided;
    case TForm::All:
      return TFast::Yes;
    default:
      break;
  }
  if (text.empty()) return TFast::Undecided;
  char small[256];
  thread_local std::string large;
  char* buf = small;
  if (text.size() > sizeof small) {
    large.resize(text.size());
    buf = large.data();
  }
  // Plain ASCII (the fast forms' case) is UTF-8: it is matched as stored.
  if (!UpperPlain(text, buf)) return TFast::Undecided;
  std::string_view s(buf, text.size()), g(literal_);
  bool match = false;
  switch (form_) {
    case TForm::Contains: {
      // Names are short: a plain scan for the first letter beats the library's search calls.
      if (s.size() < g.size()) break;
      const char first = g[0];
      const size_t rest = g.size() - 1, last = s.size() - g.size();
      for (size_t i = 0; i <= last && !match; ++i)
        match = s[i] == first && std::memcmp(s.data() + i + 1, g.data() + 1, rest) == 0;
      break;
    }
    case TForm::Suffix:
      match = s.size() >= g.size() && s.substr(s.size() - g.size()) == g;
      break;
    case TForm::Prefix: {
      // The matcher stops at the end of the text and then accepts because the mask ends in "*":
      // a text that is a prefix of the literal matches too ('read*' matches 'rea').
      size_t n = std::min(s.size(), g.size());
      match = std::memcmp(s.data(), g.data(), n) == 0;
      break;
    }
    default:
      return TFast::Undecided;
  }
  return match ? TFast::Yes : TFast::No;
}

TMaskSet::TMaskSet(const std::vector<std::string>& masks) {
  masks_.reserve(masks.size());
  for (const auto& m : masks) masks_.emplace_back(m);
}

bool TMaskSet::MatchesAnyMask(std::string_view stored, const TTextDecoder* decoder) const {
  std::string_view shown;
  bool decided = false;  // whether `shown` is set
  for (const auto& m : masks_) {
    switch (m.MatchFast(stored)) {
      case TSearchMask::TFast::Yes:
        return true;
      case TSearchMask::TFast::No:
        continue;
      case TSearchMask::TFast::Undecided:
        break;
    }
    if (!decided) {
      shown = ShownText(stored, decoder);
      decided = true;
    }
    if (m.MatchWild(shown)) return true;
  }
  return false;
}
