// SPDX-License-Identifier: MIT
#include "platform/Collate.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/TextCase.h"

namespace {

struct Collation {
  UCollator* coll = nullptr;
  // rank[c] = 0 for characters the collator ignores, else the position of c's primary weight
  // among those of all ASCII characters (equal for the two cases of a letter).
  std::array<uint16_t, 128> rank{};
  bool asciiSafe = false;
};

std::string LocaleName() {
  const char* loc = std::setlocale(LC_COLLATE, nullptr);
  if (!loc || !*loc || std::strcmp(loc, "C") == 0 || std::strcmp(loc, "POSIX") == 0 ||
      std::strncmp(loc, "C.", 2) == 0)
    return "";  // root
  std::string s = loc;
  auto dot = s.find('.');
  if (dot != std::string::npos) s.resize(dot);
  return s;
}

// Collation key of a single character at secondary strength.
std::vector<uint8_t> KeyOf(UCollator* c, char ch) {
  UChar u = static_cast<UChar>(static_cast<unsigned char>(ch));
  uint8_t buf[64];
  int32_t n = ucol_getSortKey(c, &u, 1, buf, sizeof buf);
  return std::vector<uint8_t>(buf, buf + std::min<int32_t>(n, 64));
}

Collation* Build() {
  auto* c = new Collation;
  UErrorCode err = U_ZERO_ERROR;
  std::string loc = LocaleName();
  c->coll = ucol_open(loc.c_str(), &err);
  if (U_FAILURE(err)) {
    err = U_ZERO_ERROR;
    c->coll = ucol_open("", &err);
  }
  if (U_FAILURE(err) || !c->coll) return c;
  ucol_setStrength(c->coll, UCOL_SECONDARY);
  // Rank ASCII characters by their keys. Keys at secondary strength of single ASCII characters
  // carry only their primary weight plus the common secondary, so ranking the keys reproduces
  // the collator's order for ASCII texts, provided no ASCII character forms a contraction or
  // expansion (checked below on pairs).
  std::vector<std::pair<std::vector<uint8_t>, int>> keys;
  for (int ch = 0; ch < 128; ++ch) keys.emplace_back(KeyOf(c->coll, static_cast<char>(ch)), ch);
  std::vector<uint8_t> ignorable = [&] {
    uint8_t buf[16];
    UChar none = 0;
    int32_t n = ucol_getSortKey(c->coll, &none, 0, buf, sizeof buf);
    return std::vector<uint8_t>(buf, buf + std::min<int32_t>(n, 16));
  }();
  // (An explicit byte loop: GCC 12 warns falsely about the library's memcmp here.)
  auto keyLess = [](const std::pair<std::vector<uint8_t>, int>& x,
                    const std::pair<std::vector<uint8_t>, int>& y) {
    size_t n = std::min(x.first.size(), y.first.size());
    for (size_t i = 0; i < n; ++i)
      if (x.first[i] != y.first[i]) return x.first[i] < y.first[i];
    if (x.first.size() != y.first.size()) return x.first.size() < y.first.size();
    return x.second < y.second;
  };
  std::sort(keys.begin(), keys.end(), keyLess);
  uint16_t r = 0;
  const std::vector<uint8_t>* prev = nullptr;
  for (auto& [key, ch] : keys) {
    if (key == ignorable) {
      c->rank[size_t(ch)] = 0;
      continue;
    }
    if (!prev || *prev != key) ++r;
    c->rank[size_t(ch)] = r;
    prev = &key;
  }
  // Verify the table on every pair of printable characters followed by letters: any disagreement
  // (a tailoring with ASCII contractions, such as "ch" in some locales) turns the fast path off.
  c->asciiSafe = true;
  auto fastCompare = [&](const char* a, const char* b) {
    // Same algorithm as FastAscii below.
    std::string_view x(a), y(b);
    size_t i = 0, j = 0;
    for (;;) {
      while (i < x.size() && c->rank[size_t(x[i])] == 0) ++i;
      while (j < y.size() && c->rank[size_t(y[j])] == 0) ++j;
      if (i == x.size() || j == y.size()) return int(i < x.size()) - int(j < y.size());
      int d = int(c->rank[size_t(x[i])]) - int(c->rank[size_t(y[j])]);
      if (d) return d < 0 ? -1 : 1;
      ++i;
      ++j;
    }
  };
  for (int a = 32; a < 127 && c->asciiSafe; ++a)
    for (int b = 32; b < 127 && c->asciiSafe; ++b) {
      char x[4] = {static_cast<char>(a), static_cast<char>(b), 'a', 0};
      char y[4] = {static_cast<char>(b), 'h', static_cast<char>(a), 0};
      UErrorCode e = U_ZERO_ERROR;
      int ref = ucol_strcollUTF8(c->coll, x, 3, y, 3, &e);
      int fast = fastCompare(x, y);
      if ((ref < 0) != (fast < 0) || (ref > 0) != (fast > 0)) c->asciiSafe = false;
    }
  return c;
}

Collation& Get() {
  static Collation* c = Build();
  return *c;
}

int FastAscii(const Collation& c, std::string_view x, std::string_view y) {
  size_t i = 0, j = 0;
  const size_t nx = x.size(), ny = y.size();
  for (;;) {
    while (i < nx && c.rank[static_cast<unsigned char>(x[i])] == 0) ++i;
    while (j < ny && c.rank[static_cast<unsigned char>(y[j])] == 0) ++j;
    if (i == nx || j == ny) return int(i < nx) - int(j < ny);
    int d = int(c.rank[static_cast<unsigned char>(x[i])]) -
            int(c.rank[static_cast<unsigned char>(y[j])]);
    if (d) return d < 0 ? -1 : 1;
    ++i;
    ++j;
  }
}

}  // namespace

int CollatorCompare(std::string_view a, std::string_view b) {
  Collation& c = Get();
  if (!c.coll) return a.compare(b) < 0 ? -1 : a.compare(b) > 0;
  UErrorCode err = U_ZERO_ERROR;
  // ucol_strcollUTF8 treats ill-formed bytes as U+FFFD; legacy bytes then compare by byte below.
  UCollationResult r =
      ucol_strcollUTF8(c.coll, a.data(), int32_t(a.size()), b.data(), int32_t(b.size()), &err);
  if (U_FAILURE(err)) return a.compare(b) < 0 ? -1 : a.compare(b) > 0;
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

static int AsciiFoldCompare(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = AsciiUpper(static_cast<unsigned char>(a[i]));
    unsigned char y = AsciiUpper(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  Collation& c = Get();
  bool asciiA = IsAsciiText(a), asciiB = IsAsciiText(b);
  if (c.asciiSafe && asciiA && asciiB) return FastAscii(c, a, b);
  if ((!asciiA && !IsValidUtf8(a)) || (!asciiB && !IsValidUtf8(b))) return AsciiFoldCompare(a, b);
  return CollatorCompare(a, b);
}

bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }

bool AsciiCollationKey(std::string_view name, std::string& key) {
  const Collation& c = Get();
  if (!c.asciiSafe || !IsAsciiText(name)) return false;
  // The ranks of the characters the collator does not ignore: FastAscii's comparison exactly.
  key.clear();
  for (char ch : name)
    if (uint16_t r = c.rank[static_cast<unsigned char>(ch)]) key.push_back(static_cast<char>(r));
  return true;
}
