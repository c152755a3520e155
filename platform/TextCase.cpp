// SPDX-License-Identifier: MIT
#include "platform/TextCase.h"

#include <unicode/uchar.h>

#include <cstring>

bool IsAsciiText(std::string_view s) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
  size_t n = s.size(), i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, p + i, 8);
    if (w & 0x8080808080808080ull) return false;
  }
  for (; i < n; ++i)
    if (p[i] & 0x80) return false;
  return true;
}

namespace {

// One code point from s at i (advancing i); invalid sequences yield 0xDC00 + the byte.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? (c <= 0xEF ? 3 : 0) : c >= 0xC2 ? 2 : 0;
  if (len == 0 || i + size_t(len) > s.size()) {
    ++i;
    return 0xDC00 + c;
  }
  char32_t cp = c & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    unsigned char cc = static_cast<unsigned char>(s[i + size_t(k)]);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return 0xDC00 + c;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  // Overlong forms and surrogates are invalid too.
  static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xDC00 + c;
  }
  i += size_t(len);
  return cp;
}

// As AppendUtf8, but 0xDC80..0xDCFF stand for the invalid byte they were decoded from.
void AppendKept(std::string& out, char32_t cp) {
  if (cp >= 0xDC80 && cp <= 0xDCFF) {  // an invalid byte kept as it was
    out += static_cast<char>(cp - 0xDC00);
  } else if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t UpperCodePoint(char32_t cp) {
  if (cp < 0x80) return AsciiUpper(static_cast<unsigned char>(cp));
  if (cp >= 0xDC80 && cp <= 0xDCFF) return cp;
  return static_cast<char32_t>(u_toupper(static_cast<UChar32>(cp)));
}

}  // namespace

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp = NextCodePoint(s, i);
    if (cp >= 0xDC80 && cp <= 0xDCFF) return false;
  }
  return true;
}

void DecodeUpper(std::string_view s, std::u32string& out) {
  out.clear();
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) out.push_back(UpperCodePoint(NextCodePoint(s, i)));
}

std::string Utf8Upper(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  if (IsAsciiText(s)) {
    for (char c : s) out += static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
    return out;
  }
  for (size_t i = 0; i < s.size();) AppendKept(out, UpperCodePoint(NextCodePoint(s, i)));
  return out;
}

void AppendUtf8(std::string& out, char32_t c) {
  if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) c = 0xFFFD;
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}
