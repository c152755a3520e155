// SPDX-License-Identifier: MIT
#include "platform/WildMatch.h"

#include "platform/TextCase.h"

namespace {

// The match proper, over an upper-cased mask M and a text S whose characters are upper-cased by
// `up` as they are read. Steps 1 to 4 (equality, "*", empty) are the caller's.
template <class SChar, class MChar, class Up>
bool MatchUpper(const SChar* s, size_t ns, const MChar* m, size_t nm, Up up) {
  auto eq = [&](size_t si, size_t mj) {
    return m[mj] == MChar('?') || static_cast<char32_t>(up(s[si])) == static_cast<char32_t>(m[mj]);
  };
  size_t i = 0, j = 0;
  while (i < ns && j < nm) {
    if (eq(i, j)) {
      ++i;
      ++j;
    } else if (m[j] == MChar('*')) {
      size_t r = j + 1;  // R = m[r .. nm)
      size_t star = r;
      while (star < nm && m[star] != MChar('*')) ++star;
      if (star == nm) {
        size_t nr = nm - r;
        if (nr == 0) return true;
        if (nr > ns) return false;
        // The tail is compared with the end of the whole text, right-aligned.
        size_t base = ns - nr;
        for (size_t k = 0; k < nr; ++k)
          if (!eq(base + k, r + k)) return false;
        return true;
      }
      size_t ng = star - r;  // G = m[r .. star)
      j = star;
      // First q >= i where G matches.
      bool found = false;
      for (size_t q = i; q + ng <= ns; ++q) {
        size_t k = 0;
        while (k < ng && eq(q + k, r + k)) ++k;
        if (k == ng) {
          i = q + ng;
          found = true;
          break;
        }
      }
      if (!found) return false;
    } else {
      return false;
    }
  }
  if (i < ns) return false;
  if (j < nm && m[nm - 1] != MChar('*')) return false;
  return true;
}

std::string CollapseStars(std::string_view mask) {
  std::string out;
  out.reserve(mask.size());
  for (char c : mask)
    if (!(c == '*' && !out.empty() && out.back() == '*')) out += c;
  return out;
}

}  // namespace

TWildMask::TWildMask(std::string_view mask) : original_(mask) {
  std::string collapsed = CollapseStars(mask);
  star_ = collapsed == "*";
  empty_ = collapsed.empty();
  ascii_ = IsAsciiText(collapsed);
  if (ascii_) {
    asciiUpper_ = Utf8Upper(collapsed);
  }
  DecodeUpper(collapsed, upper_);
}

bool TWildMask::Match(std::string_view text) const {
  if (text == original_) return true;
  if (star_) return true;
  if (empty_ || text.empty()) return false;
  if (ascii_ && IsAsciiText(text)) {
    auto up = [](char c) { return AsciiUpper(static_cast<unsigned char>(c)); };
    return MatchUpper(text.data(), text.size(), asciiUpper_.data(), asciiUpper_.size(), up);
  }
  thread_local std::u32string s;
  DecodeUpper(text, s);
  auto same = [](char32_t c) { return c; };
  return MatchUpper(s.data(), s.size(), upper_.data(), upper_.size(), same);
}

bool WildMatch(std::string_view text, std::string_view mask) { return TWildMask(mask).Match(text); }
